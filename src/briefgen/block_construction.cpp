// Dynamic programme over block splits; Hamming codes and small searched covers for the blocks.
#include "briefgen/block_construction.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>

#include "briefgen/greedy_cover.h"
#include "briefgen/local_search.h"
#include "briefgen/qary_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

namespace {

// A block small enough to cover by a short search of its own; the result is kept for the process.
constexpr std::uint64_t searched_block_limit = 2048;
constexpr std::uint64_t searched_block_iterations = 1500;

std::uint64_t saturating_product(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
    return a * b;
}

std::uint64_t variants_of(const std::vector<int>& counts) {
    std::uint64_t size = 1;
    for (int c : counts) size = saturating_product(size, static_cast<std::uint64_t>(c));
    return size;
}

enum class BlockKind { whole, single, hamming, searched, library };

struct BlockChoice {
    BlockKind kind = BlockKind::whole;
    std::uint64_t size = UINT64_MAX;
    int field = 0;  // for Hamming blocks
    int rows = 0;
    const std::vector<Word>* words = nullptr;  // for library blocks
};

Shape block_shape(const std::vector<int>& counts, int radius) {
    Shape shape;
    std::copy(counts.begin(), counts.end(), shape.counts.begin());
    shape.guarantee = events - radius;
    return shape;
}

// Searched covers of small blocks, shared by every plan in the process: each is a short
// deterministic search, so the same block always gives the same words.
std::vector<Word> searched_words(const std::vector<int>& counts, int radius) {
    static std::mutex mutex;
    static std::map<std::pair<std::vector<int>, int>, std::vector<Word>> cache;
    const auto key = std::make_pair(counts, radius);
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (auto it = cache.find(key); it != cache.end()) return it->second;
    }
    const Shape shape = block_shape(counts, radius);
    core::RandomSource random(counts.size() * 31 + static_cast<std::size_t>(radius));
    SearchLimits limits;
    limits.max_iterations = searched_block_iterations;
    limits.stop_at = sphere_bound(shape);
    const auto records = shrink_cover(shape, lazy_greedy_cover(shape), random, limits);
    const VariantSpace space(shape);
    std::vector<Word> words;
    for (Record record : records) {
        const Digits digits = *space.digits_of_record(record);
        words.emplace_back(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(counts.size()));
    }
    std::lock_guard<std::mutex> lock(mutex);
    return cache.emplace(key, std::move(words)).first->second;
}

BlockChoice choose_block(const std::vector<int>& counts, int radius, const UniformLibrary& library) {
    const int length = static_cast<int>(counts.size());
    BlockChoice best;
    if (radius >= length) return {BlockKind::single, 1};
    if (radius == 0) return {BlockKind::whole, variants_of(counts)};
    best = {BlockKind::whole, UINT64_MAX};
    if (radius == 1) {
        const int q = smallest_field_order(counts.front());
        std::int64_t power = q;
        for (int rows = 2; q > 0; ++rows) {
            power *= q;
            const std::int64_t n = (power - 1) / (q - 1);
            if (n > length) break;
            if (n < length) continue;
            std::uint64_t size = 1;
            for (int i = 0; i < length - rows; ++i) size *= static_cast<std::uint64_t>(q);
            if (size < best.size) best = {BlockKind::hamming, size, q, rows};
        }
    }
    // Merging never adds words, so a library code's size bounds the merged block's.
    if (const auto exact = library.exact.find(signature_of(block_shape(counts, radius)));
        exact != library.exact.end() && exact->second.size() < best.size)
        best = {BlockKind::library, exact->second.size(), counts.front(), 0, &exact->second};
    for (const auto& [q, codes] : library.uniform) {
        if (q < counts.front()) continue;
        const auto it = codes.find({length, radius});
        if (it != codes.end() && !it->second.words.empty() && it->second.words.size() < best.size)
            best = {BlockKind::library, it->second.words.size(), q, 0, &it->second.words};
    }
    if (variants_of(counts) <= searched_block_limit) {
        const auto size = static_cast<std::uint64_t>(searched_words(counts, radius).size());
        if (size < best.size) best = {BlockKind::searched, size};
    }
    return best;
}

