// filter: the list after "Отбор по условиям"; conditions: what each condition of the file costs.
#include <cmath>

#include "cli/command_registry.h"
#include "cli/options.h"
#include "core/formats/percent_text.h"
#include "core/analysis/condition_costs.h"

namespace morvalen::cli {
namespace {

void require_conditions(const CliContext& ctx, const std::string& command) {
    if (!ctx.has("--conditions")) throw UsageError(command + ": нужен файл условий (--conditions FILE)");
}

void run_filter(CliContext& ctx) {
    require_conditions(ctx, "filter");
    if (auto refused = ctx.session.filter_by_conditions(ctx.memo.lines)) throw UsageError(*refused);
    ctx.print_memo();
}

std::string cost_line(const core::CostRow& row, const core::CostTable& table) {
    std::string line = std::to_string(std::llround(row.kept_variants)) + "\t" + std::to_string(table.marked_variants) + "\t" +
                       core::six_digit_percent(row.kept_percent) + "\t" + core::six_digit_percent(table.marked_percent);
    if (!row.exact) line += "\t±" + std::to_string(std::llround(row.variants_error)) + "\t±" + core::six_digit_percent(row.percent_error);
    return line;
}

void run_conditions(CliContext& ctx) {
    require_conditions(ctx, "conditions");
    ctx.require_full_marking("conditions");
    core::CostOptions options;
    if (ctx.has("--seed")) options.seed = ctx.seed();
    const core::CostTable table = core::condition_costs(ctx.session.events, ctx.session.conditions, options);
    if (!table.refusal.empty()) throw UsageError(table.refusal);
    for (const core::CostRow& row : table.conditions) ctx.print_line(cost_line(row, table));
    ctx.print_line(cost_line(table.set, table));
    if (table.samples > 0)
        ctx.print_line("Оценка по " + std::to_string(table.samples) + " случайным вариантам (seed " + std::to_string(options.seed) +
                       "), после ± стандартная ошибка");
}

const CommandRegistration registrations[] = {
    {"filter", run_filter},
    {"conditions", run_conditions},
};

}  // namespace
}  // namespace morvalen::cli
