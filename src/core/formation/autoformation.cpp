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

// The greedy pass in its steps: the conditions, what the list already covers, the start, then bet
// after bet the candidate whose neighbourhood holds the most uncovered variants. A stop inside a
// step throws PassStopped; the bets of the steps before it stand in the result.
class GreedyPass {
public:
    GreedyPass(AutoformationInput& input, const ProgressHooks& hooks, ProgressThrottle& throttle, const StopToken& stop,
               std::int64_t neighbourhood, AutoformationResult& result)
        : input_(input), hooks_(hooks), throttle_(throttle), stop_(stop), neighbourhood_(neighbourhood), result_(result),
          space_(input.events), total_(space_.size()), changes_(event_count - input.guarantee) {}

    void run() {
        if (!accept_conditions()) return;
        std::erase_if(input_.bets, is_unreadable_entry);
        result_.cleaned = true;
        if (total_ <= 0) {
            // Nothing to cover; the statistics show no coverage while an event has no mark.
            result_.uncovered = 0;
            return;
        }
        poll_.emplace(hooks_, throttle_, stop_);
        tracker_.emplace(space_, input_.guarantee, input_.options.dense_limit, *poll_);
        if (!leave_out_failing()) {
            result_.outcome.show_coverage = false;
            return;
        }
        count_list_coverage();
        result_.uncovered = uncovered_;
        if (stopped()) {
            // No bet may be appended after a stopped check, and its count is not shown.
            result_.outcome.show_coverage = false;
            return;
        }
        if (uncovered_ <= 0) return;
        start_steps();
        if (input_.steps <= 0) return;
        build_gains();
        for (std::int64_t step = 1; step <= input_.steps; ++step) {
            take(gains_ ? choose_by_table() : choose_by_testing());
            if (uncovered_ <= 0 || stopped()) break;
            caption_ = "Шаг " + std::to_string(step) + " (" +
                       coverage_percent(to_cover_ - uncovered_, to_cover_).to_string() + "%)" + esc_hint_text;
            if (throttle_.due()) hooks_.caption(caption_);
        }
    }

private:
    bool stopped() const { return stop_.stop_requested(); }

    // False when the conditions cannot be applied: the refusal is the result, nothing was touched.
    bool accept_conditions() {
        if (!conditions_in_force(input_.conditions)) return true;
        check_.emplace(input_.conditions, input_.events);
        if (check_->refusal().empty()) return true;
        result_.outcome.refusal = check_->refusal();
        return false;
    }

    // While conditions act, only the variants that pass them are covered and chosen. False when
    // stopped meanwhile.
    bool leave_out_failing() {
        to_cover_ = total_;
        if (!check_) return true;
        to_cover_ = 0;
        try {
            if (tracker_->dense()) {
                passing_ = passing_flags(input_.events, *check_, [this] { poll_->tick(); });
                for (const std::uint8_t flag : passing_) to_cover_ += flag;
                tracker_->leave_out(passing_);
                return true;
            }
            for_each_variant_failures(input_.events, *check_, [this](std::int64_t, std::uint64_t failures) {
                poll_->tick();
                to_cover_ += check_->passes_mask(failures) ? 1 : 0;
            });
            const MarkedColumns marked(input_.events);
            tracker_->leave_out([check = &*check_, marked](const VariantPattern& digits) {
                VariantColumns columns{};
                for (std::size_t d = 0; d < event_count; ++d) columns[d] = marked.columns[d][static_cast<std::size_t>(digits[d])];
                return check->passes(columns);
            });
            return true;
        } catch (const PassStopped&) {
            return false;
        }
    }

    // The check of the list: what its bets cover already, with "Проверка N%" in the caption.
    void count_list_coverage() {
        uncovered_ = to_cover_;
        const BetList& bets = input_.bets;
        const std::size_t list_size = bets.size();
        checked_ = 0;
        poll_->caption = [this, list_size] { return check_caption(checked_, list_size); };
        try {
            for (std::size_t l = 0; l < list_size; ++l) {
                const BetEntry& entry = bets[l];
                const auto none = [](std::int64_t) {};
                uncovered_ -= is_coupon(entry) ? tracker_->add_coupon(space_.ranks_of(entry), none)
                                               : tracker_->add(space_.pattern_of(entry), none);
                checked_ = l;
                if (l == 0) continue;
                if (throttle_.due()) hooks_.caption(check_caption(l, list_size));
                if (uncovered_ <= 0 || stopped()) break;
            }
        } catch (const PassStopped&) {
            // Stopped inside one bet's neighbourhood: the count of the bets before it stands.
        }
    }

    // The estimate in the caption, the first target and the variant the scan starts after.
    void start_steps() {
        caption_ = estimate_caption(uncovered_, neighbourhood_);
        hooks_.caption(caption_);
        poll_->caption = [this] { return caption_; };
        target_gain_ = neighbourhood_;
        variant_index_ = input_.start_index ? ((*input_.start_index % total_) + total_) % total_
                                            : input_.rng.uniform_int(0, total_ - 1);
    }

