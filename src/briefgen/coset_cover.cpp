// Tabu search over the classes of the quotient by a one-dimensional code.
#include "briefgen/coset_cover.h"

#include <algorithm>
#include <limits>

#include "core/model/random_source.h"

namespace morvalen::briefgen {

namespace {

// The quotient: a class is named by its member whose digit at `pivot` is 0, read as a base-q number.
struct Quotient {
    int q = 3;
    int n = 0;
    int pivot = 0;
    std::vector<int> generator;
    int size = 1;

    std::vector<int> canonical(std::vector<int> digits) const {
        const int shift = digits[static_cast<std::size_t>(pivot)];
        for (int k = 0; k < n; ++k) {
            auto& d = digits[static_cast<std::size_t>(k)];
            d = ((d - shift * generator[static_cast<std::size_t>(k)]) % q + q) % q;
        }
        return digits;
    }
    int index_of(const std::vector<int>& digits) const {
        const std::vector<int> c = canonical(digits);
        int index = 0;
        for (int k = n - 1; k >= 0; --k)
            if (k != pivot) index = index * q + c[static_cast<std::size_t>(k)];
        return index;
    }
    std::vector<int> digits_of(int index) const {
        std::vector<int> digits(static_cast<std::size_t>(n), 0);
        for (int k = 0; k < n; ++k) {
            if (k == pivot) continue;
            digits[static_cast<std::size_t>(k)] = index % q;
            index /= q;
        }
        return digits;
    }
};

// Classes within one disagreement of each class (itself first); radius 1 is what makes the
// quotient search pay, larger radii are left to the general search.
std::vector<std::vector<int>> neighbourhoods(const Quotient& quotient) {
    std::vector<std::vector<int>> balls(static_cast<std::size_t>(quotient.size));
    for (int c = 0; c < quotient.size; ++c) {
        auto& ball = balls[static_cast<std::size_t>(c)];
        ball.push_back(c);
        const std::vector<int> digits = quotient.digits_of(c);
        for (int k = 0; k < quotient.n; ++k) {
            for (int a = 1; a < quotient.q; ++a) {
                std::vector<int> moved = digits;
                moved[static_cast<std::size_t>(k)] = (moved[static_cast<std::size_t>(k)] + a) % quotient.q;
                const int m = quotient.index_of(moved);
                if (std::find(ball.begin(), ball.end(), m) == ball.end()) ball.push_back(m);
            }
        }
    }
    return balls;
}

}  // namespace

std::vector<Record> coset_cover(const Shape& shape, const std::vector<int>& generator, std::size_t cosets,
                                std::uint64_t seed, std::uint64_t max_steps,
                                std::chrono::steady_clock::time_point deadline) {
    const VariantSpace space(shape);
    const int n = space.active();
    if (n < 2 || space.radius() != 1 || cosets == 0 || generator.size() != static_cast<std::size_t>(n)) return {};
    Quotient quotient;
    quotient.q = space.count(0);
    // Larger alphabets make the quotient and every step too large to pay; the general search takes them.
    if (quotient.q > 3) return {};
    quotient.n = n;
    quotient.generator = generator;
    for (int k = 0; k < n; ++k)
        if (space.count(k) != quotient.q || generator[static_cast<std::size_t>(k)] < 0 ||
            generator[static_cast<std::size_t>(k)] >= quotient.q)
            return {};
    const auto one = std::find(generator.begin(), generator.end(), 1);
    if (one == generator.end()) return {};
    quotient.pivot = static_cast<int>(one - generator.begin());
    for (int k = 1; k < n; ++k) quotient.size *= quotient.q;
    if (cosets >= static_cast<std::size_t>(quotient.size)) return {};

    const auto balls = neighbourhoods(quotient);
    const auto classes = static_cast<std::size_t>(quotient.size);
    const int target = static_cast<int>(cosets);
    core::RandomSource random(seed);
    std::vector<int> count(classes, 0);
    std::vector<int> chosen;
    auto place = [&](int c, int sign) {
        for (int b : balls[static_cast<std::size_t>(c)]) count[static_cast<std::size_t>(b)] += sign;
    };
    for (int i = 0; i < target; ++i) {
        chosen.push_back(static_cast<int>(random.uniform_int(0, quotient.size - 1)));
        place(chosen.back(), 1);
    }
    // A class just dropped may not come back for a while, so the search does not cycle.
    std::vector<std::uint64_t> tabu_until(classes, 0);
    const std::uint64_t tenure = 10;
    std::vector<char> marked(classes, 0);
    std::vector<int> holes;
    bool found = false;
    for (std::uint64_t step = 0; step < max_steps; ++step) {
        if (step % 16 == 15 && std::chrono::steady_clock::now() >= deadline) break;
        holes.clear();
        for (std::size_t g = 0; g < classes; ++g)
            if (count[g] == 0) holes.push_back(static_cast<int>(g));
        if (holes.empty()) {
            found = true;
            break;
        }
        const int hole = holes[static_cast<std::size_t>(random.uniform_int(0, static_cast<std::int64_t>(holes.size()) - 1))];
        int best_delta = std::numeric_limits<int>::max();
        int best_index = -1, best_class = 0;
        std::uint64_t ties = 0;
        // Any class that covers the hole may come in (the neighbourhood is symmetric).
        for (int candidate : balls[static_cast<std::size_t>(hole)]) {
            if (tabu_until[static_cast<std::size_t>(candidate)] > step) continue;
            int gain = 0;
            for (int b : balls[static_cast<std::size_t>(candidate)]) {
                gain += count[static_cast<std::size_t>(b)] == 0;
                marked[static_cast<std::size_t>(b)] = 1;
            }
            for (int i = 0; i < target; ++i) {
                int lost = 0;
                for (int b : balls[static_cast<std::size_t>(chosen[static_cast<std::size_t>(i)])])
                    lost += count[static_cast<std::size_t>(b)] == 1 && !marked[static_cast<std::size_t>(b)];
                const int delta = lost - gain;
                if (delta < best_delta) {
                    best_delta = delta;
                    best_index = i;
                    best_class = candidate;
                    ties = 1;
                } else if (delta == best_delta && random.uniform_int(0, static_cast<std::int64_t>(ties++)) == 0) {
                    best_index = i;
                    best_class = candidate;
                }
            }
            for (int b : balls[static_cast<std::size_t>(candidate)]) marked[static_cast<std::size_t>(b)] = 0;
        }
        if (best_index < 0) continue;
        const int leaving = chosen[static_cast<std::size_t>(best_index)];
        place(leaving, -1);
        chosen[static_cast<std::size_t>(best_index)] = best_class;
        place(best_class, 1);
        tabu_until[static_cast<std::size_t>(leaving)] = step + tenure;
    }
    if (!found) return {};

    // Every member of a chosen class: its named member plus each multiple of the generator.
    std::vector<Record> records;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    for (int c : chosen) {
        const std::vector<int> base = quotient.digits_of(c);
        for (int a = 0; a < quotient.q; ++a) {
            Digits digits{};
            for (int k = 0; k < n; ++k)
                digits[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
                    (base[static_cast<std::size_t>(k)] + a * generator[static_cast<std::size_t>(k)]) % quotient.q);
            records.push_back(record_of_digits(digits));
        }
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

}  // namespace morvalen::briefgen
