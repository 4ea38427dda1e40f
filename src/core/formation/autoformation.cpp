// The greedy covering pass. Gains are kept per variant and lowered as variants become covered, so a
// candidate costs one lookup instead of building and testing its neighbourhood against the whole list.
#include "core/formation/autoformation.h"

#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

#include "core/formation/condition_space.h"
#include "core/formation/gain_table.h"
#include "core/analysis/package_stats.h"
#include "core/model/session.h"
#include "core/model/variant_space.h"

namespace morvalen::core {

namespace {

int agreement(const VariantPattern& bet, const VariantPattern& variant) {
    int equal = 0;
    for (int d = 0; d < event_count; ++d) equal += (bet[d] >= 0 && bet[d] == variant[d]) ? 1 : 0;
    return equal;
}

// Bets keyed by every G events they fix, so that "does some bet agree with this variant in G events"
// costs one lookup per choice of G events, whatever the length of the list.
class SubsetIndex {
public:
    explicit SubsetIndex(int guarantee) {
        for (unsigned mask = 0; mask < 256; ++mask)
            if (std::popcount(mask) == guarantee) masks_.push_back(mask);
    }
    void insert(const VariantPattern& bet) {
        for (const unsigned mask : masks_) {
            bool fixed = true;
            for (int d = 0; d < event_count && fixed; ++d) fixed = !(mask >> d & 1U) || bet[d] >= 0;
            if (fixed) keys_.insert(key(mask, bet));
        }
    }
    bool covers(const VariantPattern& variant) const {
        for (const unsigned mask : masks_)
            if (keys_.count(key(mask, variant)) != 0) return true;
        return false;
    }

private:
    static std::uint64_t key(unsigned mask, const VariantPattern& p) {
        std::uint64_t k = static_cast<std::uint64_t>(mask) << 40;
        for (int d = 0; d < event_count; ++d)
            if (mask >> d & 1U) k |= static_cast<std::uint64_t>(p[d] + 1) << (5 * d);
        return k;
    }
    std::vector<unsigned> masks_;
    std::unordered_set<std::uint64_t> keys_;
};

// Thrown from deep inside an enumeration when a stop was requested: some neighbourhoods are large
// enough (small guarantees over many marks) that waiting for the end of one would keep "Esc" waiting.
struct PassStopped {};

// Progress and the stop from inside long loops: the clock is read every 4096 variants.
class PassPoll {
public:
    PassPoll(const ProgressHooks& hooks, ProgressThrottle& throttle, const StopToken& stop)
        : hooks_(hooks), throttle_(throttle), stop_(stop) {}
    std::function<std::string()> caption;
    void tick() {
        if ((++ticks_ & 4095) == 0) now();
    }
    void now() {
        if (throttle_.due() && caption) hooks_.caption(caption());
        if (stop_.stop_requested()) throw PassStopped{};
    }

private:
    const ProgressHooks& hooks_;
    ProgressThrottle& throttle_;
    const StopToken& stop_;
    std::uint32_t ticks_ = 0;
};

// Which variants the list covers, and which of them the last bet of the list covered first: the tie
// rule of the scan needs the latter.
class CoverageTracker {
public:
    CoverageTracker(const VariantSpace& space, int guarantee, std::int64_t dense_limit, PassPoll& poll)
        : space_(space), guarantee_(guarantee), dense_(space.size() <= dense_limit), index_(guarantee),
          poll_(poll) {
        if (dense_) state_.assign(static_cast<std::size_t>(space.size()), 0);
    }

    bool dense() const { return dense_; }

    // Variants that fail the conditions count as covered from the start: nothing is owed to them.
    // Dense mode takes the flags, the other the test itself.
    void leave_out(const std::vector<std::uint8_t>& passing) {
        for (std::size_t i = 0; i < passing.size(); ++i)
            if (!passing[i]) state_[i] = covered_bit;
    }
    void leave_out(std::function<bool(const VariantPattern&)> passes) { passes_ = std::move(passes); }
    bool passes(const VariantPattern& variant) const { return !passes_ || passes_(variant); }
    // Dense mode only: the flags of every variant, and the variants the newest bet covered first.
    const std::vector<std::uint8_t>& flags() const { return state_; }
    const std::vector<std::uint32_t>& fresh() const { return last_new_; }

