// The text a browser would show for a page: the visible text of HTML, or plain text, trimmed, in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace morvalen::core {

// content_type is the response's Content-Type header (may be empty). The charset comes from it, or
// from a <meta> of an HTML page; Windows-1251 and UTF-8 are decoded by name, and anything unnamed is
// taken as UTF-8 when it is valid UTF-8 and as Windows-1251 otherwise. The result is trimmed of
// blanks and control characters at both ends, as the browser's element text is.
std::string page_text(std::string_view body, std::string_view content_type);

// The charset parameter of a Content-Type value, lower case; empty when there is none.
std::string charset_of(std::string_view content_type);

// Visible text of an HTML document (already in UTF-8): tags dropped, head, script and style left out,
// entities decoded, blanks collapsed, line breaks at block elements. Not trimmed.
std::string html_visible_text(std::string_view html);

}  // namespace morvalen::core
