// Writing and reading the bet notation, character for character.
#include "core/model/bet.h"

#include <charconv>
#include <limits>

namespace morvalen::core {

std::string format_bet(const BetEntry& entry) {
    std::string line;
    line.reserve(96);  // a single bet's line fits, so writing a long list allocates once per line
    line += entry.amount.to_string();
    line += '|';
    for (int e = 1; e <= event_count; ++e) {
        const OutcomeSet set = entry.set(e);
        if (set.empty()) return line;
        line += std::to_string(e);
        line += "-(";
        bool first = true;
        set.for_each_column([&](int c) {
            if (!first) line += ',';
            first = false;
            line += outcome_label(c);
        });
        line += ");";
    }
    line.back() = '#';
    if (entry.bet_count == 0) return std::string();
    return line;
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

namespace {

std::optional<int> parse_event_number(std::string_view text) {
    text = trim_blanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Text before the first occurrence of `separator` and the rest after it; with no separator the
// piece is empty and nothing is consumed, as the notation's reading has always done.
std::string_view take_before(std::string_view& text, char separator) {
    const auto at = text.find(separator);
    if (at == std::string_view::npos) return {};
    const std::string_view piece = text.substr(0, at);
    text.remove_prefix(at + 1);
    return piece;
}

}  // namespace

std::optional<BetEntry> try_parse_bet_line(std::string_view line) {
    BetEntry entry;
    entry.bet_count = 1;
    std::string_view rest = line;
    const auto amount = Currency::parse(trim_blanks(take_before(rest, '|')));
    if (!amount) return std::nullopt;
    entry.amount = *amount;

    while (!rest.empty() && rest.find('-') != std::string_view::npos) {
        const std::string_view raw_event = take_before(rest, '-');
        std::optional<int> event;
        if (const auto semicolon = raw_event.find(';'); semicolon == std::string_view::npos) {
            event = parse_event_number(raw_event);
        } else {
            std::string without(raw_event);
            without.erase(semicolon, 1);  // only the first ";" goes
            event = parse_event_number(without);
        }
        if (!event || *event < 1 || *event > event_count) return std::nullopt;

        std::string_view group = take_before(rest, ')');
        if (const auto open = group.find('('); open != std::string_view::npos) group.remove_prefix(open + 1);

        std::uint32_t bits = 0;
        std::int64_t items = 0;
        while (!group.empty()) {
            const auto comma = group.find(',');
            const std::string_view item = comma == std::string_view::npos ? group : group.substr(0, comma);
            group.remove_prefix(comma == std::string_view::npos ? group.size() : comma + 1);
            // A label named twice stays one outcome: the set never leaves its 17 bits.
            bits |= outcome_value(trim_blanks(item));
            ++items;
        }
        entry.set(*event) = OutcomeSet::from_bits(bits);
        if (__builtin_mul_overflow(entry.bet_count, items, &entry.bet_count)) return std::nullopt;
    }
    return entry;
}

BetEntry parse_bet_line(std::string_view line) { return try_parse_bet_line(line).value_or(BetEntry{}); }

std::vector<std::string_view> split_at(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::vector<std::string_view> memo_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (last) break;
        start = end + 1;
    }
    return lines;
}

void read_memo(std::string_view text, BetList& list) {
    const auto lines = memo_lines(text);
    list.resize(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) list[i] = parse_bet_line(lines[i]);
}

}  // namespace morvalen::core
