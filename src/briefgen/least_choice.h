// The least-scored of a stream of candidates, equal scores decided at random: the one tie rule of
// the searches, so that a seed replays a search wherever it runs.
#pragma once

#include <cstdint>
#include <limits>

namespace morvalen::briefgen {

// How the k-th candidate of the least score so far is drawn, with chance 1/(k + 1): the searches
// keep the draw they were tuned and recorded with.
struct DrawInclusive {
    template <typename Random>
    static bool keeps(Random& random, std::uint64_t ties) { return random.uniform_int(0, static_cast<std::int64_t>(ties)) == 0; }
};
struct DrawBelow {
    template <typename Random>
    static bool keeps(Random& random, std::uint64_t ties) { return random.below(ties + 1) == 0; }
};

// Reservoir sampling over the ties: each candidate of the least score is kept with equal chance.
template <typename Score, typename Candidate, typename Draw = DrawInclusive>
class LeastChoice {
public:
    // `nothing` stands chosen until a candidate is offered.
    explicit LeastChoice(Candidate nothing = {}) : chosen_(nothing) {}

    // Keeps `candidate` when its score is below the least so far, or equal to it and drawn.
    template <typename Random>
    bool offer(Score score, const Candidate& candidate, Random& random) {
        if (score < least_) {
            least_ = score;
            chosen_ = candidate;
            ties_ = 1;
            return true;
        }
        if (score == least_ && Draw::keeps(random, ties_++)) {
            chosen_ = candidate;
            return true;
        }
        return false;
    }
    Score least() const { return least_; }
    const Candidate& chosen() const { return chosen_; }

private:
    Score least_ = std::numeric_limits<Score>::max();
    Candidate chosen_;
    std::uint64_t ties_ = 0;
};

}  // namespace morvalen::briefgen
