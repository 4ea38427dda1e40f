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
#include "briefgen/block_construction.h"
#include "briefgen/known_codes.h"
#include "briefgen/record_codes.h"

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

Shape shape_with_counts(std::initializer_list<int> counts, int guarantee) {
    Shape shape;
    std::copy(counts.begin(), counts.end(), shape.counts.begin());
    shape.guarantee = guarantee;
    return shape;
}

// The uniform codes first: the searches over their groups and small spaces are what the blocks of
// the other shapes are made of. More symbols, larger spaces, more time.
UniformLibrary build_library(const std::vector<std::pair<Shape, std::vector<Record>>>& previous_systems,
                             std::chrono::milliseconds budget, std::uint64_t seed,
                             const std::function<void(const Shape&, std::size_t)>& found) {
    UniformLibrary library = uniform_codes_of(previous_systems);
    for (int q = 3; q <= catalogue_uniform_max_count && budget.count() > 0; ++q) {
        RecordOptions record;
        record.budget = std::chrono::duration_cast<std::chrono::milliseconds>(budget * (q - 2) / 10);
        record.seed = seed;
        library.uniform[q] = build_uniform_codes(q, record, library.uniform[q], [&](int n, int radius, const UniformCode& code) {
            if (found) found(uniform_shape(q, n, radius), code.words.size());
        });
    }
    return library;
}

std::vector<Record> uniform_records(const UniformLibrary& library, const Shape& shape) {
    const auto alphabet = uniform_alphabet(shape);
    if (!alphabet) return {};
    const auto codes = library.uniform.find(alphabet->first);
    if (codes == library.uniform.end()) return {};
    const auto it = codes->second.find({alphabet->second, events - shape.guarantee});
    return it == codes->second.end() ? std::vector<Record>{} : records_of_words(it->second.words);
}

}  // namespace

std::vector<Shape> catalogue_shapes(int largest, int uniform_largest) {
    std::vector<Shape> shapes;
    for (int guarantee = 7; guarantee >= 5; --guarantee) {
        std::vector<Shape> level;
        Shape first;
        first.guarantee = guarantee;
        add_count_vectors(first, 0, largest, level);
        // Fewest large counts first, as the shapes were always listed, then by the variants.
        std::reverse(level.begin(), level.end());
        // A block of the largest mixed shapes that a short search covers badly: with the 72-word
        // code of four six-outcome events it makes 6^7·3 at guarantee 6.
        if (guarantee == 7 && uniform_largest >= 6 && largest < 6) level.push_back(shape_with_counts({6, 6, 6, 3}, 7));
        for (int q = largest + 1; q <= uniform_largest; ++q) {
            for (int n = 4; n <= events; ++n) {
                const Shape uniform = uniform_shape(q, n, events - guarantee);
                if (sphere_bound(uniform) <= catalogue_uniform_max_bound) level.push_back(uniform);
            }
        }
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
    std::vector<std::pair<Shape, std::vector<Record>>> previous_systems;
    for (const CatalogueEntry& entry : previous) {
        known[entry.signature].push_back(entry.records);
        if (const auto shape = shape_from_signature(entry.signature)) previous_systems.emplace_back(*shape, entry.records);
    }
    UniformLibrary library = build_library(previous_systems, budget / 2, seed, {});
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
        options.library = &library;
        if (auto uniform = uniform_records(library, shape); !uniform.empty()) options.starts.push_back(std::move(uniform));
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

std::vector<CatalogueEntry> refresh_catalogue(std::chrono::milliseconds budget, std::chrono::milliseconds new_shape_budget,
                                              std::uint64_t seed, const std::vector<CatalogueEntry>& previous,
                                              const std::function<void(const CatalogueProgress&)>& progress,
                                              const std::function<void(const Shape&, std::size_t)>& found) {
    std::map<std::int64_t, const std::vector<Record>*> kept;
    std::vector<std::pair<Shape, std::vector<Record>>> previous_systems;
    for (const CatalogueEntry& entry : previous) {
        kept[entry.signature] = &entry.records;
        if (const auto shape = shape_from_signature(entry.signature)) previous_systems.emplace_back(*shape, entry.records);
    }
    const UniformLibrary library = build_library(previous_systems, budget, seed, found);
    const auto shapes = catalogue_shapes();
    std::vector<CatalogueEntry> entries;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Shape& shape = shapes[i];
        const std::int64_t signature = signature_of(shape);
        std::vector<Record> best;
        auto consider = [&](std::vector<Record> records) {
            std::sort(records.begin(), records.end());
            records.erase(std::unique(records.begin(), records.end()), records.end());
            if (records.empty() || (!best.empty() && records.size() >= best.size())) return;
            if (check_coverage(shape, records).covers) best = std::move(records);
        };
        const auto previous_system = kept.find(signature);
        if (previous_system != kept.end()) consider(*previous_system->second);
        consider(uniform_records(library, shape));
        const std::uint64_t variants = VariantSpace(shape).size();
        consider(block_cover(shape, best.empty() ? variants : best.size() - 1, library));
        if (previous_system == kept.end()) {
            if (variants <= 1'000'000) {
                GenerateOptions options;
                options.seed = seed + i;
                options.budget = new_shape_budget;
                options.library = &library;
                if (!best.empty()) options.starts.push_back(best);
                consider(generate_system(shape, options).records);
            } else if (auto system = constructed_system(shape, 200'000, 20'000'000, library)) {
                consider(std::move(system->records));
            }
        }
        if (best.empty()) throw std::runtime_error("no system for " + describe(shape));
        require_coverage(shape, best);
        entries.push_back({signature, std::move(best)});
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
