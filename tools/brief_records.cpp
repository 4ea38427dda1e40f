// brief_records Q SECONDS [SEED]: builds the uniform covering codes over Q symbols from the shipped ones
// within the budget; prints the table and, as catalogue lines, every code it made smaller
// and prints each new smallest code as it is found, then the table by length and radius.
// brief_records Q N R BELOW SECONDS [ORDER SEED [MOVE_EVERY STEPS]]: the matrix method alone; prints
// the code found as a line of data/group_codes.txt.
// brief_records columns Q N R SECONDS SEED MODULI SYNDROMES [SAMPLES [RESTART]]: the columns for a
// given syndrome set (comma lists), by tabu one event at a time.
// brief_records orbits-from Q N R SECONDS SEED ORDER [xor]: the same from the shipped code, under a
// random group of ORDER of the shifts that keep it (symbols added mod Q, or as bits with xor).
// brief_records orbits Q N R BELOW SECONDS SEED MAP...: a cover of fewer than BELOW words made of
// orbits under the maps (as "1230:1023"); prints it as a catalogue line.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <map>
#include <string>

#include "briefgen/catalogue.h"
#include "briefgen/coverage_check.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/group_codes.h"
#include "briefgen/local_search.h"
#include "briefgen/orbit_search.h"
#include "briefgen/record_codes.h"
#include "core/model/random_source.h"

