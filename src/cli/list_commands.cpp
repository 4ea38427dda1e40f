// parse, format, stats, coupon, split, dedupe, remove-variants, signature.
#include "cli/command_registry.h"
#include "core/analysis/package_stats.h"
#include "core/model/signature.h"

namespace morvalen::cli {
namespace {

void run_parse(CliContext& ctx) {
    for (const core::BetEntry& entry : ctx.session.bets) {
        std::string line = entry.amount.to_string() + "\t" + std::to_string(entry.bet_count);
        for (const core::OutcomeSet& set : entry.outcome_sets) line += "\t" + std::to_string(set.bits());
        ctx.print_line(line);
    }
}

void run_format(CliContext& ctx) {
    for (const std::string& line : ctx.memo.lines) {
        const auto entry = core::try_parse_bet_line(line);
        ctx.print_line(entry ? core::format_bet(*entry) : std::string());
    }
}

void run_stats(CliContext& ctx, bool with_coverage) {
    const core::StatsView view = ctx.session.stats(with_coverage);
    ctx.print_line(view.package_line);
    ctx.print_line(view.variants_line);
    ctx.print_line(view.coverage_line);
}

void refuse_if(const std::optional<std::string>& refusal) {
    if (refusal) throw OperationError(*refusal);
}

const CommandRegistration registrations[] = {
    {"parse", run_parse},
    {"format", run_format},
    {"stats", [](CliContext& ctx) {
         bool with_coverage = false;
         if (ctx.has("--coverage")) {
             if (!coverage_check()) throw UsageError("--coverage: проверка покрытия недоступна");
             with_coverage = coverage_check()(ctx);
         }
         run_stats(ctx, with_coverage);
     }},
    {"coupon", [](CliContext& ctx) {
         ctx.require_full_marking("coupon");
         ctx.session.add_coupon();
         ctx.print_memo();
     }},
    {"split", [](CliContext& ctx) {
         refuse_if(ctx.session.split_into_singles());
         ctx.print_memo();
     }},
    {"dedupe", [](CliContext& ctx) {
         ctx.session.remove_repeats();
         ctx.print_memo();
     }},
    {"remove-variants", [](CliContext& ctx) {
         ctx.require_full_marking("remove-variants");
         refuse_if(ctx.session.remove_variants());
         ctx.print_memo();
     }},
    {"signature", [](CliContext& ctx) {
         const auto& settings = ctx.session.settings;
         ctx.print_line(std::to_string(core::signature_of(settings.guarantee, core::marked_counts(ctx.session.events))));
     }},
};

}  // namespace
}  // namespace morvalen::cli
