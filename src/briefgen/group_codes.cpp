// The matrix method over abelian groups: random columns, tabu search over the syndrome set.
#include "briefgen/group_codes.h"

#include "briefgen/least_choice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "briefgen/coverage_check.h"
#include "briefgen/record_codes.h"

namespace morvalen::briefgen {

namespace {

// Elements in mixed radix over the moduli; addition by two tables over the halves of the digits,
// so that a sum costs two lookups whatever the number of components.
class Group {
public:
    explicit Group(std::vector<int> moduli) : moduli_(std::move(moduli)) {
        for (int m : moduli_) size_ *= m;
        std::size_t half = 0;
        low_ = 1;
        while (half < moduli_.size() && low_ * moduli_[half] <= 128) low_ *= moduli_[half++];
        high_ = size_ / low_;
        low_sum_ = table(0, half, low_);
        high_sum_ = table(half, moduli_.size(), high_);
        negative_.resize(static_cast<std::size_t>(size_));
        for (int a = 0; a < size_; ++a) {
            std::vector<int> digits = digits_of(a);
            for (std::size_t i = 0; i < digits.size(); ++i) digits[i] = (moduli_[i] - digits[i]) % moduli_[i];
            negative_[static_cast<std::size_t>(a)] = index_of(digits);
        }
    }

    int size() const { return size_; }
    const std::vector<int>& moduli() const { return moduli_; }
    int add(int a, int b) const {
        const int low = low_sum_[static_cast<std::size_t>((a % low_) * low_ + b % low_)];
        const int high = high_sum_[static_cast<std::size_t>((a / low_) * high_ + b / low_)];
        return low + high * low_;
    }
    int negate(int a) const { return negative_[static_cast<std::size_t>(a)]; }
    std::vector<int> digits_of(int a) const {
        std::vector<int> digits(moduli_.size());
        for (std::size_t i = 0; i < moduli_.size(); ++i) {
            digits[i] = a % moduli_[i];
            a /= moduli_[i];
        }
        return digits;
    }
    int index_of(const std::vector<int>& digits) const {
        int index = 0;
        for (std::size_t i = moduli_.size(); i-- > 0;) index = index * moduli_[i] + digits[i];
        return index;
    }

private:
    std::vector<int> table(std::size_t from, std::size_t to, int size) const {
        std::vector<int> sum(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
        for (int a = 0; a < size; ++a) {
            for (int b = 0; b < size; ++b) {
                int x = a, y = b, result = 0, place = 1;
                for (std::size_t i = from; i < to; ++i) {
                    const int m = moduli_[i];
                    result += (x % m + y % m) % m * place;
                    place *= m;
                    x /= m;
                    y /= m;
                }
                sum[static_cast<std::size_t>(a) * static_cast<std::size_t>(size) + static_cast<std::size_t>(b)] = result;
            }
        }
        return sum;
    }

    std::vector<int> moduli_;
    int size_ = 1;
    int low_ = 1;
    int high_ = 1;
    std::vector<int> low_sum_;
    std::vector<int> high_sum_;
    std::vector<int> negative_;
};

// How an event's outcomes map into the group: x·h for the cyclic alphabet Z_q, or
// (x mod 2)·h + (x div 2)·h' for four outcomes read as Z_2 × Z_2.
enum class Alphabet { cyclic, klein };

struct Structure {
    Alphabet alphabet = Alphabet::cyclic;
    std::vector<int> moduli;
};

std::vector<int> powers_of(int base, int count) { return std::vector<int>(static_cast<std::size_t>(count), base); }

// Syndrome groups of exactly `order` elements that the alphabet maps into.
std::vector<Structure> structures_of(int q, int n, long order) {
    std::vector<Structure> found;
    auto exponent_of = [](long value, int p) {
        int e = 0;
        while (value % p == 0) {
            value /= p;
            ++e;
        }
        return std::make_pair(e, value);
    };
    if (q == 2 || q == 3 || q == 5 || q == 7) {
        auto [e, rest] = exponent_of(order, q);
        if (rest == 1 && e <= n) found.push_back({Alphabet::cyclic, powers_of(q, e)});
    } else if (q == 4) {
        auto [e, rest] = exponent_of(order, 2);
        if (rest != 1) return found;
        if (e <= 2 * n) found.push_back({Alphabet::klein, powers_of(2, e)});
        // Z_4^a × Z_2^b with 2a + b = e.
        for (int a = std::max(1, e - n); 2 * a <= e && a <= n; ++a) {
            std::vector<int> moduli = powers_of(4, a);
            const auto twos = powers_of(2, e - 2 * a);
            moduli.insert(moduli.end(), twos.begin(), twos.end());
            if (e - 2 * a + a <= n + a) found.push_back({Alphabet::cyclic, moduli});
        }
    } else if (q == 6) {
        auto [a, rest] = exponent_of(order, 2);
        auto [b, other] = exponent_of(rest, 3);
        if (other == 1 && a <= n && b <= n) {
            std::vector<int> moduli = powers_of(2, a);
            const auto threes = powers_of(3, b);
            moduli.insert(moduli.end(), threes.begin(), threes.end());
            found.push_back({Alphabet::cyclic, moduli});
        }
    }
    return found;
}

// The q images of one event's outcomes, all distinct: h of order q, or h, h' independent.
std::vector<int> draw_images(const Group& group, const Structure& structure, int q, core::RandomSource& random) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::vector<int> images(static_cast<std::size_t>(q), 0);
        const int h = static_cast<int>(random.uniform_int(1, group.size() - 1));
        if (structure.alphabet == Alphabet::klein) {
            const int other = static_cast<int>(random.uniform_int(1, group.size() - 1));
            images = {0, h, other, group.add(h, other)};
        } else {
            for (int x = 1; x < q; ++x) images[static_cast<std::size_t>(x)] = group.add(images[static_cast<std::size_t>(x - 1)], h);
        }
        std::vector<int> sorted = images;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) return images;
    }
    return {};
}

