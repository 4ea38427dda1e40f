// The smallest covers of the uniform shapes q^n·1^(8−n) that constructions and searches reach: the
// matrix method over groups, direct sums, shortening and a free event, polished by tabu search.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "briefgen/qary_codes.h"
#include "briefgen/shape.h"

namespace morvalen::briefgen {

inline constexpr int record_max_radius = 3;

// The shape q^n·1^(8−n) with guarantee 8 − radius.
Shape uniform_shape(int q, int n, int radius);
// q and n when every event of the shape has q or one outcome; nothing otherwise.
std::optional<std::pair<int, int>> uniform_alphabet(const Shape& shape);

struct UniformCode {
    std::vector<Word> words;  // length n, symbols 0 … q − 1
    std::string how;          // "Z6xZ3", "(4,1)+(4,2)", "tabu", …
};

// Codes of one alphabet by (length, radius), lengths 1 to 8 and radii 0 to 3.
using UniformCodes = std::map<std::pair<int, int>, UniformCode>;

// Codes that blocks of events can take: uniform ones by number of outcomes (symbols merged for
// narrower blocks), and stored systems of other shapes by signature, whose blocks match exactly.
struct UniformLibrary {
    std::map<int, UniformCodes> uniform;
    std::map<std::int64_t, std::vector<Word>> exact;
};

// The codes of the shipped catalogue's systems and the shipped group codes (read once).
const UniformLibrary& shipped_uniform_codes();
UniformLibrary uniform_codes_of(const std::vector<std::pair<Shape, std::vector<Record>>>& systems);

struct RecordOptions {
    std::chrono::milliseconds budget{10000};       // for the whole alphabet
    std::uint64_t seed = 1;
    std::uint64_t tabu_variant_limit = 70'000;     // the search over single bets stops here
    int longest_searched = events;                 // longer codes come from constructions only
    // Deterministic stops for tests: draws of columns per length and radius, tabu steps per code.
    std::uint64_t group_tries = UINT64_MAX;
    std::uint64_t tabu_iterations = UINT64_MAX;
};

// Starts from `previous` (words that do not cover are dropped), then the constructions and the
// searches; every code returned is checked exhaustively. `progress` hears each new smallest code.
UniformCodes build_uniform_codes(int q, const RecordOptions& options, const UniformCodes& previous = {},
                                 const std::function<void(int n, int radius, const UniformCode&)>& progress = {});

// Every covering words as bets of the shape q^n·1^(8−n); throws std::invalid_argument for a word
// longer than eight events.
std::vector<Record> records_of_words(const std::vector<Word>& words);
std::vector<Word> words_of_records(const Shape& shape, const std::vector<Record>& records);

// A cover of a shape whose counts are at most q from the code of length `active` over q symbols:
// symbols merged event by event.
std::vector<Record> merged_cover(const Shape& shape, const std::vector<Word>& uniform_words);

}  // namespace morvalen::briefgen
