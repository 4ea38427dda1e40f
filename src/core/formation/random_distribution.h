// Random drawing of single bets by the player's probabilities over the marked outcomes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/bet.h"
#include "core/model/conditions.h"
#include "core/model/event_table.h"
#include "core/model/random_source.h"
#include "core/model/stop_token.h"

namespace morvalen::core {

class Session;

// Per event the 17 shares, marked ones scaled to add up to 100 in column order.
using ShareTable = std::array<std::array<double, outcome_count>, event_count>;

// Fails with a message naming the first event whose marked outcomes all have probability 0: there is
// no outcome to draw there, and no bet with an undefined outcome may be appended.
std::optional<std::string> normalised_shares(const EventTable& table, ShareTable& shares);

// The walk: subtract shares from x (0 to 100) until it is no longer above 0.01 or column 17 is reached.
int walk_column(const std::array<double, outcome_count>& shares, double x);

// True when some entry of the list has a column in common with `bet` in at least k events.
bool contains_variant(const BetList& list, const BetEntry& bet, int k);

// The k = 8 question for single bets, answered without scanning the whole list: the single bets of the
// list are kept in a hash set and only the coupons are scanned.
class SingleBetIndex {
public:
    explicit SingleBetIndex(const BetList& list);
    bool covers(const BetEntry& single) const;
    void add(const BetEntry& entry);

private:
    static std::uint64_t key_of(const BetEntry& single);
    bool contains_key(std::uint64_t key) const;
    void insert_key(std::uint64_t key);

    std::vector<std::uint64_t> slots_;  // open addressing, 0 is empty
    std::size_t used_ = 0;
    std::vector<BetEntry> coupons_;
};

struct RandomBetsSettings {
    Currency stake;                  // of each new bet
    std::int64_t repeat_count = 0;   // R
    ConditionSet conditions;         // in force or not
};

struct RandomBets {
    BetList bets;                           // the new single bets, in the order drawn
    std::optional<std::string> refusal;     // set instead of bets
};

// Draws from `rng` up to R new single bets (none covered by `earlier` or drawn before), at most
// 10 × R draws; refuses when the shares cannot be normalised. While the conditions act, a drawn bet
// that fails them is dropped and its draw spent. A stop keeps the bets drawn so far.
RandomBets random_bets(const EventTable& table, const BetList& earlier, const RandomBetsSettings& settings,
                       RandomSource& rng, const StopToken& stop = {});

// random_bets over the session, appended; returns the refusal, with nothing appended.
std::optional<std::string> random_distribution(Session& session);

}  // namespace morvalen::core
