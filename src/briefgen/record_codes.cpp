// Uniform covering codes by construction and search, kept smallest per length and radius.
#include "briefgen/record_codes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <stdexcept>

#include "briefgen/amalgamated_sum.h"
#include "briefgen/coverage_check.h"
#include "briefgen/group_codes.h"
#include "briefgen/local_search.h"
#include "briefgen/partitioned_sum.h"
#include "briefgen/shipped_catalogue.h"
#include "briefgen/shipped_group_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

namespace {

// Codes of radius 0 are every word; beyond this length they are never a useful part of a sum.
constexpr int whole_length_limit = 4;
// Draws of check matrices, and of splitting rows for each, when a linear code is split into cosets.
constexpr int partition_tries = 24;

std::uint64_t power(int q, int n) {
    std::uint64_t result = 1;
    for (int i = 0; i < n; ++i) result *= static_cast<std::uint64_t>(q);
    return result;
}

std::vector<Word> every_word(int q, int n) {
    std::vector<Word> words{Word{}};
    for (int i = 0; i < n; ++i) {
        std::vector<Word> next;
        for (const Word& w : words) {
            for (int v = 0; v < q; ++v) {
                Word longer = w;
                longer.push_back(static_cast<std::uint8_t>(v));
                next.push_back(std::move(longer));
            }
        }
        words = std::move(next);
    }
    return words;
}

std::vector<Word> distinct(std::vector<Word> words) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

class UniformTable {
public:
    UniformTable(int q, const std::function<void(int, int, const UniformCode&)>& progress) : q_(q), progress_(progress) {}

    std::uint64_t size(int n, int radius) const {
        if (n == 0 || radius >= n) return 1;
        if (radius == 0) return power(q_, n);
        const auto it = codes_.find({n, radius});
        return it == codes_.end() ? UINT64_MAX : it->second.words.size();
    }
    std::vector<Word> words(int n, int radius) const {
        if (radius >= n) return {Word(static_cast<std::size_t>(n), 0)};
        if (radius == 0) return every_word(q_, n);
        return codes_.at({n, radius}).words;
    }
    bool has(int n, int radius) const { return size(n, radius) != UINT64_MAX; }

    // Keeps the words when they are fewer than what is known and cover; true when kept.
    bool offer(int n, int radius, std::vector<Word> words, const std::string& how) {
        if (n < 1 || n > events || radius < 1 || radius >= n) return false;
        words = distinct(std::move(words));
        if (words.empty() || words.size() >= size(n, radius)) return false;
        for (const Word& w : words)
            if (w.size() != static_cast<std::size_t>(n)) return false;
        if (!check_coverage(uniform_shape(q_, n, radius), records_of_words(words)).covers) return false;
        UniformCode& code = codes_[{n, radius}];
        code.words = std::move(words);
        code.how = how;
        if (progress_) progress_(n, radius, code);
        return true;
    }

    // Direct sums, shortening and a free event, until none gives a smaller code.
    void close() {
        for (bool changed = true; changed;) {
            changed = false;
            for (int n = 2; n <= events; ++n) {
                for (int radius = 1; radius <= std::min(record_max_radius, n - 1); ++radius) {
                    changed |= close_one(n, radius);
                }
            }
        }
    }

