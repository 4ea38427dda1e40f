// Hamming codes over GF(q) in systematic form, merging of symbols and direct sums.
#include "briefgen/qary_codes.h"

#include <algorithm>
#include <set>

namespace morvalen::briefgen {

std::vector<std::vector<int>> hamming_check_columns(const GaloisField& field, int rows) {
    const int q = field.order();
    std::vector<std::vector<int>> units, others;
    std::vector<int> column(static_cast<std::size_t>(rows), 0);
    // Every vector whose first nonzero coordinate is 1, in counting order.
    std::int64_t total = 1;
    for (int i = 0; i < rows; ++i) total *= q;
    for (std::int64_t value = 1; value < total; ++value) {
        std::int64_t rest = value;
        for (int i = 0; i < rows; ++i, rest /= q) column[static_cast<std::size_t>(i)] = static_cast<int>(rest % q);
        const auto first = std::find_if(column.begin(), column.end(), [](int c) { return c != 0; });
        if (*first != 1) continue;
        const bool unit = std::count(column.begin(), column.end(), 0) == rows - 1;
        (unit ? units : others).push_back(column);
    }
    units.insert(units.end(), others.begin(), others.end());
    return units;
}

std::vector<Word> hamming_code(const GaloisField& field, int rows) {
    const int q = field.order();
    const auto columns = hamming_check_columns(field, rows);
    const int n = static_cast<int>(columns.size());
    const int free = n - rows;
    // The unit columns come first with the unit of row i at position i, so positions 0 … rows − 1
    // are the checks: x_i = −Σ_j H[i][j]·x_j over the free positions j.
    std::vector<int> unit_row(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i)
        unit_row[static_cast<std::size_t>(i)] = static_cast<int>(
            std::find(columns[static_cast<std::size_t>(i)].begin(), columns[static_cast<std::size_t>(i)].end(), 1) -
            columns[static_cast<std::size_t>(i)].begin());
    std::int64_t count = 1;
    for (int i = 0; i < free; ++i) count *= q;
    std::vector<Word> words;
    words.reserve(static_cast<std::size_t>(count));
    Word word(static_cast<std::size_t>(n), 0);
    for (std::int64_t value = 0; value < count; ++value) {
        std::int64_t rest = value;
        for (int j = rows; j < n; ++j, rest /= q) word[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(rest % q);
        for (int i = 0; i < rows; ++i) {
            const int row = unit_row[static_cast<std::size_t>(i)];
            int sum = 0;
            for (int j = rows; j < n; ++j)
                sum = field.add(sum, field.mul(columns[static_cast<std::size_t>(j)][static_cast<std::size_t>(row)],
                                               word[static_cast<std::size_t>(j)]));
            word[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(field.neg(sum));
        }
        words.push_back(word);
    }
    return words;
}

std::vector<Word> merge_symbols(const std::vector<Word>& words, const std::vector<int>& counts) {
    std::set<Word> merged;
    for (Word word : words) {
        for (std::size_t i = 0; i < word.size() && i < counts.size(); ++i)
            word[i] = static_cast<std::uint8_t>(std::min<int>(word[i], counts[i] - 1));
        merged.insert(std::move(word));
    }
    return {merged.begin(), merged.end()};
}

std::vector<Word> direct_sum(const std::vector<Word>& first, const std::vector<Word>& second) {
    std::vector<Word> sum;
    sum.reserve(first.size() * second.size());
    for (const Word& a : first) {
        for (const Word& b : second) {
            Word joined = a;
            joined.insert(joined.end(), b.begin(), b.end());
            sum.push_back(std::move(joined));
        }
    }
    return sum;
}

}  // namespace morvalen::briefgen
