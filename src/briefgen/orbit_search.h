// Covers that are unions of orbits of a group of symmetries of the words: codes with a prescribed
// automorphism group, searched over far fewer and larger pieces than single bets.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "briefgen/qary_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

// A distance-keeping map of the words of length n over q symbols: the symbol in event i becomes
// symbols[i] of it and moves to event positions[i].
struct WordSymmetry {
    std::vector<int> positions;
    std::vector<std::vector<int>> symbols;
};

// "1230:1023" (events' images, then one symbol map for every event) or "1230:1023.0123.0123.0123"
// (a symbol map per event); the part after ':' may be left out. nullopt unless it is a permutation
// of n events and of q symbols in each.
std::optional<WordSymmetry> parse_symmetry(const std::string& text, int q, int n);

// Adding `shift` event by event, the symbols read as Z_q or, with `exclusive_or`, as bit strings.
WordSymmetry translation(const Word& shift, int q, bool exclusive_or);

// The shifts that map the code onto itself: the differences c − c₀ from its first word c₀ that keep
// every word in the code (all of them for a linear code or a union of cosets).
std::vector<Word> code_translations(const std::vector<Word>& code, int q, bool exclusive_or);

struct OrbitSearchOptions {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t max_steps = UINT64_MAX;  // a deterministic stop for tests
    std::size_t stop_at = 1;               // a cover this small ends the search
    int tenure = 3;                        // steps an orbit that moved stays where it went
    std::size_t largest_space = 1u << 17;  // words; the orbits' balls are kept for all of them
    // A cover made of whole orbits to start from; the search then looks below its size only.
    std::vector<Word> start;
};

struct OrbitSearchStats {
    std::uint64_t steps = 0;
    std::size_t orbits = 0;            // of the whole space under the group
    std::size_t last_limit = 0;        // the most words the search was held to at its end
    std::size_t least_uncovered = 0;   // the fewest words left uncovered at that limit
};

// The smallest union of orbits under the group the generators make, of at most `below` − 1 words,
// that holds one word within `radius` of every word; nullopt when none was met. Each step puts in
// the orbit that covers most of what is uncovered near a random uncovered word and takes out the one
// whose loss uncovers least (uncovered words grow heavier as they stay so); every cover met lowers
// the bound. Words in ascending order, read with the first event fastest.
std::optional<std::vector<Word>> search_orbit_cover(int q, int n, int radius, const std::vector<WordSymmetry>& generators,
                                                    std::size_t below, core::RandomSource& random,
                                                    const OrbitSearchOptions& options, OrbitSearchStats* stats = nullptr);

}  // namespace morvalen::briefgen
