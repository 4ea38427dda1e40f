// The working state file: a header with the version, one line per setting, each event's name,
// marks and set probabilities, the memo as a counted block, and a CRC-32 line over all of it.
#include "core/formats/working_state.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <cstdio>
#include <istream>
#include <ostream>
#include <string_view>

#include <zlib.h>

#include "core/formats/condition_file.h"
#include "core/model/session.h"

namespace morvalen::core {
namespace {

constexpr std::string_view magic = "morvalen-working-state";
constexpr std::string_view crc_key = "crc32 ";

std::uint32_t crc_of(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib counts in uInt: feed bounded slices.
    constexpr std::size_t slice = 1U << 30;
    for (std::size_t at = 0; at < bytes.size(); at += slice) {
        const std::size_t n = std::min(slice, bytes.size() - at);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
    }
    return static_cast<std::uint32_t>(crc);
}

std::string stake_text(const Stake& stake) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, stake.value);
    return std::string(buffer, written.ptr);
}

// A strict cursor over the body: every read names what it expected when it fails.
class Reader {
public:
    explicit Reader(std::string_view body) : rest_(body) {}

    bool line(std::string_view& out) {
        const std::size_t end = rest_.find('\n');
        if (end == std::string_view::npos) return false;
        out = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
        return true;
    }
    // A line "key value"; gives the value.
    bool field(std::string_view key, std::string_view& value) {
        std::string_view text;
        if (!line(text) || text.size() <= key.size() || text.substr(0, key.size()) != key || text[key.size()] != ' ')
            return false;
        value = text.substr(key.size() + 1);
        return true;
    }
    // n bytes followed by a line break.
    bool block(std::size_t n, std::string_view& out) {
        if (rest_.size() < n + 1 || rest_[n] != '\n') return false;
        out = rest_.substr(0, n);
        rest_.remove_prefix(n + 1);
        return true;
    }
    bool at_end() const { return rest_.empty(); }
    // The next line starts with "key ": a section that older files do not have.
    bool next_is(std::string_view key) const {
        return rest_.size() > key.size() && rest_.substr(0, key.size()) == key && rest_[key.size()] == ' ';
    }

private:
    std::string_view rest_;
};

template <typename Int>
bool whole_integer(std::string_view text, Int& out, Int low, Int high) {
    Int value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    out = value;
    return true;
}

// Space-separated integers, exactly `count` of them.
template <typename Int, std::size_t N>
bool integer_row(std::string_view text, std::array<Int, N>& out, Int low, Int high) {
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t gap = text.find(' ');
        const bool last = i + 1 == N;
        if (last != (gap == std::string_view::npos)) return false;
        if (!whole_integer(last ? text : text.substr(0, gap), out[i], low, high)) return false;
        if (!last) text.remove_prefix(gap + 1);
    }
    return true;
}

WorkingStateRead refuse(std::string reason) { return {std::nullopt, std::move(reason)}; }

