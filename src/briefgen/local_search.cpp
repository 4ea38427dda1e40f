// Tabu search over bets with the number of uncovered variants as its cost.
#include "briefgen/local_search.h"

#include "briefgen/least_choice.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace morvalen::briefgen {

namespace {

std::uint64_t pack(const Digits& digits) {
    std::uint64_t packed = 0;
    std::memcpy(&packed, digits.data(), sizeof packed);
    return packed;
}

// Number of events in which two packed bets differ: the zero bytes of their exclusive or.
int distance(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = a ^ b;
    const std::uint64_t zero_bytes = ~(((x & low7) + low7) | x | low7);
    return events - std::popcount(zero_bytes);
}

class TabuSearch {
public:
    TabuSearch(const Shape& shape, core::RandomSource& random)
        : space_(shape), n_(space_.active()), radius_(space_.radius()), random_(random),
          cover_(space_.size(), 0), weight_(space_.size(), 1), where_(space_.size(), -1) {
        uncovered_.reserve(space_.size());
        for (std::uint64_t w = 0; w < space_.size(); ++w) mark_uncovered(w);
    }

    void add(const Digits& digits) {
        bets_.push_back(digits);
        packed_.push_back(pack(digits));
        tabu_until_.push_back(0);
        for_each_in_ball(space_, digits, radius_, [&](std::uint64_t w) { gain(w); });
    }

    std::size_t size() const { return bets_.size(); }
    std::size_t uncovered() const { return uncovered_.size(); }

    std::vector<Record> records() const {
        std::vector<Record> result;
        result.reserve(bets_.size());
        for (const Digits& digits : bets_) result.push_back(record_of_digits(digits));
        return result;
    }

    // Drops the bet whose loss uncovers the fewest variants.
    void drop_weakest() {
        LeastChoice<std::uint64_t, std::size_t> weakest;
        for (std::size_t r = 0; r < bets_.size(); ++r) {
            std::uint64_t alone = 0;
            for_each_in_ball(space_, bets_[r], radius_, [&](std::uint64_t w) { alone += cover_[w] == 1; });
            weakest.offer(alone, r, random_);
        }
        const std::size_t chosen = weakest.chosen();
        for_each_in_ball(space_, bets_[chosen], radius_, [&](std::uint64_t w) { lose(w); });
        bets_[chosen] = bets_.back();
        packed_[chosen] = packed_.back();
        tabu_until_[chosen] = tabu_until_.back();
        bets_.pop_back();
        packed_.pop_back();
        tabu_until_.pop_back();
        best_uncovered_ = uncovered_.size();
    }

    // One move towards covering a random uncovered variant.
    void step(std::uint64_t iteration, int tenure) {
        const std::uint64_t target = uncovered_[static_cast<std::size_t>(
            random_.uniform_int(0, static_cast<std::int64_t>(uncovered_.size()) - 1))];
        const Digits x = space_.digits_of(target);
        const std::uint64_t xp = pack(x);
        // The bet and the event of the move.
        LeastChoice<std::int64_t, std::pair<std::size_t, int>> best({0, -1});
        for (std::size_t r = 0; r < bets_.size(); ++r) {
            if (distance(packed_[r], xp) != radius_ + 1) continue;
            const bool tabu = tabu_until_[r] > iteration;
            for (int i = 0; i < n_; ++i) {
                if (bets_[r][i] == x[i]) continue;
                const Delta change = move_delta(bets_[r], i, x[i]);
                if (tabu && static_cast<std::int64_t>(uncovered_.size()) + change.count >= static_cast<std::int64_t>(best_uncovered_))
                    continue;
                best.offer(change.weighted, {r, i}, random_);
            }
        }
        auto [best_bet, best_event] = best.chosen();
        if (best_event < 0) {
            // Every useful move is tabu or no bet is one step away: shake a random bet towards x.
            best_bet = static_cast<std::size_t>(random_.uniform_int(0, static_cast<std::int64_t>(bets_.size()) - 1));
            std::vector<int> differing;
            for (int i = 0; i < n_; ++i)
                if (bets_[best_bet][i] != x[i]) differing.push_back(i);
            best_event = differing[static_cast<std::size_t>(
                random_.uniform_int(0, static_cast<std::int64_t>(differing.size()) - 1))];
        }
        apply(best_bet, best_event, x[best_event]);
        tabu_until_[best_bet] = iteration + static_cast<std::uint64_t>(tenure);
        best_uncovered_ = std::min(best_uncovered_, uncovered_.size());
        for (std::uint64_t w : uncovered_) ++weight_[w];
    }

private:
    void mark_uncovered(std::uint64_t w) {
        where_[w] = static_cast<std::int64_t>(uncovered_.size());
        uncovered_.push_back(w);
    }
    void gain(std::uint64_t w) {
        if (cover_[w]++ != 0) return;
        const auto at = static_cast<std::size_t>(where_[w]);
        const std::uint64_t last = uncovered_.back();
        uncovered_[at] = last;
        where_[last] = static_cast<std::int64_t>(at);
        uncovered_.pop_back();
        where_[w] = -1;
    }
    void lose(std::uint64_t w) {
        if (--cover_[w] == 0) mark_uncovered(w);
    }

