// Quality of generated brief systems: our size against the player's own greedy autoformation, the
// sphere-covering bound and the best size known, for a fixed list of shapes and for a catalogue file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "briefgen/catalogue.h"
#include "briefgen/generator.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
#include "core/autoformation.h"
#include "core/session.h"

namespace {

using namespace morvalen;
using briefgen::Shape;

Shape shape_of(int threes, int twos, int guarantee) {
    Shape shape;
    shape.guarantee = guarantee;
    for (int k = 0; k < briefgen::events; ++k) shape.counts[k] = k < threes ? 3 : k < threes + twos ? 2 : 1;
    return shape;
}

// What autoformation reaches from an empty list: bets appended until every variant is covered.
std::size_t autoformation_size(const Shape& shape) {
    core::Session session(1);
    for (int e = 1; e <= briefgen::events; ++e)
        for (int o = 1; o <= shape.counts[e - 1]; ++o) session.events.cell(e, o).mark = 1;
    session.settings.guarantee = shape.guarantee;
    core::colover(session, 1'000'000, {}, 0);
    return session.bets.size();
}

std::string known_text(const Shape& shape) {
    const auto known = briefgen::best_known_size(shape);
    if (!known) return "-";
    return std::to_string(known->size) + (known->optimal ? "" : "*");
}

}  // namespace

int main(int argc, char** argv) {
    double budget = 10;
    std::string catalogue_path;
    bool plain = false;
    bool table = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc) budget = std::strtod(argv[++i], nullptr);
        else if (arg == "--catalogue" && i + 1 < argc) catalogue_path = argv[++i];
        else if (arg == "--plain-greedy") plain = true;
        else if (arg == "--catalogue-only") table = false;
        else {
            std::cerr << "usage: brief_quality [--budget SECONDS-PER-SHAPE] [--catalogue FILE] [--catalogue-only] "
                         "[--plain-greedy]\n";
            return 2;
        }
    }
    auto greedy_size = [&](const Shape& shape) {
        return plain ? briefgen::plain_greedy_cover(shape).size() : autoformation_size(shape);
    };

    const std::vector<Shape> shapes = {
        shape_of(0, 8, 7), shape_of(0, 8, 6), shape_of(0, 7, 7), shape_of(4, 0, 7), shape_of(5, 0, 7),
        shape_of(6, 0, 7), shape_of(7, 0, 7), shape_of(8, 0, 7), shape_of(4, 4, 7), shape_of(3, 3, 6),
        shape_of(8, 0, 6), shape_of(8, 0, 5), shape_of(0, 8, 5),
    };
    std::printf("%-22s %8s %6s %7s %6s %7s %9s %9s\n", "shape", "variants", "ours", "greedy", "bound", "known",
                "ours/grd", "ours/knw");
    for (const Shape& shape : table ? shapes : std::vector<Shape>{}) {
        briefgen::GenerateOptions options;
        options.budget = std::chrono::milliseconds(static_cast<long>(budget * 1000));
        const auto ours = briefgen::generate_system(shape, options).records.size();
        const auto greedy = greedy_size(shape);
        const auto known = briefgen::best_known_size(shape);
        std::printf("%-22s %8llu %6zu %7zu %6llu %7s %9.3f %9s\n", briefgen::describe(shape).c_str(),
                    static_cast<unsigned long long>(briefgen::VariantSpace(shape).size()), ours, greedy,
                    static_cast<unsigned long long>(briefgen::sphere_bound(shape)), known_text(shape).c_str(),
                    static_cast<double>(ours) / static_cast<double>(greedy),
                    known ? std::to_string(static_cast<double>(ours) / static_cast<double>(known->size)).substr(0, 5).c_str()
                          : "-");
        std::fflush(stdout);
    }

    if (catalogue_path.empty()) return 0;
    std::ifstream in(catalogue_path);
    if (!in) {
        std::cerr << "cannot read " << catalogue_path << '\n';
        return 1;
    }
    const auto entries = briefgen::read_catalogue(in);
    std::size_t compared = 0, smaller = 0;
    double ratio_sum = 0;
    std::printf("\ncatalogue %s: %zu systems; shapes above 100 variants:\n", catalogue_path.c_str(), entries.size());
    for (const auto& entry : entries) {
        const Shape shape = *briefgen::shape_from_signature(entry.signature);
        if (briefgen::VariantSpace(shape).size() <= 100) continue;
        const auto greedy = greedy_size(shape);
        const double ratio = static_cast<double>(entry.records.size()) / static_cast<double>(greedy);
        ++compared;
        smaller += entry.records.size() < greedy;
        ratio_sum += ratio;
        std::printf("%-22s %6zu %7zu %6llu %7s %7.3f\n", briefgen::describe(shape).c_str(), entry.records.size(), greedy,
                    static_cast<unsigned long long>(briefgen::sphere_bound(shape)), known_text(shape).c_str(), ratio);
    }
    std::printf("smaller than greedy: %zu of %zu; mean size ratio %.3f (%.1f %% smaller on average)\n", smaller, compared,
                compared ? ratio_sum / static_cast<double>(compared) : 0.0,
                compared ? 100.0 * (1.0 - ratio_sum / static_cast<double>(compared)) : 0.0);
    return smaller == compared ? 0 : 1;
}
