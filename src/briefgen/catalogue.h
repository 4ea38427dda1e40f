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

// Every shape whose counts are all at most 3, for the guarantees 5, 6 and 7: guarantee 7 first,
// then by the number of variants, so smaller systems exist when larger ones are seeded from them.
std::vector<Shape> catalogue_shapes();

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

// One line per system: signature, number of bets, the records in decimal; '#' starts a comment.
void write_catalogue(std::ostream& out, const std::vector<CatalogueEntry>& entries);
// Throws std::runtime_error naming the line for malformed text, a count that does not match, or a
// system that does not cover its shape.
std::vector<CatalogueEntry> read_catalogue(std::istream& in);

}  // namespace morvalen::briefgen