bool spans(const Group& group, const std::vector<std::vector<int>>& images);

// One event's images after another; each keeps apart from the moves of the events before it while
// the group has room, which is what a Hamming code's columns do.
std::vector<std::vector<int>> draw_columns(const Group& group, const Structure& structure, int q, int n,
                                           core::RandomSource& random) {
    std::vector<char> used(static_cast<std::size_t>(group.size()), 0);
    std::vector<std::vector<int>> images;
    for (int j = 0; j < n; ++j) {
        std::vector<int> event;
        std::size_t least_overlap = SIZE_MAX;
        for (int attempt = 0; attempt < 40 && least_overlap > 0; ++attempt) {
            auto drawn = draw_images(group, structure, q, random);
            if (drawn.empty()) return {};
            std::size_t overlap = 0;
            for (std::size_t x = 1; x < drawn.size(); ++x) overlap += used[static_cast<std::size_t>(drawn[x])];
            if (overlap < least_overlap) {
                least_overlap = overlap;
                event = std::move(drawn);
            }
        }
        for (std::size_t x = 1; x < event.size(); ++x) used[static_cast<std::size_t>(event[x])] = 1;
        images.push_back(std::move(event));
    }
    if (!spans(group, images)) return {};
    return images;
}

bool spans(const Group& group, const std::vector<std::vector<int>>& images) {
    std::vector<char> seen(static_cast<std::size_t>(group.size()), 0);
    std::vector<int> reached{0};
    seen[0] = 1;
    for (std::size_t i = 0; i < reached.size(); ++i) {
        for (const auto& event : images) {
            for (int image : event) {
                const int next = group.add(reached[i], image);
                if (!seen[static_cast<std::size_t>(next)]) {
                    seen[static_cast<std::size_t>(next)] = 1;
                    reached.push_back(next);
                }
            }
        }
    }
    return static_cast<int>(reached.size()) == group.size();
}

