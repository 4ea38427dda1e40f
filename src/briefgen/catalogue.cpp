// Building, writing and reading the catalogue of brief systems.
#include "briefgen/catalogue.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "briefgen/coverage_check.h"
#include "briefgen/generator.h"
#include "briefgen/known_codes.h"

namespace morvalen::briefgen {

namespace {

// Every sorted vector of counts 1 … largest, largest first.
void add_count_vectors(Shape shape, int k, int largest, std::vector<Shape>& out) {
    if (k == events) {
        out.push_back(shape);
        return;
    }
    for (int count = k == 0 ? largest : shape.counts[static_cast<std::size_t>(k - 1)]; count >= 1; --count) {
        shape.counts[static_cast<std::size_t>(k)] = count;
        add_count_vectors(shape, k + 1, largest, out);
    }
}

}  // namespace

std::vector<Shape> catalogue_shapes(int largest) {
    std::vector<Shape> shapes;
    for (int guarantee = 7; guarantee >= 5; --guarantee) {
        std::vector<Shape> level;
        Shape first;
        first.guarantee = guarantee;
        add_count_vectors(first, 0, largest, level);
        // Fewest large counts first, as the shapes were always listed, then by the variants.
        std::reverse(level.begin(), level.end());
        std::stable_sort(level.begin(), level.end(), [](const Shape& a, const Shape& b) {
            return VariantSpace(a).size() < VariantSpace(b).size();
        });
        shapes.insert(shapes.end(), level.begin(), level.end());
    }
    return shapes;
}

std::vector<CatalogueEntry> build_catalogue(std::chrono::milliseconds budget, std::uint64_t seed,
                                            const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress) {
    return build_catalogue(catalogue_shapes(), budget, seed, previous, progress);
}

std::vector<CatalogueEntry> build_catalogue(const std::vector<Shape>& shapes, std::chrono::milliseconds budget,
                                            std::uint64_t seed, const std::vector<CatalogueEntry>& previous,
                                            const std::function<void(const CatalogueProgress&)>& progress) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + budget;
    std::map<std::int64_t, std::vector<std::vector<Record>>> known;
    for (const CatalogueEntry& entry : previous) known[entry.signature].push_back(entry.records);

    // Guarantee 7 shapes are where the search keeps finding smaller systems for longest.
    auto weight_of = [](const Shape& shape) {
        return static_cast<double>(VariantSpace(shape).size()) * (shape.guarantee == 7 ? 3.0 : 1.0);
    };
    double weight_left = 0;
    for (const Shape& shape : shapes) weight_left += weight_of(shape);

    std::map<std::int64_t, std::vector<Record>> built;
    std::vector<CatalogueEntry> entries;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Shape& shape = shapes[i];
        const std::int64_t signature = signature_of(shape);
        const double weight = weight_of(shape);
        const auto left = std::max(clock::duration::zero(), deadline - clock::now());
        GenerateOptions options;
        options.seed = seed + i;
        options.budget = std::chrono::duration_cast<std::chrono::milliseconds>(left * (weight / weight_left));
        weight_left -= weight;
        if (auto it = known.find(signature); it != known.end())
            options.starts.insert(options.starts.end(), it->second.begin(), it->second.end());
        // Products of smaller systems: one event fewer with every outcome of it, or one event
        // fewer at a higher guarantee with that event free.
        for (int count = 2; count <= max_count; ++count) {
            for (int k = 0; k < events; ++k) {
                if (shape.counts[k] != count) continue;
                Shape smaller = shape;
                smaller.counts[k] = 1;
                std::stable_sort(smaller.counts.begin(), smaller.counts.end(), std::greater<>());
                if (auto it = built.find(signature_of(smaller)); it != built.end())
                    options.starts.push_back(product_with_event(smaller, it->second, count));
                if (shape.guarantee < events) {
                    Shape stricter = smaller;
                    stricter.guarantee = shape.guarantee + 1;
                    if (auto it = built.find(signature_of(stricter)); it != built.end())
                        options.starts.push_back(with_free_event(stricter, it->second, count));
                }
                break;
            }
        }
        GeneratedSystem system = generate_system(shape, options);
        built[signature] = system.records;
        entries.push_back({signature, std::move(system.records)});
        if (progress) progress({i + 1, shapes.size(), shape, entries.back().records.size()});
    }
    return entries;
}

void write_catalogue(std::ostream& out, const std::vector<CatalogueEntry>& entries) {
    out << "# Brief systems: signature, number of bets, v, the first bet's variant index (event 0 the\n"
           "# fastest digit) and the distance of every further bet from the one before\n";
    for (const CatalogueEntry& entry : entries) {
        const auto shape = shape_from_signature(entry.signature);
        if (!shape) throw std::runtime_error("not a signature: " + std::to_string(entry.signature));
        const VariantSpace space(*shape);
        std::vector<std::uint64_t> indices;
        indices.reserve(entry.records.size());
        for (Record record : entry.records) {
            const auto digits = space.digits_of_record(record);
            if (!digits) throw std::runtime_error(describe(*shape) + ": a bet beyond its shape");
            indices.push_back(space.index_of(*digits));
        }
        std::sort(indices.begin(), indices.end());
        out << entry.signature << ' ' << indices.size() << " v";
        std::uint64_t previous = 0;
        for (std::uint64_t index : indices) {
            out << ' ' << index - previous;
            previous = index;
        }
        out << '\n';
    }
}

std::vector<CatalogueEntry> read_catalogue(std::istream& in) {
    std::vector<CatalogueEntry> entries;
    std::string line;
    std::size_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "catalogue line " + std::to_string(number) + ": ";
        std::istringstream fields(line);
        CatalogueEntry entry;
        std::size_t count = 0;
        if (!(fields >> entry.signature >> count)) throw std::runtime_error(where + "expected a signature and a count");
        const auto shape = shape_from_signature(entry.signature);
        if (!shape) throw std::runtime_error(where + "not a signature");
        if (count > VariantSpace(*shape).size()) throw std::runtime_error(where + "more bets than variants");
        entry.records.reserve(std::min<std::size_t>(count, 1 << 16));
        const VariantSpace space(*shape);
        std::string token;
        bool indices = false;
        std::uint64_t index = 0;
        while (fields >> token) {
            if (token == "v" && entry.records.empty() && !indices) {
                indices = true;
                continue;
            }
            // Digits only: a stream would read "-1" into an unsigned value by wrapping it.
            std::uint64_t value = 0;
            const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
            if (error != std::errc() || end != token.data() + token.size())
                throw std::runtime_error(where + "a bet is not a number");
            if (!indices) {
                entry.records.push_back(value);
                continue;
            }
            if (value >= space.size() - index || (value == 0 && !entry.records.empty()))
                throw std::runtime_error(where + "a bet beyond the shape's variants");
            index += value;
            entry.records.push_back(space.record_of_index(index));
        }
        if (entry.records.size() != count) throw std::runtime_error(where + "the count does not match the bets");
        const CoverageReport report = check_coverage(*shape, entry.records);
        if (!report.covers) throw std::runtime_error(where + report.problem);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace morvalen::briefgen
