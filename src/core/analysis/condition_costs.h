// What each condition costs: the variants and the probability it keeps, alone and as a set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/conditions.h"
#include "core/model/event_table.h"

namespace morvalen::core {

struct CostOptions {
    // Up to this many variants (after merging outcomes that no condition tells apart) the table is
    // counted exactly; above it, estimated from samples.
    std::int64_t exact_limit = 100'000'000;
    std::uint64_t samples = 200000;
    std::uint64_t seed = 1;
};

struct CostRow {
    double kept_variants = 0;  // exact integers when `exact`
    double kept_percent = 0;   // chance, under the set probabilities, that the result is a kept variant
    double variants_error = 0;  // standard errors of an estimate, 0 when exact
    double percent_error = 0;
    bool exact = true;
};

struct CostTable {
    std::vector<CostRow> conditions;  // one per condition of the set, switched off or not, in order
    CostRow set;                      // the conditions that are on, with the allowed errors
    std::int64_t marked_variants = 0;
    double marked_percent = 0;        // chance that the result is a marked variant
    std::uint64_t samples = 0;        // draws of the estimated rows, 0 when all are exact
    std::string refusal;              // set instead of the table
};

// Over the variants of the marked outcomes; a count condition alone is a convolution over the events
// and always exact; the rest enumerate, or sample above the limit. Nothing when an event has no mark.
CostTable condition_costs(const EventTable& table, const ConditionSet& set, const CostOptions& options = {});

// The variants that pass the set: exact, or the estimate of the cost table above its limit.
struct PassingCount {
    std::int64_t variants = 0;
    bool exact = true;
};
PassingCount passing_count(const EventTable& table, const ConditionSet& set);

// passing_count, remembered for one line, marking and set: the statistics ask after every action.
class PassingCountCache {
public:
    PassingCount get(const EventTable& table, const ConditionSet& set);

private:
    std::string key_;
    PassingCount value_;
};

}  // namespace morvalen::core
