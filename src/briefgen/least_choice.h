// The least-scored of a stream of candidates, equal scores decided at random: the one tie rule of
// the searches, so that a seed replays a search wherever it runs.
#pragma once

#include <cstdint>
#include <limits>

namespace morvalen::briefgen {

// Reservoir sampling over the ties: each candidate of the least score is kept with equal chance.
template <typename Score, typename Candidate>
class LeastChoice {
public:
    // Keeps `candidate` when its score is below the least so far, or equal to it and drawn.
    template <typename Random>
    bool offer(Score score, const Candidate& candidate, Random& random) {
        if (score < least_) {
            least_ = score;
            chosen_ = candidate;
            ties_ = 1;
            return true;
        }
        if (score == least_ && random.uniform_int(0, static_cast<std::int64_t>(ties_++)) == 0) {
            chosen_ = candidate;
            return true;
        }
        return false;
    }
    Score least() const { return least_; }
    const Candidate& chosen() const { return chosen_; }

private:
    Score least_ = std::numeric_limits<Score>::max();
    Candidate chosen_{};
    std::uint64_t ties_ = 0;
};

}  // namespace morvalen::briefgen
