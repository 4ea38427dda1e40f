// The bytes of an HTTP/1.1 answer, and the answers the transport gives on its own.
#pragma once

#include <string>
#include <string_view>

#include "service/brief_service.h"

namespace morvalen::service {

enum class ConnectionAfter { close, keep_alive, keep_alive_http10 };

// Status line, Content-Type, Content-Length, Cache-Control, the Connection field where it is needed,
// extra_fields (each ended by CRLF) and the body.
std::string serialize_response(const Reply& reply, ConnectionAfter after, std::string_view extra_fields = {});

// The connection cap is reached: a quick answer that asks the client to come back.
std::string busy_response();

Reply transport_refusal(int status, std::string_view text);

}  // namespace morvalen::service
