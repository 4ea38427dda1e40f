// The matrix method: random check matrices, tabu search over syndrome sets.
#include "briefgen/matrix_codes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "briefgen/galois_field.h"

namespace morvalen::briefgen {

namespace {

// The code over the field is written out whole before its symbols are merged.
constexpr std::uint64_t lifted_variant_limit = 2'000'000;

// Vectors of GF(q)^r held as base-q integers, coordinates added and scaled by the field's tables.
struct Group {
    const GaloisField* field = nullptr;
    int q = 2;
    int r = 1;
    int size = 2;

    int add(int a, int b) const {
        int sum = 0;
        for (int place = 1, i = 0; i < r; ++i, place *= q) sum += field->add(a / place % q, b / place % q) * place;
        return sum;
    }
    int scale(int a, int factor) const {
        int result = 0;
        for (int place = 1, i = 0; i < r; ++i, place *= q) result += field->mul(a / place % q, factor) * place;
        return result;
    }
    int negate(int a) const {
        int result = 0;
        for (int place = 1, i = 0; i < r; ++i, place *= q) result += field->neg(a / place % q) * place;
        return result;
    }
};

// Syndromes reachable from 0 with at most `radius` disagreements.
std::vector<int> syndrome_ball(const Group& group, const std::vector<int>& columns, int radius) {
    std::vector<char> seen(static_cast<std::size_t>(group.size), 0);
    std::vector<int> frontier{0};
    seen[0] = 1;
    std::vector<std::pair<int, int>> states{{0, 0}};  // (syndrome, first usable column)
    for (int step = 0; step < radius; ++step) {
        std::vector<std::pair<int, int>> next;
        for (auto [syndrome, first] : states) {
            for (int j = first; j < static_cast<int>(columns.size()); ++j) {
                for (int a = 1; a < group.q; ++a) {
                    const int moved = group.add(syndrome, group.scale(columns[j], a));
                    next.push_back({moved, j + 1});
                    seen[static_cast<std::size_t>(moved)] = 1;
                }
            }
        }
        states = std::move(next);
    }
    std::vector<int> ball;
    for (int s = 0; s < group.size; ++s)
        if (seen[static_cast<std::size_t>(s)]) ball.push_back(s);
    return ball;
}

// Tabu search for `target` syndromes whose translates of the ball cover the group.
bool cover_group(const Group& group, const std::vector<int>& sum, const std::vector<int>& ball, int target,
                 core::RandomSource& random, std::uint64_t steps, std::chrono::steady_clock::time_point deadline,
                 std::vector<int>& chosen) {
    const auto n = static_cast<std::size_t>(group.size);
    auto add = [&](int a, int b) { return sum[static_cast<std::size_t>(a) * n + static_cast<std::size_t>(b)]; };
    std::vector<char> in_ball(n, 0);
    for (int b : ball) in_ball[static_cast<std::size_t>(b)] = 1;
    std::vector<int> negative(n);
    for (int a = 0; a < group.size; ++a) negative[static_cast<std::size_t>(a)] = group.negate(a);

    std::vector<int> count(n, 0);
    chosen.clear();
    auto place = [&](int s, int sign) {
        for (int b : ball) count[static_cast<std::size_t>(add(s, b))] += sign;
    };
    for (int i = 0; i < target; ++i) {
        chosen.push_back(static_cast<int>(random.uniform_int(0, group.size - 1)));
        place(chosen.back(), 1);
    }
    std::vector<std::uint64_t> tabu_until(static_cast<std::size_t>(target), 0);
    std::vector<int> holes;
    for (std::uint64_t step = 0; step < steps; ++step) {
        if ((step & 15) == 0 && std::chrono::steady_clock::now() >= deadline) return false;
        holes.clear();
        for (int g = 0; g < group.size; ++g)
            if (count[static_cast<std::size_t>(g)] == 0) holes.push_back(g);
        if (holes.empty()) return true;
        const int hole = holes[static_cast<std::size_t>(random.uniform_int(0, static_cast<std::int64_t>(holes.size()) - 1))];
        int best_delta = std::numeric_limits<int>::max();
        int best_index = -1, best_syndrome = 0;
        std::uint64_t ties = 0;
        for (int b0 : ball) {
            const int candidate = add(hole, negative[static_cast<std::size_t>(b0)]);
            const int minus_candidate = negative[static_cast<std::size_t>(candidate)];
            int gain = 0;
            for (int b : ball) gain += count[static_cast<std::size_t>(add(candidate, b))] == 0;
            for (int i = 0; i < target; ++i) {
                if (tabu_until[static_cast<std::size_t>(i)] > step) continue;
                // What the leaving syndrome alone covers, less what the candidate covers as well.
                int lost = 0;
                for (int b : ball) {
                    const int g = add(chosen[static_cast<std::size_t>(i)], b);
                    if (count[static_cast<std::size_t>(g)] == 1 && !in_ball[static_cast<std::size_t>(add(g, minus_candidate))]) ++lost;
                }
                const int delta = lost - gain;
                if (delta < best_delta) {
                    best_delta = delta;
                    best_index = i;
                    best_syndrome = candidate;
                    ties = 1;
                } else if (delta == best_delta && random.uniform_int(0, static_cast<std::int64_t>(ties++)) == 0) {
                    best_index = i;
                    best_syndrome = candidate;
                }
            }
        }
        if (best_index < 0) {
            best_index = static_cast<int>(random.uniform_int(0, target - 1));
            best_syndrome = hole;
        }
        place(chosen[static_cast<std::size_t>(best_index)], -1);
        chosen[static_cast<std::size_t>(best_index)] = best_syndrome;
        place(best_syndrome, 1);
        tabu_until[static_cast<std::size_t>(best_index)] = step + 2;
    }
    return false;
}

}  // namespace

std::vector<Record> matrix_cover(const Shape& shape, std::size_t below, core::RandomSource& random,
                                 std::chrono::steady_clock::time_point deadline) {
    const VariantSpace space(shape);
    const int n = space.active();
    const int radius = space.radius();
    if (n < 2 || radius < 1 || radius >= n) return {};
    // Events with fewer outcomes than the field take the code over the field with symbols merged.
    const int q = smallest_field_order(space.count(0));
    if (q == 0 || q > 9) return {};
    const GaloisField field(q);
    Shape lifted = shape;
    std::fill(lifted.counts.begin(), lifted.counts.begin() + n, q);
    const VariantSpace full_space(lifted);
    if (full_space.size() > lifted_variant_limit) return {};
    // Merging shrinks a system about as much as the variants shrink, so the limit for the code over
    // the field is scaled up by that much before its cosets are counted.
    const double shrink = static_cast<double>(full_space.size()) / static_cast<double>(space.size());
    auto lifted_of = [&](std::size_t size) { return static_cast<std::size_t>(std::ceil(static_cast<double>(size) * shrink)); };
    const std::size_t lifted_below = lifted_of(below);

    const std::uint64_t full = full_space.size();
    std::uint64_t ball_bound = 1;  // a bet's ball when every disagreement moves the syndrome apart
    for (std::uint64_t j = 1, term = 1; j <= static_cast<std::uint64_t>(radius); ++j) {
        term = term * (static_cast<std::uint64_t>(n) - j + 1) / j * static_cast<std::uint64_t>(q - 1);
        ball_bound += term;
    }
    // Row counts whose syndrome group is small and whose coset size leaves room below the limit.
    struct Plan {
        Group group;
        std::size_t syndromes = 0;
    };
    std::vector<Plan> plans;
    for (int rows = 1; rows <= n; ++rows) {
        Group group{&field, q, rows, 1};
        for (int i = 0; i < rows; ++i) group.size *= q;
        if (group.size > 1024) break;
        const std::uint64_t coset = full / static_cast<std::uint64_t>(group.size);
        if (below == 0) break;
        const std::size_t most = (lifted_below - 1) / coset;
        const auto least = (static_cast<std::uint64_t>(group.size) + ball_bound - 1) / ball_bound;
        if (most == 0 || least > most) continue;
        plans.push_back({group, most});
    }
    std::vector<Record> best;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        const auto plan_deadline = now + (deadline - now) / static_cast<int>(plans.size() - p);
        const Group& group = plans[p].group;
        const auto elements = static_cast<std::size_t>(group.size);
        std::vector<int> sum(elements * elements);
        for (int a = 0; a < group.size; ++a)
            for (int b = 0; b < group.size; ++b) sum[static_cast<std::size_t>(a) * elements + static_cast<std::size_t>(b)] = group.add(a, b);
        const std::size_t coset = full / static_cast<std::uint64_t>(group.size);
        std::size_t most = std::min(plans[p].syndromes, (lifted_of(best.empty() ? below : best.size()) - 1) / coset);
        while (most > 0 && std::chrono::steady_clock::now() < plan_deadline) {
            // Columns pairwise independent where the group allows, so one disagreement never cancels.
            std::vector<int> columns;
            std::vector<char> taken(static_cast<std::size_t>(group.size), 0);
            taken[0] = 1;
            const bool spread = (group.size - 1) / (q - 1) >= n;
            while (static_cast<int>(columns.size()) < n) {
                const int column = static_cast<int>(random.uniform_int(1, group.size - 1));
                if (spread && taken[static_cast<std::size_t>(column)]) continue;
                for (int a = 1; a < q; ++a) taken[static_cast<std::size_t>(group.scale(column, a))] = 1;
                columns.push_back(column);
            }
            const std::vector<int> ball = syndrome_ball(group, columns, radius);
            if (ball.size() * most < static_cast<std::size_t>(group.size)) continue;
            std::vector<int> chosen;
            const std::uint64_t steps = group.size <= 81 ? 2000 : 20000;
            if (!cover_group(group, sum, ball, static_cast<int>(most), random, steps, plan_deadline, chosen)) continue;
            std::sort(chosen.begin(), chosen.end());
            chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
            std::vector<char> wanted(static_cast<std::size_t>(group.size), 0);
            for (int s : chosen) wanted[static_cast<std::size_t>(s)] = 1;
            std::vector<Record> records;
            records.reserve(chosen.size() * coset);
            std::vector<int> multiple(static_cast<std::size_t>(n * q));
            for (int k = 0; k < n; ++k)
                for (int d = 0; d < q; ++d) multiple[static_cast<std::size_t>(k * q + d)] = group.scale(columns[static_cast<std::size_t>(k)], d);
            for (std::uint64_t index = 0; index < full; ++index) {
                Digits digits = full_space.digits_of(index);
                std::size_t syndrome = 0;
                for (int k = 0; k < n; ++k)
                    syndrome = static_cast<std::size_t>(sum[syndrome * elements + static_cast<std::size_t>(multiple[static_cast<std::size_t>(k * q + digits[k])])]);
                if (!wanted[static_cast<std::size_t>(syndrome)]) continue;
                for (int k = 0; k < n; ++k) digits[k] = static_cast<std::uint8_t>(std::min<int>(digits[k], space.count(k) - 1));
                records.push_back(record_of_digits(digits));
            }
            std::sort(records.begin(), records.end());
            records.erase(std::unique(records.begin(), records.end()), records.end());
            if (!records.empty() && (best.empty() || records.size() < best.size()) && records.size() < below) {
                best = std::move(records);
                most = chosen.size() - 1;  // then look for one syndrome fewer
            } else {
                --most;
            }
        }
    }
    return best;
}

}  // namespace morvalen::briefgen
