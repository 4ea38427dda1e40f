// Mixed-radix numbers of up to eight digits: indexing, the size of a neighbourhood and the walk over it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace morvalen::core {

inline constexpr int radix_digits = 8;
inline constexpr int radix_max_count = 17;

// Per digit a value, or -1 where no value is asked for.
using RadixDigits = std::array<int, radix_digits>;

// Digit d takes count(d) values and moves the index by weight(d). Only the first used() digits take
// part; the others hold 0.
class MixedRadix {
public:
    MixedRadix() = default;
    // The last used digit changes fastest (weight 1). A count of 0 leaves an empty space.
    static MixedRadix last_fastest(std::span<const int> counts);
    // The first digit changes fastest.
    static MixedRadix first_fastest(std::span<const int> counts);

    int used() const { return used_; }
    int count(int d) const { return counts_[static_cast<std::size_t>(d)]; }
    std::int64_t weight(int d) const { return weights_[static_cast<std::size_t>(d)]; }
    std::int64_t size() const { return size_; }

    template <typename Digits>
    std::int64_t index_of(const Digits& digits) const {
        std::int64_t index = 0;
        for (int d = 0; d < used_; ++d) index += static_cast<std::int64_t>(digits[static_cast<std::size_t>(d)]) * weight(d);
        return index;
    }
    template <typename Digits = RadixDigits>
    Digits digits_of(std::int64_t index) const {
        Digits digits{};
        const auto put = [&](int d) {
            using Digit = typename Digits::value_type;
            digits[static_cast<std::size_t>(d)] = static_cast<Digit>(index % count(d));
            index /= count(d);
        };
        if (last_fastest_)
            for (int d = used_ - 1; d >= 0; --d) put(d);
        else
            for (int d = 0; d < used_; ++d) put(d);
        return digits;
    }

    // Values within `changes` digits of any one value, itself included: the sum for j = 0 … changes of
    // the j-th elementary symmetric sum of (count − 1). A count of 0 makes terms negative.
    std::int64_t neighbourhood(int changes) const;

private:
    std::array<int, radix_digits> counts_{1, 1, 1, 1, 1, 1, 1, 1};
    std::array<std::int64_t, radix_digits> weights_{};
    std::int64_t size_ = 1;
    int used_ = 0;
    bool last_fastest_ = true;
};

// The walk's path state when the visits need none.
struct NoPathState {};

// The values within some number of changes of a centre. Per digit the centre holds a value or -1, and
// `allowed(d, v)` tells which values may stand there at all; a digit whose centre value is not allowed
// (or -1) must take one of the allowed values, each a change. Visits go depth-first from digit 0, the
// centre's own value before the others and the others in ascending order, so that callers that
// accumulate in the order of the visits see the same order every time.
class Neighbourhood {
public:
    template <typename Digits, typename Allowed>
    Neighbourhood(const MixedRadix& space, const Digits& centre, Allowed&& allowed) {
        digits_ = space.used();
        // The alternatives of the last digit come first, so that those of digits d … last are one run.
        std::size_t k = 0;
        for (int d = digits_ - 1; d >= 0; --d) {
            const auto i = static_cast<std::size_t>(d);
            empty_ = empty_ || space.count(d) == 0;
            const int own = static_cast<int>(centre[i]);
            own_[i] = own >= 0 && own < space.count(d) && allowed(d, own) ? own : -1;
            start_[i] = k;
            const std::int64_t from = own_[i] < 0 ? 0 : own_[i] * space.weight(d);
            base_ += from;
            for (int v = 0; v < space.count(d); ++v) {
                if (v == own_[i] || !allowed(d, v)) continue;
                values_[k] = static_cast<std::uint8_t>(v);
                below_[k] = static_cast<std::uint8_t>(d + 1);
                steps_[k++] = v * space.weight(d) - from;
            }
            end_[i] = k;
        }
        next_open_[static_cast<std::size_t>(digits_)] = digits_;
        for (int d = digits_ - 1; d >= 0; --d) {
            const auto i = static_cast<std::size_t>(d);
            next_open_[i] = own_[i] < 0 ? d : next_open_[i + 1];
            opens_[i] = opens_[i + 1] + (own_[i] < 0 ? 1 : 0);
            movable_[i] = movable_[i + 1] + (start_[i] < end_[i] ? 1 : 0);
        }
    }
    template <typename Digits>
    Neighbourhood(const MixedRadix& space, const Digits& centre) : Neighbourhood(space, centre, [](int, int) { return true; }) {}

    // f(index) for every value that differs from the centre in at most `changes` digits, each once.
    template <typename F>
    void for_each_within(int changes, F&& f) const {
        walk<false>(changes, NoPathState{}, [](NoPathState, int, int) { return NoPathState{}; }, [&](std::int64_t i, NoPathState) { f(i); });
    }
    // f(index) for every value that differs from the centre in exactly `changes` digits, each once.
    template <typename F>
    void for_each_at(int changes, F&& f) const {
        walk<true>(changes, NoPathState{}, [](NoPathState, int, int) { return NoPathState{}; }, [&](std::int64_t i, NoPathState) { f(i); });
    }
    // As for_each_within, with f(index, state): the state starts as `start` and takes step(state, d, v)
    // for every digit from the first to the last, in that order.
    template <typename State, typename Step, typename F>
    void for_each_within(int changes, State start, Step&& step, F&& f) const {
        walk<false>(changes, start, step, f);
    }

private:
    template <bool exactly, typename State, typename Step, typename F>
    void walk(int changes, State start, Step&& step, F&& f) const {
        if (changes < 0 || empty_) return;
        descend<exactly>(0, changes, base_, start, step, f);
    }

