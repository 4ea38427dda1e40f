// Option and marking parsing of the batch tool.
#include "cli/options.h"

#include <charconv>
#include <chrono>
#include <fstream>
#include <iterator>

#include "core/model/bet.h"
#include "core/formats/condition_file.h"
#include "core/model/list_operations.h"
#include "core/model/outcomes.h"

namespace morvalen::cli {
namespace {

struct OptionInfo {
    std::string_view name;
    bool takes_value;
};

constexpr OptionInfo known_options[] = {
    {"--marks", true},    {"--stake", true},       {"--guarantee", true},     {"--steps", true},
    {"--min", true},      {"--max", true},         {"--seed", true},          {"--start-index", true},
    {"--start-with", false}, {"--order", true},    {"--payload", true},       {"--probabilities", true},
    {"--coverage", false},   {"--results", true},      {"--conditions", true},    {"--pool", true},
    {"--rules", true},
};

const OptionInfo* find_option(std::string_view name) {
    for (const OptionInfo& info : known_options)
        if (info.name == name) return &info;
    return nullptr;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + 1);
    }
    return parts;
}

}  // namespace

std::optional<std::string> CliContext::value(const std::string& option) const {
    const auto it = options.find(option);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

std::uint64_t CliContext::seed() const {
    if (const auto text = value("--seed")) return static_cast<std::uint64_t>(parse_integer("--seed", *text, 0, INT64_MAX));
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

void CliContext::require_full_marking(const std::string& command) const {
    if (!core::every_event_marked(session.events))
        throw UsageError(command + ": нужна отметка хотя бы одного исхода в каждом событии (--marks)");
}

std::int64_t parse_integer(const std::string& option, const std::string& text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + ": ожидается целое число от " + std::to_string(low) + " до " + std::to_string(high) +
                         ", получено \"" + text + "\"");
    return value;
}

void parse_options(const std::vector<std::string>& args, CliContext& ctx) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inline_value;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            inline_value = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionInfo* info = find_option(name);
        if (!info) throw UsageError("неизвестный параметр: " + args[i]);
        if (!info->takes_value) {
            if (inline_value) throw UsageError(name + " не принимает значения");
            ctx.options[name] = "";
            continue;
        }
        if (inline_value) {
            ctx.options[name] = *inline_value;
        } else {
            if (i + 1 >= args.size()) throw UsageError(name + ": нет значения");
            ctx.options[name] = args[++i];
        }
    }
}

void apply_marks(std::string_view marks, core::EventTable& table) {
    const auto groups = split(marks, ';');
    if (groups.size() > static_cast<std::size_t>(core::event_count))
        throw UsageError("--marks: больше 8 событий");
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const int event = static_cast<int>(g) + 1;
        if (core::trim_blanks(groups[g]).empty()) continue;
        for (std::string_view item : split(groups[g], ',')) {
            item = core::trim_blanks(item);
            bool yellow = false;
            if (!item.empty() && item.front() == '*') {
                yellow = true;
                item = core::trim_blanks(item.substr(1));
            }
            const int column = core::outcome_column(item);
            if (column == 0)
                throw UsageError("--marks: неизвестный исход \"" + std::string(item) + "\" в событии " + std::to_string(event));
            // Listing a label again keeps it marked and makes it the start-with outcome once more.
            core::OutcomeCell& cell = table.cell(event, column);
            cell.mark = 1;
            cell.yellow_mark = yellow ? 1 : 0;
            table.event(event).start_with = static_cast<std::uint8_t>(column);
        }
    }
}

namespace {

// --probabilities and --pool: the same percentages, into one figure of every outcome.
void apply_percentages(CliContext& ctx, const std::string& option, core::Currency core::OutcomeCell::*field) {
    core::EventTable& table = ctx.session.events;
    const auto text = ctx.value(option);
    if (!text) {
        const core::Currency even = *core::Currency::parse(default_outcome_percent);
        for (int e = 1; e <= core::event_count; ++e)
            for (int o = 1; o <= core::outcome_count; ++o) table.cell(e, o).*field = even;
        return;
    }
    const auto groups = split(*text, ';');
    if (groups.size() > static_cast<std::size_t>(core::event_count)) throw UsageError(option + ": больше 8 событий");
    for (int e = 1; e <= core::event_count; ++e)
        for (int o = 1; o <= core::outcome_count; ++o) table.cell(e, o).*field = core::Currency();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (core::trim_blanks(groups[g]).empty()) continue;
        const auto values = split(groups[g], ',');
        if (values.size() > static_cast<std::size_t>(core::outcome_count))
            throw UsageError(option + ": больше 17 значений в событии " + std::to_string(g + 1));
        for (std::size_t v = 0; v < values.size(); ++v) {
            const std::string_view item = core::trim_blanks(values[v]);
            if (item.empty()) continue;
            const auto percent = core::Currency::parse(item);
            if (!percent || percent->ten_thousandths() < 0)
                throw UsageError(option + ": событие " + std::to_string(g + 1) + ", исход " + std::string(core::outcome_label(static_cast<int>(v) + 1)) +
                                 ": ожидается неотрицательное число с точкой, получено \"" + std::string(item) + "\"");
            table.cell(static_cast<int>(g) + 1, static_cast<int>(v) + 1).*field = *percent;
        }
    }
}

}  // namespace

void apply_probabilities(CliContext& ctx) { apply_percentages(ctx, "--probabilities", &core::OutcomeCell::setting_probability); }

void apply_pool_shares(CliContext& ctx) { apply_percentages(ctx, "--pool", &core::OutcomeCell::pool_probability); }

void apply_conditions(CliContext& ctx) {
    const auto path = ctx.value("--conditions");
    if (!path) return;
    std::ifstream in(*path, std::ios::binary);
    if (!in) throw UsageError("--conditions: не удалось открыть файл \"" + *path + "\"");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const core::ConditionFileRead read = core::read_condition_file(text);
    if (!read.set) throw UsageError("--conditions: " + *path + ", " + read.error);
    ctx.session.conditions = *read.set;
    apply_probabilities(ctx);
    apply_pool_shares(ctx);
}

void apply_settings(CliContext& ctx) {
    core::FormationSettings& settings = ctx.session.settings;
    if (const auto text = ctx.value("--stake")) {
        const auto stake = core::Stake::parse(*text);
        if (!stake || stake->value < 0) throw UsageError("--stake: ожидается неотрицательное число с точкой, получено \"" + *text + "\"");
        settings.stake = *stake;
    }
    if (const auto text = ctx.value("--guarantee"))
        settings.guarantee = static_cast<int>(parse_integer("--guarantee", *text, 2, ctx.command_name == "best" ? 8 : 7));
    if (const auto text = ctx.value("--steps")) settings.repeat_count = parse_integer("--steps", *text, 0, 100000000);
    if (const auto text = ctx.value("--min")) settings.yellow_min = static_cast<int>(parse_integer("--min", *text, 0, 8));
    if (const auto text = ctx.value("--max")) settings.yellow_max = static_cast<int>(parse_integer("--max", *text, 0, 8));
    if (const auto text = ctx.value("--start-index")) parse_integer("--start-index", *text, 0, INT64_MAX);
    if (const auto text = ctx.value("--order"); text && *text != "ascending")
        throw UsageError("--order: допустимо только ascending");
    settings.start_with = ctx.has("--start-with");
    if (const auto text = ctx.value("--marks")) apply_marks(*text, ctx.session.events);
    apply_conditions(ctx);
    ctx.session.rng.seed(ctx.seed());
}

}  // namespace morvalen::cli
