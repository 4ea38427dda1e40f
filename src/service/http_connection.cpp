// The deadline of a request head is set once, at its first byte, and is not moved by later bytes: a
// client that trickles a byte a second is cut off as surely as one that sends nothing.
#include "service/http_connection.h"

#include <algorithm>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>

#include "service/client_address.h"
#include "service/http_response.h"
#include "service/page_files.h"

namespace morvalen::service {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;

constexpr std::size_t read_chunk = 2048;

}  // namespace

HttpConnection::HttpConnection(asio::ip::tcp::socket socket, ConnectionShared& shared,
                               std::atomic<std::size_t>& counter)
    : socket_(std::move(socket)), deadline_(socket_.get_executor()), shared_(shared), counter_(counter) {}

HttpConnection::~HttpConnection() { --counter_; }

void HttpConnection::serve() {
    in_.reserve(read_chunk);
    fresh_parser();
    phase_ = Phase::head;
    arm(shared_.limits.head_timeout);
    read_more();
}

void HttpConnection::refuse() {
    close_after_write_ = true;
    write(busy_response());
}

void HttpConnection::fresh_parser() {
    request_line_seen_ = false;
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(shared_.limits.max_head_bytes));
}

void HttpConnection::next_request() {
    fresh_parser();
    if (in_.empty()) {
        phase_ = Phase::idle;
        arm(shared_.limits.keep_alive_timeout);
        read_more();
    } else {
        // A pipelined request already came with the last one.
        phase_ = Phase::head;
        arm(shared_.limits.head_timeout);
        parse();
    }
}

void HttpConnection::read_more() {
    const std::size_t had = in_.size();
    in_.resize(had + read_chunk);
    socket_.async_read_some(asio::buffer(in_.data() + had, read_chunk),
                            [self = shared_from_this(), had](const error_code& error, std::size_t received) {
                                self->in_.resize(had + received);
                                if (error || self->phase_ == Phase::closed) {
                                    self->close();
                                    return;
                                }
                                if (self->phase_ == Phase::idle) {
                                    self->phase_ = Phase::head;
                                    self->arm(self->shared_.limits.head_timeout);
                                }
                                self->parse();
                            });
}

void HttpConnection::parse() {
    // The parser may take the request line before the rest of the head, so whether it was whole is
    // noted here, for telling a long target (414) from a large head (431).
    if (!request_line_seen_) request_line_seen_ = in_.find("\r\n") != std::string::npos;
    error_code error;
    const std::size_t used = parser_->put(asio::buffer(in_.data(), in_.size()), error);
    in_.erase(0, used);
    if (error == http::error::need_more) {
        read_more();
        return;
    }
    if (error == http::error::header_limit) {
        const bool line_too_long = !request_line_seen_;
        refuse_request(line_too_long ? 414 : 431, line_too_long ? "request target too long" : "request head too large");
        return;
    }
    if (error || !parser_->is_header_done()) {
        refuse_request(400, "bad request: malformed request head");
        return;
    }
    const auto& request = parser_->get();
    if (request.method() != http::verb::get) {
        refuse_request(405, "only GET is accepted", "Allow: GET\r\n");
        return;
    }
    const auto length = parser_->content_length();
    if (parser_->chunked() || (length && *length > 0)) {
        refuse_request(400, "bad request: a request takes no body");
        return;
    }
    keep_alive_ = request.keep_alive();
    http10_ = request.version() < 11;
    if (shared_.page) {
        const auto target = request.target();
        const auto encoding = request[http::field::accept_encoding];
        if (auto reply = shared_.page(std::string_view(target.data(), target.size()),
                                      admits_gzip(std::string_view(encoding.data(), encoding.size())))) {
            respond(*reply);
            return;
        }
    }
    std::string forwarded;
    if (!shared_.forwarded_client_field.empty()) forwarded = std::string(request[shared_.forwarded_client_field]);
    dispatch(std::string(request.target()), forwarded);
}

