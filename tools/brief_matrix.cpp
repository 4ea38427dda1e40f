// brief_matrix Q N R ROWS SYNDROMES SECONDS [--seed S] [--steps K] [--walk W] [--tabu T]
//              [--candidates C] [--additive] [--catalogue FILE]: the matrix method for the uniform shape
// Q^N·1^(8−N) at radius R, a check matrix of ROWS rows and SYNDROMES syndromes, searched with a seed
// and a time budget (--walk: column changes per fresh matrix, --steps: tabu steps per matrix;
// --additive: for Q = 4, ROWS binary rows and two columns an event). A code
// that covers is checked exhaustively, printed, and with --catalogue put in place of the file's line
// for that shape when it is smaller (the other lines are left as they are).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "briefgen/catalogue.h"
#include "briefgen/coverage_check.h"
#include "briefgen/record_codes.h"
#include "briefgen/syndrome_cover.h"
#include "catalogue_line.h"

namespace {

using namespace morvalen::briefgen;

int usage() {
    std::fprintf(stderr, "usage: brief_matrix Q N R ROWS SYNDROMES SECONDS [--seed S] [--steps K] [--walk W] "
                         "[--tabu T] [--candidates C] [--catalogue FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) return usage();
    const int q = std::atoi(argv[1]), n = std::atoi(argv[2]), radius = std::atoi(argv[3]);
    const int rows = std::atoi(argv[4]), target = std::atoi(argv[5]);
    const long seconds = std::atol(argv[6]);
    std::uint64_t seed = 1;
    std::string catalogue_path;
    MatrixSearchOptions options;
    for (int i = 7; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc && arg != "--additive") return usage();
        if (arg == "--seed") seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--steps") options.steps_per_matrix = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--additive") options.additive = true;
        else if (arg == "--walk") options.column_changes = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--tabu") options.tabu.tabu_length = std::atoi(argv[++i]);
        else if (arg == "--candidates") options.tabu.max_candidates = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--catalogue") catalogue_path = argv[++i];
        else return usage();
    }
    if (n < 2 || n > events || radius < 1 || radius >= n || rows < 1 || rows > (options.additive ? 2 * n : n) || target < 1) return usage();
    try {
        const auto start = std::chrono::steady_clock::now();
        options.deadline = start + std::chrono::seconds(seconds);
        morvalen::core::RandomSource random(seed);
        const auto code = search_matrix_code(q, n, radius, rows, target, random, options, [&](const MatrixCode& best) {
            const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "%7.1f s  %zu uncovered (matrix %llu, %llu steps)\n", spent, best.uncovered,
                         static_cast<unsigned long long>(best.matrices), static_cast<unsigned long long>(best.steps));
        });
        const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (code.uncovered > 0) {
            std::printf("K%d(%d,%d): %d syndromes of %d rows leave %zu uncovered after %.1f s, %llu matrices, %llu steps\n",
                        q, n, radius, target, rows, code.uncovered, spent, static_cast<unsigned long long>(code.matrices),
                        static_cast<unsigned long long>(code.steps));
            return 1;
        }
        const Shape shape = uniform_shape(q, n, radius);
        const auto records = records_of_words(matrix_code_words(code));
        require_coverage(shape, records);
        std::printf("K%d(%d,%d) <= %zu: %s, found in %.1f s\n  columns", q, n, radius, records.size(),
                    describe_matrix_code(code).c_str(), spent);
        for (int c : code.columns) std::printf(" %d", c);
        std::printf("\n  syndromes");
        for (int s : code.syndromes) std::printf(" %d", s);
        std::printf("\n");
        if (!catalogue_path.empty()) {
            const long grew = put_system(catalogue_path, shape, records);
            std::printf("catalogue %s grew by %ld bytes\n", catalogue_path.c_str(), grew);
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