    // gains[i]: uncovered variants in the neighbourhood of variant i (dense mode only).
    void build_gains() {
        if (!tracker_->dense()) return;
        gains_.emplace(space_, changes_, neighbourhood_, [this] { poll_->now(); }, input_.options.gain_update);
        if (!passing_.empty()) gains_->leave_out(passing_);
        gains_->build(tracker_->flags());
    }

    // Without the table: the exact gain when it is at least `best`; some smaller value otherwise.
    std::int64_t gain_of(std::int64_t candidate, std::int64_t best) {
        // A variant that fails the conditions is never a bet.
        if (check_ && !tracker_->passes(space_.digits(candidate))) return 0;
        std::int64_t alive = 0;
        std::int64_t left = neighbourhood_;
        for_each_variant_within(space_, space_.digits(candidate), changes_, [&](std::int64_t i) {
            poll_->tick();
            if (alive + left < best) return;
            --left;
            if (!tracker_->covered(i)) ++alive;
        });
        return alive;
    }

    // A later candidate of equal gain wins only when its count reached the best at the very last
    // test: the last stored neighbour, first covered by the last bet of the list.
    bool wins_tie(std::int64_t candidate) const {
        return tracker_->first_covered_by_last(last_neighbour(space_, candidate, changes_));
    }

    // The candidate loop: from the one after variant_index on, the first whose gain reaches the target;
    // when none does, after total + 1 candidates (the first one twice) the best of the round.
    Choice choose_by_testing() {
        Choice choice;
        std::int64_t tries = 0;
        do {
            variant_index_ = variant_index_ + 1 == total_ ? 0 : variant_index_ + 1;
            const std::int64_t gain = gain_of(variant_index_, choice.gain);
            if (gain > choice.gain || (gain == choice.gain && gain > 0 && wins_tie(variant_index_))) {
                choice.gain = gain;
                choice.best = variant_index_;
            }
            ++tries;
            if ((tries & 1023) == 0) poll_->now();
        } while (choice.gain < target_gain_ && tries <= total_ && !stopped());
        choice.whole_round = tries > total_;
        return choice;
    }

    // The same choice read from the gain table, which lets whole blocks of candidates go unread.
    Choice choose_by_table() {
        Choice choice;
        const std::int64_t first = variant_index_ + 1 == total_ ? 0 : variant_index_ + 1;
        for (const auto& [from, to] : {std::pair{first, total_}, std::pair{std::int64_t{0}, first}}) {
            const std::int64_t found = gains_->first_at_least(from, to, static_cast<std::int32_t>(target_gain_));
            if (found >= 0) {
                choice.best = variant_index_ = found;
                choice.gain = (*gains_)[found];
                return choice;
            }
        }
        choice.whole_round = true;
        variant_index_ = first;
        choice.gain = gains_->largest();
        if (choice.gain <= 0) return choice;
        // Millions of candidates may share the largest gain: the stop is heard among them too.
        const auto consider = [&](std::int64_t candidate) {
            poll_->tick();
            if (choice.best < 0 || wins_tie(candidate)) choice.best = candidate;
        };
        const auto top = static_cast<std::int32_t>(choice.gain);
        gains_->for_each_with_largest(first, total_, top, consider);
        gains_->for_each_with_largest(0, first, top, consider);
        if ((*gains_)[first] == top) consider(first);
        return choice;
    }

    // Appends the chosen bet when it reached the target, or was the best of a whole round.
    void take(const Choice& choice) {
        if (choice.gain <= 0 || (choice.gain < target_gain_ && !choice.whole_round) || stopped()) return;
        result_.appended.push_back(space_.bet_of(choice.best, input_.stake));
        ++result_.outcome.appended;
        target_gain_ = choice.gain;
        uncovered_ -= choice.gain;
        result_.uncovered = uncovered_;
        const VariantPattern center = space_.digits(choice.best);
        tracker_->add(center, [](std::int64_t) {});
        if (gains_) gains_->lower(center, tracker_->fresh(), tracker_->flags());
    }

    AutoformationInput& input_;
    const ProgressHooks& hooks_;
    ProgressThrottle& throttle_;
    const StopToken& stop_;
    const std::int64_t neighbourhood_;
    AutoformationResult& result_;
    const VariantSpace space_;
    const std::int64_t total_;
    const int changes_;
    std::optional<ConditionCheck> check_;
    std::optional<PassPoll> poll_;
    std::optional<CoverageTracker> tracker_;
    std::optional<GainTable> gains_;
    std::vector<std::uint8_t> passing_;  // dense mode with conditions: the variants that pass
    std::int64_t to_cover_ = 0;
    std::int64_t uncovered_ = 0;
    std::size_t checked_ = 0;
    std::string caption_;
    std::int64_t target_gain_ = 0;
    std::int64_t variant_index_ = 0;
};

void run_pass_until_stopped(AutoformationInput& input, const ProgressHooks& hooks, ProgressThrottle& throttle,
                            const StopToken& stop, std::int64_t neighbourhood, AutoformationResult& result) {
    try {
        GreedyPass(input, hooks, throttle, stop, neighbourhood, result).run();
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
