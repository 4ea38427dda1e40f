// value: what the package is expected to return under the pool; value-best: the package maximising it.
#include "cli/command_registry.h"
#include "core/formats/percent_text.h"
#include "cli/options.h"
#include "core/analysis/expected_return.h"
#include "core/formation/return_maximising_package.h"

namespace morvalen::cli {
namespace {

core::PoolRules read_rules(const CliContext& ctx) {
    const auto text = ctx.value("--rules");
    if (!text) throw UsageError("--rules: нужны правила тотализатора, например \"tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=0\"");
    core::PoolRulesParse parse = core::parse_pool_rules(*text);
    if (!parse.rules) throw UsageError("--rules: " + parse.error);
    return *parse.rules;
}

std::string amount_text(double amount) { return core::Currency::from_floating(amount).to_string(); }

// The figure, and after a TAB its standard error when it is an estimate.
std::string with_error(std::string text, bool exact, std::string error) { return exact ? text : text + "\t±" + error; }

void print_value(CliContext& ctx, const core::PoolRules& rules) {
    const core::ReturnReport report =
        core::expected_return(ctx.session.bets, ctx.session.events, rules, ctx.session.settings.stake.currency());
    if (!report.value) throw UsageError(report.refusal);
    const core::PackageReturn& value = *report.value;
    const bool exact = value.exact;
    ctx.print_line("cost\t" + value.cost.to_string());
    ctx.print_line("expected_return\t" + with_error(amount_text(value.expected_return), exact, amount_text(value.return_error)));
    const double cost = static_cast<double>(value.cost.to_floating());
    ctx.print_line("return_percent\t" + with_error(core::six_digit_percent(value.return_ratio * 100), exact,
                                                   core::six_digit_percent(cost > 0 ? value.return_error / cost * 100 : 0)));
    ctx.print_line("any_prize_percent\t" + with_error(core::six_digit_percent(value.any_prize * 100), exact, core::six_digit_percent(value.any_prize_error * 100)));
    for (int k = core::event_count; k >= core::lowest_paying_tier; --k) {
        const auto at = static_cast<std::size_t>(k);
        if (!rules.tier_listed[at]) continue;
        std::string line = "tier\t" + std::to_string(k) + "\t" + core::six_digit_percent(value.tier_chance[at] * 100) + "\t" + amount_text(value.tier_amount[at]);
        if (!exact) line += "\t±" + core::six_digit_percent(value.tier_chance_error[at] * 100) + "\t±" + amount_text(value.tier_amount_error[at]);
        ctx.print_line(line);
    }
    if (!exact)
        ctx.print_line("Оценка по " + std::to_string(value.samples) + " случайным розыгрышам (seed " + std::to_string(value.seed) +
                       "), после ± стандартная ошибка");
}

void run_value(CliContext& ctx) {
    const core::PoolRules rules = read_rules(ctx);
    apply_probabilities(ctx);
    apply_pool_shares(ctx);
    print_value(ctx, rules);
}

void run_value_best(CliContext& ctx) {
    ctx.require_full_marking("value-best");
    const core::PoolRules rules = read_rules(ctx);
    const std::int64_t steps = ctx.session.settings.repeat_count;
    if (steps < 1 || steps > core::return_maximising_bet_limit)
        throw UsageError("--steps: для value-best ожидается число от 1 до " + std::to_string(core::return_maximising_bet_limit));
    apply_probabilities(ctx);
    apply_pool_shares(ctx);
    if (auto refused = core::form_return_maximising_package(ctx.session, rules)) throw UsageError(*refused);
    ctx.print_memo();
}

const CommandRegistration registrations[] = {
    {"value", run_value},
    {"value-best", run_value_best},
};

}  // namespace
}  // namespace morvalen::cli
