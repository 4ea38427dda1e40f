// The catalogue of brief systems: which shapes it holds, how it is built and its text file.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

struct CatalogueEntry {
    std::int64_t signature = 0;
    std::vector<Record> records;
};

// The largest count of an event in a catalogue shape.
inline constexpr int catalogue_max_count = 4;
// Beyond that, the uniform shapes q^n·1^(8−n) up to this count, where their systems are small:
// codes that take long searches to find and that the blocks of other shapes are built from.
inline constexpr int catalogue_uniform_max_count = 6;
inline constexpr std::uint64_t catalogue_uniform_max_bound = 4000;  // sphere bound of a shipped one

// Every shape whose counts are all at most catalogue_max_count, and the uniform shapes above it with
// at least four events and a sphere bound of at most catalogue_uniform_max_bound, for the guarantees
// 5, 6 and 7: guarantee 7 first, then by the number of variants, so smaller systems exist when
// larger ones are seeded from them. With other limits, the same order over other shapes.
std::vector<Shape> catalogue_shapes(int largest = catalogue_max_count, int uniform_largest = catalogue_uniform_max_count);

struct CatalogueProgress {
    std::size_t done = 0;
    std::size_t total = 0;
    Shape shape;
    std::size_t size = 0;
};

// Spends half the budget on the uniform codes over 3 to 6 symbols (record_codes.h), seeded from the
// uniform systems of `previous`, and the rest over the shapes in proportion to their variants,
// three times that for guarantee 7 (time a shape leaves unused passes on); blocks of every shape may
// use the uniform codes, symbols merged. Each search also starts from `previous` and from products
// of the smaller systems already built, and keeps whichever is smallest, so a rebuild never makes an
// entry larger.
std::vector<CatalogueEntry> build_catalogue(std::chrono::milliseconds budget, std::uint64_t seed,
                                            const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress = {});
// The same over the given shapes only (in catalogue order).
std::vector<CatalogueEntry> build_catalogue(const std::vector<Shape>& shapes, std::chrono::milliseconds budget,
                                            std::uint64_t seed, const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress = {});

// A quicker rebuild: the whole budget goes to the uniform codes (seeded from `previous`); then every
// system of `previous` is kept unless its uniform code or a direct sum over blocks of the uniform
// codes is smaller, and only the shapes `previous` lacks are searched, `new_shape_budget` each (above
// 10^6 variants only constructions). `found` hears each smaller uniform code as it is found.
std::vector<CatalogueEntry> refresh_catalogue(std::chrono::milliseconds budget, std::chrono::milliseconds new_shape_budget,
                                              std::uint64_t seed, const std::vector<CatalogueEntry>& previous,
                                              const std::function<void(const CatalogueProgress&)>& progress = {},
                                              const std::function<void(const Shape&, std::size_t)>& found = {});

// One line per system: signature, number of bets, "v", then the bets as variant indices (event 0
// the fastest-changing digit) in ascending order, the first in full and each further one as its
// distance from the one before; '#' starts a comment. Lines with the records in decimal in place of
// "v" and the distances are read as well.
void write_catalogue(std::ostream& out, const std::vector<CatalogueEntry>& entries);
// Throws std::runtime_error naming the line for malformed text, a count that does not match, or a
// system that does not cover its shape.
std::vector<CatalogueEntry> read_catalogue(std::istream& in);

}  // namespace morvalen::briefgen