// Where a syndrome can move with at most `radius` disagreements, each in a different event; a move
// in an event is the difference of two of its images, which for a homomorphism is again an image.
std::vector<int> syndrome_ball(const Group& group, const std::vector<std::vector<int>>& images, int radius) {
    std::vector<char> seen(static_cast<std::size_t>(group.size()), 0);
    seen[0] = 1;
    std::vector<std::pair<int, std::size_t>> states{{0, 0}};
    for (int step = 0; step < radius; ++step) {
        std::vector<std::pair<int, std::size_t>> next;
        for (auto [syndrome, first] : states) {
            for (std::size_t j = first; j < images.size(); ++j) {
                for (std::size_t x = 1; x < images[j].size(); ++x) {
                    const int moved = group.add(syndrome, images[j][x]);
                    next.push_back({moved, j + 1});
                    seen[static_cast<std::size_t>(moved)] = 1;
                }
            }
        }
        states = std::move(next);
    }
    std::vector<int> ball;
    for (int s = 0; s < group.size(); ++s)
        if (seen[static_cast<std::size_t>(s)]) ball.push_back(s);
    return ball;
}

// How many elements of the group lie within `radius` of the syndromes under these columns.
class CoverCounter {
public:
    explicit CoverCounter(const Group& group) : group_(group), stamp_(static_cast<std::size_t>(group.size()), 0) {}
    std::size_t uncovered(const std::vector<std::vector<int>>& images, int radius, const std::vector<int>& syndromes) {
        ++epoch_;
        std::size_t covered = 0;
        for (int b : syndrome_ball(group_, images, radius)) {
            for (int s : syndromes) {
                auto& seen = stamp_[static_cast<std::size_t>(group_.add(s, b))];
                if (seen != epoch_) {
                    seen = epoch_;
                    ++covered;
                }
            }
        }
        return static_cast<std::size_t>(group_.size()) - covered;
    }

private:
    const Group& group_;
    std::vector<std::uint32_t> stamp_;
    std::uint32_t epoch_ = 0;
};

// Tabu search for `target` translates of the ball that cover the group. A move replaces one chosen
// syndrome by one whose ball holds a random uncovered element; its cost is exact: what the leaving
// syndrome alone covered, less what the newcomer covers of it, less what the newcomer adds.
class SyndromeSearch {
public:
    SyndromeSearch(const Group& group, std::vector<int> ball, int target, core::RandomSource& random)
        : group_(group), ball_(std::move(ball)), random_(random), count_(static_cast<std::size_t>(group.size()), 0),
          owners_(static_cast<std::size_t>(group.size()), 0), where_(static_cast<std::size_t>(group.size()), -1),
          weight_(static_cast<std::size_t>(group.size()), 1),
          unique_(static_cast<std::size_t>(target), 0), shared_(static_cast<std::size_t>(target), 0),
          tabu_until_(static_cast<std::size_t>(target), 0) {
        for (int g = 0; g < group.size(); ++g) mark_uncovered(g);
        for (int b : ball_) negative_ball_.push_back(group.negate(b));
        for (int i = 0; i < target; ++i) {
            chosen_.push_back(static_cast<int>(random.uniform_int(0, group.size() - 1)));
            place(i, chosen_.back(), 1);
        }
    }

