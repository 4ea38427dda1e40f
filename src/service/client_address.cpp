// Addresses read with Asio's parser; IPv4 mapped into IPv6 is the IPv4 address it carries.
#include "service/client_address.h"

#include <algorithm>
#include <optional>

#include <boost/asio/ip/address.hpp>

namespace morvalen::service {
namespace {

namespace ip = boost::asio::ip;

std::optional<ip::address> parsed(std::string_view text) {
    boost::system::error_code error;
    const ip::address address = ip::make_address(std::string(text), error);
    if (error) return std::nullopt;
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return ip::make_address_v4(ip::v4_mapped, address.to_v6());
    return address;
}

std::string key_of(const ip::address& address) {
    if (address.is_v4()) return address.to_string();
    ip::address_v6::bytes_type bytes = address.to_v6().to_bytes();
    for (std::size_t i = 8; i < bytes.size(); ++i) bytes[i] = 0;
    return ip::address_v6(bytes).to_string() + "/64";
}

}  // namespace

std::string client_key(std::string_view peer, std::string_view forwarded, const std::vector<std::string>& proxies) {
    const auto from = parsed(peer);
    if (!from) return "unknown";
    const bool trusted = from->is_loopback() || std::any_of(proxies.begin(), proxies.end(), [&](const std::string& proxy) {
                             return parsed(proxy) == from;
                         });
    if (trusted && !forwarded.empty()) {
        if (const auto behind = parsed(forwarded)) return key_of(*behind);
    }
    return key_of(*from);
}

bool is_address(std::string_view text) { return parsed(text).has_value(); }

}  // namespace morvalen::service
