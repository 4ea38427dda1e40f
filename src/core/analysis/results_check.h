// The check of a package against the draw's results: single bets by number of hit events.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/bet.h"
#include "core/model/outcomes.h"

namespace morvalen::core {

// The outcome column (1 to 17) of each event's result.
struct DrawResults {
    std::array<int, event_count> columns{};
    int column(int e) const { return columns[e - 1]; }
};

struct ResultsParse {
    std::optional<DrawResults> results;
    std::string error;
};

// "1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2": exactly 8 labels (blanks around them allowed).
ResultsParse parse_results(std::string_view text);

// by_hits[k]: the number of single bets with exactly k hit events, k = 0 to 8.
struct HitCounts {
    std::array<std::int64_t, event_count + 1> by_hits{};
    std::int64_t total() const;
    HitCounts& operator+=(const HitCounts& other);
};

// The single bets of an entry are every combination of one outcome from each of its 8 sets; a
// coupon's hits are counted per event (the result is in the set or not), never by listing its
// combinations. An entry with an empty set or bet_count 0 names no complete bet and counts nothing.
HitCounts entry_hits(const BetEntry& entry, const DrawResults& results);

struct PackageHits {
    std::vector<HitCounts> per_entry;  // one per entry, in list order
    HitCounts totals;
    // Share of the package's single bets with exactly k hits, 0 when the package has none.
    double share(int k) const;
    // Single bets with at most k hits, and their share (the "5 and fewer" row of the window).
    std::int64_t at_most(int k) const;
    double share_at_most(int k) const;
};

PackageHits package_hits(const BetList& list, const DrawResults& results);

}  // namespace morvalen::core
