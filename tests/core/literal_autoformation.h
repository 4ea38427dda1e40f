// The autoformation pass as first written: neighbourhood buffers with the duplicate search and a full
// test of every candidate against the list. Slow; kept as the reference the fast pass must match.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/formation/autoformation.h"
#include "core/model/session.h"
#include "core/model/variant_space.h"

namespace morvalen::test {

struct LiteralEntry {
    core::BetEntry variant;
    bool alive = true;
};

class LiteralAutoformation {
public:
    explicit LiteralAutoformation(core::Session& session) : s_(session) {}

    core::AutoformationOutcome run(std::int64_t steps, std::optional<std::int64_t> start_index) {
        using namespace core;
        AutoformationOutcome outcome;
        g_ = s_.settings.guarantee;
        const Currency stake = s_.settings.stake.currency();
        std::int64_t n = 0;
        {
            // The size by counting the construction for a variant would need one; the formula stands.
            std::array<std::int64_t, 9> el{};
            el[0] = 1;
            for (int e = 1; e <= 8; ++e)
                for (int k = 8; k >= 1; --k) el[k] += el[k - 1] * (marked_count(s_.events, e) - 1);
            for (int k = 0; k <= 8 - g_; ++k) n += el[k];
        }
        if (n < 1) return outcome;
        const std::int64_t v = variant_total(s_.events);
        std::int64_t t = v;
        for (std::size_t i = s_.bets.size(); i-- > 0;) {
            if (s_.bets[i].set(1).empty() || s_.bets[i].bet_count == 0) {
                s_.bets.erase(s_.bets.begin() + static_cast<std::ptrdiff_t>(i));
                if (s_.memo) s_.memo->remove_line(i);
            }
        }
        if (v <= 0) {
            s_.uncovered_variants = 0;
            return outcome;
        }
        const std::size_t l_count = s_.bets.size();
        if (l_count >= 1) {
            build(s_.bets[0]);
            t -= static_cast<std::int64_t>(buffer_.size());
        }
        for (std::size_t l = 1; l < l_count; ++l) {
            build(s_.bets[l]);
            std::int64_t alive = static_cast<std::int64_t>(buffer_.size());
            for (std::size_t i = 0; i < l && alive > 0; ++i)
                for (std::size_t j = 0; j < buffer_.size() && alive > 0; ++j)
                    if (buffer_[j].alive && held_events(buffer_[j].variant, s_.bets[i]) >= g_) {
                        buffer_[j].alive = false;
                        --alive;
                    }
            t -= alive;
            if (t <= 0) break;
        }
        s_.uncovered_variants = t;
        if (t <= 0) return outcome;
        std::int64_t target = n;
        index_ = start_index ? *start_index : s_.rng.uniform_int(0, v - 1);
        for (std::int64_t step = 1; step <= steps; ++step) {
            std::int64_t best = 0;
            BetEntry best_bet;
            std::int64_t tries = 0;
            do {
                const BetEntry candidate = next_candidate(v);
                build(candidate);
                std::int64_t alive = static_cast<std::int64_t>(buffer_.size());
                bool complete = true;
                const std::size_t list_size = s_.bets.size();
                for (std::size_t d = 0; d < list_size; ++d) {
                    std::size_t j = 0;
                    for (; j < buffer_.size(); ++j) {
                        if (buffer_[j].alive && held_events(buffer_[j].variant, s_.bets[d]) >= g_) {
                            buffer_[j].alive = false;
                            --alive;
                        }
                        if (alive <= best) break;
                    }
                    if (j + 1 < buffer_.size()) complete = false;
                    if (alive <= best) {
                        if (d + 1 < list_size) complete = false;
                        break;
                    }
                }
                if (complete && alive > 0 && alive >= best) {
                    best = alive;
                    best_bet = candidate;
                }
                ++tries;
            } while (!(best >= target || tries > v));
            if (best > 0) {
                best_bet.amount = stake;
                best_bet.bet_count = 1;
                s_.append_bet(best_bet);
                ++outcome.appended;
                target = best;
                t -= best;
                s_.uncovered_variants = t;
            }
            if (t <= 0) break;
        }
        return outcome;
    }

    // The buffer exactly as the construction leaves it, for tests of its order.
    const std::vector<LiteralEntry>& neighbourhood(const core::BetEntry& bet) {
        g_ = s_.settings.guarantee;
        build(bet);
        return buffer_;
    }

private:
    bool is_variant(const core::BetEntry& bet) const {
        for (int e = 1; e <= 8; ++e) {
            const auto set = bet.set(e);
            if (set.size() != 1 || s_.events.cell(e, set.first_column()).mark != 1) return false;
        }
        return true;
    }

    void add(const core::BetEntry& v) {
        for (const LiteralEntry& entry : buffer_)
            if (entry.variant.outcome_sets == v.outcome_sets) return;
        buffer_.push_back({v, true});
    }

    void walk(core::BetEntry v, int d, int a) {
        if (a == 0) {
            add(v);
            return;
        }
        if (d > 8) return;
        if (d < 8) walk(v, d + 1, a);
        for (int c = 1; c <= 17; ++c) {
            if (s_.events.cell(d, c).mark != 1) continue;
            v.set(d) = core::OutcomeSet::of_column(c);
            add(v);
            walk(v, d + 1, a - 1);
        }
    }

    // Events in which a single bet of the entry can hold the variant's outcome.
    static int held_events(const core::BetEntry& variant, const core::BetEntry& bet) {
        int held = 0;
        for (int e = 1; e <= 8; ++e) held += (variant.set(e).bits() & bet.set(e).bits()) != 0 ? 1 : 0;
        return held;
    }

    // A bet that is no variant over the marks keeps only the variants of its construction: those are
    // exactly the variants it agrees with in G events. A coupon covers what its single bets cover:
    // every variant is tried against it.
    void build(const core::BetEntry& bet) {
        buffer_.clear();
        if (core::is_coupon(bet)) {
            const std::int64_t v = core::variant_total(s_.events);
            const std::int64_t saved = index_;
            index_ = v - 1;
            for (std::int64_t i = 0; i < v; ++i) {
                const core::BetEntry variant = next_candidate(v);
                if (held_events(variant, bet) >= g_) buffer_.push_back({variant, true});
            }
            index_ = saved;
            return;
        }
        walk(bet, 1, 8 - g_);
        if (is_variant(bet)) return;
        std::vector<LiteralEntry> kept;
        for (const LiteralEntry& entry : buffer_)
            if (is_variant(entry.variant)) kept.push_back(entry);
        buffer_ = kept;
    }

    core::BetEntry next_candidate(std::int64_t v) {
        index_ = index_ + 1 == v ? 0 : index_ + 1;
        std::int64_t rest = index_;
        core::BetEntry bet;
        for (int e = 8; e >= 1; --e) {
            const int count = core::marked_count(s_.events, e);
            const int r = static_cast<int>(rest % count);
            rest /= count;
            int seen = 0;
            for (int c = 1; c <= 17; ++c)
                if (s_.events.cell(e, c).mark == 1 && seen++ == r) bet.set(e) = core::OutcomeSet::of_column(c);
        }
        return bet;
    }

    core::Session& s_;
    int g_ = 7;
    std::int64_t index_ = 0;
    std::vector<LiteralEntry> buffer_;
};

}  // namespace morvalen::test