    bool run(std::uint64_t steps, std::chrono::steady_clock::time_point deadline) {
        const std::size_t sample = std::min<std::size_t>(ball_.size(), 192);
        const auto tenure = static_cast<std::int64_t>(std::max<std::size_t>(2, chosen_.size() / 8));
        std::vector<int> touched;
        // The clock runs on across calls, so tabu tenures set in one call hold into the next.
        for (const std::uint64_t end = clock_ + steps; clock_ < end;) {
            const std::uint64_t step = ++clock_;
            if (uncovered_.empty()) return true;
            if ((step & 7) == 0 && std::chrono::steady_clock::now() >= deadline) return false;
            const int hole = uncovered_[static_cast<std::size_t>(random_.uniform_int(0, static_cast<std::int64_t>(uncovered_.size()) - 1))];
            std::int64_t least_unique = std::numeric_limits<std::int64_t>::max();
            int least_owner = -1;
            for (std::size_t i = 0; i < chosen_.size(); ++i) {
                if (tabu_until_[i] > step) continue;
                if (unique_[i] < least_unique ||
                    (unique_[i] == least_unique && random_.uniform_int(0, 1) == 0)) {
                    least_unique = unique_[i];
                    least_owner = static_cast<int>(i);
                }
            }
            if (least_owner < 0) continue;
            // The place that leaves and the syndrome that comes in.
            LeastChoice<std::int64_t, std::pair<int, int>> best({-1, 0});
            for (std::size_t k = 0; k < sample; ++k) {
                const std::size_t pick = sample == ball_.size()
                                             ? k
                                             : static_cast<std::size_t>(random_.uniform_int(0, static_cast<std::int64_t>(ball_.size()) - 1));
                const int candidate = group_.add(hole, negative_ball_[pick]);
                std::int64_t gain = 0;
                touched.clear();
                for (int b : ball_) {
                    const auto g = static_cast<std::size_t>(group_.add(candidate, b));
                    if (count_[g] == 0) gain += weight_[g];
                    else if (count_[g] == 1) {
                        const auto owner = static_cast<std::size_t>(owners_[g]);
                        if (shared_[owner] == 0) touched.push_back(static_cast<int>(owner));
                        shared_[owner] += weight_[g];
                    }
                }
                std::int64_t loss = least_unique;
                int owner = least_owner;
                for (int i : touched) {
                    const auto u = static_cast<std::size_t>(i);
                    if (tabu_until_[u] <= step && unique_[u] - shared_[u] < loss) {
                        loss = unique_[u] - shared_[u];
                        owner = i;
                    }
                    shared_[u] = 0;
                }
                best.offer(loss - gain, {owner, candidate}, random_);
            }
            const auto [best_index, best_syndrome] = best.chosen();
            const auto i = static_cast<std::size_t>(best_index);
            place(best_index, chosen_[i], -1);
            chosen_[i] = best_syndrome;
            place(best_index, best_syndrome, 1);
            tabu_until_[i] = step + 1 + static_cast<std::uint64_t>(random_.uniform_int(0, tenure));
            // Elements that stay uncovered weigh more, so the search leaves the plateaus it keeps
            // coming back to.
            for (int g : uncovered_) ++weight_[static_cast<std::size_t>(g)];
        }
        return uncovered_.empty();
    }

    const std::vector<int>& chosen() const { return chosen_; }
    std::size_t uncovered() const { return uncovered_.size(); }

    // The same syndromes over another ball, after the columns changed; the weights start afresh,
    // since what stayed uncovered under the old columns says little about the new ones.
    void replace_ball(std::vector<int> ball) {
        std::fill(count_.begin(), count_.end(), 0);
        std::fill(owners_.begin(), owners_.end(), 0);
        std::fill(where_.begin(), where_.end(), -1);
        std::fill(weight_.begin(), weight_.end(), 1);
        std::fill(unique_.begin(), unique_.end(), 0);
        uncovered_.clear();
        for (int g = 0; g < group_.size(); ++g) mark_uncovered(g);
        ball_ = std::move(ball);
        negative_ball_.clear();
        for (int b : ball_) negative_ball_.push_back(group_.negate(b));
        for (std::size_t i = 0; i < chosen_.size(); ++i) place(static_cast<int>(i), chosen_[i], 1);
    }

private:
    void mark_uncovered(int g) {
        where_[static_cast<std::size_t>(g)] = static_cast<int>(uncovered_.size());
        uncovered_.push_back(g);
    }
    void mark_covered(int g) {
        const int at = where_[static_cast<std::size_t>(g)];
        const int last = uncovered_.back();
        uncovered_[static_cast<std::size_t>(at)] = last;
        where_[static_cast<std::size_t>(last)] = at;
        uncovered_.pop_back();
        where_[static_cast<std::size_t>(g)] = -1;
    }
    // Adds (sign 1) or removes (sign −1) syndrome number i at s, keeping counts, sole owners and
    // each syndrome's number of elements it alone covers.
    void place(int i, int s, int sign) {
        for (int b : ball_) {
            const auto g = static_cast<std::size_t>(group_.add(s, b));
            const int before = count_[g];
            const std::int64_t w = weight_[g];
            if (sign > 0) {
                if (before == 0) mark_covered(static_cast<int>(g));
                if (before == 1) unique_[static_cast<std::size_t>(owners_[g])] -= w;
                count_[g] = before + 1;
                owners_[g] += i;
                if (before == 0) unique_[static_cast<std::size_t>(i)] += w;
            } else {
                count_[g] = before - 1;
                owners_[g] -= i;
                if (before == 1) {
                    unique_[static_cast<std::size_t>(i)] -= w;
                    mark_uncovered(static_cast<int>(g));
                }
                if (before == 2) unique_[static_cast<std::size_t>(owners_[g])] += w;
            }
        }
    }

