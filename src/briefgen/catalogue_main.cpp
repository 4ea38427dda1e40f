// morvalen_catalogue --budget SECONDS [--seed N] [--previous FILE [--refresh]] OUT: builds the brief-system
// catalogue; with --refresh the budget goes to the uniform codes and the previous systems are kept
// unless those codes make them smaller.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "briefgen/catalogue.h"

int main(int argc, char** argv) {
    using namespace morvalen::briefgen;
    long budget = 60;
    std::uint64_t seed = 1;
    std::string previous_path;
    std::string out_path;
    bool refresh = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc) budget = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--previous" && i + 1 < argc) previous_path = argv[++i];
        else if (arg == "--refresh") refresh = true;
        else if (out_path.empty() && arg[0] != '-') out_path = arg;
        else {
            std::cerr << "usage: morvalen_catalogue --budget SECONDS [--seed N] [--previous FILE [--refresh]] OUT\n";
            return 2;
        }
    }
    if (out_path.empty() || budget < 0) {
        std::cerr << "usage: morvalen_catalogue --budget SECONDS [--seed N] [--previous FILE [--refresh]] OUT\n";
        return 2;
    }
    try {
        std::vector<CatalogueEntry> previous;
        if (!previous_path.empty()) {
            std::ifstream in(previous_path);
            if (!in) throw std::runtime_error("cannot read " + previous_path);
            previous = read_catalogue(in);
        }
        const auto report = [](const CatalogueProgress& p) {
            std::cerr << p.done << '/' << p.total << ' ' << describe(p.shape) << ": " << p.size << '\n';
        };
        const auto entries =
            refresh ? refresh_catalogue(std::chrono::seconds(budget), std::chrono::seconds(5), seed, previous, report,
                                        [](const Shape& shape, std::size_t size) {
                                            std::cerr << "uniform " << describe(shape) << ": " << size << '\n';
                                        })
                    : build_catalogue(std::chrono::seconds(budget), seed, previous, report);
        std::ofstream out(out_path);
        write_catalogue(out, entries);
        if (!out) throw std::runtime_error("cannot write " + out_path);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
