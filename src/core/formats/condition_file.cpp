// Reading and writing conditions files, with the line number and what was expected on a refusal.
#include "core/formats/condition_file.h"

#include "core/model/bet.h"

#include "core/formats/decimal_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

namespace morvalen::core {
namespace {

constexpr std::string_view off_marker = "#выкл ";

constexpr std::array<std::pair<std::string_view, CountGroup>, 7> group_words = {{
    {"home", CountGroup::home},
    {"draws", CountGroup::draws},
    {"away", CountGroup::away},
    {"other", CountGroup::other},
    {"yellow", CountGroup::yellow},
    {"favourite", CountGroup::favourite},
    {"crowd-favourite", CountGroup::crowd_favourite},
}};

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<int> read_count(std::string_view word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value < 0 || value > event_count)
        return std::nullopt;
    return value;
}

bool read_cells(std::string_view word, Condition& condition) {
    std::array<OutcomeSet, event_count> cells{};
    for (const std::string_view group : split_at(word, ';')) {
        if (group.size() < 4 || group[1] != '-' || group[2] != '(' || group.back() != ')') return false;
        int first = 1;
        int last = event_count;
        if (group[0] != '*') {
            if (group[0] < '1' || group[0] > '8') return false;
            first = last = group[0] - '0';
        }
        for (const std::string_view label : split_at(group.substr(3, group.size() - 4), ',')) {
            const int column = outcome_column(label);
            if (column == 0) return false;
            for (int e = first; e <= last; ++e) cells[static_cast<std::size_t>(e - 1)].add(column);
        }
    }
    condition.group = CountGroup::cells;
    condition.cells = cells;
    return true;
}

struct LineRead {
    std::optional<Condition> condition;
    std::optional<int> errors;
    std::string expected;  // set when the line is refused
};

LineRead read_line(const std::vector<std::string_view>& words) {
    LineRead read;
    const std::string_view keyword = words[0];
    const auto needs = [&](std::size_t count, const char* form) {
        if (words.size() == count) return true;
        read.expected = std::string(words.size() < count ? "ожидается " : "лишние слова; ожидается ") + form;
        return false;
    };
    const auto refuse = [&](std::string what, std::string_view got) {
        read.expected = "ожидается " + what + ", получено \"" + std::string(got) + "\"";
    };
    if (keyword == "errors") {
        if (!needs(2, "\"errors E\"")) return read;
        int value = -1;
        const auto [end, error] = std::from_chars(words[1].data(), words[1].data() + words[1].size(), value);
        if (error != std::errc() || end != words[1].data() + words[1].size() || value < 0 ||
            value > static_cast<int>(condition_limit)) {
            refuse("число допустимых ошибок E от 0 до " + std::to_string(condition_limit), words[1]);
            return read;
        }
        read.errors = value;
        return read;
    }
    Condition condition;
    if (keyword == "count") {
        if (!needs(4, "\"count LO HI GROUP\"")) return read;
        const auto low = read_count(words[1]);
        if (!low) return refuse("целое LO от 0 до 8", words[1]), read;
        condition.count_low = *low;
        if (words[2] == "*") {
            condition.count_high.reset();
        } else if (const auto high = read_count(words[2])) {
            condition.count_high = *high;
        } else {
            return refuse("целое HI от 0 до 8 или *", words[2]), read;
        }
        if (!read_group(words[3], condition))
            return refuse("группа home, draws, away, other, yellow, favourite, crowd-favourite или клетки вида *-(0:0,1:1);3-(2:1)",
                          words[3]),
                   read;
        read.condition = condition;
        return read;
    }
    if (keyword == "probability") condition.kind = ConditionKind::probability;
    else if (keyword == "popularity") condition.kind = ConditionKind::popularity;
    else if (keyword == "value") condition.kind = ConditionKind::value;
    else return refuse("errors, count, probability, popularity или value", keyword), read;
    if (!needs(3, ("\"" + std::string(keyword) + " LO HI\"").c_str())) return read;
    const auto low = read_plain_decimal(words[1]);
    if (!low) return refuse("число LO с точкой", words[1]), read;
    condition.low = *low;
    if (words[2] != "*") {
        const auto high = read_plain_decimal(words[2]);
        if (!high) return refuse("число HI с точкой или *", words[2]), read;
        condition.high = *high;
    }
    read.condition = condition;
    return read;
}

}  // namespace