    const Group& group_;
    std::vector<int> ball_;
    std::vector<int> negative_ball_;
    core::RandomSource& random_;
    std::vector<int> count_;
    std::vector<int> owners_;  // sum of the numbers of the chosen syndromes covering an element
    std::vector<int> where_;
    std::vector<int> uncovered_;
    std::vector<int> chosen_;
    std::vector<std::int64_t> weight_;
    std::vector<std::int64_t> unique_;  // weight of what each chosen syndrome alone covers
    std::vector<std::int64_t> shared_;
    std::vector<std::uint64_t> tabu_until_;
    std::uint64_t clock_ = 0;
};

// Columns that differ from `images` in one event drawn at random, chosen among `samples` draws of
// that event's images for leaving the fewest elements uncovered by `chosen`; empty when that leaves
// more than `most_uncovered`, or the map is no longer onto the group.
std::vector<std::vector<int>> moved_columns(const Group& group, const Structure& structure, int q, int radius,
                                            const std::vector<std::vector<int>>& images, const std::vector<int>& chosen,
                                            std::size_t most_uncovered, int samples, core::RandomSource& random) {
    const auto event = static_cast<std::size_t>(random.uniform_int(0, static_cast<std::int64_t>(images.size()) - 1));
    CoverCounter counter(group);
    LeastChoice<std::size_t, std::vector<int>> best;
    std::vector<std::vector<int>> trial = images;
    for (int k = 0; k < samples; ++k) {
        auto drawn = draw_images(group, structure, q, random);
        if (drawn.empty() || drawn == images[event]) continue;
        trial[event] = drawn;
        best.offer(counter.uncovered(trial, radius, chosen), drawn, random);
    }
    if (best.chosen().empty() || best.least() > most_uncovered) return {};
    trial[event] = best.chosen();
    if (!spans(group, trial)) return {};
    return trial;
}

}  // namespace

