// Page text: what a browser would show of a page, decoded by its charset.
#include "core/pages/page_text.h"

#include <gtest/gtest.h>

#include "core/formats/cp1251.h"

namespace morvalen::core {
namespace {

TEST(PageTextTest, PlainTextIsTrimmedAndDecodedByCharset) {
    const std::string text = "Спартак - ЦСКА|45.5|";
    EXPECT_EQ(page_text("\r\n " + utf8_to_cp1251(text) + "\r\n", "text/plain; charset=windows-1251"), text);
    EXPECT_EQ(page_text(text, "text/plain; charset=UTF-8"), text);
    // Unnamed charset: valid UTF-8 stays, anything else is Windows-1251.
    EXPECT_EQ(page_text(text, ""), text);
    EXPECT_EQ(page_text(utf8_to_cp1251(text), "text/plain"), text);
    // Plain text keeps its markup characters.
    EXPECT_EQ(page_text("a<b>c|", "text/plain"), "a<b>c|");
}

TEST(PageTextTest, HtmlGivesItsVisibleText) {
    const std::string html =
        "<!DOCTYPE html><html><head><title>Линия</title><meta charset=\"windows-1251\">"
        "<style>p{color:red}</style><script>var a='<b>|';</script></head>"
        "<body>\n  <p>Зенит&nbsp;-   Локомотив|1&amp;2|&#1040;&#x411;|</p><!-- hidden|--></body></html>";
    const std::string text = page_text(utf8_to_cp1251(html), "text/html");
    EXPECT_EQ(text, "Зенит\u00a0- Локомотив|1&2|АБ|");
}

TEST(PageTextTest, BlockElementsBreakLinesAndEmptyPagesAreEmpty) {
    EXPECT_EQ(html_visible_text("<div>a</div><div>b<br>c</div>"), "a\nb\nc\n");
    EXPECT_EQ(page_text("<html><body>  </body></html>", "text/html; charset=utf-8"), "");
    EXPECT_EQ(page_text("", ""), "");
    // Unclosed constructs end the text instead of running away.
    EXPECT_EQ(page_text("<html><body>ab<scr", "text/html"), "ab");
    EXPECT_EQ(page_text("<html><body>ab<script>x", "text/html"), "ab");
    EXPECT_EQ(page_text("<html><body>a &bogus; &#xZZ; &", "text/html"), "a &bogus; &#xZZ; &");
}

TEST(PageTextTest, CharsetParameter) {
    EXPECT_EQ(charset_of("text/html; charset=\"Windows-1251\""), "windows-1251");
    EXPECT_EQ(charset_of("text/html;charset=utf-8;x=y"), "utf-8");
    EXPECT_EQ(charset_of("text/html"), "");
}

}  // namespace
}  // namespace morvalen::core