WorkingStateRead read_body(std::string_view body) {
    Reader reader(body);
    WorkingState state;
    std::string_view text;
    if (!reader.line(text) || text.substr(0, std::min(text.size(), magic.size())) != magic)
        return refuse("not a working state file");
    int version = 0;
    if (text.size() <= magic.size() + 1 || text[magic.size()] != ' ' ||
        !whole_integer(text.substr(magic.size() + 1), version, 1, 1'000'000))
        return refuse("no version");
    if (version != working_state_version) return refuse("version " + std::to_string(version) + " is not known");

    std::int64_t box = 0;
    std::array<int, 2> yellow{};
    if (!reader.field("method", text) || !whole_integer(text, state.method, -1, working_state_max_method))
        return refuse("bad method");
    if (!reader.field("guarantee", text) || !whole_integer(text, state.guarantee, 2, 7)) return refuse("bad guarantee");
    if (!reader.field("repeat", text) || !whole_integer<std::int64_t>(text, state.repeat_count, 1, 100'000'000))
        return refuse("bad repeat count");
    if (!reader.field("yellow", text) || !integer_row(text, yellow, 0, 8)) return refuse("bad yellow bounds");
    state.yellow_min = yellow[0];
    state.yellow_max = yellow[1];
    if (!reader.field("stake", text)) return refuse("bad stake");
    const auto stake = std::from_chars(text.data(), text.data() + text.size(), state.stake.value);
    if (stake.ec != std::errc() || stake.ptr != text.data() + text.size() || !std::isfinite(state.stake.value))
        return refuse("bad stake");
    if (!reader.field("start-with-box", text) || !whole_integer<std::int64_t>(text, box, 0, 1))
        return refuse("bad start-with box");
    state.start_with_box = box == 1;

    for (int e = 1; e <= event_count; ++e) {
        EventWorkingState& event = state.events[e - 1];
        const std::string prefix = "event " + std::to_string(e);
        std::size_t name_size = 0;
        if (!reader.field(prefix, text) || !whole_integer<std::size_t>(text, name_size, 0, body.size()) ||
            !reader.block(name_size, text))
            return refuse("bad name of event " + std::to_string(e));
        event.name = text;
        if (!reader.field("marks", text) || text.size() != outcome_count) return refuse("bad marks of event " + std::to_string(e));
        for (int o = 0; o < outcome_count; ++o) {
            if (text[o] < '0' || text[o] > '2') return refuse("bad marks of event " + std::to_string(e));
            event.marks[o] = text[o] == '0' ? 0 : 1;
            event.yellow[o] = text[o] == '2' ? 1 : 0;
        }
        int start = 0;
        if (!reader.field("start", text) || !whole_integer(text, start, 0, outcome_count))
            return refuse("bad start-with outcome of event " + std::to_string(e));
        event.start_with = static_cast<std::uint8_t>(start);
        std::array<std::int64_t, outcome_count> probabilities{};
        if (!reader.field("probabilities", text) ||
            !integer_row<std::int64_t>(text, probabilities, std::numeric_limits<std::int64_t>::min(),
                                       std::numeric_limits<std::int64_t>::max()))
            return refuse("bad probabilities of event " + std::to_string(e));
        for (int o = 0; o < outcome_count; ++o)
            event.set_probabilities[o] = Currency::from_ten_thousandths(probabilities[o]);
    }
    std::size_t memo_size = 0;
    if (!reader.field("memo", text) || !whole_integer<std::size_t>(text, memo_size, 0, body.size()) ||
        !reader.block(memo_size, text))
        return refuse("bad memo");
    state.memo_text = text;
    // Files written before conditions or the pool rules existed end with the memo or the conditions.
    if (!reader.at_end() && !reader.next_is("pool-rules")) {
        std::array<std::size_t, 2> row{};
        if (!reader.field("conditions", text) || !integer_row<std::size_t>(text, row, 0, body.size()) || row[0] > 1 ||
            !reader.block(row[1], text))
            return refuse("bad conditions");
        state.conditions_on = row[0] == 1;
        state.conditions_file = text;
    }
    if (!reader.at_end()) {
        if (!reader.field("pool-rules", text)) return refuse("unexpected text after the conditions");
        PoolRulesParse rules = parse_pool_rules(text);
        if (!rules.rules) return refuse("bad pool rules");
        state.pool_rules = rules.rules;
    }
    if (!reader.at_end()) return refuse("unexpected text after the pool rules");
    return {std::move(state), {}};
}

}  // namespace

bool WorkingState::operator==(const WorkingState& other) const {
    return memo_text == other.memo_text && events == other.events && method == other.method &&
           guarantee == other.guarantee && repeat_count == other.repeat_count && yellow_min == other.yellow_min &&
           yellow_max == other.yellow_max && start_with_box == other.start_with_box &&
           stake.value == other.stake.value && conditions_file == other.conditions_file &&
           conditions_on == other.conditions_on && pool_rules == other.pool_rules;
}

void write_working_state(std::ostream& out, const WorkingState& state) {
    std::string body;
    body.reserve(state.memo_text.size() + 4096);
    auto line = [&body](std::string_view key, const std::string& value) {
        body.append(key).append(" ").append(value).append("\n");
    };
    line(magic, std::to_string(working_state_version));
    line("method", std::to_string(state.method));
    line("guarantee", std::to_string(state.guarantee));
    line("repeat", std::to_string(state.repeat_count));
    line("yellow", std::to_string(state.yellow_min) + " " + std::to_string(state.yellow_max));
    line("stake", stake_text(state.stake));
    line("start-with-box", state.start_with_box ? "1" : "0");
    for (int e = 1; e <= event_count; ++e) {
        const EventWorkingState& event = state.events[e - 1];
        line("event " + std::to_string(e), std::to_string(event.name.size()));
        body.append(event.name).append("\n");
        std::string marks(outcome_count, '0');
        std::string probabilities;
        for (int o = 0; o < outcome_count; ++o) {
            if (event.marks[o]) marks[o] = event.yellow[o] ? '2' : '1';
            if (o > 0) probabilities += ' ';
            probabilities += std::to_string(event.set_probabilities[o].ten_thousandths());
        }
        line("marks", marks);
        line("start", std::to_string(event.start_with));
        line("probabilities", probabilities);
    }
    line("memo", std::to_string(state.memo_text.size()));
    body.append(state.memo_text).append("\n");
    if (!state.conditions_file.empty() || state.conditions_on) {
        line("conditions", std::string(state.conditions_on ? "1 " : "0 ") + std::to_string(state.conditions_file.size()));
        body.append(state.conditions_file).append("\n");
    }
    if (state.pool_rules) line("pool-rules", format_pool_rules(*state.pool_rules));
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(crc_of(body)));
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    out << crc_key << crc << '\n';
}

