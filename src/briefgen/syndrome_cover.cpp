// The syndrome space, its balls, random check matrices and the tabu search over syndrome sets.
#include "briefgen/syndrome_cover.h"

#include "briefgen/least_choice.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace morvalen::briefgen {

namespace {

constexpr int largest_space = 1 << 20;

std::vector<int> digits_of(const SyndromeSpace& space, int a) {
    std::vector<int> digits(static_cast<std::size_t>(space.rows()));
    for (int& d : digits) {
        d = a % space.q();
        a /= space.q();
    }
    return digits;
}

// The state of one tabu run: the chosen syndromes, how many cover each syndrome, the sum of the
// places of its coverers (the one coverer's place where the count is 1), how many each place
// covers alone, and the uncovered syndromes as a set that draws at random.
class CoverState {
public:
    CoverState(const SyndromeSpace& space, std::span<const int> ball, std::vector<int> chosen)
        : space_(space), ball_(ball.begin(), ball.end()), chosen_(std::move(chosen)),
          count_(static_cast<std::size_t>(space.size()), 0), owners_(count_.size(), 0),
          alone_(chosen_.size(), 0), hole_at_(count_.size(), 0) {
        for (int g = 0; g < space.size(); ++g) {
            hole_at_[static_cast<std::size_t>(g)] = static_cast<int>(holes_.size());
            holes_.push_back(g);
        }
        for (std::size_t i = 0; i < chosen_.size(); ++i) place(static_cast<int>(i), +1);
    }

    const std::vector<int>& chosen() const { return chosen_; }
    std::size_t uncovered() const { return holes_.size(); }
    int random_hole(core::RandomSource& random) const {
        return holes_[static_cast<std::size_t>(random.below(holes_.size()))];
    }
    int count(int g) const { return count_[static_cast<std::size_t>(g)]; }
    int owner(int g) const { return owners_[static_cast<std::size_t>(g)]; }
    int alone(int i) const { return alone_[static_cast<std::size_t>(i)]; }
    const std::vector<int>& ball() const { return ball_; }

    void swap_in(int i, int syndrome) {
        place(i, -1);
        chosen_[static_cast<std::size_t>(i)] = syndrome;
        place(i, +1);
    }

private:
    void place(int i, int sign) {
        const int s = chosen_[static_cast<std::size_t>(i)];
        for (int b : ball_) {
            const auto g = static_cast<std::size_t>(space_.add(s, b));
            if (sign > 0) {
                const int before = count_[g]++;
                if (before == 0) forget_hole(g);
                else if (before == 1) --alone_[static_cast<std::size_t>(owners_[g])];
                if (before == 0) ++alone_[static_cast<std::size_t>(i)];
                owners_[g] += i;
            } else {
                const int after = --count_[g];
                owners_[g] -= i;
                if (after == 0) {
                    --alone_[static_cast<std::size_t>(i)];
                    hole_at_[g] = static_cast<int>(holes_.size());
                    holes_.push_back(static_cast<int>(g));
                } else if (after == 1) {
                    ++alone_[static_cast<std::size_t>(owners_[g])];
                }
            }
        }
    }
    void forget_hole(std::size_t g) {
        const int last = holes_.back();
        const int at = hole_at_[g];
        holes_[static_cast<std::size_t>(at)] = last;
        hole_at_[static_cast<std::size_t>(last)] = at;
        holes_.pop_back();
    }

    const SyndromeSpace& space_;
    std::vector<int> ball_;
    std::vector<int> chosen_;
    std::vector<int> count_, owners_, alone_, hole_at_;
    std::vector<int> holes_;
};

struct Move {
    int place = -1;
    int syndrome = 0;
    int delta = std::numeric_limits<int>::max();
};

// The best swap that covers `hole`: for each candidate, what it would newly cover and, place by
// place, how much of what that place covers alone the candidate covers too.
class MoveFinder {
public:
    MoveFinder(const SyndromeSpace& space, std::span<const int> ball, int target)
        : negative_ball_(ball.size()), overlap_(static_cast<std::size_t>(target), 0) {
        for (std::size_t k = 0; k < ball.size(); ++k) negative_ball_[k] = space.negate(ball[k]);
    }

