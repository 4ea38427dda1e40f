// Quality of served brief systems: the size served against the player's own autoformation from an
// empty list, the best block construction and the sphere-covering bound, for a fixed list of shapes,
// as averages over every shape up to a count, for a catalogue file, and against a table of the best
// known covering codes for the uniform shapes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <tuple>
#include <string>
#include <vector>

#include "briefgen/autoformation_cover.h"
#include "briefgen/block_construction.h"
#include "briefgen/catalogue.h"
#include "briefgen/generator.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
#include "briefgen/record_codes.h"
#include "briefgen/shipped_catalogue.h"

namespace {

using namespace morvalen;
using briefgen::Shape;

Shape shape_of(std::initializer_list<int> counts, int guarantee) {
    Shape shape;
    shape.guarantee = guarantee;
    int k = 0;
    for (int count : counts) shape.counts[static_cast<std::size_t>(k++)] = count;
    return shape;
}

std::size_t autoformation_size(const Shape& shape) {
    const auto cover = briefgen::autoformation_cover(shape, 0);
    return cover ? cover->size() : 0;
}

std::string known_text(const Shape& shape) {
    const auto known = briefgen::best_known_size(shape);
    if (!known) return "-";
    return std::to_string(known->size) + (known->optimal ? "" : "*");
}

struct Served {
    std::map<std::int64_t, std::size_t> catalogue;
    std::chrono::milliseconds budget{1600};
    bool plain = false;

    // The shipped system when the catalogue holds the shape, else what the on-demand worker makes
    // (above 10^6 variants a construction, 0 when there is none).
    std::size_t size(const Shape& shape) const {
        if (auto it = catalogue.find(briefgen::signature_of(shape)); it != catalogue.end()) return it->second;
        if (briefgen::VariantSpace(shape).size() > 1'000'000) {
            const auto built = briefgen::constructed_system(shape, 200'000, 20'000'000);
            return built ? built->records.size() : 0;
        }
        briefgen::GenerateOptions options;
        options.budget = budget;
        options.seed = 1 + static_cast<std::uint64_t>(briefgen::signature_of(shape));
        return briefgen::generate_system(shape, options).records.size();
    }
    std::size_t greedy(const Shape& shape) const {
        return plain ? briefgen::plain_greedy_cover(shape).size() : autoformation_size(shape);
    }
};

void print_row(const Served& served, const Shape& shape) {
    const auto ours = served.size(shape);
    const auto greedy = served.greedy(shape);
    const auto plan = briefgen::block_plan(shape);
    std::printf("%-22s %8llu %7zu %7zu %7llu %-22s %7llu %7s %7.3f\n", briefgen::describe(shape).c_str(),
                static_cast<unsigned long long>(briefgen::VariantSpace(shape).size()), ours, greedy,
                static_cast<unsigned long long>(plan.size), plan.text.c_str(),
                static_cast<unsigned long long>(briefgen::sphere_bound(shape)), known_text(shape).c_str(),
                static_cast<double>(ours) / static_cast<double>(greedy));
    std::fflush(stdout);
}

// Rows "q n R lower upper" of a table of bounds on K_q(n, R); '#' lines are comments.
std::map<std::tuple<int, int, int>, std::uint64_t> read_upper_bounds(std::istream& in) {
    std::map<std::tuple<int, int, int>, std::uint64_t> upper;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int q = 0, n = 0, radius = 0;
        std::uint64_t lower = 0, best = 0;
        if (fields >> q >> n >> radius >> lower >> best) upper[{q, n, radius}] = best;
    }
    return upper;
}

// Served against the best known upper bound for every uniform shape q^n·1^(8−n), q 3 to 6, n 4 to
// 8, guarantees 5 to 7, and the mean excess; the number of shapes above their bound.
int print_excess_table(const Served& served, const std::map<std::tuple<int, int, int>, std::uint64_t>& upper) {
    std::printf("\n%-22s %8s %7s %7s %7s\n", "uniform shape", "variants", "served", "known", "excess");
    double excess_sum = 0;
    std::size_t rows = 0, above = 0, at_or_under = 0;
    for (int q = 3; q <= 6; ++q) {
        for (int n = 4; n <= briefgen::events; ++n) {
            for (int guarantee = 7; guarantee >= 5; --guarantee) {
                const int radius = briefgen::events - guarantee;
                const auto it = upper.find({q, n, radius});
                if (radius >= n || it == upper.end()) continue;
                const Shape shape = briefgen::uniform_shape(q, n, radius);
                const std::size_t ours = served.size(shape);
                const double excess = ours == 0 ? 0.0 : 100.0 * (static_cast<double>(ours) / static_cast<double>(it->second) - 1.0);
                std::printf("%-22s %8llu %7s %7llu %+6.1f%%\n", briefgen::describe(shape).c_str(),
                            static_cast<unsigned long long>(briefgen::VariantSpace(shape).size()),
                            ours == 0 ? "-" : std::to_string(ours).c_str(), static_cast<unsigned long long>(it->second), excess);
                std::fflush(stdout);
                if (ours == 0) continue;
                excess_sum += excess;
                ++rows;
                if (ours > it->second) ++above;
                else ++at_or_under;
            }
        }
    }
    std::printf("%zu uniform shapes: %zu at or under the best known, %zu above; mean excess %.1f %%\n", rows, at_or_under,
                above, rows ? excess_sum / static_cast<double>(rows) : 0.0);
    return static_cast<int>(above);
}

}  // namespace

