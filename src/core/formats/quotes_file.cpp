// Reading and writing the package text and the quotes file in the program's file code page.
#include "core/formats/quotes_file.h"

#include "core/model/bet.h"
#include "core/formats/cp1251.h"

namespace morvalen::core {
namespace {

// A line longer than any quotes line could be is not a quotes file; the cap keeps memory bounded.
constexpr std::size_t line_limit = 64 * 1024;

std::string one_line(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

enum class LineRead { line, end, too_long };

// Reads up to LF, dropping a CR before it; a last line without a break counts.
LineRead read_line(std::istream& in, std::string& line) {
    line.clear();
    if (in.peek() == std::char_traits<char>::eof()) return LineRead::end;
    for (int c = in.get(); c != std::char_traits<char>::eof() && c != '\n'; c = in.get()) {
        if (line.size() >= line_limit) return LineRead::too_long;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return LineRead::line;
}

// The text before the first tab, the rest after it; nullopt when there is no tab.
std::optional<std::string_view> take_field(std::string_view& rest) {
    const auto tab = rest.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    const std::string_view field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return field;
}

std::optional<Currency> take_figure(std::string_view& rest) {
    const auto field = take_field(rest);
    if (!field) return std::nullopt;
    return Currency::parse(trim_blanks(*field));
}

bool read_event_line(std::string_view bytes, EventTable& table, int e) {
    const std::string text = cp1251_to_utf8(bytes);
    std::string_view rest = text;
    const auto name = take_field(rest);
    if (!name) {
        if (!rest.empty()) return false;
        table.event(e).name.clear();
        return true;
    }
    table.event(e).name = std::string(*name);
    for (int o = 1; !rest.empty(); ++o) {
        if (o > outcome_count) return false;
        const auto quote = take_figure(rest);
        if (!quote) return false;
        OutcomeCell& cell = table.cell(e, o);
        cell.quote_probability = *quote;
        cell.setting_probability = *quote;
        const auto pool = take_figure(rest);
        if (!pool) return false;
        cell.pool_probability = *pool;
    }
    return true;
}

}  // namespace

std::string text_file_name(const std::string& chosen) { return chosen + ".txt"; }

std::string quotes_file_name(const std::string& chosen) {
    return chosen.find('.') == std::string::npos ? chosen + ".ctr" : chosen;
}

bool write_memo_text(std::ostream& out, std::string_view memo_text) {
    std::string text;
    text.reserve(memo_text.size() + memo_text.size() / 16);
    for (std::size_t i = 0; i < memo_text.size(); ++i) {
        if (memo_text[i] == '\n' && (i == 0 || memo_text[i - 1] != '\r')) text += '\r';
        text += memo_text[i];
    }
    const std::string bytes = utf8_to_cp1251(text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool write_quotes(std::ostream& out, const EventTable& table, std::string_view caption) {
    std::string text;
    for (int e = 1; e <= event_count; ++e) {
        text += one_line(table.event(e).name);
        text += '\t';
        for (int o = 1; o <= outcome_count; ++o) {
            text += table.cell(e, o).quote_probability.to_string();
            text += '\t';
            text += table.cell(e, o).pool_probability.to_string();
            text += '\t';
        }
        text += "\r\n";
    }
    text += one_line(caption);
    text += "\r\n";
    const std::string bytes = utf8_to_cp1251(text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

QuotesLoad read_quotes(std::istream& in, EventTable& table) {
    QuotesLoad load;
    std::string line;
    for (int e = 1; e <= event_count; ++e) {
        if (read_line(in, line) != LineRead::line || !read_event_line(line, table, e)) return load;
    }
    if (read_line(in, line) != LineRead::line) return load;
    load.caption = cp1251_to_utf8(line);
    load.ok = true;
    return load;
}

}  // namespace morvalen::core