    Move find(const SyndromeSpace& space, const CoverState& state, int hole, core::RandomSource& random,
              const std::vector<std::uint64_t>& tabu_until, std::uint64_t step, std::size_t max_candidates) {
        rank_places(state, random);
        LeastChoice<int, Move, DrawBelow> best;
        const std::size_t candidates = std::min(max_candidates, negative_ball_.size());
        for (std::size_t c = 0; c < candidates; ++c) {
            const std::size_t pick = candidates == negative_ball_.size() ? c : random.below(negative_ball_.size());
            const int candidate = space.add(hole, negative_ball_[pick]);
            int gain = 0;
            touched_.clear();
            for (int b : state.ball()) {
                const int g = space.add(candidate, b);
                const int count = state.count(g);
                if (count == 0) ++gain;
                else if (count == 1) {
                    const auto owner = static_cast<std::size_t>(state.owner(g));
                    if (overlap_[owner]++ == 0) touched_.push_back(static_cast<int>(owner));
                }
            }
            const bool tabu = tabu_until[static_cast<std::size_t>(candidate)] > step;
            auto offer = [&](int i) {
                const int delta = state.alone(i) - overlap_[static_cast<std::size_t>(i)] - gain;
                // A tabu syndrome comes back only when it covers everything.
                if (tabu && delta + static_cast<int>(state.uncovered()) > 0) return;
                if (state.chosen()[static_cast<std::size_t>(i)] == candidate) return;
                best.offer(delta, Move{i, candidate, delta}, random);
            };
            for (int i : touched_) offer(i);
            // The untouched place that covers least alone.
            for (int i : ranked_) {
                if (overlap_[static_cast<std::size_t>(i)] == 0) {
                    offer(i);
                    break;
                }
            }
            for (int i : touched_) overlap_[static_cast<std::size_t>(i)] = 0;
        }
        return best.chosen();
    }

private:
    // The places covering least alone, enough of them that one is always untouched by a candidate.
    void rank_places(const CoverState& state, core::RandomSource& random) {
        const auto places = static_cast<int>(state.chosen().size());
        ranked_.resize(static_cast<std::size_t>(places));
        const int offset = static_cast<int>(random.below(static_cast<std::uint64_t>(places)));
        for (int i = 0; i < places; ++i) ranked_[static_cast<std::size_t>(i)] = (i + offset) % places;
        const std::size_t keep = std::min(ranked_.size(), negative_ball_.size() + 1);
        std::nth_element(ranked_.begin(), ranked_.begin() + static_cast<std::ptrdiff_t>(keep - 1), ranked_.end(),
                         [&](int a, int b) { return state.alone(a) < state.alone(b); });
        ranked_.resize(keep);
        std::sort(ranked_.begin(), ranked_.end(), [&](int a, int b) { return state.alone(a) < state.alone(b); });
    }

    std::vector<int> negative_ball_;
    std::vector<int> overlap_;
    std::vector<int> touched_;
    std::vector<int> ranked_;
};

}  // namespace