int main(int argc, char** argv) {
    Served served;
    std::string catalogue_path;
    bool table = true;
    int average_max = 0;
    int sample = 1;
    std::string bounds_path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc)
            served.budget = std::chrono::milliseconds(static_cast<long>(std::strtod(argv[++i], nullptr) * 1000));
        else if (arg == "--catalogue" && i + 1 < argc) catalogue_path = argv[++i];
        else if (arg == "--plain-greedy") served.plain = true;
        else if (arg == "--catalogue-only") table = false;
        else if (arg == "--average" && i + 1 < argc) average_max = std::atoi(argv[++i]);
        else if (arg == "--sample" && i + 1 < argc) sample = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--bounds" && i + 1 < argc) bounds_path = argv[++i];
        else {
            std::cerr << "usage: brief_quality [--budget SECONDS-PER-SHAPE] [--catalogue FILE] [--catalogue-only] "
                         "[--plain-greedy] [--average MAX-COUNT [--sample EVERY-NTH]] [--bounds TSV]\n";
            return 2;
        }
    }
    for (const auto& entry : briefgen::shipped_catalogue()) served.catalogue[entry.signature] = entry.records.size();

    const std::vector<Shape> shapes = {
        shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 7), shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 6),
        shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 7), shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 6),
        shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 5), shape_of({4, 4, 4, 4, 4, 1, 1, 1}, 7),
        shape_of({4, 4, 4, 4, 4, 4, 4, 1}, 7), shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 7),
        shape_of({5, 5, 5, 5, 5, 5, 1, 1}, 7), shape_of({5, 5, 5, 5, 5, 5, 5, 5}, 7),
        shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 6), shape_of({5, 5, 5, 5, 5, 5, 5, 5}, 6),
        shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 5), shape_of({5, 5, 5, 5, 4, 4, 4, 3}, 6),
        shape_of({6, 6, 5, 5, 4, 4, 3, 3}, 6), shape_of({6, 6, 6, 6, 6, 6, 1, 1}, 7),
        shape_of({5, 5, 5, 5, 5, 5, 5, 5}, 5), shape_of({6, 6, 5, 5, 4, 4, 3, 3}, 5),
        shape_of({6, 6, 6, 6, 6, 6, 6, 3}, 6), shape_of({6, 6, 6, 6, 6, 6, 5, 4}, 5),
        shape_of({6, 6, 6, 6, 6, 6, 6, 6}, 5), shape_of({7, 7, 7, 7, 7, 7, 7, 7}, 7),
    };
    std::printf("%-22s %8s %7s %7s %7s %-22s %7s %7s %7s\n", "shape", "variants", "served", "autofm", "constr",
                "construction", "sphere", "known", "srv/aut");
    for (const Shape& shape : table ? shapes : std::vector<Shape>{}) {
        if (briefgen::VariantSpace(shape).size() > 1'000'000) {
            const auto perfect = briefgen::constructed_system(shape, 200'000, 20'000'000);
            const auto plan = briefgen::block_plan(shape);
            std::printf("%-22s %8llu %7s %7s %7llu %-22s %7llu %7s\n", briefgen::describe(shape).c_str(),
                        static_cast<unsigned long long>(briefgen::VariantSpace(shape).size()),
                        perfect ? std::to_string(perfect->records.size()).c_str() : "-", "-",
                        static_cast<unsigned long long>(plan.size), plan.text.c_str(),
                        static_cast<unsigned long long>(briefgen::sphere_bound(shape)), known_text(shape).c_str());
            continue;
        }
        print_row(served, shape);
    }

    int failures = 0;
    if (!bounds_path.empty()) {
        std::ifstream bounds(bounds_path);
        if (!bounds) {
            std::cerr << "cannot read " << bounds_path << '\n';
            return 1;
        }
        print_excess_table(served, read_upper_bounds(bounds));
    }
    if (average_max > 0) {
        std::map<int, std::pair<double, std::size_t>> by_guarantee;
        std::size_t larger = 0, smaller = 0, index = 0;
        for (const Shape& shape : briefgen::catalogue_shapes(average_max, average_max)) {
            if (index++ % static_cast<std::size_t>(sample) != 0) continue;
            const auto ours = served.size(shape);
            const auto greedy = served.greedy(shape);
            const double ratio = static_cast<double>(ours) / static_cast<double>(greedy);
            by_guarantee[shape.guarantee].first += ratio;
            ++by_guarantee[shape.guarantee].second;
            larger += ours > greedy;
            smaller += ours < greedy;
            if (ours > greedy) std::printf("LARGER: %s %zu > %zu\n", briefgen::describe(shape).c_str(), ours, greedy);
        }
        double total = 0;
        std::size_t count = 0;
        for (const auto& [guarantee, sum] : by_guarantee) {
            std::printf("counts <= %d, G%d: %zu shapes, mean served/autoformation %.3f\n", average_max, guarantee,
                        sum.second, sum.first / static_cast<double>(sum.second));
            total += sum.first;
            count += sum.second;
        }
        std::printf("counts <= %d, G5-7: %zu shapes, mean served/autoformation %.3f; smaller on %zu, larger on %zu\n",
                    average_max, count, count ? total / static_cast<double>(count) : 0.0, smaller, larger);
        failures += larger > 0;
    }

    if (catalogue_path.empty()) return failures;
    std::ifstream in(catalogue_path);
    if (!in) {
        std::cerr << "cannot read " << catalogue_path << '\n';
        return 1;
    }
    const auto entries = briefgen::read_catalogue(in);
    std::size_t compared = 0, smaller = 0, larger = 0;
    double ratio_sum = 0;
    std::printf("\ncatalogue %s: %zu systems; shapes above 100 variants:\n", catalogue_path.c_str(), entries.size());
    for (const auto& entry : entries) {
        const Shape shape = *briefgen::shape_from_signature(entry.signature);
        if (briefgen::VariantSpace(shape).size() <= 100) continue;
        const auto greedy = served.greedy(shape);
        const double ratio = static_cast<double>(entry.records.size()) / static_cast<double>(greedy);
        ++compared;
        smaller += entry.records.size() < greedy;
        larger += entry.records.size() > greedy;
        ratio_sum += ratio;
        std::printf("%-22s %6zu %7zu %6llu %7s %7.3f\n", briefgen::describe(shape).c_str(), entry.records.size(), greedy,
                    static_cast<unsigned long long>(briefgen::sphere_bound(shape)), known_text(shape).c_str(), ratio);
    }
    std::printf("smaller than autoformation: %zu of %zu, larger: %zu; mean size ratio %.3f (%.1f %% smaller on average)\n",
                smaller, compared, larger, compared ? ratio_sum / static_cast<double>(compared) : 0.0,
                compared ? 100.0 * (1.0 - ratio_sum / static_cast<double>(compared)) : 0.0);
    return failures + (larger > 0 ? 1 : 0);
}
