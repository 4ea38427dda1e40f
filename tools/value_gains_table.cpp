// The return-maximising package against its two starts, the best alone and the likeliest, over a
// range of lines, rules and sizes: a Markdown table of expected returns and gains.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/model/random_source.h"
#include "core/formation/return_maximising_package.h"

using namespace morvalen::core;

namespace {

// `marks` outcomes marked per event; the crowd's shares apart from the set probabilities by `skew`.
EventTable line(std::uint64_t seed, int marks, int skew) {
    EventTable table;
    RandomSource rng(seed);
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) {
            const std::int64_t p = 1 + rng.uniform_int(0, 20);
            table.cell(e, o).setting_probability = Currency::from_units(p);
            table.cell(e, o).pool_probability = Currency::from_units(std::max<std::int64_t>(1, p + rng.uniform_int(-skew, skew)));
            table.cell(e, o).mark = o <= marks ? 1 : 0;
        }
    return table;
}

struct Case {
    std::uint64_t seed;
    int marks, skew;
    std::int64_t bets;
    const char* rules;
};

}  // namespace

int main(int argc, char** argv) {
    // The first case to run, from 1: a long table can be finished in parts.
    const std::size_t first = argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 1;
    const Case cases[] = {
        {1, 2, 5, 20, "tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2"},
        {2, 2, 15, 50, "tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2"},
        {3, 3, 5, 100, "tickets=1000000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2"},
        {4, 3, 15, 100, "tickets=1000000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2"},
        {5, 3, 10, 300, "tickets=10000;payout=0.7;tiers=8:0.7,7:0.3;jackpot=50000"},
        {6, 4, 10, 200, "tickets=500000;payout=0.65;tiers=8:0.4,7:0.35,6:0.25"},
        {7, 4, 20, 500, "tickets=2000000;payout=0.6;tiers=8:0.6,6:0.4"},
        {8, 2, 10, 5, "tickets=0;payout=0.5;tiers=7:1"},
        {9, 3, 20, 1000, "tickets=10000000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2"},
        {10, 5, 10, 100, "tickets=300000;payout=0.65;tiers=8:0.5,7:0.5"},
        {11, 3, 2, 50, "tickets=50;payout=0.9;tiers=8:0.5,7:0.3,6:0.2"},
        {12, 2, 20, 300, "tickets=1000000;payout=0.65;tiers=8:1"},
    };
    std::printf("| # | marks | bets | rules | best alone | likeliest | value-best | gain over best alone | gain over likeliest |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const Case& c : cases) {
        if (c.seed < first) continue;
        const EventTable table = line(c.seed, c.marks, c.skew);
        ReturnMaximisingSettings settings;
        settings.bets = c.bets;
        settings.stake = Currency::from_units(3);
        settings.generator.seed(c.seed);
        settings.time_budget = std::chrono::milliseconds(20000);
        const PoolRules rules = *parse_pool_rules(c.rules).rules;
        const ReturnMaximisingPackage p = return_maximising_package(table, {}, rules, settings, {}, {});
        if (!p.refusal.empty()) {
            std::printf("| %llu | refused: %s |\n", static_cast<unsigned long long>(c.seed), p.refusal.c_str());
            continue;
        }
        const auto gain = [&](double base) { return base > 0 ? 100 * (p.expected_return / base - 1) : 0.0; };
        std::printf("| %llu | %d | %lld | `%s` | %.6g | %.6g | %.6g | %+.2f %% | %+.2f %% |\n", static_cast<unsigned long long>(c.seed), c.marks,
                    static_cast<long long>(c.bets), c.rules, p.best_alone_return, p.likeliest_return, p.expected_return,
                    gain(p.best_alone_return), gain(p.likeliest_return));
        std::fflush(stdout);
    }
}
