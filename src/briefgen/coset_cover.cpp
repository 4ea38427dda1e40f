// Tabu search over the classes of the quotient by a one-dimensional code.
#include "briefgen/coset_cover.h"

#include <algorithm>
#include <optional>

#include "briefgen/least_choice.h"
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

// The quotient of the shape by the code {a·generator}, when the shape and the generator fit.
std::optional<Quotient> quotient_of(const VariantSpace& space, const std::vector<int>& generator, std::size_t cosets) {
    const int n = space.active();
    if (n < 2 || space.radius() != 1 || cosets == 0 || generator.size() != static_cast<std::size_t>(n)) return std::nullopt;
    Quotient quotient;
    quotient.q = space.count(0);
    // Larger alphabets make the quotient and every step too large to pay; the general search takes them.
    if (quotient.q > 3) return std::nullopt;
    quotient.n = n;
    quotient.generator = generator;
    for (int k = 0; k < n; ++k)
        if (space.count(k) != quotient.q || generator[static_cast<std::size_t>(k)] < 0 ||
            generator[static_cast<std::size_t>(k)] >= quotient.q)
            return std::nullopt;
    const auto one = std::find(generator.begin(), generator.end(), 1);
    if (one == generator.end()) return std::nullopt;
    quotient.pivot = static_cast<int>(one - generator.begin());
    for (int k = 1; k < n; ++k) quotient.size *= quotient.q;
    if (cosets >= static_cast<std::size_t>(quotient.size)) return std::nullopt;
    return quotient;
}

// Tabu search for `target` classes whose neighbourhoods cover the quotient: each step takes a
// random uncovered class and swaps in the class near it that leaves the fewest uncovered.
class ClassSearch {
public:
    ClassSearch(const Quotient& quotient, int target, std::uint64_t seed)
        : balls_(neighbourhoods(quotient)), target_(target), random_(seed), count_(balls_.size(), 0),
          tabu_until_(balls_.size(), 0), marked_(balls_.size(), 0) {
        for (int i = 0; i < target_; ++i) {
            chosen_.push_back(static_cast<int>(random_.uniform_int(0, quotient.size - 1)));
            place(chosen_.back(), 1);
        }
    }

    // True once every class is covered; false when the steps or the time run out first.
    bool run(std::uint64_t max_steps, std::chrono::steady_clock::time_point deadline) {
        for (std::uint64_t step = 0; step < max_steps; ++step) {
            if (step % 16 == 15 && std::chrono::steady_clock::now() >= deadline) return false;
            const int hole = random_hole();
            if (hole < 0) return true;
            const Swap swap = best_swap(hole, step);
            if (swap.index < 0) continue;
            const int leaving = chosen_[static_cast<std::size_t>(swap.index)];
            place(leaving, -1);
            chosen_[static_cast<std::size_t>(swap.index)] = swap.incoming;
            place(swap.incoming, 1);
            tabu_until_[static_cast<std::size_t>(leaving)] = step + tenure;
        }
        return false;
    }

    const std::vector<int>& chosen() const { return chosen_; }

private:
    // A class just dropped may not come back for a while, so the search does not cycle.
    static constexpr std::uint64_t tenure = 10;

    struct Swap {
        int index = -1;  // of the chosen class that leaves
        int incoming = 0;
    };

    void place(int c, int sign) {
        for (int b : balls_[static_cast<std::size_t>(c)]) count_[static_cast<std::size_t>(b)] += sign;
    }

    int random_hole() {
        holes_.clear();
        for (std::size_t g = 0; g < count_.size(); ++g)
            if (count_[g] == 0) holes_.push_back(static_cast<int>(g));
        if (holes_.empty()) return -1;
        return holes_[static_cast<std::size_t>(random_.uniform_int(0, static_cast<std::int64_t>(holes_.size()) - 1))];
    }

    // Any class that covers the hole may come in (the neighbourhood is symmetric); ties at random.
    Swap best_swap(int hole, std::uint64_t step) {
        LeastChoice<int, Swap> best;
        for (int candidate : balls_[static_cast<std::size_t>(hole)]) {
            if (tabu_until_[static_cast<std::size_t>(candidate)] > step) continue;
            const int gain = mark_gain(candidate);
            for (int i = 0; i < target_; ++i) best.offer(lost_without(i) - gain, Swap{i, candidate}, random_);
            for (int b : balls_[static_cast<std::size_t>(candidate)]) marked_[static_cast<std::size_t>(b)] = 0;
        }
        return best.chosen();
    }

    // The uncovered classes the candidate would cover; marks its neighbourhood for lost_without.
    int mark_gain(int candidate) {
        int gain = 0;
        for (int b : balls_[static_cast<std::size_t>(candidate)]) {
            gain += count_[static_cast<std::size_t>(b)] == 0;
            marked_[static_cast<std::size_t>(b)] = 1;
        }
        return gain;
    }

    // The classes only the i-th chosen class covers, less those the marked candidate covers too.
    int lost_without(int i) const {
        int lost = 0;
        for (int b : balls_[static_cast<std::size_t>(chosen_[static_cast<std::size_t>(i)])])
            lost += count_[static_cast<std::size_t>(b)] == 1 && !marked_[static_cast<std::size_t>(b)];
        return lost;
    }

    std::vector<std::vector<int>> balls_;
    int target_;
    core::RandomSource random_;
    std::vector<int> count_;
    std::vector<std::uint64_t> tabu_until_;
    std::vector<char> marked_;
    std::vector<int> holes_;
    std::vector<int> chosen_;
};

// Every member of the chosen classes: each named member plus each multiple of the generator.
std::vector<Record> members_of(const Quotient& quotient, std::vector<int> chosen) {
    std::vector<Record> records;
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    for (int c : chosen) {
        const std::vector<int> base = quotient.digits_of(c);
        for (int a = 0; a < quotient.q; ++a) {
            Digits digits{};
            for (int k = 0; k < quotient.n; ++k)
                digits[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
                    (base[static_cast<std::size_t>(k)] + a * quotient.generator[static_cast<std::size_t>(k)]) % quotient.q);
            records.push_back(record_of_digits(digits));
        }
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

}  // namespace

std::vector<Record> coset_cover(const Shape& shape, const std::vector<int>& generator, std::size_t cosets,
                                std::uint64_t seed, std::uint64_t max_steps,
                                std::chrono::steady_clock::time_point deadline) {
    const auto quotient = quotient_of(VariantSpace(shape), generator, cosets);
    if (!quotient) return {};
    ClassSearch search(*quotient, static_cast<int>(cosets), seed);
    if (!search.run(max_steps, deadline)) return {};
    return members_of(*quotient, search.chosen());
}

}  // namespace morvalen::briefgen
