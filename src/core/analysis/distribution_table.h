// How many single bets of the package hold each outcome, and what share of the package that is.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/model/bet.h"

namespace morvalen::core {

// Row e − 1, column c − 1. Held in 64 bits, so even a package of 17^8 bets counts exactly.
using DistributionCounts = std::array<std::array<std::int64_t, outcome_count>, event_count>;

// Each entry adds bet_count / m (integer division; 1 when bet_count is not positive) to every outcome
// of an event set of m outcomes; empty sets add nothing.
DistributionCounts distribution_counts(const BetList& list);

// "4(33%)": n and n × 100 / package_bets rounded halves to even; empty when either is not positive.
std::string distribution_cell_text(std::int64_t count, std::int64_t package_bets);

struct DistributionTable {
    DistributionCounts counts{};
    std::array<std::array<std::string, outcome_count>, event_count> cells;
};

// The window's rows 1 to 8, columns 1 to 17, rebuilt from scratch.
DistributionTable distribution_table(const BetList& list);

}  // namespace morvalen::core