    // Adds a bet at the end of the list; calls on_new for every variant it is the first to cover.
    template <typename F>
    std::int64_t add(const VariantPattern& bet, F&& on_new) {
        const int changes = event_count - guarantee_;
        return add_covered(std::nullopt, [&](auto&& visit) { for_each_variant_within(space_, bet, changes, visit); },
                           bet, on_new);
    }

    // Adds a coupon: it covers what its single bets cover, walked as one set of variants.
    template <typename F>
    std::int64_t add_coupon(const VariantRanks& coupon, F&& on_new) {
        const int changes = event_count - guarantee_;
        return add_covered(
            coupon, [&](auto&& visit) { for_each_variant_within_ranks(space_, coupon, changes, visit); }, {}, on_new);
    }

    bool covered(std::int64_t i) const {
        if (dense_) return state_[static_cast<std::size_t>(i)] & covered_bit;
        const VariantPattern variant = space_.digits(i);
        return last_covers(variant) || covered_before_last(variant) || !passes(variant);
    }

    bool first_covered_by_last(std::int64_t i) const {
        if (dense_) return state_[static_cast<std::size_t>(i)] & by_last;
        const VariantPattern variant = space_.digits(i);
        return last_covers(variant) && !covered_before_last(variant) && passes(variant);
    }

private:
    template <typename Walk, typename F>
    std::int64_t add_covered(const std::optional<VariantRanks>& coupon, Walk&& walk, const VariantPattern& bet,
                             F&& on_new) {
        std::int64_t fresh = 0;
        if (dense_) {
            for (const std::uint32_t i : last_new_) state_[i] &= static_cast<std::uint8_t>(~by_last);
            last_new_.clear();
            walk([&](std::int64_t i) {
                poll_.tick();
                std::uint8_t& state = state_[static_cast<std::size_t>(i)];
                if (state & covered_bit) return;
                state = covered_bit | by_last;
                last_new_.push_back(static_cast<std::uint32_t>(i));
                ++fresh;
                on_new(i);
            });
            return fresh;
        }
        if (has_last_) {
            if (last_coupon_) coupons_.push_back(*last_coupon_);
            else index_.insert(last_);
        }
        last_ = bet;
        last_coupon_ = coupon;
        has_last_ = true;
        walk([&](std::int64_t i) {
            poll_.tick();
            const VariantPattern variant = space_.digits(i);
            if (covered_before_last(variant) || !passes(variant)) return;
            ++fresh;
            on_new(i);
        });
        return fresh;
    }

    static int coupon_agreement(const VariantRanks& coupon, const VariantPattern& variant) {
        int held = 0;
        for (int d = 0; d < event_count; ++d) held += (coupon[d] >> variant[d] & 1U) != 0 ? 1 : 0;
        return held;
    }
    bool last_covers(const VariantPattern& variant) const {
        if (!has_last_) return false;
        return (last_coupon_ ? coupon_agreement(*last_coupon_, variant) : agreement(last_, variant)) >= guarantee_;
    }
    // Coupons are few in a list (each stands for many single bets), so they are tried one by one.
    bool covered_before_last(const VariantPattern& variant) const {
        if (index_.covers(variant)) return true;
        for (const VariantRanks& coupon : coupons_)
            if (coupon_agreement(coupon, variant) >= guarantee_) return true;
        return false;
    }

    static constexpr std::uint8_t covered_bit = CoverageFlags::covered;
    static constexpr std::uint8_t by_last = CoverageFlags::by_last;

