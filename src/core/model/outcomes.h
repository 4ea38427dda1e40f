// The 17 outcome labels, label lookup and the 17-bit outcome set value type.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>

namespace morvalen::core {

inline constexpr int event_count = 8;
inline constexpr int outcome_count = 17;

// Column order: column c (1 to 17) has label outcome_labels[c - 1]. UTF-8.
inline constexpr std::array<std::string_view, outcome_count> outcome_labels = {
    "1:0", "2:0", "2:1", "3:0", "3:1", "3:2", "0:0", "1:1", "2:2",
    "3:3", "0:1", "0:2", "1:2", "0:3", "1:3", "2:3", "ЛД"};

inline constexpr std::string_view outcome_label(int column) { return outcome_labels[column - 1]; }

// Bit value of outcome column c: 2^(17 - c); column 1 is 65536, column 17 is 1.
inline constexpr std::uint32_t column_bit(int column) { return 1U << (outcome_count - column); }

// Bit value of a label (the 17 labels and the six accepted spellings of "ЛД"), or 0.
std::uint32_t outcome_value(std::string_view label);

// Column 1..17 of a label, or 0 when the text is no label.
int outcome_column(std::string_view label);

// A set of outcomes of one event; only the 17 low bits are ever used.
class OutcomeSet {
public:
    static constexpr std::uint32_t all_bits = (1U << outcome_count) - 1;

    constexpr OutcomeSet() = default;
    static constexpr OutcomeSet from_bits(std::uint32_t bits) { return OutcomeSet(bits & all_bits); }
    static constexpr OutcomeSet of_column(int column) { return OutcomeSet(column_bit(column)); }

    constexpr std::uint32_t bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr int size() const { return std::popcount(bits_); }
    constexpr bool contains(int column) const { return (bits_ & column_bit(column)) != 0; }
    constexpr bool intersects(OutcomeSet other) const { return (bits_ & other.bits_) != 0; }
    constexpr void add(int column) { bits_ |= column_bit(column); }
    constexpr void remove(int column) { bits_ &= ~column_bit(column); }
    // Lowest column number in the set (the highest bit), 0 when empty.
    constexpr int first_column() const { return bits_ == 0 ? 0 : outcome_count + 1 - std::bit_width(bits_); }
    // Highest column number in the set (the lowest bit), 0 when empty.
    constexpr int last_column() const { return bits_ == 0 ? 0 : outcome_count - std::countr_zero(bits_); }

    template <typename F>
    constexpr void for_each_column(F&& f) const {
        for (int c = 1; c <= outcome_count; ++c)
            if (contains(c)) f(c);
    }

    constexpr bool operator==(const OutcomeSet&) const = default;

private:
    constexpr explicit OutcomeSet(std::uint32_t bits) : bits_(bits) {}
    std::uint32_t bits_ = 0;
};

}  // namespace morvalen::core
