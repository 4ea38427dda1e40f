// Random bytes never break the reader; complete entries survive writing and reading back.
#include <gtest/gtest.h>

#include <random>

#include "core/model/bet.h"

using namespace morvalen::core;

TEST(BetFuzz, RandomBytesKeepSetsWithinTheirBits) {
    std::mt19937_64 rng(20261209);
    const std::string alphabet = "0123456789.|-();,# \t:ЛДLDld*$e+\r";
    for (int round = 0; round < 200000; ++round) {
        std::string line;
        const int length = static_cast<int>(rng() % 60);
        for (int i = 0; i < length; ++i) {
            if (rng() % 4 == 0)
                line.push_back(static_cast<char>(rng() % 256));
            else
                line.push_back(alphabet[rng() % alphabet.size()]);
        }
        const BetEntry entry = parse_bet_line(line);
        for (const OutcomeSet& set : entry.outcome_sets) ASSERT_EQ(set.bits() & ~OutcomeSet::all_bits, 0u) << line;
        ASSERT_GE(entry.bet_count, 0) << line;
        (void)format_bet(entry);
    }
}

TEST(BetFuzz, CompleteEntriesRoundTrip) {
    std::mt19937_64 rng(7);
    for (int round = 0; round < 50000; ++round) {
        BetEntry entry;
        entry.bet_count = 1;
        for (OutcomeSet& set : entry.outcome_sets) {
            do set = OutcomeSet::from_bits(static_cast<std::uint32_t>(rng())); while (set.empty());
            entry.bet_count *= set.size();
        }
        entry.amount = Currency::from_ten_thousandths(static_cast<std::int64_t>(rng() % 100000000000ULL) - 1000000);
        const std::string line = format_bet(entry);
        ASSERT_EQ(parse_bet_line(line), entry) << line;
    }
}