void HttpConnection::dispatch(std::string target, std::string_view forwarded) {
    // The hot request is answered here: two thread hand-overs would cost more than the answer.
    if (auto reply = shared_.answer_at_once(target)) {
        respond(*reply);
        return;
    }
    // Who the request counts against; the peer of a connection stays what it was.
    if (peer_.empty()) {
        error_code error;
        const auto endpoint = socket_.remote_endpoint(error);
        peer_ = error ? std::string("?") : endpoint.address().to_string();
    }
    std::string client = client_key(peer_, forwarded, shared_.trusted_proxies);
    phase_ = Phase::handling;
    // The handler's time is bounded by the handlers themselves (on-demand generation waits a fixed time).
    deadline_.cancel();
    asio::post(*shared_.handlers, [self = shared_from_this(), target = std::move(target),
                                   client = std::move(client)]() mutable {
        Reply reply = self->shared_.answer(target, client);
        auto executor = self->socket_.get_executor();
        asio::post(executor, [self = std::move(self), reply = std::move(reply)] { self->respond(reply); });
    });
}

void HttpConnection::respond(const Reply& reply, std::string_view extra_fields) {
    if (phase_ == Phase::closed) return;
    ConnectionAfter after = ConnectionAfter::close;
    if (keep_alive_) after = http10_ ? ConnectionAfter::keep_alive_http10 : ConnectionAfter::keep_alive;
    close_after_write_ = after == ConnectionAfter::close;
    if (reply.stream) {
        write_streamed(serialize_response(reply, after, extra_fields), reply.stream);
        return;
    }
    write(serialize_response(reply, after, extra_fields));
}

void HttpConnection::refuse_request(int status, std::string_view text, std::string_view extra_fields) {
    keep_alive_ = false;
    respond(transport_refusal(status, text), extra_fields);
}

void HttpConnection::write(std::string bytes) {
    phase_ = Phase::writing;
    out_ = std::move(bytes);
    const auto rate = std::max<std::size_t>(shared_.limits.slowest_read_bytes_per_second, 1);
    arm(shared_.limits.write_timeout + std::chrono::milliseconds(out_.size() * 1000 / rate));
    asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const error_code& error, std::size_t) {
        if (error || self->phase_ == Phase::closed) {
            self->close();
            return;
        }
        self->out_.clear();
        self->after_write();
    });
}

void HttpConnection::after_write() {
    if (close_after_write_) {
        linger();
    } else {
        next_request();
    }
}

void HttpConnection::write_streamed(std::string head, std::shared_ptr<StreamedBody> body) {
    phase_ = Phase::writing;
    streamed_ = std::move(body);
    streamed_offset_ = 0;
    // The same deadline as a body held whole: the client must take the whole answer at the slowest rate.
    const auto rate = std::max<std::size_t>(shared_.limits.slowest_read_bytes_per_second, 1);
    arm(shared_.limits.write_timeout + std::chrono::milliseconds((head.size() + streamed_->size()) * 1000 / rate));
    out_ = std::move(head);
    send_streamed_piece();
}

void HttpConnection::write_next_chunk() {
    if (streamed_offset_ == streamed_->size()) {
        streamed_.reset();
        out_.clear();
        after_write();
        return;
    }
    out_ = streamed_->read(streamed_offset_, streamed_chunk_bytes);
    if (out_.empty()) {
        // The file changed under the transfer: a short body tells the client it is incomplete.
        streamed_.reset();
        close();
        return;
    }
    streamed_offset_ += out_.size();
    send_streamed_piece();
}

void HttpConnection::send_streamed_piece() {
    asio::async_write(socket_, asio::buffer(out_), [self = shared_from_this()](const error_code& error, std::size_t) {
        if (error || self->phase_ == Phase::closed) {
            self->streamed_.reset();
            self->close();
            return;
        }
        self->write_next_chunk();
    });
}

void HttpConnection::linger() {
    phase_ = Phase::lingering;
    error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    arm(shared_.limits.linger_timeout);
    in_.resize(read_chunk);
    drain();
}

void HttpConnection::drain() {
    socket_.async_read_some(asio::buffer(in_), [self = shared_from_this()](const error_code& error, std::size_t) {
        if (error || self->phase_ == Phase::closed) {
            self->close();
        } else {
            self->drain();  // the linger deadline stays where it was set
        }
    });
}

void HttpConnection::arm(std::chrono::milliseconds timeout) {
    deadline_.expires_after(timeout);
    deadline_.async_wait([self = shared_from_this()](const error_code& error) {
        // A wait that completed before the deadline was moved is stale; the expiry tells.
        if (!error && self->deadline_.expiry() <= std::chrono::steady_clock::now()) self->close();
    });
}

void HttpConnection::close() {
    if (phase_ == Phase::closed) return;
    phase_ = Phase::closed;
    error_code ignored;
    socket_.close(ignored);
    deadline_.cancel();
}

}  // namespace morvalen::service
