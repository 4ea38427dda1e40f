// A small tolerant HTML reader: the pages we read are plain field lists, so layout fidelity is not
// needed, only that the text between tags comes out in order and nothing hidden leaks in.
#include "core/pages/page_text.h"

#include <array>
#include <cctype>
#include <cstdint>

#include "core/formats/cp1251.h"

namespace morvalen::core {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower(c);
    return out;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view trim_controls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

bool looks_like_html(std::string_view body, std::string_view content_type) {
    const std::string type = lowered(content_type);
    if (type.find("html") != std::string::npos) return true;
    if (!type.empty()) return false;
    const std::string head = lowered(trim_controls(body.substr(0, 512)));
    return head.starts_with("<!doctype html") || head.starts_with("<html") || head.starts_with("<head") ||
           head.starts_with("<body");
}

// A charset named in a <meta> among the first bytes of an HTML page.
std::string meta_charset(std::string_view body) {
    const std::string head = lowered(body.substr(0, 2048));
    const auto at = head.find("charset=");
    if (at == std::string::npos) return {};
    std::size_t pos = at + 8;
    while (pos < head.size() && (head[pos] == '"' || head[pos] == '\'')) ++pos;
    std::string name;
    while (pos < head.size() && (std::isalnum(static_cast<unsigned char>(head[pos])) || head[pos] == '-' ||
                                 head[pos] == '_'))
        name.push_back(head[pos++]);
    return name;
}

std::string decode(std::string_view body, const std::string& charset) {
    if (charset == "windows-1251" || charset == "cp1251" || charset == "x-cp1251") return cp1251_to_utf8(body);
    if (charset == "utf-8" || charset == "utf8") {
        if (is_valid_utf8(body)) return std::string(body);
        return cp1251_to_utf8(body);  // mislabelled pages exist; better readable than dropped
    }
    return decode_utf8_or_cp1251(body);
}

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes the entity at html[pos] == '&'; returns the characters consumed, 0 when it is no entity.
std::size_t decode_entity(std::string_view html, std::size_t pos, std::string& out) {
    const auto semi = html.find(';', pos);
    if (semi == std::string_view::npos || semi - pos > 12) return 0;
    const std::string_view name = html.substr(pos + 1, semi - pos - 1);
    if (name.size() >= 2 && name[0] == '#') {
        std::uint32_t cp = 0;
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7) return 0;
        for (const char c : digits) {
            const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c)) ? lower(c) - 'a' + 10
                                                                                 : -1;
            if (v < 0) return 0;
            cp = cp * (hex ? 16u : 10u) + static_cast<std::uint32_t>(v);
        }
        append_utf8(out, cp);
        return semi - pos + 1;
    }
    struct Named {
        std::string_view name;
        std::uint32_t cp;
    };
    static constexpr std::array<Named, 8> named{{{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'},
                                                 {"apos", '\''}, {"nbsp", 0xA0}, {"laquo", 0xAB},
                                                 {"raquo", 0xBB}}};
    for (const auto& entry : named) {
        if (entry.name == name) {
            append_utf8(out, entry.cp);
            return semi - pos + 1;
        }
    }
    return 0;
}

// Position of "</tag" at or after from, matching the tag name in any case.
std::size_t find_closing(std::string_view html, std::size_t from, std::string_view tag) {
    for (auto at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
        if (at + 2 + tag.size() > html.size()) return std::string_view::npos;
        bool same = true;
        for (std::size_t i = 0; i < tag.size() && same; ++i) same = lower(html[at + 2 + i]) == tag[i];
        if (same) return at;
    }
    return std::string_view::npos;
}

bool is_block(std::string_view tag) {
    static constexpr std::array<std::string_view, 18> blocks{"br", "p", "div", "tr", "li", "h1", "h2", "h3",
                                                             "h4", "h5", "h6", "table", "ul", "ol", "pre",
                                                             "blockquote", "hr", "dt"};
    for (const auto b : blocks)
        if (b == tag) return true;
    return false;
}

}  // namespace

std::string charset_of(std::string_view content_type) {
    const std::string type = lowered(content_type);
    const auto at = type.find("charset=");
    if (at == std::string::npos) return {};
    std::size_t pos = at + 8;
    while (pos < type.size() && (type[pos] == '"' || type[pos] == ' ')) ++pos;
    std::string name;
    while (pos < type.size() && type[pos] != ';' && type[pos] != '"' && !is_space(type[pos]))
        name.push_back(type[pos++]);
    return name;
}

std::string html_visible_text(std::string_view html) {
    std::string out;
    bool pending_space = false;
    int pre_depth = 0;
    std::size_t pos = 0;
    auto break_line = [&]() {
        pending_space = false;
        while (!out.empty() && out.back() == ' ') out.pop_back();
        if (!out.empty() && out.back() != '\n') out.push_back('\n');
    };
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '<') {
            if (html.substr(pos, 4) == "<!--") {
                const auto end = html.find("-->", pos + 4);
                pos = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const auto end = html.find('>', pos + 1);
            if (end == std::string_view::npos) break;  // an unclosed tag hides the rest, as in browsers
            std::string_view inner = html.substr(pos + 1, end - pos - 1);
            const bool closing = !inner.empty() && inner.front() == '/';
            if (closing) inner.remove_prefix(1);
            std::size_t name_end = 0;
            while (name_end < inner.size() && !is_space(inner[name_end]) && inner[name_end] != '/') ++name_end;
            const std::string tag = lowered(inner.substr(0, name_end));
            pos = end + 1;
            if (!closing && (tag == "script" || tag == "style" || tag == "title" ||
                             tag == "template" || tag == "noscript")) {
                // Skip to the matching closing tag: nothing inside is shown.
                const std::size_t found = find_closing(html, pos, tag);
                if (found == std::string_view::npos) {
                    pos = html.size();
                } else {
                    const auto gt = html.find('>', found);
                    pos = gt == std::string_view::npos ? html.size() : gt + 1;
                }
                continue;
            }
            if (tag == "pre") pre_depth += closing ? (pre_depth > 0 ? -1 : 0) : 1;
            if (is_block(tag)) break_line();
            else if (tag == "td" || tag == "th") pending_space = !out.empty();
            continue;
        }
        if (is_space(c) && pre_depth == 0) {
            pending_space = !out.empty() && out.back() != '\n';
            ++pos;
            continue;
        }
        if (pending_space) {
            out.push_back(' ');
            pending_space = false;
        }
        if (c == '&') {
            if (const std::size_t used = decode_entity(html, pos, out); used > 0) {
                pos += used;
                continue;
            }
        }
        if (c != '\r') out.push_back(c);
        ++pos;
    }
    return out;
}

std::string page_text(std::string_view body, std::string_view content_type) {
    const bool html = looks_like_html(body, content_type);
    std::string charset = charset_of(content_type);
    if (charset.empty() && html) charset = meta_charset(body);
    const std::string text = decode(body, charset);
    if (!html) return std::string(trim_controls(text));
    return std::string(trim_controls(html_visible_text(text)));
}

}  // namespace morvalen::core
