// Hamming codes, their direct products and the table of known covering-code sizes.
#include "briefgen/known_codes.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace morvalen::briefgen {

namespace {

using Word = std::vector<std::uint8_t>;

std::vector<Word> binary_hamming_7() {
    std::vector<Word> words;
    for (int x = 0; x < 128; ++x) {
        int syndrome = 0;
        for (int i = 0; i < 7; ++i)
            if (x >> i & 1) syndrome ^= i + 1;
        if (syndrome != 0) continue;
        Word word(7);
        for (int i = 0; i < 7; ++i) word[i] = static_cast<std::uint8_t>(x >> i & 1);
        words.push_back(word);
    }
    return words;
}

std::vector<Word> ternary_hamming_4() {
    // Parity checks (0 1 1 1) and (1 0 1 2): every nonzero syndrome is one single change.
    std::vector<Word> words;
    for (int x = 0; x < 81; ++x) {
        Word word(4);
        int rest = x;
        for (int i = 0; i < 4; ++i) {
            word[i] = static_cast<std::uint8_t>(rest % 3);
            rest /= 3;
        }
        const int s1 = (word[1] + word[2] + word[3]) % 3;
        const int s2 = (word[0] + word[2] + 2 * word[3]) % 3;
        if (s1 == 0 && s2 == 0) words.push_back(word);
    }
    return words;
}

struct Block {
    std::vector<int> events;   // positions in the sorted shape
    std::vector<Word> words;   // values of those events
};

}  // namespace

std::vector<Record> structured_cover(const Shape& shape) {
    const VariantSpace space(shape);
    const int n = space.active();
    std::vector<bool> used(n, false);
    std::vector<Block> blocks;
    auto free_of_count = [&](int count) {
        std::vector<int> found;
        for (int k = 0; k < n; ++k)
            if (!used[k] && space.count(k) == count) found.push_back(k);
        return found;
    };
    for (int unit = 0; unit < space.radius(); ++unit) {
        const auto twos = free_of_count(2);
        const auto threes = free_of_count(3);
        double best_factor = 0;
        Block best;
        auto offer = [&](double factor, std::vector<int> chosen, std::vector<Word> words) {
            if (factor > best_factor) {
                best_factor = factor;
                best = Block{std::move(chosen), std::move(words)};
            }
        };
        if (twos.size() >= 7) offer(8, {twos.begin(), twos.begin() + 7}, binary_hamming_7());
        if (threes.size() >= 4) offer(9, {threes.begin(), threes.begin() + 4}, ternary_hamming_4());
        if (twos.size() >= 3) offer(4, {twos.begin(), twos.begin() + 3}, {Word{0, 0, 0}, Word{1, 1, 1}});
        for (int k = 0; k < n; ++k) {
            if (!used[k]) {
                offer(space.count(k), {k}, {Word{0}});
                break;  // sorted: the first unused event has the largest count
            }
        }
        if (best_factor == 0) break;
        for (int k : best.events) used[k] = true;
        blocks.push_back(std::move(best));
    }
    for (int k = 0; k < n; ++k) {
        if (used[k]) continue;
        Block full{{k}, {}};
        for (int v = 0; v < space.count(k); ++v) full.words.push_back(Word{static_cast<std::uint8_t>(v)});
        blocks.push_back(std::move(full));
    }
    std::vector<Digits> product{Digits{}};
    for (const Block& block : blocks) {
        std::vector<Digits> next;
        next.reserve(product.size() * block.words.size());
        for (const Digits& partial : product) {
            for (const Word& word : block.words) {
                Digits digits = partial;
                for (std::size_t i = 0; i < block.events.size(); ++i) digits[block.events[i]] = word[i];
                next.push_back(digits);
            }
        }
        product = std::move(next);
    }
    std::vector<Record> records;
    records.reserve(product.size());
    for (const Digits& digits : product) records.push_back(record_of_digits(digits));
    return records;
}

