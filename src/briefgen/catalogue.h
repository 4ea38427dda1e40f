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

// Every shape whose counts are all at most catalogue_max_count, for the guarantees 5, 6 and 7:
// guarantee 7 first, then by the number of variants, so smaller systems exist when larger ones are
// seeded from them. With counts up to `largest` instead, the same order over fewer shapes.
std::vector<Shape> catalogue_shapes(int largest = catalogue_max_count);

struct CatalogueProgress {
    std::size_t done = 0;
    std::size_t total = 0;
    Shape shape;
    std::size_t size = 0;
};

// Spends the budget over the shapes in proportion to their variants, three times that for guarantee
// 7 (time a shape leaves unused passes on). Each search also starts from `previous` and from products
// of the smaller systems already built, and keeps whichever is smallest, so a rebuild never makes an
// entry larger.
std::vector<CatalogueEntry> build_catalogue(std::chrono::milliseconds budget, std::uint64_t seed,
                                            const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress = {});
// The same over the given shapes only (in catalogue order).
std::vector<CatalogueEntry> build_catalogue(const std::vector<Shape>& shapes, std::chrono::milliseconds budget,
                                            std::uint64_t seed, const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress = {});

// One line per system: signature, number of bets, "v", then the bets as variant indices (event 0
// the fastest-changing digit) in ascending order, the first in full and each further one as its
// distance from the one before; '#' starts a comment. Lines with the records in decimal in place of
// "v" and the distances are read as well.
void write_catalogue(std::ostream& out, const std::vector<CatalogueEntry>& entries);
// Throws std::runtime_error naming the line for malformed text, a count that does not match, or a
// system that does not cover its shape.
std::vector<CatalogueEntry> read_catalogue(std::istream& in);

}  // namespace morvalen::briefgen