SyndromeMap search_group_code(int q, int n, int radius, std::size_t below, core::RandomSource& random,
                              const GroupCodeOptions& options, GroupCodeStats* stats) {
    SyndromeMap best;
    best.q = q;
    if (q < 2 || n < 2 || radius < 1 || radius >= n || below < 2) return best;
    double variants = 1;
    for (int i = 0; i < n; ++i) variants *= q;
    std::uint64_t ball_bound = 1;
    for (std::uint64_t j = 1, term = 1; j <= static_cast<std::uint64_t>(radius); ++j) {
        term = term * (static_cast<std::uint64_t>(n) - j + 1) / j * static_cast<std::uint64_t>(q - 1);
        ball_bound += term;
    }
    struct Plan {
        Structure structure;
        int target = 0;
    };
    std::vector<Plan> plans;
    for (long order = 2; order <= options.largest_group; ++order) {
        if (options.only_order != 0 && static_cast<std::size_t>(order) != options.only_order) continue;
        const double coset = variants / static_cast<double>(order);
        if (coset < 1) break;
        const double most = std::ceil(static_cast<double>(below) / coset) - 1;
        const double least = std::ceil(static_cast<double>(order) / static_cast<double>(ball_bound));
        if (most < least || most < 1) continue;
        for (Structure& structure : structures_of(q, n, order))
            plans.push_back({std::move(structure), static_cast<int>(std::min(most, static_cast<double>(order)))});
    }
    std::size_t best_size = below;
    // Round after round every plan tries one draw of columns at the size that would beat the best
    // so far, so the time goes to the groups whose cosets can still make a smaller code.
    std::vector<Group> groups;
    for (const Plan& plan : plans) groups.emplace_back(plan.structure.moduli);
    std::uint64_t tries = 0;
    for (bool tried = true; tried && tries < options.max_tries && std::chrono::steady_clock::now() < options.deadline;) {
        tried = false;
        for (std::size_t p = 0; p < plans.size() && tries < options.max_tries && std::chrono::steady_clock::now() < options.deadline; ++p) {
            const Group& group = groups[p];
            const double coset = variants / static_cast<double>(group.size());
            const int target = std::min(plans[p].target, static_cast<int>(std::ceil(static_cast<double>(best_size) / coset)) - 1);
            if (target < 1 || static_cast<double>(target) * static_cast<double>(ball_bound) < group.size()) continue;
            tried = true;
            ++tries;
            const auto images = draw_columns(group, plans[p].structure, q, n, random);
            if (images.empty()) continue;
            const std::vector<int> ball = syndrome_ball(group, images, radius);
            if (ball.size() * static_cast<std::size_t>(target) < static_cast<std::size_t>(group.size())) continue;
            // A step reads the ball once per sampled candidate; a try is held to about a second,
            // unless the columns move too, when a try runs its full count of steps.
            const std::uint64_t step_work = std::min<std::uint64_t>(ball.size(), 192) * ball.size();
            const std::uint64_t steps =
                options.column_move_every > 0
                    ? options.steps_per_try
                    : std::max<std::uint64_t>(50, std::min({options.steps_per_try, 40 * static_cast<std::uint64_t>(group.size()),
                                                            300'000'000 / step_work}));
            SyndromeSearch search(group, ball, target, random);
            auto images_now = images;
            bool covered = false;
            std::size_t least_uncovered = SIZE_MAX;
            if (options.column_move_every == 0) {
                covered = search.run(steps, options.deadline);
            } else {
                // Alternate: the syndromes settle under fixed columns, then the columns of one event
                // are redrawn to suit the syndromes, which the next stretch then follows.
                for (std::uint64_t done = 0; done < steps && !covered && std::chrono::steady_clock::now() < options.deadline;
                     done += options.column_move_every) {
                    covered = search.run(options.column_move_every, options.deadline);
                    if (covered) break;
                    least_uncovered = std::min(least_uncovered, search.uncovered());
                    auto moved = moved_columns(group, plans[p].structure, q, radius, images_now, search.chosen(),
                                               search.uncovered(), options.column_samples, random);
                    if (moved.empty()) continue;
                    images_now = std::move(moved);
                    search.replace_ball(syndrome_ball(group, images_now, radius));
                    covered = search.uncovered() == 0;
                }
            }
            if (stats != nullptr) {
                ++stats->tries;
                if (!covered) stats->least_uncovered = std::min({stats->least_uncovered, least_uncovered, search.uncovered()});
            }
            if (!covered) continue;
            std::vector<int> chosen = search.chosen();
            std::sort(chosen.begin(), chosen.end());
            chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
            const auto size = static_cast<std::size_t>(static_cast<double>(chosen.size()) * coset + 0.5);
            if (size < best_size) {
                best_size = size;
                best.moduli = group.moduli();
                best.images = images_now;
                best.syndromes = chosen;
            }
        }
    }
    return best;
}

