// Exhaustive check that a brief system covers every variant of its shape with its guarantee.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

struct CoverageReport {
    bool covers = false;
    std::uint64_t uncovered = 0;  // variants no record reaches (all of them when a record is bad)
    std::string problem;          // empty when the system covers
};

// Visits the whole ball of every record in a bitset of the variants; records with a digit beyond
// their event's count are refused outright since the expansion would turn them into other bets.
CoverageReport check_coverage(const Shape& shape, std::span<const Record> records);

// A system that fails the check is a fault of whoever built it; it must never reach a player.
class CoverageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void require_coverage(const Shape& shape, std::span<const Record> records);

}  // namespace morvalen::briefgen