std::optional<double> read_plain_decimal(std::string_view word) {
    std::string_view digits = word;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    bool any_digit = false;
    int points = 0;
    for (const char ch : digits) {
        if (ch >= '0' && ch <= '9') any_digit = true;
        else if (ch == '.') ++points;
        else return std::nullopt;
    }
    if (!any_digit || points > 1) return std::nullopt;
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    return read_decimal(word);
}

std::string decimal_text(std::optional<double> value) {
    if (!value) return "*";
    return std::isfinite(*value) ? write_shortest_fixed(*value) : std::string("0");
}

bool read_group(std::string_view word, Condition& condition) {
    for (const auto& [name, group] : group_words)
        if (word == name) {
            condition.group = group;
            condition.cells = {};
            return true;
        }
    return read_cells(word, condition);
}

std::string group_text(const Condition& condition) {
    for (const auto& [name, group] : group_words)
        if (condition.group == group) return std::string(name);
    const auto labels = [](OutcomeSet set) {
        std::string text;
        set.for_each_column([&](int c) { text += (text.empty() ? "" : ",") + std::string(outcome_label(c)); });
        return text;
    };
    const OutcomeSet first = condition.cells[0];
    bool same = !first.empty();
    for (const OutcomeSet set : condition.cells) same = same && set == first;
    if (same) return "*-(" + labels(first) + ")";
    std::string text;
    for (int e = 1; e <= event_count; ++e) {
        const OutcomeSet set = condition.cells[static_cast<std::size_t>(e - 1)];
        if (set.empty()) continue;
        text += (text.empty() ? "" : ";") + std::to_string(e) + "-(" + labels(set) + ")";
    }
    return text;
}

std::string condition_line(const Condition& condition) {
    switch (condition.kind) {
        case ConditionKind::count: {
            const std::string group = group_text(condition);
            if (group.empty()) return {};
            return "count " + std::to_string(condition.count_low) + " " +
                   (condition.count_high ? std::to_string(*condition.count_high) : std::string("*")) + " " + group;
        }
        case ConditionKind::probability: return "probability " + decimal_text(condition.low) + " " + decimal_text(condition.high);
        case ConditionKind::popularity: return "popularity " + decimal_text(condition.low) + " " + decimal_text(condition.high);
        case ConditionKind::value: return "value " + decimal_text(condition.low) + " " + decimal_text(condition.high);
    }
    return {};
}

ConditionFileRead read_condition_file(std::string_view text) {
    ConditionFileRead result;
    ConditionSet set;
    set.enabled = true;
    bool errors_seen = false;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int number = 0;
    for (std::string_view line : split_at(text, '\n')) {
        ++number;
        bool off = false;
        if (line.substr(0, off_marker.size()) == off_marker) {
            // Read as a condition when it is one; any other comment is only a comment.
            const auto words = words_of(line.substr(off_marker.size()));
            if (!words.empty() && read_line(words).condition) {
                line.remove_prefix(off_marker.size());
                off = true;
            }
        }
        if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto words = words_of(line);
        if (words.empty()) continue;
        LineRead read = read_line(words);
        const std::string where = "строка " + std::to_string(number) + ": ";
        if (!read.expected.empty()) {
            result.error = where + read.expected;
            return result;
        }
        if (read.errors) {
            if (errors_seen) {
                result.error = where + "ожидается одна строка errors на файл, это вторая";
                return result;
            }
            errors_seen = true;
            set.allowed_errors = *read.errors;
            continue;
        }
        if (set.conditions.size() == condition_limit) {
            result.error = where + "ожидается не больше " + std::to_string(condition_limit) + " условий";
            return result;
        }
        read.condition->on = !off;
        set.conditions.push_back(*read.condition);
    }
    result.set = std::move(set);
    return result;
}

std::string write_condition_file(const ConditionSet& set) {
    std::string text = "# Условия: не более E нарушенных из включённых\nerrors " + std::to_string(set.allowed_errors) + "\n";
    for (const Condition& condition : set.conditions) {
        const std::string line = condition_line(condition);
        if (line.empty()) continue;
        text += (condition.on ? std::string() : std::string(off_marker)) + line + "\n";
    }
    return text;
}

}  // namespace morvalen::core
