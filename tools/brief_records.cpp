// brief_records Q SECONDS [SEED]: builds the uniform covering codes over Q symbols within the budget
// and prints each new smallest code as it is found, then the table by length and radius.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "briefgen/group_codes.h"
#include "briefgen/record_codes.h"
#include "core/model/random_source.h"

int main(int argc, char** argv) {
    using namespace morvalen::briefgen;
    if (argc < 3) {
        std::fprintf(stderr, "usage: brief_records Q SECONDS [SEED]\n");
        return 2;
    }
    const int q = std::atoi(argv[1]);
    if (argc == 6) {
        // brief_records Q N R BELOW SECONDS: the matrix method alone on one length and radius.
        morvalen::core::RandomSource random(7);
        GroupCodeOptions group;
        group.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[5]));
        const auto map = search_group_code(q, std::atoi(argv[2]), std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10), random, group);
        std::printf("%zu %s\n", group_code_words(map).size(), describe_group(map).c_str());
        return 0;
    }
    RecordOptions options;
    options.budget = std::chrono::seconds(std::atol(argv[2]));
    if (argc > 3) options.seed = std::strtoull(argv[3], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    const auto codes = build_uniform_codes(q, options, {}, [&](int n, int radius, const UniformCode& code) {
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "%7.1f s  K%d(%d,%d) <= %zu  %s\n", seconds, q, n, radius, code.words.size(), code.how.c_str());
    });
    for (const auto& [key, code] : codes)
        if (key.first >= 4) std::printf("%d\t%d\t%d\t%zu\t%s\n", q, key.first, key.second, code.words.size(), code.how.c_str());
    return 0;
}
