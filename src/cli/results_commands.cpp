// hits: the package against the draw's results; chances: its chances under the set probabilities.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/command_registry.h"
#include "cli/options.h"
#include "core/formats/percent_text.h"
#include "core/analysis/package_chances.h"
#include "core/analysis/results_check.h"

namespace morvalen::cli {
namespace {

std::string counts_line(const core::HitCounts& counts) {
    std::string line;
    for (int k = core::event_count; k >= 0; --k) {
        line += std::to_string(counts.by_hits[static_cast<std::size_t>(k)]);
        if (k > 0) line += '\t';
    }
    return line;
}

void run_hits(CliContext& ctx) {
    const auto text = ctx.value("--results");
    if (!text) throw UsageError("--results: нужны результаты 8 событий, например \"1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2\"");
    const core::ResultsParse parsed = core::parse_results(*text);
    if (!parsed.results) throw UsageError("--results: " + parsed.error);
    const core::PackageHits hits = core::package_hits(ctx.session.bets, *parsed.results);
    for (const core::HitCounts& counts : hits.per_entry) ctx.print_line(counts_line(counts));
    ctx.print_line(counts_line(hits.totals));
}

std::string fixed(double value, const char* format) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void run_chances(CliContext& ctx) {
    apply_probabilities(ctx);
    core::ChanceOptions options;
    // The estimate is reproducible unless the player asks for another seed.
    if (ctx.has("--seed")) options.seed = ctx.seed();
    const core::ChancesReport report = core::package_chances(ctx.session.bets, ctx.session.events, options);
    if (!report.chances) throw UsageError(report.refusal);
    const core::PackageChances& chances = *report.chances;
    for (int k = core::event_count; k >= 2; --k) {
        const auto at = static_cast<std::size_t>(k);
        std::string line = "Не менее " + std::to_string(k) + " совпадений, %\t" + core::six_digit_percent(chances.at_least[at] * 100);
        if (!chances.exact) line += "\t±" + core::six_digit_percent(chances.standard_error[at] * 100);
        ctx.print_line(line);
    }
    ctx.print_line("Ожидаемое число ставок с 8 совпадениями\t" + fixed(chances.expected_full_hits, "%.6g"));
    if (chances.exact)
        ctx.print_line("Точный расчёт: " + std::to_string(chances.merged_space) + " сочетаний исходов");
    else
        ctx.print_line("Оценка по " + std::to_string(chances.samples) + " случайным розыгрышам (seed " + std::to_string(chances.seed) +
                       "), после ± стандартная ошибка");
}

const CommandRegistration registrations[] = {
    {"hits", run_hits},
    {"chances", run_chances},
};

}  // namespace
}  // namespace morvalen::cli