    const UniformCodes& codes() const { return codes_; }
    int q() const { return q_; }

private:
    bool close_one(int n, int radius) {
        bool changed = false;
        for (int first = 1; first < n; ++first) {
            const int second = n - first;
            for (int r1 = 0; r1 <= std::min(radius, first); ++r1) {
                const int r2 = radius - r1;
                if (r2 > second || (r1 == 0 && first > whole_length_limit) || (r2 == 0 && second > whole_length_limit)) continue;
                if (!has(first, r1) || !has(second, r2)) continue;
                const std::uint64_t a = size(first, r1), b = size(second, r2);
                if (a > UINT64_MAX / b || a * b >= size(n, radius) || a * b > 2'000'000) continue;
                changed |= offer(n, radius, direct_sum(words(first, r1), words(second, r2)),
                                 "(" + std::to_string(first) + "," + std::to_string(r1) + ")+(" + std::to_string(second) + "," +
                                     std::to_string(r2) + ")");
            }
        }
        // Glued on a shared event the parts need about a q-th of the words; only some gluings cover.
        for (int first = 2; first < n; ++first) {
            const int second = n + 1 - first;
            for (int r1 = 1; r1 < std::min(radius, first); ++r1) {
                const int r2 = radius - r1;
                if (r2 >= second || !has(first, r1) || !has(second, r2)) continue;
                const std::uint64_t a = size(first, r1), b = size(second, r2);
                if (a > UINT64_MAX / b || a * b / static_cast<std::uint64_t>(q_) >= 2 * size(n, radius)) continue;
                if (!glued_.insert({static_cast<std::uint64_t>(first), static_cast<std::uint64_t>(r1), a,
                                    static_cast<std::uint64_t>(second), static_cast<std::uint64_t>(r2), b}).second) continue;
                changed |= offer(n, radius, amalgamated_sum(words(first, r1), r1, words(second, r2), r2, q_, size(n, radius)),
                                 "(" + std::to_string(first) + "," + std::to_string(r1) + ")&(" + std::to_string(second) + "," +
                                     std::to_string(r2) + ")");
            }
        }
        // A cover whose last event picks a coset of a hyperplane of a linear code, over a field.
        if (smallest_field_order(q_) == q_) {
            for (int first = 2; first < n; ++first) {
                const int second = n + 1 - first;
                for (int r1 = 1; r1 <= std::min(radius, first - 1); ++r1) {
                    const int r2 = radius - r1;
                    if (r2 >= second || !has(first, r1)) continue;
                    for (int rows = 0; rows < second; ++rows) {
                        const std::uint64_t a = size(first, r1), estimate = a * power(q_, second - rows - 1);
                        if (estimate >= size(n, radius)) continue;
                        const auto* parts = partition(second, r2, rows);
                        if (parts == nullptr) continue;
                        changed |= offer(n, radius, partitioned_sum(words(first, r1), *parts),
                                         "(" + std::to_string(first) + "," + std::to_string(r1) + ")|[" + std::to_string(second) + "," +
                                             std::to_string(second - rows) + "]" + std::to_string(r2));
                    }
                }
            }
        }
        // A longer code with its last event cut off covers at the same radius.
        if (n < events && has(n + 1, radius) && size(n + 1, radius) < size(n, radius)) {
            auto longer = words(n + 1, radius);
            for (Word& w : longer) w.pop_back();
            changed |= offer(n, radius, std::move(longer), "shortened (" + std::to_string(n + 1) + "," + std::to_string(radius) + ")");
        }
        return changed;
    }

    // The parts of a linear code of `length` covering at `radius` with `rows` check rows; drawn once.
    const std::vector<std::vector<Word>>* partition(int length, int radius, int rows) {
        const auto key = std::array<int, 3>{length, radius, rows};
        auto it = partitions_.find(key);
        if (it == partitions_.end()) {
            core::RandomSource random(static_cast<std::uint64_t>(q_ * 1000 + length * 100 + radius * 10 + rows));
            it = partitions_.emplace(key, linear_partition(GaloisField(q_), length, radius, rows, random, partition_tries)).first;
        }
        return it->second ? &*it->second : nullptr;
    }

    int q_;
    std::function<void(int, int, const UniformCode&)> progress_;
    UniformCodes codes_;
    // Gluings tried, by the parts' lengths, radii and sizes: each is a search over pairings.
    std::set<std::array<std::uint64_t, 6>> glued_;
    std::map<std::array<int, 3>, std::optional<std::vector<std::vector<Word>>>> partitions_;
};

}  // namespace

Shape uniform_shape(int q, int n, int radius) {
    Shape shape;
    std::fill_n(shape.counts.begin(), n, q);
    shape.guarantee = events - radius;
    return shape;
}

std::optional<std::pair<int, int>> uniform_alphabet(const Shape& shape) {
    const int q = shape.counts[0];
    int n = 0;
    for (int count : shape.counts) {
        if (count == q) ++n;
        else if (count != 1) return std::nullopt;
    }
    if (q < 2) return std::nullopt;
    return std::make_pair(q, n);
}

std::vector<Record> records_of_words(const std::vector<Word>& words) {
    constexpr std::size_t digits_per_record = events;
    std::vector<Record> records;
    records.reserve(words.size());
    for (const Word& w : words) {
        // A longer word has no bet: its tail would run past the digits.
        if (w.size() > digits_per_record) throw std::invalid_argument("a word longer than the events of a bet");
        Digits digits{};
        std::copy(w.begin(), w.end(), digits.begin());
        records.push_back(record_of_digits(digits));
    }
    std::sort(records.begin(), records.end());
    return records;
}

std::vector<Word> words_of_records(const Shape& shape, const std::vector<Record>& records) {
    const VariantSpace space(shape);
    std::vector<Word> words;
    words.reserve(records.size());
    for (Record record : records) {
        const auto digits = space.digits_of_record(record);
        if (!digits) return {};
        words.emplace_back(digits->begin(), digits->begin() + space.active());
    }
    return words;
}