namespace {

// One system as a line of the catalogue file, without the file's header.
void print_catalogue_line(const morvalen::briefgen::Shape& shape, const std::vector<morvalen::briefgen::Record>& records) {
    std::ostringstream line;
    morvalen::briefgen::write_catalogue(line, {{morvalen::briefgen::signature_of(shape), records}});
    std::string text = line.str();
    while (!text.empty() && text.front() == '#') text.erase(0, text.find('\n') + 1);
    std::printf("%s", text.c_str());
}

// The orbit search of both commands: its figures, then the cover under `below` as a catalogue line
// once checked; the exit status.
int run_orbit_search(int q, int n, int radius, const std::vector<morvalen::briefgen::WordSymmetry>& maps, std::size_t below,
                     morvalen::core::RandomSource& random, const morvalen::briefgen::OrbitSearchOptions& options) {
    using namespace morvalen::briefgen;
    OrbitSearchStats stats;
    const auto words = search_orbit_cover(q, n, radius, maps, below, random, options, &stats);
    std::fprintf(stderr, "%zu orbits, %llu steps; held to %zu words, at least %zu left uncovered\n", stats.orbits,
                 static_cast<unsigned long long>(stats.steps), stats.last_limit, stats.least_uncovered);
    if (!words || words->size() >= below) {
        std::fprintf(stderr, "none found\n");
        return 1;
    }
    const Shape shape = uniform_shape(q, n, radius);
    const auto records = records_of_words(*words);
    const auto report = check_coverage(shape, records);
    std::fprintf(stderr, "%zu words, %s\n", words->size(), report.covers ? "checked" : report.problem.c_str());
    if (!report.covers) return 1;
    print_catalogue_line(shape, records);
    return 0;
}

// A code the matrix method found, as the line data/group_codes.txt keeps and as a line of the
// catalogue file, once its coverage is checked; the exit status.
int print_group_code(int n, int radius, const morvalen::briefgen::SyndromeMap& map) {
    using namespace morvalen::briefgen;
    const auto words = group_code_words(map);
    if (words.empty()) {
        std::fprintf(stderr, "none found\n");
        return 1;
    }
    const Shape shape = uniform_shape(map.q, n, radius);
    const auto records = records_of_words(words);
    const auto report = check_coverage(shape, records);
    std::fprintf(stderr, "%zu words over %s, %s\n", words.size(), describe_group(map).c_str(),
                 report.covers ? "checked" : report.problem.c_str());
    if (!report.covers) return 1;
    std::printf("%s\n", group_code_line({n, radius, words.size(), map}).c_str());
    print_catalogue_line(shape, records);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace morvalen::briefgen;
    if (argc < 3) {
        std::fprintf(stderr, "usage: brief_records Q SECONDS [SEED]\n");
        return 2;
    }
    if (argc >= 9 && std::string(argv[1]) == "columns") {
        const int q = std::atoi(argv[2]), n = std::atoi(argv[3]), radius = std::atoi(argv[4]);
        morvalen::core::RandomSource random(std::strtoull(argv[6], nullptr, 10));
        ColumnSearchOptions options;
        options.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[5]));
        if (argc > 9) options.samples = std::atoi(argv[9]);
        if (argc > 10) options.restart_after = std::strtoull(argv[10], nullptr, 10);
        ColumnSearchStats stats;
        const auto moduli = numbers_of(argv[7], ','), syndromes = numbers_of(argv[8], ',');
        if (!moduli || !syndromes) {
            std::fprintf(stderr, "MODULI and SYNDROMES are lists of numbers separated by commas\n");
            return 2;
        }
        const auto map = search_columns(q, n, radius, *moduli, *syndromes, random, options, &stats);
        std::fprintf(stderr, "%llu moves, at best %zu left uncovered\n", static_cast<unsigned long long>(stats.steps),
                     stats.least_uncovered);
        return print_group_code(n, radius, map);
    }
    if (argc >= 8 && std::string(argv[1]) == "orbits-from") {
        const int q = std::atoi(argv[2]), n = std::atoi(argv[3]), radius = std::atoi(argv[4]);
        const bool exclusive_or = argc > 8 && std::string(argv[8]) == "xor";
        const auto& library = shipped_uniform_codes().uniform;
        if (!library.count(q) || !library.at(q).count({n, radius})) {
            std::fprintf(stderr, "no shipped code for %d^%d r%d\n", q, n, radius);
            return 1;
        }
        OrbitSearchOptions options;
        options.start = library.at(q).at({n, radius}).words;
        options.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[5]));
        morvalen::core::RandomSource random(std::strtoull(argv[6], nullptr, 10));
        const std::size_t order = std::strtoull(argv[7], nullptr, 10);
        auto shifts = code_translations(options.start, q, exclusive_or);
        // A random subgroup of the given order, grown one generator at a time.
        for (std::size_t i = shifts.size(); i > 1; --i)
            std::swap(shifts[i - 1], shifts[static_cast<std::size_t>(random.uniform_int(0, static_cast<std::int64_t>(i) - 1))]);
        // The group as the words its shifts are, each read as a number with the first event lowest.
        auto number = [q](const Word& word) {
            std::uint64_t value = 0;
            for (auto symbol = word.rbegin(); symbol != word.rend(); ++symbol) value = value * static_cast<std::uint64_t>(q) + *symbol;
            return value;
        };
        std::map<std::uint64_t, Word> group{{0, Word(static_cast<std::size_t>(n), 0)}};
        std::vector<WordSymmetry> maps;
        for (const Word& shift : shifts) {
            if (group.count(number(shift))) continue;
            auto grown = group;
            for (bool more = true; more && grown.size() <= order;) {
                more = false;
                for (const auto& [key, element] : std::map<std::uint64_t, Word>(grown)) {
                    Word next(element.size());
                    for (std::size_t k = 0; k < next.size(); ++k)
                        next[k] = static_cast<std::uint8_t>(exclusive_or ? (element[k] ^ shift[k]) : (element[k] + shift[k]) % q);
                    more |= grown.emplace(number(next), next).second;
                }
            }
            if (grown.size() > order) continue;
            group = std::move(grown);
            maps.push_back(translation(shift, q, exclusive_or));
        }
        std::fprintf(stderr, "%zu words, %zu shifts keep them; a group of %zu\n", options.start.size(), shifts.size(), group.size());
        return run_orbit_search(q, n, radius, maps, options.start.size(), random, options);
    }
    if (argc >= 9 && std::string(argv[1]) == "orbits") {
        const int q = std::atoi(argv[2]), n = std::atoi(argv[3]), radius = std::atoi(argv[4]);
        std::vector<WordSymmetry> maps;
        for (int i = 8; i < argc; ++i) {
            const auto map = parse_symmetry(argv[i], q, n);
            if (!map) {
                std::fprintf(stderr, "not a symmetry of %d^%d: %s\n", q, n, argv[i]);
                return 2;
            }
            maps.push_back(*map);
        }
        morvalen::core::RandomSource random(std::strtoull(argv[7], nullptr, 10));
        OrbitSearchOptions options;
        options.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[6]));
        return run_orbit_search(q, n, radius, maps, std::strtoull(argv[5], nullptr, 10), random, options);
    }
    if (argc >= 6 && std::string(argv[1]) == "shrink-shape") {
        // brief_records shrink-shape COUNTS GUARANTEE SECONDS SEED (COUNTS as 6,6,6,3): tabu search over
        // single bets from the greedy cover, for the blocks of mixed shapes; prints a catalogue line.
        Shape shape;
        std::istringstream counts(argv[2]);
        std::string count;
        for (int k = 0; k < events && std::getline(counts, count, ','); ++k) shape.counts[static_cast<std::size_t>(k)] = std::atoi(count.c_str());
        shape.guarantee = std::atoi(argv[3]);
        if (const std::string problem = shape_problem(shape); !problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 2;
        }
        const auto start = lazy_greedy_cover(shape);
        morvalen::core::RandomSource random(std::strtoull(argv[5], nullptr, 10));
        SearchLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[4]));
        limits.stop_at = sphere_bound(shape);
        const auto best = shrink_cover(shape, start, random, limits);
        std::fprintf(stderr, "%s: %zu -> %zu\n", describe(shape).c_str(), start.size(), best.size());
        print_catalogue_line(shape, best);
        return 0;
    }
    if (argc >= 7 && std::string(argv[1]) == "shrink") {
        // brief_records shrink Q N R SECONDS SEED [TENURE]: tabu search over single bets from the
        // shipped code of that length and radius; prints the smallest cover as a catalogue line.
        const int q = std::atoi(argv[2]), n = std::atoi(argv[3]), radius = std::atoi(argv[4]);
        const Shape shape = uniform_shape(q, n, radius);
        const auto& library = shipped_uniform_codes();
        const auto codes = library.uniform.find(q);
        if (codes == library.uniform.end() || !codes->second.count({n, radius})) {
            std::fprintf(stderr, "no shipped code for %d^%d r%d\n", q, n, radius);
            return 1;
        }
        const auto start = records_of_words(codes->second.at({n, radius}).words);
        morvalen::core::RandomSource random(std::strtoull(argv[6], nullptr, 10));
        SearchLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[5]));
        limits.stop_at = sphere_bound(shape);
        if (argc > 7) limits.tenure = std::atoi(argv[7]);
        SearchStats stats;
        const auto best = shrink_cover(shape, start, random, limits, &stats);
        std::fprintf(stderr, "%zu -> %zu in %llu steps\n", start.size(), best.size(),
                     static_cast<unsigned long long>(stats.iterations));
        if (best.size() >= start.size()) return 1;
        print_catalogue_line(shape, best);
        return 0;
    }
    const int q = std::atoi(argv[1]);
    if (argc == 6 || argc == 8 || argc == 10) {
        // brief_records Q N R BELOW SECONDS [ORDER SEED [MOVE_EVERY STEPS]]: the matrix method alone
        // on one length and radius, over syndrome groups of ORDER elements only when given; with
        // MOVE_EVERY the columns move with the syndromes, in tries of STEPS tabu steps.
        morvalen::core::RandomSource random(argc >= 8 ? std::strtoull(argv[7], nullptr, 10) : 7);
        GroupCodeOptions group;
        group.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[5]));
        if (argc == 10) {
            group.column_move_every = std::strtoull(argv[8], nullptr, 10);
            group.steps_per_try = std::strtoull(argv[9], nullptr, 10);
        }
        if (argc >= 8) {
            group.only_order = std::strtoull(argv[6], nullptr, 10);
            group.largest_group = std::max(group.largest_group, static_cast<int>(group.only_order));
        }
        const int n = std::atoi(argv[2]), radius = std::atoi(argv[3]);
        GroupCodeStats stats;
        const auto map = search_group_code(q, n, radius, std::strtoull(argv[4], nullptr, 10), random, group, &stats);
        std::fprintf(stderr, "%s after %llu tries", describe_group(map).c_str(),
                     static_cast<unsigned long long>(stats.tries));
        if (stats.least_uncovered != SIZE_MAX) std::fprintf(stderr, ", at best %zu left uncovered", stats.least_uncovered);
        std::fprintf(stderr, "\n");
        // The line data/group_codes.txt keeps, and the system as a line of the catalogue file.
        return print_group_code(n, radius, map);
    }
    RecordOptions options;
    options.budget = std::chrono::seconds(std::atol(argv[2]));
    if (argc > 3) options.seed = std::strtoull(argv[3], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    const auto& shipped = shipped_uniform_codes().uniform;
    const auto previous = shipped.count(q) ? shipped.at(q) : UniformCodes{};
    const auto codes = build_uniform_codes(q, options, previous, [&](int n, int radius, const UniformCode& code) {
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "%7.1f s  K%d(%d,%d) <= %zu  %s\n", seconds, q, n, radius, code.words.size(), code.how.c_str());
    });
    // The table, then every code better than the shipped one as a line of the catalogue file.
    std::vector<CatalogueEntry> better;
    for (const auto& [key, code] : codes) {
        if (key.first >= 3) std::fprintf(stderr, "%d\t%d\t%d\t%zu\t%s\n", q, key.first, key.second, code.words.size(), code.how.c_str());
        if (code.how != "stored") better.push_back({signature_of(uniform_shape(q, key.first, key.second)), records_of_words(code.words)});
    }
    std::ostringstream lines;
    write_catalogue(lines, better);
    std::printf("%s", lines.str().c_str());
    return 0;
}