WorkingStateRead read_working_state(std::istream& in, std::size_t max_bytes) {
    std::string all;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        all.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (all.size() > max_bytes) return refuse("the file is too large");
    }
    if (in.bad()) return refuse("the file could not be read");
    // The last line is "crc32 " and eight hex digits over everything before it.
    constexpr std::size_t crc_line = crc_key.size() + 8 + 1;
    if (all.size() < crc_line || all.back() != '\n') return refuse("the file is cut short");
    const std::string_view body(all.data(), all.size() - crc_line);
    const std::string_view tail(all.data() + body.size(), crc_line - 1);
    std::uint32_t stored = 0;
    const auto parsed = std::from_chars(tail.data() + crc_key.size(), tail.data() + tail.size(), stored, 16);
    if (tail.substr(0, crc_key.size()) != crc_key || parsed.ec != std::errc() || parsed.ptr != tail.data() + tail.size())
        return refuse("the file is cut short");
    if (!body.empty() && body.back() != '\n') return refuse("the file is cut short");
    if (crc_of(body) != stored) return refuse("the file is damaged (checksum mismatch)");
    return read_body(body);
}

WorkingState capture_working_state(const Session& session, std::string memo_text) {
    WorkingState state = capture_working_state(session.events, session.settings, std::move(memo_text));
    keep_conditions(session.conditions, state);
    state.pool_rules = session.pool_rules;
    return state;
}

void keep_conditions(const ConditionSet& set, WorkingState& state) {
    state.conditions_on = set.enabled;
    state.conditions_file = set.conditions.empty() && set.allowed_errors == 0 ? std::string() : write_condition_file(set);
}

void restore_conditions(const WorkingState& state, ConditionSet& set) {
    ConditionFileRead read = read_condition_file(state.conditions_file);
    set = read.set ? std::move(*read.set) : ConditionSet{};
    set.enabled = state.conditions_on;
}

WorkingState capture_working_state(const EventTable& events, const FormationSettings& settings, std::string memo_text) {
    WorkingState state;
    state.memo_text = std::move(memo_text);
    for (int e = 1; e <= event_count; ++e) {
        const Event& source = events.event(e);
        EventWorkingState& event = state.events[e - 1];
        event.name = source.name;
        event.start_with = source.start_with;
        for (int o = 1; o <= outcome_count; ++o) {
            const OutcomeCell& cell = source.outcomes[o - 1];
            event.marks[o - 1] = cell.mark > 0 ? 1 : 0;
            event.yellow[o - 1] = cell.mark > 0 && cell.yellow_mark > 0 ? 1 : 0;
            event.set_probabilities[o - 1] = cell.setting_probability;
        }
    }
    state.method = static_cast<int>(settings.method);
    state.guarantee = settings.guarantee;
    state.repeat_count = settings.repeat_count;
    state.yellow_min = settings.yellow_min;
    state.yellow_max = settings.yellow_max;
    state.start_with_box = settings.start_with;
    state.stake = settings.stake;
    return state;
}

FormationSettings saved_settings(const WorkingState& state) {
    FormationSettings settings;
    settings.method = static_cast<FormationMethod>(state.method);
    settings.guarantee = state.guarantee;
    settings.repeat_count = state.repeat_count;
    settings.yellow_min = state.yellow_min;
    settings.yellow_max = state.yellow_max;
    settings.start_with = state.start_with_box;
    settings.stake = state.stake;
    return settings;
}

bool same_draw(const WorkingState& state, const EventTable& table) {
    for (int e = 1; e <= event_count; ++e)
        if (state.events[e - 1].name != table.event(e).name) return false;
    return true;
}

void restore_marks(const WorkingState& state, EventTable& table) {
    for (int e = 1; e <= event_count; ++e) {
        const EventWorkingState& saved = state.events[e - 1];
        Event& event = table.event(e);
        event.start_with = saved.start_with;
        for (int o = 1; o <= outcome_count; ++o) {
            OutcomeCell& cell = event.outcomes[o - 1];
            cell.mark = saved.marks[o - 1];
            cell.yellow_mark = saved.marks[o - 1] ? saved.yellow[o - 1] : 0;
            cell.setting_probability = saved.set_probabilities[o - 1];
        }
    }
}

void carry_marks(const WorkingState& from, WorkingState& into) { into.events = from.events; }

}  // namespace morvalen::core
