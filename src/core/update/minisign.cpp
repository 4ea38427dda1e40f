// Strict readers: a signature file that is anything but the four minisign lines is refused whole.
#include "core/update/minisign.h"

#include <algorithm>
#include <vector>

namespace morvalen::core {
namespace {

constexpr std::size_t largest_signature_file = 4096;

int base64_value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

template <std::size_t N>
void copy_bytes(std::string_view from, std::array<std::uint8_t, N>& to) {
    std::transform(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(N), to.begin(),
                   [](char c) { return static_cast<std::uint8_t>(c); });
}

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

std::optional<std::string> base64_decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && last && k >= 2) {
                values[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0) return std::nullopt;  // data after padding
            values[k] = base64_value(c);
            if (values[k] < 0) return std::nullopt;
        }
        const unsigned word = (static_cast<unsigned>(values[0]) << 18) | (static_cast<unsigned>(values[1]) << 12) |
                              (static_cast<unsigned>(values[2]) << 6) | static_cast<unsigned>(values[3]);
        out.push_back(static_cast<char>((word >> 16) & 0xFF));
        if (padding < 2) out.push_back(static_cast<char>((word >> 8) & 0xFF));
        if (padding < 1) out.push_back(static_cast<char>(word & 0xFF));
    }
    return out;
}

std::optional<MinisignKey> parse_minisign_key(std::string_view text) {
    std::vector<std::string_view> lines = split_lines(text);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() == 2 && starts_with(lines[0], "untrusted comment: ")) lines.erase(lines.begin());
    if (lines.size() != 1) return std::nullopt;
    const auto bytes = base64_decode(lines[0]);
    if (!bytes || bytes->size() != 42 || bytes->substr(0, 2) != "Ed") return std::nullopt;
    MinisignKey key;
    copy_bytes(std::string_view(*bytes).substr(2, 8), key.key_id);
    copy_bytes(std::string_view(*bytes).substr(10, 32), key.public_key);
    return key;
}

std::optional<MinisignSignature> parse_minisign_signature(std::string_view text) {
    if (text.size() > largest_signature_file) return std::nullopt;
    std::vector<std::string_view> lines = split_lines(text);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() != 4 || !starts_with(lines[0], "untrusted comment: ") ||
        !starts_with(lines[2], "trusted comment: "))
        return std::nullopt;
    const auto signature = base64_decode(lines[1]);
    const auto global = base64_decode(lines[3]);
    if (!signature || signature->size() != 74 || !global || global->size() != 64) return std::nullopt;
    const std::string_view algorithm = std::string_view(*signature).substr(0, 2);
    if (algorithm != "ED" && algorithm != "Ed") return std::nullopt;
    MinisignSignature out;
    out.prehashed = algorithm == "ED";
    copy_bytes(std::string_view(*signature).substr(2, 8), out.key_id);
    copy_bytes(std::string_view(*signature).substr(10, 64), out.signature);
    out.trusted_comment = std::string(lines[2].substr(std::string_view("trusted comment: ").size()));
    copy_bytes(std::string_view(*global), out.global_signature);
    return out;
}

}  // namespace morvalen::core