std::vector<Record> merged_cover(const Shape& shape, const std::vector<Word>& uniform_words) {
    const VariantSpace space(shape);
    std::vector<int> counts;
    for (int k = 0; k < space.active(); ++k) counts.push_back(space.count(k));
    for (const Word& w : uniform_words)
        if (w.size() != counts.size()) return {};
    auto records = records_of_words(merge_symbols(uniform_words, counts));
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

UniformLibrary uniform_codes_of(const std::vector<std::pair<Shape, std::vector<Record>>>& systems) {
    UniformLibrary library;
    for (const auto& [shape, records] : systems) {
        const auto alphabet = uniform_alphabet(shape);
        if (!alphabet || alphabet->second < 2) {
            if (auto words = words_of_records(shape, records); !words.empty()) library.exact[signature_of(shape)] = std::move(words);
            continue;
        }
        const auto [q, n] = *alphabet;
        const int radius = events - shape.guarantee;
        if (radius < 1 || radius >= n) continue;
        auto words = words_of_records(shape, records);
        if (words.empty()) continue;
        UniformCode& code = library.uniform[q][{n, radius}];
        if (code.words.empty() || words.size() < code.words.size()) code = {std::move(words), "stored"};
    }
    return library;
}

const UniformLibrary& shipped_uniform_codes() {
    static const UniformLibrary library = [] {
        std::vector<std::pair<Shape, std::vector<Record>>> systems;
        for (const CatalogueEntry& entry : shipped_catalogue())
            if (const auto shape = shape_from_signature(entry.signature)) systems.emplace_back(*shape, entry.records);
        UniformLibrary codes = uniform_codes_of(systems);
        // Checked when read; a stored system of the same shape that is smaller wins.
        for (const StoredGroupCode& stored : shipped_group_codes()) {
            UniformCode& code = codes.uniform[stored.map.q][{stored.n, stored.radius}];
            if (code.words.empty() || stored.size < code.words.size()) code = {group_code_words(stored.map), describe_group(stored.map)};
        }
        return codes;
    }();
    return library;
}

UniformCodes build_uniform_codes(int q, const RecordOptions& options, const UniformCodes& previous,
                                 const std::function<void(int n, int radius, const UniformCode&)>& progress) {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const auto deadline = start + options.budget;
    UniformTable table(q, progress);
    for (const auto& [key, code] : previous) table.offer(key.first, key.second, code.words, code.how);
    table.close();
    core::RandomSource random(options.seed * 1000 + static_cast<std::uint64_t>(q));

    std::vector<std::pair<int, int>> entries;
    for (int n = 3; n <= std::min(events, options.longest_searched); ++n)
        for (int radius = 1; radius <= std::min(record_max_radius, n - 1); ++radius) entries.push_back({n, radius});

    // First the matrix method on every entry, then single bets on the spaces small enough for them.
    const auto group_phase_end = start + options.budget * 2 / 5;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto now = clock::now();
        if (now >= group_phase_end) break;
        const auto [n, radius] = entries[i];
        GroupCodeOptions group;
        group.deadline = now + (group_phase_end - now) / static_cast<int>(entries.size() - i);
        group.max_tries = options.group_tries;
        const std::uint64_t known = table.size(n, radius);
        const auto found = search_group_code(q, n, radius, known == UINT64_MAX ? power(q, n) : known, random, group);
        if (!found.syndromes.empty()) table.offer(n, radius, group_code_words(found), describe_group(found));
        table.close();
    }
    std::vector<std::pair<int, int>> small;
    double weight_left = 0;
    for (auto [n, radius] : entries) {
        if (power(q, n) > options.tabu_variant_limit || !table.has(n, radius)) continue;
        small.push_back({n, radius});
        weight_left += std::sqrt(static_cast<double>(power(q, n)));
    }
    for (auto [n, radius] : small) {
        const auto now = clock::now();
        if (now >= deadline) break;
        const double weight = std::sqrt(static_cast<double>(power(q, n)));
        SearchLimits limits;
        limits.deadline = now + std::chrono::duration_cast<clock::duration>((deadline - now) * (weight / weight_left));
        weight_left -= weight;
        const Shape shape = uniform_shape(q, n, radius);
        limits.stop_at = sphere_bound(shape);
        limits.max_iterations = options.tabu_iterations;
        const auto shrunk = shrink_cover(shape, records_of_words(table.words(n, radius)), random, limits);
        table.offer(n, radius, words_of_records(shape, shrunk), "tabu");
        table.close();
    }
    return table.codes();
}

}  // namespace morvalen::briefgen
