// Which answer a request target gets: the service's exact routes, and 404 for everything else.
#pragma once

#include <optional>
#include <string_view>

#include "service/brief_service.h"

namespace morvalen::service {

// target is the raw request target ("/path?query"); the answer is the same whatever the transport.
// client is who the request counts against (see client_key).
Reply answer_request(BriefService& service, std::string_view target, std::string_view client = {});

// The same answer where it costs no wait: a cached line page, a refused query, an unknown path.
// nullopt sends the request to a handler thread.
std::optional<Reply> answer_at_once(BriefService& service, std::string_view target);

}  // namespace morvalen::service
