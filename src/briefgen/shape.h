// The shape of a brief system (sorted marked counts and guarantee) and its space of variants.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/model/mixed_radix.h"

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
    std::uint64_t size() const { return static_cast<std::uint64_t>(radix_.size()); }
    int count(int k) const { return radix_.count(k); }
    std::uint64_t stride(int k) const { return static_cast<std::uint64_t>(radix_.weight(k)); }
    const core::MixedRadix& radix() const { return radix_; }
    // Number of variants one bet covers; saturates at the space size.
    std::uint64_t ball_size() const { return ball_size_; }

    std::uint64_t index_of(const Digits& digits) const { return static_cast<std::uint64_t>(radix_.index_of(digits)); }
    Digits digits_of(std::uint64_t index) const { return radix_.digits_of<Digits>(static_cast<std::int64_t>(index)); }
    // Nothing when the record has a digit beyond its event's count or digits above event 7.
    std::optional<Digits> digits_of_record(Record record) const;
    Record record_of_index(std::uint64_t index) const { return record_of_digits(digits_of(index)); }

private:
    core::MixedRadix radix_;  // over the active events only
    int active_ = 0;
    int radius_ = 0;
    std::uint64_t ball_size_ = 1;
};

// Least number of bets any cover can have: the variants divided by one bet's ball, rounded up.
std::uint64_t sphere_bound(const Shape& shape);

// Calls visit(index) for every variant within `radius` disagreements of `center`, each once.
template <typename Visit>
void for_each_in_ball(const VariantSpace& space, const Digits& center, int radius, Visit&& visit) {
    core::Neighbourhood(space.radix(), center).for_each_within(radius, [&](std::int64_t index) {
        visit(static_cast<std::uint64_t>(index));
    });
}

}  // namespace morvalen::briefgen