std::optional<Widening> widen(const Shape& smaller, int count) {
    if (smaller.counts[events - 1] != 1 || count < 2 || count > max_count) return std::nullopt;
    Widening result{smaller, 0};
    while (result.position < events && smaller.counts[result.position] >= count) ++result.position;
    for (int k = events - 1; k > result.position; --k) result.shape.counts[k] = smaller.counts[k - 1];
    result.shape.counts[result.position] = count;
    return result;
}

namespace {

std::vector<Record> insert_event(const Shape& smaller, const std::vector<Record>& records, int count, bool every_value) {
    const auto wide = widen(smaller, count);
    if (!wide) return {};
    const VariantSpace space(smaller);
    std::vector<Record> result;
    result.reserve(records.size() * static_cast<std::size_t>(every_value ? count : 1));
    for (Record record : records) {
        const auto digits = space.digits_of_record(record);
        if (!digits) return {};
        for (int v = 0; v < (every_value ? count : 1); ++v) {
            // The smaller shape's last event has one outcome; it falls off the end.
            Digits widened{};
            const auto split = digits->begin() + wide->position;
            std::copy(digits->begin(), split, widened.begin());
            widened[static_cast<std::size_t>(wide->position)] = static_cast<std::uint8_t>(v);
            std::copy(split, digits->end() - 1, widened.begin() + wide->position + 1);
            result.push_back(record_of_digits(widened));
        }
    }
    return result;
}

}  // namespace

std::vector<Record> product_with_event(const Shape& smaller, const std::vector<Record>& records, int count) {
    return insert_event(smaller, records, count, true);
}

std::vector<Record> with_free_event(const Shape& smaller, const std::vector<Record>& records, int count) {
    return insert_event(smaller, records, count, false);
}

std::optional<KnownSize> best_known_size(const Shape& shape) {
    int twos = 0, threes = 0, others = 0;
    for (int count : shape.counts) {
        if (count == 2) ++twos;
        else if (count == 3) ++threes;
        else if (count > 3) ++others;
    }
    if (others > 0 || (twos > 0 && threes > 0)) return std::nullopt;
    const int n = twos + threes;
    const int radius = events - shape.guarantee;
    if (n == 0 || radius >= n) return KnownSize{1, true};
    if (radius == 0) {
        std::uint64_t all = 1;
        for (int k = 0; k < n; ++k) all *= twos > 0 ? 2 : 3;
        return KnownSize{all, true};
    }
    // (alphabet, length, radius) -> (size, proven optimal)
    static const std::map<std::tuple<int, int, int>, KnownSize> table = {
        {{2, 2, 1}, {2, true}},   {{2, 3, 1}, {2, true}},  {{2, 4, 1}, {4, true}},   {{2, 5, 1}, {7, true}},
        {{2, 6, 1}, {12, true}},  {{2, 7, 1}, {16, true}}, {{2, 8, 1}, {32, true}},  {{2, 3, 2}, {2, true}},
        {{2, 4, 2}, {2, true}},   {{2, 5, 2}, {2, true}},  {{2, 6, 2}, {4, true}},   {{2, 7, 2}, {7, true}},
        {{2, 8, 2}, {12, true}},  {{3, 2, 1}, {3, true}},  {{3, 3, 1}, {5, true}},   {{3, 4, 1}, {9, true}},
        {{3, 5, 1}, {27, true}},  {{3, 6, 1}, {73, false}}, {{3, 7, 1}, {186, false}}, {{3, 8, 1}, {486, false}},
        {{3, 3, 2}, {3, true}},   {{3, 4, 2}, {3, true}},  {{3, 5, 2}, {8, true}},
    };
    const auto it = table.find({twos > 0 ? 2 : 3, n, radius});
    if (it == table.end()) return std::nullopt;
    return it->second;
}

}  // namespace morvalen::briefgen