SyndromeSpace::SyndromeSpace(int q, int rows) : field_(q), rows_(rows) {
    if (rows < 1) throw std::invalid_argument("a syndrome space needs a row");
    const int low_digits = rows / 2;
    for (int i = 0; i < rows; ++i) {
        if (size_ > largest_space / q) throw std::invalid_argument("syndrome space too large");
        size_ *= q;
        (i < low_digits ? low_size_ : high_size_) *= static_cast<std::size_t>(q);
    }
    low_.resize(static_cast<std::size_t>(size_));
    high_.resize(low_.size());
    for (std::size_t a = 0; a < low_.size(); ++a) {
        low_[a] = a % low_size_;
        high_[a] = a / low_size_;
    }
    // Digit by digit in the field, then the halves put back together.
    auto half_sum = [&](std::size_t a, std::size_t b) {
        std::size_t sum = 0;
        for (std::size_t place = 1; a > 0 || b > 0; a /= static_cast<std::size_t>(q), b /= static_cast<std::size_t>(q), place *= static_cast<std::size_t>(q))
            sum += static_cast<std::size_t>(field_.add(static_cast<int>(a % static_cast<std::size_t>(q)), static_cast<int>(b % static_cast<std::size_t>(q)))) * place;
        return static_cast<int>(sum);
    };
    low_sum_.resize(low_size_ * low_size_);
    for (std::size_t a = 0; a < low_size_; ++a)
        for (std::size_t b = 0; b < low_size_; ++b) low_sum_[a * low_size_ + b] = half_sum(a, b);
    high_sum_.resize(high_size_ * high_size_);
    for (std::size_t a = 0; a < high_size_; ++a)
        for (std::size_t b = 0; b < high_size_; ++b)
            high_sum_[a * high_size_ + b] = half_sum(a, b) * static_cast<int>(low_size_);
}

int SyndromeSpace::scale(int a, int factor) const {
    int result = 0;
    for (int place = 1, i = 0; i < rows_; ++i, place *= q(), a /= q()) result += field_.mul(a % q(), factor) * place;
    return result;
}

std::vector<int> syndrome_ball(const SyndromeSpace& space, const std::vector<std::vector<int>>& images, int radius) {
    std::vector<char> seen(static_cast<std::size_t>(space.size()), 0);
    seen[0] = 1;
    std::vector<std::pair<int, std::size_t>> states{{0, 0}};  // (syndrome, first event still free)
    for (int step = 0; step < radius; ++step) {
        std::vector<std::pair<int, std::size_t>> next;
        for (auto [syndrome, first] : states) {
            for (std::size_t j = first; j < images.size(); ++j) {
                for (int image : images[j]) {
                    if (image == 0) continue;
                    const int moved = space.add(syndrome, image);
                    next.push_back({moved, j + 1});
                    seen[static_cast<std::size_t>(moved)] = 1;
                }
            }
        }
        states = std::move(next);
    }
    std::vector<int> ball;
    for (int s = 0; s < space.size(); ++s)
        if (seen[static_cast<std::size_t>(s)]) ball.push_back(s);
    return ball;
}

std::vector<int> syndrome_ball(const SyndromeSpace& space, std::span<const int> columns, int radius) {
    std::vector<std::vector<int>> images;
    for (int column : columns) {
        images.emplace_back();
        for (int a = 0; a < space.q(); ++a) images.back().push_back(space.scale(column, a));
    }
    return syndrome_ball(space, images, radius);
}

bool spans_space(const SyndromeSpace& space, std::span<const int> columns) {
    const GaloisField& f = space.field();
    std::vector<std::vector<int>> vectors;
    for (int c : columns) vectors.push_back(digits_of(space, c));
    int rank = 0;
    for (int row = 0; row < space.rows() && rank < static_cast<int>(vectors.size()); ++row) {
        auto pivot = std::find_if(vectors.begin() + rank, vectors.end(), [&](const auto& v) { return v[static_cast<std::size_t>(row)] != 0; });
        if (pivot == vectors.end()) continue;
        std::iter_swap(vectors.begin() + rank, pivot);
        const auto& p = vectors[static_cast<std::size_t>(rank)];
        const int inverse = f.inverse(p[static_cast<std::size_t>(row)]);
        for (std::size_t k = static_cast<std::size_t>(rank) + 1; k < vectors.size(); ++k) {
            const int factor = f.mul(vectors[k][static_cast<std::size_t>(row)], inverse);
            for (std::size_t d = 0; d < p.size(); ++d) vectors[k][d] = f.sub(vectors[k][d], f.mul(factor, p[d]));
        }
        ++rank;
    }
    return rank == space.rows();
}

