// Quality of served brief systems: the size served against the player's own autoformation from an
// empty list, the best block construction and the sphere-covering bound, for a fixed list of shapes,
// as averages over every shape up to a count, and for a catalogue file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "briefgen/autoformation_cover.h"
#include "briefgen/block_construction.h"
#include "briefgen/catalogue.h"
#include "briefgen/generator.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
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

    // The shipped system when the catalogue holds the shape, else what the on-demand worker makes.
    std::size_t size(const Shape& shape) const {
        if (auto it = catalogue.find(briefgen::signature_of(shape)); it != catalogue.end()) return it->second;
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

}  // namespace

int main(int argc, char** argv) {
    Served served;
    std::string catalogue_path;
    bool table = true;
    int average_max = 0;
    int sample = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc)
            served.budget = std::chrono::milliseconds(static_cast<long>(std::strtod(argv[++i], nullptr) * 1000));
        else if (arg == "--catalogue" && i + 1 < argc) catalogue_path = argv[++i];
        else if (arg == "--plain-greedy") served.plain = true;
        else if (arg == "--catalogue-only") table = false;
        else if (arg == "--average" && i + 1 < argc) average_max = std::atoi(argv[++i]);
        else if (arg == "--sample" && i + 1 < argc) sample = std::max(1, std::atoi(argv[++i]));
        else {
            std::cerr << "usage: brief_quality [--budget SECONDS-PER-SHAPE] [--catalogue FILE] [--catalogue-only] "
                         "[--plain-greedy] [--average MAX-COUNT [--sample EVERY-NTH]]\n";
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
        shape_of({7, 7, 7, 7, 7, 7, 7, 7}, 7),
    };
    std::printf("%-22s %8s %7s %7s %7s %-22s %7s %7s %7s\n", "shape", "variants", "served", "autofm", "constr",
                "construction", "sphere", "known", "srv/aut");
    for (const Shape& shape : table ? shapes : std::vector<Shape>{}) {
        if (briefgen::VariantSpace(shape).size() > 1'000'000) {
            const auto perfect = briefgen::bound_reaching_system(shape, 200'000, 20'000'000);
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
    if (average_max > 0) {
        std::map<int, std::pair<double, std::size_t>> by_guarantee;
        std::size_t larger = 0, smaller = 0, index = 0;
        for (const Shape& shape : briefgen::catalogue_shapes(average_max)) {
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
