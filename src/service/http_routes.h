// Which answer a request target gets: the service's exact routes, and 404 for everything else.
#pragma once

#include <string_view>

#include "service/brief_service.h"

namespace morvalen::service {

// target is the raw request target ("/path?query"); the answer is the same whatever the transport.
Reply answer_request(BriefService& service, std::string_view target);

}  // namespace morvalen::service