std::vector<int> random_check_columns(const SyndromeSpace& space, int n, core::RandomSource& random) {
    const bool apart = (space.size() - 1) / (space.q() - 1) >= n;
    std::vector<int> columns;
    std::vector<char> taken(static_cast<std::size_t>(space.size()), 0);
    auto take = [&](int column) {
        for (int a = 1; a < space.q(); ++a) taken[static_cast<std::size_t>(space.scale(column, a))] = 1;
        columns.push_back(column);
    };
    taken[0] = 1;
    for (int i = 0, unit = 1; i < std::min(n, space.rows()); ++i, unit *= space.q()) take(unit);
    const double zero_chance = random.uniform01() / 2;
    while (static_cast<int>(columns.size()) < n) {
        int column = 0;
        for (int i = 0, place = 1; i < space.rows(); ++i, place *= space.q())
            if (random.uniform01() >= zero_chance) column += static_cast<int>(random.uniform_int(1, space.q() - 1)) * place;
        if (taken[static_cast<std::size_t>(column)] && (apart || column == 0)) continue;
        take(column);
    }
    return columns;
}

SyndromeTabuResult cover_syndromes(const SyndromeSpace& space, std::span<const int> ball, int target,
                                   core::RandomSource& random, const SyndromeTabuOptions& options, std::vector<int> start) {
    SyndromeTabuResult result;
    if (target < 1 || ball.empty()) return result;
    start.resize(static_cast<std::size_t>(target), -1);
    for (int& s : start)
        if (s < 0 || s >= space.size()) s = static_cast<int>(random.below(static_cast<std::uint64_t>(space.size())));
    CoverState state(space, ball, std::move(start));
    MoveFinder finder(space, ball, target);
    std::vector<std::uint64_t> tabu_until(static_cast<std::size_t>(space.size()), 0);
    result.syndromes = state.chosen();
    result.uncovered = state.uncovered();
    for (std::uint64_t step = 0; step < options.max_steps && state.uncovered() > 0; ++step) {
        if ((step & 63) == 0 && std::chrono::steady_clock::now() >= options.deadline) break;
        const int hole = state.random_hole(random);
        const Move move = finder.find(space, state, hole, random, tabu_until, step, options.max_candidates);
        result.steps = step + 1;
        if (move.place < 0) continue;
        const int leaving = state.chosen()[static_cast<std::size_t>(move.place)];
        tabu_until[static_cast<std::size_t>(leaving)] = step + 1 + static_cast<std::uint64_t>(options.tabu_length);
        state.swap_in(move.place, move.syndrome);
        if (state.uncovered() < result.uncovered) {
            result.uncovered = state.uncovered();
            result.syndromes = state.chosen();
        }
    }
    return result;
}

namespace {

// The columns with one of them replaced by a random direction none of the others has, still
// spanning; the columns unchanged when no such draw turns up.
std::vector<int> with_one_column_changed(const SyndromeSpace& space, std::vector<int> columns, core::RandomSource& random) {
    const bool apart = static_cast<std::size_t>((space.size() - 1) / (space.q() - 1)) > columns.size();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto j = static_cast<std::size_t>(random.below(columns.size()));
        const int column = static_cast<int>(random.uniform_int(1, space.size() - 1));
        bool clash = false;
        for (std::size_t k = 0; k < columns.size() && apart; ++k)
            for (int a = 1; a < space.q(); ++a) clash |= k != j && space.scale(columns[k], a) == column;
        if (clash) continue;
        std::vector<int> changed = columns;
        changed[j] = column;
        if (spans_space(space, changed)) return changed;
    }
    return columns;
}

}  // namespace

