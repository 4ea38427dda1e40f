// One reading of the memo for every window: whole bets, and why a line is not one.
#include "core/formats/memo_reading.h"

namespace morvalen::core {
namespace {

bool blank(const BetEntry& entry) {
    if (entry.amount.ten_thousandths() != 0) return false;
    for (const OutcomeSet& set : entry.outcome_sets)
        if (!set.empty()) return false;
    return true;
}

// The labels inside the groups "(…)" that name no outcome, in the order they stand.
std::vector<std::string> unknown_labels(std::string_view line) {
    std::vector<std::string> unknown;
    const auto bar = line.find('|');
    if (bar == std::string_view::npos) return unknown;
    std::string_view rest = line.substr(bar + 1);
    while (true) {
        const auto open = rest.find('(');
        if (open == std::string_view::npos) break;
        const auto close = rest.find(')', open);
        std::string_view group = rest.substr(open + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                        : close - open - 1);
        rest = close == std::string_view::npos ? std::string_view() : rest.substr(close + 1);
        while (true) {
            const auto comma = group.find(',');
            const std::string_view item = trim_blanks(group.substr(0, comma));
            if (outcome_value(item) == 0) unknown.emplace_back(item.empty() ? std::string_view("пусто") : item);
            if (comma == std::string_view::npos) break;
            group.remove_prefix(comma + 1);
        }
    }
    return unknown;
}

}  // namespace

bool reads_whole(const BetEntry& entry) {
    std::int64_t product = 1;
    for (const OutcomeSet& set : entry.outcome_sets) {
        if (set.empty()) return false;
        product *= set.size();
    }
    return entry.bet_count == product;
}

std::string line_problem(std::string_view line, const BetEntry& entry) {
    if (trim_blanks(line).empty() || reads_whole(entry)) return {};
    if (!try_parse_bet_line(line)) return "строка не читается как ставка: нужны сумма, «|» и события 1–8";
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    const std::vector<std::string> unknown = unknown_labels(line);
    if (!unknown.empty()) {
        std::string labels;
        for (const std::string& label : unknown) labels += (labels.empty() ? "«" : ", «") + label + "»";
        add((unknown.size() == 1 ? "нет такого исхода: " : "нет таких исходов: ") + labels);
    }
    std::string missing;
    for (int e = 1; e <= event_count; ++e)
        if (entry.set(e).empty()) missing += (missing.empty() ? "" : ", ") + std::to_string(e);
    if (!missing.empty()) add("без исходов события " + missing);
    if (text.empty()) add("исход назван дважды: число ставок " + std::to_string(entry.bet_count) + " не совпадает с купоном");
    return "Строка прочитана не целиком: " + text;
}

UnreadLines unread_lines(const BetList& list) {
    UnreadLines unread;
    for (const BetEntry& entry : list) {
        if (blank(entry) || reads_whole(entry)) continue;
        ++unread.lines;
        if (__builtin_add_overflow(unread.bets, entry.bet_count, &unread.bets)) unread.bets = INT64_MAX;
    }
    return unread;
}

BetList whole_bets_only(const BetList& list) {
    BetList whole = list;
    for (BetEntry& entry : whole)
        if (!reads_whole(entry)) entry = BetEntry{};
    return whole;
}

}  // namespace morvalen::core