SyndromeMap search_columns(int q, int n, int radius, const std::vector<int>& moduli, const std::vector<int>& syndromes,
                           core::RandomSource& random, const ColumnSearchOptions& options, ColumnSearchStats* stats) {
    SyndromeMap found;
    found.q = q;
    if (q < 2 || n < 2 || radius < 1 || moduli.empty() || syndromes.empty()) return found;
    long order = 1;
    for (int m : moduli) {
        if (m < 2 || q % m != 0) return found;
        order *= m;
        if (order > (1L << 24)) return found;
    }
    const Group group(moduli);
    for (int s : syndromes)
        if (s < 0 || s >= group.size()) return found;
    const bool twos = std::all_of(moduli.begin(), moduli.end(), [](int m) { return m == 2; });
    const Structure structure{q == 4 && twos ? Alphabet::klein : Alphabet::cyclic, moduli};
    CoverCounter counter(group);
    std::vector<std::vector<int>> images;
    std::vector<std::uint64_t> still_until;
    std::size_t current = SIZE_MAX, least = SIZE_MAX;
    std::uint64_t since_least = 0;
    for (std::uint64_t step = 0; step < options.max_steps; ++step) {
        if ((step & 15) == 0 && std::chrono::steady_clock::now() >= options.deadline) break;
        if (images.empty() || since_least >= options.restart_after) {
            images = draw_columns(group, structure, q, n, random);
            if (images.empty()) {
                // The group has no room for the events apart: draw without spreading.
                for (int j = 0; j < n; ++j) images.push_back(draw_images(group, structure, q, random));
                if (images.back().empty()) return found;
            }
            still_until.assign(static_cast<std::size_t>(n), 0);
            current = least = counter.uncovered(images, radius, syndromes);
            since_least = 0;
        }
        if (current == 0 && spans(group, images)) {
            found.moduli = moduli;
            found.images = images;
            found.syndromes = syndromes;
            std::sort(found.syndromes.begin(), found.syndromes.end());
            found.syndromes.erase(std::unique(found.syndromes.begin(), found.syndromes.end()), found.syndromes.end());
            break;
        }
        if (stats != nullptr) ++stats->steps;
        // The best redraw of one event that is free to move, worse ones taken too, so the walk
        // leaves a local least; an event just moved waits its tenure.
        LeastChoice<std::size_t, std::pair<int, std::vector<int>>> best;
        auto trial = images;
        for (int k = 0; k < options.samples; ++k) {
            const auto event = static_cast<std::size_t>(random.uniform_int(0, n - 1));
            if (still_until[event] > step) continue;
            auto drawn = draw_images(group, structure, q, random);
            if (drawn.empty() || drawn == images[event]) continue;
            trial[event] = drawn;
            best.offer(counter.uncovered(trial, radius, syndromes), {static_cast<int>(event), drawn}, random);
            trial[event] = images[event];
        }
        if (best.chosen().second.empty()) continue;
        const auto event = static_cast<std::size_t>(best.chosen().first);
        images[event] = best.chosen().second;
        still_until[event] = step + 1 + static_cast<std::uint64_t>(options.tenure);
        current = best.least();
        if (current < least) {
            least = current;
            since_least = 0;
        } else {
            ++since_least;
        }
        if (stats != nullptr) stats->least_uncovered = std::min(stats->least_uncovered, current);
    }
    return found;
}

std::vector<Word> group_code_words(const SyndromeMap& map) {
    if (map.syndromes.empty()) return {};
    const Group group(map.moduli);
    std::vector<char> wanted(static_cast<std::size_t>(group.size()), 0);
    for (int s : map.syndromes) wanted[static_cast<std::size_t>(s)] = 1;
    const auto n = map.images.size();
    std::vector<Word> words;
    Word word(n, 0);
    // Odometer over the words with a running syndrome per prefix.
    std::vector<int> prefix(n + 1, 0);
    for (std::size_t j = n; j-- > 0;) prefix[j] = group.add(prefix[j + 1], map.images[j][0]);
    for (;;) {
        if (wanted[static_cast<std::size_t>(prefix[0])]) words.push_back(word);
        std::size_t j = 0;
        while (j < n && word[j] == map.q - 1) word[j++] = 0;
        if (j == n) break;
        ++word[j];
        for (std::size_t k = j + 1; k-- > 0;) prefix[k] = group.add(prefix[k + 1], map.images[k][word[k]]);
    }
    return words;
}

std::string describe_group(const SyndromeMap& map) {
    std::string text;
    std::vector<int> moduli = map.moduli;
    std::sort(moduli.begin(), moduli.end());
    for (std::size_t i = 0; i < moduli.size();) {
        std::size_t j = i;
        while (j < moduli.size() && moduli[j] == moduli[i]) ++j;
        if (!text.empty()) text += 'x';
        text += "Z" + std::to_string(moduli[i]) + (j - i > 1 ? "^" + std::to_string(j - i) : "");
        i = j;
    }
    return text;
}

