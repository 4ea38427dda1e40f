// The expected share of a prize that h bets split with a binomial number of other winners.
#pragma once

#include <cstdint>

namespace morvalen::core {

// E[h / (h + W)] for W ~ binomial(tickets, c): what h winning bets of the package take of a tier's
// fund on average when each of `tickets` other bets wins it independently with chance c. 0 for
// h <= 0; 1 for no other tickets or c <= 0. Relative error within 1e-9 for tickets up to 10^9.
double expected_prize_share(double h, double c, std::int64_t tickets);

}  // namespace morvalen::core
