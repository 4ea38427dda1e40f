// Which client a request counts against: the connection's peer, or the player behind the local proxy.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvalen::service {

// The key a client's budget is kept under. peer is the connection's address; forwarded is the value
// of the proxy's header (nginx's X-Real-IP), believed only from a loopback peer or one of the proxies
// named, since anyone else could write anything there. IPv6 clients count by their /64, which one
// subscriber usually holds whole; a peer that is no address at all counts as one client, "unknown".
std::string client_key(std::string_view peer, std::string_view forwarded, const std::vector<std::string>& proxies = {});

// Whether text is an IPv4 or IPv6 address, as a proxy must be named.
bool is_address(std::string_view text);

}  // namespace morvalen::service