std::vector<Word> block_words(const std::vector<int>& counts, int radius, const BlockChoice& choice) {
    switch (choice.kind) {
        case BlockKind::single:
            return {Word(counts.size(), 0)};
        case BlockKind::whole: {
            std::vector<Word> words{Word{}};
            for (int c : counts) {
                std::vector<Word> next;
                for (const Word& w : words) {
                    for (int v = 0; v < c; ++v) {
                        Word longer = w;
                        longer.push_back(static_cast<std::uint8_t>(v));
                        next.push_back(std::move(longer));
                    }
                }
                words = std::move(next);
            }
            return words;
        }
        case BlockKind::hamming:
            return merge_symbols(hamming_code(GaloisField(choice.field), choice.rows), counts);
        case BlockKind::searched:
            return searched_words(counts, radius);
        case BlockKind::library:
            return merge_symbols(*choice.words, counts);
    }
    return {};
}

struct Plan {
    std::uint64_t size = UINT64_MAX;
    std::vector<std::pair<int, int>> blocks;  // (end event, radius), consecutive from event 0
    std::vector<BlockChoice> choices;
};

Plan best_plan(const Shape& shape, const UniformLibrary& library) {
    const VariantSpace space(shape);
    const int n = space.active();
    const int radius = space.radius();
    std::vector<int> counts;
    for (int k = 0; k < n; ++k) counts.push_back(space.count(k));
    // plans[i][r]: the best plan for events i … n − 1 with r disagreements to spend.
    std::vector<std::vector<Plan>> plans(static_cast<std::size_t>(n + 1), std::vector<Plan>(static_cast<std::size_t>(radius + 1)));
    for (int r = 0; r <= radius; ++r) plans[static_cast<std::size_t>(n)][static_cast<std::size_t>(r)].size = 1;
    for (int i = n - 1; i >= 0; --i) {
        for (int j = i + 1; j <= n; ++j) {
            const std::vector<int> block(counts.begin() + i, counts.begin() + j);
            for (int own = 0; own <= std::min(radius, j - i); ++own) {
                const BlockChoice choice = choose_block(block, own, library);
                if (choice.size == UINT64_MAX) continue;
                for (int r = own; r <= radius; ++r) {
                    const Plan& rest = plans[static_cast<std::size_t>(j)][static_cast<std::size_t>(r - own)];
                    const std::uint64_t size = saturating_product(choice.size, rest.size);
                    Plan& here = plans[static_cast<std::size_t>(i)][static_cast<std::size_t>(r)];
                    if (size < here.size) {
                        here.size = size;
                        here.blocks = {{j, own}};
                        here.blocks.insert(here.blocks.end(), rest.blocks.begin(), rest.blocks.end());
                        here.choices = {choice};
                        here.choices.insert(here.choices.end(), rest.choices.begin(), rest.choices.end());
                    }
                }
            }
        }
    }
    return plans[0][static_cast<std::size_t>(radius)];
}

}  // namespace

BlockPlan block_plan(const Shape& shape, const UniformLibrary& library) {
    const Plan plan = best_plan(shape, library);
    BlockPlan result{plan.size, {}};
    int start = 0;
    for (std::size_t b = 0; b < plan.blocks.size(); ++b) {
        const auto [end, radius] = plan.blocks[b];
        const BlockChoice& choice = plan.choices[b];
        if (!result.text.empty()) result.text += '+';
        const std::string length = std::to_string(end - start);
        switch (choice.kind) {
            case BlockKind::whole: result.text += "W(" + length + ")"; break;
            case BlockKind::single: result.text += "1(" + length + ")"; break;
            case BlockKind::hamming: result.text += "H" + std::to_string(choice.field) + "(" + length + ")"; break;
            case BlockKind::searched: result.text += "S(" + length + ",r" + std::to_string(radius) + ")"; break;
            case BlockKind::library:
                result.text += "K" + std::to_string(choice.field) + "(" + length + ",r" + std::to_string(radius) + ")";
                break;
        }
        start = end;
    }
    return result;
}

std::vector<Record> block_cover(const Shape& shape, std::uint64_t max_records, const UniformLibrary& library) {
    const Plan plan = best_plan(shape, library);
    if (plan.size > max_records || plan.blocks.empty()) return {};
    const VariantSpace space(shape);
    std::vector<int> counts;
    for (int k = 0; k < space.active(); ++k) counts.push_back(space.count(k));
    std::vector<Word> words{Word{}};
    int start = 0;
    for (std::size_t b = 0; b < plan.blocks.size(); ++b) {
        const auto [end, radius] = plan.blocks[b];
        const std::vector<int> block(counts.begin() + start, counts.begin() + end);
        words = direct_sum(words, block_words(block, radius, plan.choices[b]));
        start = end;
    }
    std::vector<Record> records;
    records.reserve(words.size());
    for (const Word& word : words) {
        Digits digits{};
        std::copy(word.begin(), word.end(), digits.begin());
        records.push_back(record_of_digits(digits));
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

}  // namespace morvalen::briefgen