    // Variants that hold `value` in event i and differ from `center` in exactly the radius among
    // the other events: what a bet gains or loses when event i changes to or from `value`.
    template <typename Visit>
    void shell(const Digits& center, int i, int value, Visit&& visit) const {
        Digits moved = center;
        moved[i] = static_cast<std::uint8_t>(value);
        core::Neighbourhood(space_.radix(), moved, [i, value](int k, int v) { return k != i || v == value; })
            .for_each_at(radius_, [&](std::int64_t w) { visit(static_cast<std::uint64_t>(w)); });
    }

    struct Delta {
        std::int64_t weighted = 0;  // change of the weighted cost, the search's guide
        std::int64_t count = 0;     // change of the number of uncovered variants
    };
    Delta move_delta(const Digits& bet, int i, int value) const {
        Delta delta;
        shell(bet, i, bet[i], [&](std::uint64_t w) {
            if (cover_[w] != 1) return;
            delta.weighted += static_cast<std::int64_t>(weight_[w]);
            ++delta.count;
        });
        shell(bet, i, value, [&](std::uint64_t w) {
            if (cover_[w] != 0) return;
            delta.weighted -= static_cast<std::int64_t>(weight_[w]);
            --delta.count;
        });
        return delta;
    }

    void apply(std::size_t r, int i, int value) {
        Digits& bet = bets_[r];
        shell(bet, i, bet[i], [&](std::uint64_t w) { lose(w); });
        shell(bet, i, value, [&](std::uint64_t w) { gain(w); });
        bet[i] = static_cast<std::uint8_t>(value);
        packed_[r] = pack(bet);
    }

    VariantSpace space_;
    int n_;
    int radius_;
    core::RandomSource& random_;
    std::vector<Digits> bets_;
    std::vector<std::uint64_t> packed_;
    std::vector<std::uint64_t> tabu_until_;
    std::vector<std::uint32_t> cover_;
    // Variants that stay uncovered grow heavier, so the search leaves the plateaus it keeps revisiting.
    std::vector<std::uint64_t> weight_;
    std::vector<std::uint64_t> uncovered_;
    std::vector<std::int64_t> where_;
    std::size_t best_uncovered_ = 0;
};

}  // namespace

std::vector<Record> shrink_cover(const Shape& shape, std::vector<Record> start, core::RandomSource& random,
                                 const SearchLimits& limits, SearchStats* stats) {
    const VariantSpace space(shape);
    if (start.size() <= limits.stop_at || space.radius() == 0 || space.radius() >= space.active()) return start;
    TabuSearch search(shape, random);
    for (Record record : start) {
        const auto digits = space.digits_of_record(record);
        if (!digits) return start;
        search.add(*digits);
    }
    if (search.uncovered() != 0) return start;
    std::vector<Record> best = std::move(start);
    search.drop_weakest();
    std::uint64_t iteration = 0;
    std::uint64_t covers = 1;
    while (iteration < limits.max_iterations) {
        if (search.uncovered() == 0) {
            best = search.records();
            ++covers;
            if (best.size() <= limits.stop_at) break;
            search.drop_weakest();
            continue;
        }
        // One step on a large shape with a wide radius walks millions of variants: look at the
        // clock every time.
        if (std::chrono::steady_clock::now() >= limits.deadline) break;
        // Short tabu tenures did best on the ternary and binary shapes of the catalogue.
        const int tenure = limits.tenure > 0 ? limits.tenure : 2;
        search.step(iteration, tenure);
        ++iteration;
    }
    if (stats != nullptr) {
        stats->iterations += iteration;
        stats->covers_found += covers;
    }
    return best;
}

}  // namespace morvalen::briefgen