    const VariantSpace& space_;
    int guarantee_;
    bool dense_;
    std::vector<std::uint8_t> state_;
    std::vector<std::uint32_t> last_new_;
    SubsetIndex index_;  // the bets before the last one, when the variants are too many for arrays
    std::vector<VariantRanks> coupons_;  // the coupons before the last entry, in sparse mode
    VariantPattern last_{};
    std::optional<VariantRanks> last_coupon_;  // set when the last entry is a coupon
    bool has_last_ = false;
    std::function<bool(const VariantPattern&)> passes_;  // the conditions, when the variants are too many for flags
    PassPoll& poll_;
};

// The variant that the neighbourhood construction stores last: its entries come in lexicographic
// order of (per event: 0 when unchanged, else the column), so the last one changes the earliest
// events that have another marked column to their highest other column.
std::int64_t last_neighbour(const VariantSpace& space, std::int64_t candidate, int changes) {
    VariantPattern digits = space.digits(candidate);
    for (int d = 0; d < event_count && changes > 0; ++d) {
        const int count = space.count(d);
        if (count < 2) continue;
        digits[d] = digits[d] == count - 1 ? count - 2 : count - 1;
        --changes;
    }
    return space.index_of(digits);
}

// What one step's candidate loop settled on.
struct Choice {
    std::int64_t best = -1;
    std::int64_t gain = 0;
    bool whole_round = false;  // no candidate reached the target: every one was tried
};

std::string check_caption(std::size_t done, std::size_t total) {
    const long double share = static_cast<long double>(done) * 100.0L / static_cast<long double>(total);
    return "Проверка " + std::to_string(round_half_even(share).value_or(0)) + "%" + esc_hint_text;
}

void run_pass(AutoformationInput& input, const ProgressHooks& hooks, ProgressThrottle& throttle, const StopToken& stop_token,
              std::int64_t neighbourhood, AutoformationResult& result) {
    const VariantSpace space(input.events);
    const std::int64_t total = space.size();
    const int guarantee = input.guarantee;
    const int changes = event_count - guarantee;
    const Currency stake = input.stake;
    const std::int64_t steps = input.steps;
    const auto stop = [&stop_token] { return stop_token.stop_requested(); };
    AutoformationOutcome& outcome = result.outcome;

    std::optional<ConditionCheck> check;
    if (conditions_in_force(input.conditions)) {
        check.emplace(input.conditions, input.events);
        if (!check->refusal().empty()) {
            outcome.refusal = check->refusal();
            return;
        }
    }
    std::erase_if(input.bets, is_unreadable_entry);
    result.cleaned = true;
    if (total <= 0) {
        // Nothing to cover; the statistics show no coverage while an event has no mark.
        result.uncovered = 0;
        return;
    }

    PassPoll poll(hooks, throttle, stop_token);
    CoverageTracker tracker(space, guarantee, input.options.dense_limit, poll);
    // While conditions act, only the variants that pass them are covered and chosen.
    std::vector<std::uint8_t> passing;
    std::int64_t to_cover = total;
    if (check) {
        to_cover = 0;
        try {
            if (tracker.dense()) {
                passing = passing_flags(input.events, *check, [&] { poll.tick(); });
                for (const std::uint8_t flag : passing) to_cover += flag;
                tracker.leave_out(passing);
            } else {
                for_each_variant_failures(input.events, *check, [&](std::int64_t, std::uint64_t failures) {
                    poll.tick();
                    to_cover += check->passes_mask(failures) ? 1 : 0;
                });
                const MarkedColumns marked(input.events);
                tracker.leave_out([&check, marked](const VariantPattern& digits) {
                    VariantColumns columns{};
                    for (int d = 0; d < event_count; ++d)
                        columns[static_cast<std::size_t>(d)] = marked.columns[static_cast<std::size_t>(d)][static_cast<std::size_t>(digits[static_cast<std::size_t>(d)])];
                    return check->passes(columns);
                });
            }
        } catch (const PassStopped&) {
            outcome.show_coverage = false;
            return;
        }
    }
    std::int64_t uncovered = to_cover;
    const BetList& bets = input.bets;
    const std::size_t list_size = bets.size();
    std::size_t checked = 0;
    poll.caption = [&] { return check_caption(checked, list_size); };
    try {
        for (std::size_t l = 0; l < list_size; ++l) {
            const BetEntry& entry = bets[l];
            const auto none = [](std::int64_t) {};
            uncovered -= is_coupon(entry) ? tracker.add_coupon(space.ranks_of(entry), none)
                                          : tracker.add(space.pattern_of(entry), none);
            checked = l;
            if (l == 0) continue;
            if (throttle.due()) hooks.caption(check_caption(l, list_size));
            if (uncovered <= 0 || stop()) break;
        }
    } catch (const PassStopped&) {
        // Stopped inside one bet's neighbourhood: the count of the bets before it stands.
    }
    result.uncovered = uncovered;
    if (stop()) {
        // No bet may be appended after a stopped check, and its count is not shown.
        outcome.show_coverage = false;
        return;
    }
    if (uncovered <= 0) return;

    std::string caption = estimate_caption(uncovered, neighbourhood);
    hooks.caption(caption);
    poll.caption = [&] { return caption; };
    std::int64_t target_gain = neighbourhood;
    std::int64_t variant_index =
        input.start_index ? ((*input.start_index % total) + total) % total : input.rng.uniform_int(0, total - 1);
    if (steps <= 0) return;

    // gains[i]: uncovered variants in the neighbourhood of variant i (dense mode only).
    std::optional<GainTable> gains;
    if (tracker.dense()) {
        gains.emplace(space, changes, neighbourhood, [&poll] { poll.now(); }, input.options.gain_update);
        if (!passing.empty()) gains->leave_out(passing);
        gains->build(tracker.flags());
    }
    // Without the table: the exact gain when it is at least `best`; some smaller value otherwise.
    const auto gain_of = [&](std::int64_t candidate, std::int64_t best) -> std::int64_t {
        // A variant that fails the conditions is never a bet.
        if (check && !tracker.passes(space.digits(candidate))) return 0;
        std::int64_t alive = 0;
        std::int64_t left = neighbourhood;
        for_each_variant_within(space, space.digits(candidate), changes, [&](std::int64_t i) {
            poll.tick();
            if (alive + left < best) return;
            --left;
            if (!tracker.covered(i)) ++alive;
        });
        return alive;
    };

    // The candidate loop: from the one after variant_index on, the first whose gain reaches the target;
    // when none does, after total + 1 candidates (the first one twice) the best of the round, where a
    // later candidate of equal gain wins only when its count reached the best at the very last test:
    // the last stored neighbour, first covered by the last bet of the list.
    const auto wins_tie = [&](std::int64_t candidate) {
        return tracker.first_covered_by_last(last_neighbour(space, candidate, changes));
    };
    const auto choose_by_testing = [&](Choice& choice) {
        std::int64_t tries = 0;
        do {
            variant_index = variant_index + 1 == total ? 0 : variant_index + 1;
            const std::int64_t gain = gain_of(variant_index, choice.gain);
            if (gain > choice.gain || (gain == choice.gain && gain > 0 && wins_tie(variant_index))) {
                choice.gain = gain;
                choice.best = variant_index;
            }
            ++tries;
            if ((tries & 1023) == 0) poll.now();
        } while (choice.gain < target_gain && tries <= total && !stop());
        choice.whole_round = tries > total;
    };
    // The same choice read from the gain table, which lets whole blocks of candidates go unread.
    const auto choose_by_table = [&](Choice& choice) {
        const std::int64_t first = variant_index + 1 == total ? 0 : variant_index + 1;
        for (const auto& [from, to] : {std::pair{first, total}, std::pair{std::int64_t{0}, first}}) {
            const std::int64_t found = gains->first_at_least(from, to, static_cast<std::int32_t>(target_gain));
            if (found >= 0) {
                choice.best = variant_index = found;
                choice.gain = (*gains)[found];
                return;
            }
        }
        choice.whole_round = true;
        variant_index = first;
        choice.gain = gains->largest();
        if (choice.gain <= 0) return;
        // Millions of candidates may share the largest gain: the stop is heard among them too.
        const auto consider = [&](std::int64_t candidate) {
            poll.tick();
            if (choice.best < 0 || wins_tie(candidate)) choice.best = candidate;
        };
        const auto top = static_cast<std::int32_t>(choice.gain);
        gains->for_each_with_largest(first, total, top, consider);
        gains->for_each_with_largest(0, first, top, consider);
        if ((*gains)[first] == top) consider(first);
    };

    for (std::int64_t step = 1; step <= steps; ++step) {
        Choice choice;
        if (gains) {
            choose_by_table(choice);
        } else {
            choose_by_testing(choice);
        }
        const std::int64_t best = choice.best;
        const std::int64_t best_gain = choice.gain;

        if (best_gain > 0 && (best_gain >= target_gain || choice.whole_round) && !stop()) {
            result.appended.push_back(space.bet_of(best, stake));
            ++outcome.appended;
            target_gain = best_gain;
            uncovered -= best_gain;
            result.uncovered = uncovered;
            const VariantPattern center = space.digits(best);
            tracker.add(center, [](std::int64_t) {});
            if (gains) gains->lower(center, tracker.fresh(), tracker.flags());
        }
        if (uncovered <= 0 || stop()) break;
        caption = "Шаг " + std::to_string(step) + " (" + coverage_percent(to_cover - uncovered, to_cover).to_string() +
                  "%)" + esc_hint_text;
        if (throttle.due()) hooks.caption(caption);
    }
}

void run_pass_until_stopped(AutoformationInput& input, const ProgressHooks& hooks, ProgressThrottle& throttle,
                            const StopToken& stop, std::int64_t neighbourhood, AutoformationResult& result) {
    try {
        run_pass(input, hooks, throttle, stop, neighbourhood, result);
    } catch (const PassStopped&) {
        // "Esc" in a step: the bets of completed steps and their count stay.
    }
}

}  // namespace

std::int64_t neighbourhood_size(const MarkedCounts& counts, int guarantee) {
    return MixedRadix::last_fastest(counts).neighbourhood(event_count - guarantee);
}

int equal_events(const BetEntry& a, const BetEntry& b) {
    int equal = 0;
    for (int e = 0; e < event_count; ++e) equal += a.outcome_sets[e] == b.outcome_sets[e] ? 1 : 0;
    return equal;
}

std::string estimate_caption(std::int64_t uncovered, std::int64_t neighbourhood) {
    const std::int64_t bets = uncovered / neighbourhood + (uncovered % neighbourhood > 0 ? 1 : 0);
    return " Ставок не менее " + std::to_string(bets);
}

AutoformationResult autoformation(AutoformationInput input, const ProgressHooks& hooks, StopToken stop) {
    AutoformationResult result;
    ProgressThrottle throttle(hooks);
    const std::int64_t neighbourhood = neighbourhood_size(marked_counts(input.events), input.guarantee);
    if (neighbourhood >= 1) {
        try {
            run_pass_until_stopped(input, hooks, throttle, stop, neighbourhood, result);
        } catch (const std::exception&) {
            result.outcome.failed = true;
            hooks.error(out_of_memory_text);
        }
    }
    hooks.restore();
    result.rng = input.rng;
    return result;
}

AutoformationInput autoformation_input(const Session& session, std::int64_t steps, std::optional<std::int64_t> start_index,
                                       AutoformationOptions options) {
    return {session.events, session.bets, session.settings.guarantee, session.settings.stake.currency(),
            session.conditions, session.rng, steps, start_index, options};
}

void apply_autoformation(Session& session, const AutoformationResult& result) {
    if (result.cleaned) session.remove_unreadable_entries();
    for (const BetEntry& bet : result.appended) session.append_bet(bet);
    if (result.uncovered) session.uncovered_variants = *result.uncovered;
    session.rng = result.rng;
}

AutoformationOutcome autoform(Session& session, std::int64_t steps, const ProgressHooks& hooks,
                             std::optional<std::int64_t> start_index, StopToken stop, AutoformationOptions options) {
    const AutoformationResult result =
        autoformation(autoformation_input(session, steps, start_index, options), hooks, std::move(stop));
    apply_autoformation(session, result);
    return result.outcome;
}

}  // namespace morvalen::core
