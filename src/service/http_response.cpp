// Answers are written by hand: the service has six fixed kinds, and this keeps the hot path free of
// the library's generic serializer.
#include "service/http_response.h"

#include <ostream>  // Boost 1.74's status header uses std::ostream without including it

#include <boost/beast/http/status.hpp>

namespace morvalen::service {

std::string serialize_response(const Reply& reply, ConnectionAfter after, std::string_view extra_fields) {
    namespace http = boost::beast::http;
    const auto reason = http::obsolete_reason(http::int_to_status(static_cast<unsigned>(reply.status)));
    std::string out;
    const std::size_t length = reply.stream ? reply.stream->size() : reply.body.size();
    out.reserve(160 + (reply.stream ? 0 : reply.body.size()));
    out += "HTTP/1.1 ";
    out += std::to_string(reply.status);
    out += ' ';
    out.append(reason.data(), reason.size());
    out += "\r\nContent-Type: ";
    out += reply.content_type;
    out += "\r\nContent-Length: ";
    out += std::to_string(length);
    out += "\r\nCache-Control: ";
    out += reply.cache_control;
    out += "\r\n";
    if (after == ConnectionAfter::close) out += "Connection: close\r\n";
    if (after == ConnectionAfter::keep_alive_http10) out += "Connection: keep-alive\r\n";
    if (reply.retry_after_seconds > 0) out += "Retry-After: " + std::to_string(reply.retry_after_seconds) + "\r\n";
    out += reply.headers;
    out += extra_fields;
    out += "\r\n";
    if (!reply.stream) out += reply.body;
    return out;
}

Reply transport_refusal(int status, std::string_view text) {
    Reply reply;
    reply.status = status;
    reply.body = std::string(text) + "\n";
    reply.content_type = "text/plain; charset=utf-8";
    return reply;
}

std::string busy_response() {
    static const std::string bytes = serialize_response(
        transport_refusal(503, "too many connections, try again shortly"), ConnectionAfter::close, "Retry-After: 1\r\n");
    return bytes;
}

}  // namespace morvalen::service