    // The values that agree with the centre before digit d as the path to here does, in visiting order:
    // the centre's own values down to the first digit that must change, then, from the deepest digit
    // back to d, each alternative with the rest of the walk below it.
    template <bool exactly, typename State, typename Step, typename F>
    void descend(int d, int left, std::int64_t at, State state, Step& step, F& f) const {
        // Branches that cannot spend their changes as asked hold nothing.
        if (opens_[static_cast<std::size_t>(d)] > left || (exactly && movable_[static_cast<std::size_t>(d)] < left)) return;
        const int open = next_open_[static_cast<std::size_t>(d)];
        std::array<State, radix_digits + 1> path{};
        path[static_cast<std::size_t>(d)] = state;
        for (int e = d; e < open; ++e)
            path[static_cast<std::size_t>(e) + 1] = step(path[static_cast<std::size_t>(e)], e, own_[static_cast<std::size_t>(e)]);
        if (open == digits_) {
            if (left == 0 || !exactly) f(at, path[static_cast<std::size_t>(open)]);
            if (left == 0) return;
            if constexpr (std::is_empty_v<State>) {
                free_changes<exactly>(d, left, at, f);
                return;
            } else if (left == 1) {
                last_change(d, at, path, step, f);
                return;
            }
        } else {
            if (left == 0) return;
            const auto o = static_cast<std::size_t>(open);
            for (std::size_t i = start_[o]; i < end_[o]; ++i)
                descend<exactly>(open + 1, left - 1, at + steps_[i], step(path[o], open, values_[i]), step, f);
        }
        for (int e = open - 1; e >= d; --e) {
            const auto u = static_cast<std::size_t>(e);
            for (std::size_t i = start_[u]; i < end_[u]; ++i)
                descend<exactly>(e + 1, left - 1, at + steps_[i], step(path[u], e, values_[i]), step, f);
        }
    }

    // No path state and no digit from d on that must change: what descend visits below `at`, each
    // level one loop over the flat list of alternatives, the last level with nothing else in it.
    template <bool exactly, typename F>
    void free_changes(int d, int left, std::int64_t at, F& f) const {
        const std::size_t end = end_[static_cast<std::size_t>(d)];
        if (left == 1) {
            for (std::size_t i = 0; i < end; ++i) f(at + steps_[i], NoPathState{});
            return;
        }
        if (left == 2) {  // the last two levels as two loops: most of the visits are here
            for (std::size_t i = 0; i < end; ++i) {
                const std::int64_t to = at + steps_[i];
                if (!exactly) f(to, NoPathState{});
                const std::size_t last = end_[below_[i]];
                for (std::size_t j = 0; j < last; ++j) f(to + steps_[j], NoPathState{});
            }
            return;
        }
        for (std::size_t i = 0; i < end; ++i) {
            const std::int64_t to = at + steps_[i];
            if (!exactly) f(to, NoPathState{});
            const int next = below_[i];
            if (next < digits_ && movable_[static_cast<std::size_t>(next)] >= (exactly ? left - 1 : 1))
                free_changes<exactly>(next, left - 1, to, f);
        }
    }

    // One change left and no digit below d that must change: each alternative of digits d … last, the
    // deepest digit first, the state taking the centre's values of the digits below it.
    template <typename State, typename Step, typename F>
    void last_change(int d, std::int64_t at, const std::array<State, radix_digits + 1>& path, Step& step, F& f) const {
        for (int e = digits_ - 1; e >= d; --e) {
            const auto u = static_cast<std::size_t>(e);
            for (std::size_t i = start_[u]; i < end_[u]; ++i) {
                State state = step(path[u], e, values_[i]);
                for (int below = e + 1; below < digits_; ++below) state = step(state, below, own_[static_cast<std::size_t>(below)]);
                f(at + steps_[i], state);
            }
        }
    }

    int digits_ = 0;
    bool empty_ = false;  // a digit without values: nothing to visit
    std::int64_t base_ = 0;
    std::array<int, radix_digits> own_{};
    std::array<int, radix_digits + 1> next_open_{};
    std::array<int, radix_digits + 1> opens_{};    // digits from d on that must change
    std::array<int, radix_digits + 1> movable_{};  // digits from d on with any alternative
    std::array<std::size_t, radix_digits + 1> start_{};  // digit `digits_` has none
    std::array<std::size_t, radix_digits + 1> end_{};
    std::array<std::int64_t, radix_digits * radix_max_count> steps_{};
    std::array<std::uint8_t, radix_digits * radix_max_count> values_{};
    std::array<std::uint8_t, radix_digits * radix_max_count> below_{};  // the digit after the step's
};

}  // namespace morvalen::core