MatrixCode search_matrix_code(int q, int n, int radius, int rows, int target, core::RandomSource& random,
                              const MatrixSearchOptions& options, const std::function<void(const MatrixCode&)>& progress) {
    const bool additive = options.additive && q == 4;
    const SyndromeSpace space(additive ? 2 : q, rows);
    const int column_count = additive ? 2 * n : n;
    MatrixCode best{q, rows, additive, {}, {}, std::numeric_limits<std::size_t>::max()};
    MatrixCode current = best;
    std::uint64_t matrices = 0, steps = 0, stale = 0;
    for (std::uint64_t tries = 0; tries < options.max_matrices && std::chrono::steady_clock::now() < options.deadline; ++tries) {
        // A walk over matrices one column at a time, the syndromes carried along, restarted afresh
        // when it has not come closer for a while.
        const bool walk = !current.columns.empty() && stale < options.column_changes;
        std::vector<int> columns = walk ? with_one_column_changed(space, current.columns, random) : random_check_columns(space, column_count, random);
        if (!spans_space(space, columns)) break;
        const auto ball = syndrome_ball(space, outcome_images({q, rows, additive, columns, {}, 0}), radius);
        if (ball.size() * static_cast<std::size_t>(target) < static_cast<std::size_t>(space.size())) continue;
        SyndromeTabuOptions tabu = options.tabu;
        tabu.deadline = options.deadline;
        tabu.max_steps = options.steps_per_matrix;
        auto found = cover_syndromes(space, ball, target, random, tabu, walk ? current.syndromes : std::vector<int>{});
        ++matrices;
        steps += found.steps;
        if (!walk || found.uncovered <= current.uncovered) {
            stale = !walk || found.uncovered < current.uncovered ? 0 : stale + 1;
            current = {q, rows, additive, std::move(columns), std::move(found.syndromes), found.uncovered, matrices, steps};
        } else {
            ++stale;
        }
        if (current.uncovered >= best.uncovered) continue;
        best = current;
        if (progress) progress(best);
        if (best.uncovered == 0) break;
    }
    if (best.columns.empty()) best.uncovered = static_cast<std::size_t>(space.size());
    best.matrices = matrices;
    best.steps = steps;
    return best;
}

std::vector<std::vector<int>> outcome_images(const MatrixCode& code) {
    const SyndromeSpace space(code.additive ? 2 : code.q, code.rows);
    std::vector<std::vector<int>> images;
    if (code.additive) {
        for (std::size_t j = 0; j + 1 < code.columns.size(); j += 2) {
            const int u = code.columns[j], v = code.columns[j + 1];
            images.push_back({0, u, v, space.add(u, v)});
        }
        return images;
    }
    for (int column : code.columns) {
        images.emplace_back();
        for (int d = 0; d < code.q; ++d) images.back().push_back(space.scale(column, d));
    }
    return images;
}

std::vector<Word> matrix_code_words(const MatrixCode& code) {
    const SyndromeSpace space(code.additive ? 2 : code.q, code.rows);
    const auto multiple = outcome_images(code);
    const auto n = multiple.size();
    std::vector<char> wanted(static_cast<std::size_t>(space.size()), 0);
    for (int s : code.syndromes) wanted[static_cast<std::size_t>(s)] = 1;
    std::vector<Word> words;
    Word word(n, 0);
    for (bool more = n > 0; more;) {
        int syndrome = 0;
        for (std::size_t j = 0; j < n; ++j) syndrome = space.add(syndrome, multiple[j][word[j]]);
        if (wanted[static_cast<std::size_t>(syndrome)]) words.push_back(word);
        // The first event fastest, so the words come out in ascending order.
        more = false;
        for (std::size_t j = 0; j < n; ++j) {
            if (++word[j] < code.q) {
                more = true;
                break;
            }
            word[j] = 0;
        }
    }
    return words;
}

std::string describe_matrix_code(const MatrixCode& code) {
    if (code.additive)
        return "additive H " + std::to_string(code.rows) + "x(2x" + std::to_string(code.columns.size() / 2) + ") over GF(2), " +
               std::to_string(code.syndromes.size()) + " syndromes";
    return "H " + std::to_string(code.rows) + "x" + std::to_string(code.columns.size()) + " over GF(" +
           std::to_string(code.q) + "), " + std::to_string(code.syndromes.size()) + " syndromes";
}

}  // namespace morvalen::briefgen
