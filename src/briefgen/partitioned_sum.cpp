// Sums over a partition, and linear codes split into cosets of a hyperplane drawn at random.
#include "briefgen/partitioned_sum.h"

#include <algorithm>

#include "briefgen/coverage_check.h"
#include "briefgen/record_codes.h"

namespace morvalen::briefgen {

namespace {

using Row = std::vector<int>;

int dot(const GaloisField& field, const Row& row, const Word& word) {
    int sum = 0;
    for (std::size_t i = 0; i < word.size(); ++i) sum = field.add(sum, field.mul(row[i], word[i]));
    return sum;
}

Row drawn_row(int q, int length, core::RandomSource& random) {
    Row row(static_cast<std::size_t>(length));
    for (int& v : row) v = static_cast<int>(random.below(static_cast<std::uint64_t>(q)));
    return row;
}

// Columns of `rows` entries, distinct directions (first nonzero entry 1) while there are enough.
std::vector<Row> drawn_check_rows(const GaloisField& field, int length, int rows, core::RandomSource& random) {
    const int q = field.order();
    std::uint64_t columns = 1;
    for (int i = 0; i < rows; ++i) columns *= static_cast<std::uint64_t>(q);
    std::vector<Row> directions;
    for (std::uint64_t code = 1; code < columns; ++code) {
        Row column(static_cast<std::size_t>(rows));
        std::uint64_t rest = code;
        for (int& v : column) {
            v = static_cast<int>(rest % static_cast<std::uint64_t>(q));
            rest /= static_cast<std::uint64_t>(q);
        }
        if (*std::find_if(column.begin(), column.end(), [](int v) { return v != 0; }) == 1) directions.push_back(column);
    }
    for (std::size_t i = directions.size(); i > 1; --i) std::swap(directions[i - 1], directions[random.below(i)]);
    std::vector<Row> check(static_cast<std::size_t>(rows), Row(static_cast<std::size_t>(length)));
    for (int j = 0; j < length; ++j) {
        const Row column = j < static_cast<int>(directions.size()) ? directions[static_cast<std::size_t>(j)] : drawn_row(q, rows, random);
        for (int i = 0; i < rows; ++i) check[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = column[static_cast<std::size_t>(i)];
    }
    return check;
}

bool covers_at(int q, int radius, const std::vector<Word>& words) {
    if (words.empty()) return false;
    const int length = static_cast<int>(words.front().size());
    if (radius >= length) return true;
    return check_coverage(uniform_shape(q, length, radius), records_of_words(words)).covers;
}

}  // namespace

std::vector<Word> partitioned_sum(const std::vector<Word>& first, const std::vector<std::vector<Word>>& parts) {
    std::vector<Word> sum;
    for (const Word& u : first) {
        if (u.empty() || u.back() >= parts.size()) continue;
        for (const Word& v : parts[u.back()]) {
            Word joined(u.begin(), u.end() - 1);
            joined.insert(joined.end(), v.begin(), v.end());
            sum.push_back(std::move(joined));
        }
    }
    return sum;
}

std::optional<std::vector<std::vector<Word>>> linear_partition(const GaloisField& field, int length, int radius, int rows,
                                                               core::RandomSource& random, int tries) {
    const int q = field.order();
    std::vector<Word> space{Word{}};
    for (int i = 0; i < length; ++i) {
        std::vector<Word> longer;
        for (const Word& w : space)
            for (int v = 0; v < q; ++v) {
                longer.push_back(w);
                longer.back().push_back(static_cast<std::uint8_t>(v));
            }
        space = std::move(longer);
    }
    for (int attempt = 0; attempt < tries; ++attempt) {
        const auto check = drawn_check_rows(field, length, rows, random);
        std::vector<Word> code;
        for (const Word& w : space)
            if (std::all_of(check.begin(), check.end(), [&](const Row& row) { return dot(field, row, w) == 0; })) code.push_back(w);
        if (!covers_at(q, radius, code)) continue;
        for (int split = 0; split < tries; ++split) {
            const Row extra = drawn_row(q, length, random);
            std::vector<std::vector<Word>> parts(static_cast<std::size_t>(q));
            for (const Word& w : code) parts[static_cast<std::size_t>(dot(field, extra, w))].push_back(w);
            // The cosets of one hyperplane are translates of each other, so one check speaks for all.
            if (std::any_of(parts.begin(), parts.end(), [](const auto& part) { return part.empty(); })) continue;
            if (covers_at(q, radius + 1, parts.front())) return parts;
        }
    }
    return std::nullopt;
}

}  // namespace morvalen::briefgen
