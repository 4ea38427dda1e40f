// The shape of a brief system (sorted marked counts and guarantee) and its space of variants.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace morvalen::briefgen {

inline constexpr int events = 8;
inline constexpr int max_count = 17;

// One bet of a system as the payload carries it: base-17 digit k is the 0-based position of the
// outcome in sorted event k.
using Record = std::uint64_t;
using Digits = std::array<std::uint8_t, events>;

struct Shape {
    std::array<int, events> counts{1, 1, 1, 1, 1, 1, 1, 1};  // largest first, 1 to 17 each
    int guarantee = 7;                                       // 1 to 8 events that must agree

    friend bool operator==(const Shape&, const Shape&) = default;
};

// Empty text when the shape is sound, otherwise why it is not.
std::string shape_problem(const Shape& shape);
std::int64_t signature_of(const Shape& shape);
// Reads the 8 counts back as bijective base-17 digits; nothing when the counts are not sorted,
// a count is out of range or the guarantee is outside 1 to 8.
std::optional<Shape> shape_from_signature(std::int64_t signature);
std::string describe(const Shape& shape);  // "3,3,2,1,1,1,1,1 G7"

Record record_of_digits(const Digits& digits);

// The variants of a shape in mixed radix over the events with more than one outcome (the others
// always agree and carry digit 0), event 0 the fastest-changing digit.
class VariantSpace {
public:
    explicit VariantSpace(const Shape& shape);

    int active() const { return active_; }
    // Events that may disagree with a bet while it still covers the variant.
    int radius() const { return radius_; }
    std::uint64_t size() const { return size_; }
    int count(int k) const { return counts_[k]; }
    std::uint64_t stride(int k) const { return strides_[k]; }
    // Number of variants one bet covers; saturates at the space size.
    std::uint64_t ball_size() const { return ball_size_; }

    std::uint64_t index_of(const Digits& digits) const;
    Digits digits_of(std::uint64_t index) const;
    // Nothing when the record has a digit beyond its event's count or digits above event 7.
    std::optional<Digits> digits_of_record(Record record) const;
    Record record_of_index(std::uint64_t index) const { return record_of_digits(digits_of(index)); }

private:
    std::array<int, events> counts_{};
    std::array<std::uint64_t, events> strides_{};
    int active_ = 0;
    int radius_ = 0;
    std::uint64_t size_ = 1;
    std::uint64_t ball_size_ = 1;
};

// Least number of bets any cover can have: the variants divided by one bet's ball, rounded up.
std::uint64_t sphere_bound(const Shape& shape);

// Calls visit(index) for every variant within `radius` disagreements of `center`, each once.
template <typename Visit>
void for_each_in_ball(const VariantSpace& space, const Digits& center, int radius, Visit&& visit) {
    const int n = space.active();
    std::uint64_t base = space.index_of(center);
    struct Walker {
        const VariantSpace& space;
        const Digits& center;
        Visit& visit;
        int n;
        void walk(int k, int left, std::uint64_t index) {
            if (k >= n || k >= events || left == 0) {
                visit(index);
                return;
            }
            walk(k + 1, left, index);
            const std::uint64_t stride = space.stride(k);
            const std::uint64_t own = center[k] * stride;
            for (int value = 0; value < space.count(k); ++value) {
                if (value == center[k]) continue;
                walk(k + 1, left - 1, index - own + static_cast<std::uint64_t>(value) * stride);
            }
        }
    };
    Walker walker{space, center, visit, n};
    walker.walk(0, radius, base);
}

}  // namespace morvalen::briefgen