namespace {

// The addition tables of a group grow with its order: stored groups stay as small as searched ones.
constexpr long stored_group_limit = 16384;

std::string joined(const std::vector<int>& values, char separator) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += separator;
        text += std::to_string(values[i]);
    }
    return text;
}

}  // namespace

std::optional<std::vector<int>> numbers_of(std::string_view text, char separator) {
    std::vector<int> values;
    while (true) {
        const auto end = text.find(separator);
        const std::string_view field = text.substr(0, end);
        int value = 0;
        const auto [last, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || error != std::errc() || last != field.data() + field.size() || value < 0) return std::nullopt;
        values.push_back(value);
        if (end == std::string_view::npos) return values;
        text.remove_prefix(end + 1);
    }
}

std::string group_code_line(const StoredGroupCode& code) {
    std::string images;
    for (const auto& event : code.map.images) {
        if (!images.empty()) images += '/';
        images += joined(event, ',');
    }
    return std::to_string(code.map.q) + ' ' + std::to_string(code.n) + ' ' + std::to_string(code.radius) + ' ' +
           std::to_string(code.size) + ' ' + joined(code.map.moduli, ',') + ' ' + images + ' ' + joined(code.map.syndromes, ',');
}

void write_group_codes(std::ostream& out, const std::vector<StoredGroupCode>& codes) {
    out << "# Uniform covering codes as syndrome maps: q, length, radius, words, the group's moduli, each\n"
           "# event's images of its outcomes ('/' between events) and the syndromes whose words are the code\n";
    for (const StoredGroupCode& code : codes) out << group_code_line(code) << '\n';
}

std::vector<StoredGroupCode> read_group_codes(std::istream& in) {
    std::vector<StoredGroupCode> codes;
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "group code line " + std::to_string(number) + ": ";
        std::istringstream fields(line);
        StoredGroupCode code;
        std::string moduli, images, syndromes, rest;
        if (!(fields >> code.map.q >> code.n >> code.radius >> code.size >> moduli >> images >> syndromes) || (fields >> rest))
            throw std::runtime_error(where + "expected q, length, radius, words, moduli, images and syndromes");
        if (code.map.q < 2 || code.map.q > max_count || code.n < 1 || code.n > events || code.radius < 1 || code.radius >= code.n)
            throw std::runtime_error(where + "no uniform shape has that alphabet, length and radius");
        const auto group_moduli = numbers_of(moduli, ',');
        long order = 1;
        if (group_moduli) {
            for (int m : *group_moduli) {
                if (m < 2 || code.map.q % m != 0 || order * m > stored_group_limit) {
                    order = 0;
                    break;
                }
                order *= m;
            }
        }
        if (!group_moduli || order == 0) throw std::runtime_error(where + "the moduli do not make a small group");
        code.map.moduli = *group_moduli;
        auto in_group = [order](const std::vector<int>& values) {
            return std::all_of(values.begin(), values.end(), [order](int v) { return v < order; });
        };
        std::string_view events_text = images;
        while (true) {
            const auto end = events_text.find('/');
            const auto event = numbers_of(events_text.substr(0, end), ',');
            if (!event || event->size() != static_cast<std::size_t>(code.map.q) || !in_group(*event))
                throw std::runtime_error(where + "an event's images are not q elements of the group");
            code.map.images.push_back(*event);
            if (end == std::string_view::npos) break;
            events_text.remove_prefix(end + 1);
        }
        if (code.map.images.size() != static_cast<std::size_t>(code.n))
            throw std::runtime_error(where + "the images do not match the length");
        const auto chosen = numbers_of(syndromes, ',');
        if (!chosen || !in_group(*chosen)) throw std::runtime_error(where + "the syndromes are not elements of the group");
        code.map.syndromes = *chosen;
        const auto words = group_code_words(code.map);
        if (words.size() != code.size) throw std::runtime_error(where + "the count does not match the words");
        const CoverageReport report = check_coverage(uniform_shape(code.map.q, code.n, code.radius), records_of_words(words));
        if (!report.covers) throw std::runtime_error(where + report.problem);
        codes.push_back(std::move(code));
    }
    return codes;
}

}  // namespace morvalen::briefgen
