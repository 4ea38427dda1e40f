// Builds the smallest brief system it can find for a shape within a time budget, verified.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "briefgen/record_codes.h"
#include "briefgen/shape.h"

namespace morvalen::briefgen {

struct GenerateOptions {
    std::chrono::milliseconds budget{1000};
    std::uint64_t seed = 1;
    std::uint64_t max_iterations = UINT64_MAX;    // deterministic stop of the search
    std::uint64_t max_variants = 20'000'000;      // larger shapes are refused
    std::vector<std::vector<Record>> starts;      // other covers to try as a start; bad ones are ignored
    const UniformLibrary* library = nullptr;      // codes for blocks of events; nothing: the shipped ones
};

struct GeneratedSystem {
    Shape shape;
    std::vector<Record> records;  // sorted, distinct, verified to cover
    std::string start;            // which construction the search started from
};

class ShapeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Throws ShapeError for a shape that is malformed or too large, and CoverageError should the
// result ever fail the exhaustive check.
GeneratedSystem generate_system(const Shape& shape, const GenerateOptions& options);

// For shapes too large to search: a construction of exactly the sphere bound's size (a perfect code,
// or one bet), checked exhaustively, when it has at most `max_records` bets and at most `max_variants`
// variants to check; otherwise nothing. Nothing can be smaller, autoformation included.
std::optional<GeneratedSystem> bound_reaching_system(const Shape& shape, std::uint64_t max_records,
                                                    std::uint64_t max_variants);

// For shapes too large to search: the system above when there is one, otherwise the best direct sum
// of the library's codes (symbols merged) and Hamming codes over blocks of events, checked
// exhaustively, when it has at most `max_records` bets; nothing when no plan is that small.
std::optional<GeneratedSystem> constructed_system(const Shape& shape, std::uint64_t max_records, std::uint64_t max_variants,
                                                  const UniformLibrary& library = shipped_uniform_codes());

// The size below which no search for this shape need go: the sphere bound or a proven optimum.
std::uint64_t good_enough_size(const Shape& shape);

}  // namespace morvalen::briefgen
