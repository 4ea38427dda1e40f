// Exact cover search: branch over the bets covering the hardest uncovered variant.
#include "briefgen/exact_cover.h"

#include <algorithm>

namespace morvalen::briefgen {

namespace {

class Search {
public:
    Search(const Shape& shape, std::uint64_t node_limit) : space_(shape), limit_(node_limit) {
        n_ = static_cast<std::uint32_t>(space_.size());
        const Digits zero{};
        for_each_in_ball(space_, zero, space_.radius(), [&](std::uint64_t) { ++ball_; });
        balls_.reserve(static_cast<std::size_t>(n_) * ball_);
        for (std::uint32_t v = 0; v < n_; ++v)
            for_each_in_ball(space_, space_.digits_of(v), space_.radius(),
                             [&](std::uint64_t i) { balls_.push_back(static_cast<std::uint32_t>(i)); });
        covered_.assign(n_, 0);
        gain_.assign(n_, ball_);
        banned_.assign(n_, 0);
        uncovered_ = n_;
    }

    ExactOutcome run(int size) {
        if (size <= 0) return n_ == 0 ? ExactOutcome::found : ExactOutcome::none;
        // Every variant is a bet's image under some outcome permutation, so one bet may be fixed.
        place(0);
        chosen_.push_back(0);
        const bool found = dfs(size - 1);
        if (found) return ExactOutcome::found;
        return gave_up_ ? ExactOutcome::gave_up : ExactOutcome::none;
    }

    std::vector<Record> records() const {
        std::vector<Record> out;
        for (std::uint32_t c : chosen_) out.push_back(space_.record_of_index(c));
        return out;
    }
    std::uint64_t nodes() const { return nodes_; }

private:
    const std::uint32_t* ball(std::uint32_t v) const { return balls_.data() + static_cast<std::size_t>(v) * ball_; }

    void place(std::uint32_t c) {
        const std::uint32_t* b = ball(c);
        for (std::uint32_t i = 0; i < ball_; ++i) {
            if (covered_[b[i]]++ == 0) {
                --uncovered_;
                const std::uint32_t* nb = ball(b[i]);
                for (std::uint32_t j = 0; j < ball_; ++j) --gain_[nb[j]];
            }
        }
    }
    void remove(std::uint32_t c) {
        const std::uint32_t* b = ball(c);
        for (std::uint32_t i = 0; i < ball_; ++i) {
            if (--covered_[b[i]] == 0) {
                ++uncovered_;
                const std::uint32_t* nb = ball(b[i]);
                for (std::uint32_t j = 0; j < ball_; ++j) ++gain_[nb[j]];
            }
        }
    }

    bool dfs(int left) {
        if (uncovered_ == 0) return true;
        if (left == 0) return false;
        if (limit_ != 0 && nodes_ >= limit_) {
            gave_up_ = true;
            return false;
        }
        ++nodes_;
        // Bound: the `left` best bets still allowed cannot add more than their current gains.
        top_.clear();
        for (std::uint32_t c = 0; c < n_; ++c)
            if (banned_[c] == 0 && gain_[c] > 0) top_.push_back(gain_[c]);
        const auto take = std::min<std::size_t>(top_.size(), static_cast<std::size_t>(left));
        std::partial_sort(top_.begin(), top_.begin() + static_cast<std::ptrdiff_t>(take), top_.end(),
                          std::greater<>());
        std::uint64_t reach = 0;
        for (std::size_t i = 0; i < take; ++i) reach += top_[i];
        if (reach < uncovered_) return false;
        // Branch on the uncovered variant with the fewest allowed bets covering it.
        std::uint32_t pick = 0;
        std::uint32_t fewest = ~0u;
        for (std::uint32_t v = 0; v < n_ && fewest > 1; ++v) {
            if (covered_[v] != 0) continue;
            std::uint32_t options = 0;
            const std::uint32_t* b = ball(v);
            for (std::uint32_t i = 0; i < ball_; ++i) options += banned_[b[i]] == 0 ? 1u : 0u;
            if (options < fewest) {
                fewest = options;
                pick = v;
            }
        }
        if (fewest == 0) return false;
        std::vector<std::uint32_t> options;
        const std::uint32_t* b = ball(pick);
        for (std::uint32_t i = 0; i < ball_; ++i)
            if (banned_[b[i]] == 0) options.push_back(b[i]);
        std::sort(options.begin(), options.end(), [&](std::uint32_t x, std::uint32_t y) { return gain_[x] > gain_[y]; });
        bool found = false;
        std::size_t tried = 0;
        for (std::uint32_t c : options) {
            place(c);
            chosen_.push_back(c);
            if (dfs(left - 1)) {
                found = true;
                break;
            }
            chosen_.pop_back();
            remove(c);
            // Covers using c were all explored: later siblings need not use it.
            ++banned_[c];
            ++tried;
            if (gave_up_) break;
        }
        for (std::size_t i = 0; i < tried; ++i) --banned_[options[i]];
        return found;
    }

    VariantSpace space_;
    std::uint64_t limit_;
    std::uint32_t n_ = 0;
    std::uint32_t ball_ = 0;
    std::vector<std::uint32_t> balls_;
    std::vector<std::uint16_t> covered_;
    std::vector<std::uint32_t> gain_;
    std::vector<std::uint16_t> banned_;
    std::vector<std::uint32_t> chosen_;
    std::vector<std::uint32_t> top_;
    std::uint64_t uncovered_ = 0;
    std::uint64_t nodes_ = 0;
    bool gave_up_ = false;
};

}  // namespace

ExactResult exact_cover(const Shape& shape, int size, std::uint64_t node_limit) {
    ExactResult result;
    if (!shape_problem(shape).empty() || VariantSpace(shape).size() > (1u << 20)) return result;
    Search search(shape, node_limit);
    result.outcome = search.run(size);
    result.nodes = search.nodes();
    if (result.outcome == ExactOutcome::found) result.records = search.records();
    return result;
}

}  // namespace morvalen::briefgen
