// For the search tools: puts one system in place of its shape's line of a catalogue file.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "briefgen/catalogue.h"

namespace morvalen::briefgen {

// Replaces the line of `signature` when `line` has fewer bets, or appends it; the bytes it grew by.
inline long put_line(const std::string& path, std::int64_t signature, std::size_t bets, const std::string& line) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> lines;
    long before = 0;
    bool placed = false;
    const std::string key = std::to_string(signature) + ' ';
    for (std::string text; std::getline(in, text);) {
        before += static_cast<long>(text.size()) + 1;
        if (text.rfind(key, 0) == 0) {
            std::istringstream fields(text.substr(key.size()));
            std::size_t old_bets = 0;
            fields >> old_bets;
            if (old_bets <= bets) {
                std::fprintf(stderr, "the catalogue already has %zu bets for this shape\n", old_bets);
                return 0;
            }
            if (placed) continue;
            text = line;
            placed = true;
        }
        lines.push_back(text);
    }
    if (!placed) lines.push_back(line);
    in.close();
    std::ofstream out(path);
    long after = 0;
    for (const std::string& text : lines) {
        out << text << '\n';
        after += static_cast<long>(text.size()) + 1;
    }
    if (!out) throw std::runtime_error("cannot write " + path);
    return after - before;
}

// The system as a catalogue line in place of its shape's line when it has fewer bets; the bytes the
// file grew by. The caller has checked that it covers.
inline long put_system(const std::string& path, const Shape& shape, const std::vector<Record>& records) {
    std::ostringstream text;
    write_catalogue(text, {CatalogueEntry{signature_of(shape), records}});
    std::string line, last;
    for (std::istringstream lines(text.str()); std::getline(lines, line);) last = line;
    return put_line(path, signature_of(shape), records.size(), last);
}

}  // namespace morvalen::briefgen
