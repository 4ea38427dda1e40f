// Tabu search over unions of orbits, with the weighted number of uncovered words as its cost.
#include "briefgen/orbit_search.h"

#include <algorithm>
#include <sstream>

#include "briefgen/least_choice.h"

namespace morvalen::briefgen {

namespace {

bool is_permutation_of(const std::vector<int>& images, int size) {
    if (static_cast<int>(images.size()) != size) return false;
    std::vector<bool> seen(static_cast<std::size_t>(size), false);
    for (int image : images) {
        if (image < 0 || image >= size || seen[static_cast<std::size_t>(image)]) return false;
        seen[static_cast<std::size_t>(image)] = true;
    }
    return true;
}

std::optional<std::vector<int>> digits_of(const std::string& text) {
    std::vector<int> digits;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        digits.push_back(c - '0');
    }
    return digits;
}

// Words as numbers in base q, the first event the lowest digit.
class WordSpace {
public:
    WordSpace(int q, int n) : q_(q), n_(n) {
        power_.push_back(1);
        for (int i = 0; i < n; ++i) power_.push_back(power_.back() * static_cast<std::uint32_t>(q));
    }
    std::uint32_t size() const { return power_.back(); }
    int symbols() const { return q_; }
    int length() const { return n_; }
    int digit(std::uint32_t word, int i) const { return static_cast<int>(word / power_[static_cast<std::size_t>(i)] % q_); }

    std::uint32_t image(std::uint32_t word, const WordSymmetry& map) const {
        std::uint32_t result = 0;
        for (int i = 0; i < n_; ++i)
            result += static_cast<std::uint32_t>(map.symbols[static_cast<std::size_t>(i)][static_cast<std::size_t>(digit(word, i))]) *
                      power_[static_cast<std::size_t>(map.positions[static_cast<std::size_t>(i)])];
        return result;
    }

    // Every word within `radius` of `word`, each once.
    template <typename Visit>
    void for_each_within(std::uint32_t word, int radius, Visit&& visit) const {
        visit(word);
        change_from(word, 0, radius, visit);
    }

    std::uint64_t ball_size(int radius) const {
        std::uint64_t total = 0, choose = 1, moves = 1;
        for (int k = 0; k <= radius && k <= n_; ++k) {
            total += choose * moves;
            choose = choose * static_cast<std::uint64_t>(n_ - k) / static_cast<std::uint64_t>(k + 1);
            moves *= static_cast<std::uint64_t>(q_ - 1);
        }
        return total;
    }

    Word word_of(std::uint32_t word) const {
        Word digits(static_cast<std::size_t>(n_));
        for (int i = 0; i < n_; ++i) digits[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(digit(word, i));
        return digits;
    }

private:
    template <typename Visit>
    void change_from(std::uint32_t word, int first, int left, Visit& visit) const {
        if (left == 0) return;
        for (int i = first; i < n_; ++i) {
            const int own = digit(word, i);
            const std::uint32_t base = word - static_cast<std::uint32_t>(own) * power_[static_cast<std::size_t>(i)];
            for (int v = 0; v < q_; ++v) {
                if (v == own) continue;
                const std::uint32_t moved = base + static_cast<std::uint32_t>(v) * power_[static_cast<std::size_t>(i)];
                visit(moved);
                change_from(moved, i + 1, left - 1, visit);
            }
        }
    }

    int q_;
    int n_;
    std::vector<std::uint32_t> power_;
};

class OrbitTabu {
public:
    OrbitTabu(const WordSpace& space, int radius, const std::vector<WordSymmetry>& generators, core::RandomSource& random)
        : space_(space), radius_(radius), random_(random), orbit_of_(space.size(), npos) {
        // Orbits by a walk under the generators; the group they make is finite, so the walk closes.
        std::vector<std::uint32_t> queue;
        for (std::uint32_t w = 0; w < space.size(); ++w) {
            if (orbit_of_[w] != npos) continue;
            const auto id = static_cast<std::uint32_t>(members_.size());
            members_.emplace_back();
            queue.assign(1, w);
            orbit_of_[w] = id;
            while (!queue.empty()) {
                const std::uint32_t x = queue.back();
                queue.pop_back();
                members_.back().push_back(x);
                for (const WordSymmetry& map : generators) {
                    const std::uint32_t y = space.image(x, map);
                    if (orbit_of_[y] != npos) continue;
                    orbit_of_[y] = id;
                    queue.push_back(y);
                }
            }
        }
        // What each orbit covers, with repeats where two of its words are close.
        reach_start_.push_back(0);
        for (const auto& orbit : members_) {
            for (std::uint32_t x : orbit) space.for_each_within(x, radius, [&](std::uint32_t y) { reach_.push_back(y); });
            reach_start_.push_back(reach_.size());
        }
        const std::size_t words = space.size();
        cover_.assign(words, 0);
        weight_.assign(words, 1);
        where_.assign(words, npos);
        stamp_.assign(words, 0);
        tally_.assign(words, 0);
        chosen_at_.assign(members_.size(), npos);
        tabu_until_.assign(members_.size(), 0);
        for (std::uint32_t w = 0; w < words; ++w) mark_uncovered(w);
    }

    std::size_t words() const { return words_; }
    std::size_t orbits() const { return members_.size(); }
    std::size_t uncovered() const { return uncovered_.size(); }

    std::vector<Word> code() const {
        std::vector<std::uint32_t> all;
        for (std::uint32_t orbit : chosen_) all.insert(all.end(), members_[orbit].begin(), members_[orbit].end());
        std::sort(all.begin(), all.end());
        std::vector<Word> result;
        for (std::uint32_t w : all) result.push_back(space_.word_of(w));
        return result;
    }

    // Takes orbits out, the least missed first, until at most `limit` words are left.
    void shrink_to(std::size_t limit) {
        while (words_ > limit && !chosen_.empty()) {
            LeastChoice<std::uint64_t, std::uint32_t> weakest(npos);
            for (std::uint32_t orbit : chosen_) weakest.offer(loss(orbit), orbit, random_);
            remove(weakest.chosen());
        }
    }

    void step(std::uint64_t now, int tenure, std::size_t limit) {
        const std::uint32_t target = uncovered_[static_cast<std::size_t>(
            random_.uniform_int(0, static_cast<std::int64_t>(uncovered_.size()) - 1))];
        std::size_t largest_out = 0;
        for (std::uint32_t orbit : chosen_)
            if (tabu_until_[orbit] <= now) largest_out = std::max(largest_out, members_[orbit].size());
        LeastChoice<std::int64_t, std::uint32_t> best_in(npos);
        space_.for_each_within(target, radius_, [&](std::uint32_t near) {
            const std::uint32_t orbit = orbit_of_[near];
            if (chosen_at_[orbit] != npos || tabu_until_[orbit] > now) return;
            if (words_ + members_[orbit].size() > limit + largest_out) return;
            best_in.offer(-static_cast<std::int64_t>(gain(orbit)), orbit, random_);
        });
        std::uint32_t in = best_in.chosen();
        if (in == npos) in = orbit_of_[target];  // every way in is tabu: take the target's own
        add(in);
        tabu_until_[in] = now + static_cast<std::uint64_t>(tenure);
        if (words_ > limit) {
            const std::size_t need = words_ - limit;
            LeastChoice<std::uint64_t, std::uint32_t> best_out(npos);
            for (std::uint32_t orbit : chosen_)
                if (orbit != in && tabu_until_[orbit] <= now && members_[orbit].size() >= need)
                    best_out.offer(loss(orbit), orbit, random_);
            if (best_out.chosen() != npos) {
                tabu_until_[best_out.chosen()] = now + static_cast<std::uint64_t>(tenure);
                remove(best_out.chosen());
            }
            shrink_to(limit);  // nothing free was large enough
        }
        for (std::uint32_t w : uncovered_) ++weight_[w];
    }

    // Puts in the orbits of the words; false unless the words are those orbits exactly.
    bool add_whole_orbits(const std::vector<Word>& words) {
        std::vector<std::uint32_t> indices;
        for (const Word& word : words) {
            if (static_cast<int>(word.size()) != space_.length()) return false;
            std::uint32_t index = 0;
            for (int i = space_.length() - 1; i >= 0; --i) {
                if (word[static_cast<std::size_t>(i)] >= space_.symbols()) return false;
                index = index * static_cast<std::uint32_t>(space_.symbols()) + word[static_cast<std::size_t>(i)];
            }
            indices.push_back(index);
        }
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        for (std::uint32_t index : indices) {
            const std::uint32_t orbit = orbit_of_[index];
            if (chosen_at_[orbit] != npos) continue;
            for (std::uint32_t member : members_[orbit])
                if (!std::binary_search(indices.begin(), indices.end(), member)) return false;
            add(orbit);
        }
        return true;
    }

    void add(std::uint32_t orbit) {
        chosen_at_[orbit] = static_cast<std::uint32_t>(chosen_.size());
        chosen_.push_back(orbit);
        words_ += members_[orbit].size();
        for (std::size_t k = reach_start_[orbit]; k < reach_start_[orbit + 1]; ++k) {
            const std::uint32_t w = reach_[k];
            if (cover_[w]++ == 0) unmark(w);
        }
    }

private:
    static constexpr std::uint32_t npos = UINT32_MAX;

    void remove(std::uint32_t orbit) {
        const std::uint32_t at = chosen_at_[orbit];
        chosen_[at] = chosen_.back();
        chosen_at_[chosen_[at]] = at;
        chosen_.pop_back();
        chosen_at_[orbit] = npos;
        words_ -= members_[orbit].size();
        for (std::size_t k = reach_start_[orbit]; k < reach_start_[orbit + 1]; ++k) {
            const std::uint32_t w = reach_[k];
            if (--cover_[w] == 0) mark_uncovered(w);
        }
    }

    // Weight of the uncovered words the orbit would cover.
    std::uint64_t gain(std::uint32_t orbit) {
        const std::uint32_t mark = next_stamp();
        std::uint64_t total = 0;
        for (std::size_t k = reach_start_[orbit]; k < reach_start_[orbit + 1]; ++k) {
            const std::uint32_t w = reach_[k];
            if (cover_[w] != 0 || stamp_[w] == mark) continue;
            stamp_[w] = mark;
            total += weight_[w];
        }
        return total;
    }

    // Weight of the words that only this orbit covers.
    std::uint64_t loss(std::uint32_t orbit) {
        const std::uint32_t counted = next_stamp(), seen = next_stamp();
        for (std::size_t k = reach_start_[orbit]; k < reach_start_[orbit + 1]; ++k) {
            const std::uint32_t w = reach_[k];
            if (stamp_[w] != counted) {
                stamp_[w] = counted;
                tally_[w] = 0;
            }
            ++tally_[w];
        }
        std::uint64_t total = 0;
        for (std::size_t k = reach_start_[orbit]; k < reach_start_[orbit + 1]; ++k) {
            const std::uint32_t w = reach_[k];
            if (stamp_[w] == seen) continue;
            if (cover_[w] == tally_[w]) total += weight_[w];
            stamp_[w] = seen;
        }
        return total;
    }

    std::uint32_t next_stamp() {
        if (++stamp_counter_ == 0) {
            std::fill(stamp_.begin(), stamp_.end(), 0);
            stamp_counter_ = 1;
        }
        return stamp_counter_;
    }

    void mark_uncovered(std::uint32_t w) {
        where_[w] = static_cast<std::uint32_t>(uncovered_.size());
        uncovered_.push_back(w);
    }
    void unmark(std::uint32_t w) {
        const std::uint32_t at = where_[w];
        uncovered_[at] = uncovered_.back();
        where_[uncovered_[at]] = at;
        uncovered_.pop_back();
        where_[w] = npos;
    }

    const WordSpace& space_;
    int radius_;
    core::RandomSource& random_;
    std::vector<std::uint32_t> orbit_of_;
    std::vector<std::vector<std::uint32_t>> members_;
    std::vector<std::size_t> reach_start_;
    std::vector<std::uint32_t> reach_;
    std::vector<std::uint32_t> cover_;
    std::vector<std::uint64_t> weight_;
    std::vector<std::uint32_t> where_;
    std::vector<std::uint32_t> uncovered_;
    std::vector<std::uint32_t> stamp_;
    std::vector<std::uint32_t> tally_;
    std::uint32_t stamp_counter_ = 0;
    std::vector<std::uint32_t> chosen_;
    std::vector<std::uint32_t> chosen_at_;
    std::vector<std::uint64_t> tabu_until_;
    std::size_t words_ = 0;
};

}  // namespace

WordSymmetry translation(const Word& shift, int q, bool exclusive_or) {
    WordSymmetry map;
    for (std::size_t i = 0; i < shift.size(); ++i) {
        map.positions.push_back(static_cast<int>(i));
        std::vector<int> symbols(static_cast<std::size_t>(q));
        for (int a = 0; a < q; ++a) symbols[static_cast<std::size_t>(a)] = exclusive_or ? (a ^ shift[i]) : (a + shift[i]) % q;
        map.symbols.push_back(std::move(symbols));
    }
    return map;
}

std::vector<Word> code_translations(const std::vector<Word>& code, int q, bool exclusive_or) {
    std::vector<Word> result;
    if (code.empty()) return result;
    // Words as numbers, so the code is a sorted list to look shifted words up in.
    auto number = [q](const Word& word) {
        std::uint64_t value = 0;
        for (auto symbol = word.rbegin(); symbol != word.rend(); ++symbol) value = value * static_cast<std::uint64_t>(q) + *symbol;
        return value;
    };
    auto shifted = [q, exclusive_or](std::uint8_t symbol, std::uint8_t by) {
        return static_cast<std::uint8_t>(exclusive_or ? (symbol ^ by) : (symbol + by) % q);
    };
    std::vector<std::uint64_t> sorted;
    for (const Word& word : code) sorted.push_back(number(word));
    std::sort(sorted.begin(), sorted.end());
    const Word& origin = code.front();
    Word moved(origin.size());
    for (const Word& word : code) {
        Word shift(origin.size());
        for (std::size_t i = 0; i < origin.size(); ++i)
            shift[i] = exclusive_or ? static_cast<std::uint8_t>(word[i] ^ origin[i]) : static_cast<std::uint8_t>((word[i] + q - origin[i]) % q);
        bool keeps = true;
        for (const Word& other : code) {
            for (std::size_t i = 0; i < origin.size(); ++i) moved[i] = shifted(other[i], shift[i]);
            if (!std::binary_search(sorted.begin(), sorted.end(), number(moved))) {
                keeps = false;
                break;
            }
        }
        if (keeps) result.push_back(std::move(shift));
    }
    return result;
}

std::optional<WordSymmetry> parse_symmetry(const std::string& text, int q, int n) {
    if (q < 2 || q > 10 || n < 1 || n > 10) return std::nullopt;
    const auto colon = text.find(':');
    const auto positions = digits_of(text.substr(0, colon));
    if (!positions || !is_permutation_of(*positions, n)) return std::nullopt;
    WordSymmetry map;
    map.positions = *positions;
    std::vector<int> identity(static_cast<std::size_t>(q));
    for (int a = 0; a < q; ++a) identity[static_cast<std::size_t>(a)] = a;
    if (colon == std::string::npos) {
        map.symbols.assign(static_cast<std::size_t>(n), identity);
        return map;
    }
    std::istringstream parts(text.substr(colon + 1));
    std::string part;
    while (std::getline(parts, part, '.')) {
        const auto symbols = digits_of(part);
        if (!symbols || !is_permutation_of(*symbols, q)) return std::nullopt;
        map.symbols.push_back(*symbols);
    }
    if (map.symbols.size() == 1) map.symbols.assign(static_cast<std::size_t>(n), map.symbols.front());
    if (static_cast<int>(map.symbols.size()) != n) return std::nullopt;
    return map;
}

std::optional<std::vector<Word>> search_orbit_cover(int q, int n, int radius, const std::vector<WordSymmetry>& generators,
                                                    std::size_t below, core::RandomSource& random,
                                                    const OrbitSearchOptions& options, OrbitSearchStats* stats) {
    if (q < 2 || n < 1 || radius < 1 || radius >= n || below < 2) return std::nullopt;
    const WordSpace space(q, n);
    std::uint64_t words = 1;
    for (int i = 0; i < n; ++i) words *= static_cast<std::uint64_t>(q);
    if (words > options.largest_space || words * space.ball_size(radius) > (std::uint64_t{1} << 27)) return std::nullopt;
    for (const WordSymmetry& map : generators) {
        if (!is_permutation_of(map.positions, n) || static_cast<int>(map.symbols.size()) != n) return std::nullopt;
        for (const auto& symbols : map.symbols)
            if (!is_permutation_of(symbols, q)) return std::nullopt;
    }
    OrbitTabu search(space, radius, generators, random);
    std::size_t limit = below - 1;
    std::optional<std::vector<Word>> best;
    if (!options.start.empty()) {
        if (!search.add_whole_orbits(options.start) || search.uncovered() != 0) return std::nullopt;
        best = search.code();
        limit = std::min(limit, search.words() - 1);
        search.shrink_to(limit);
    }
    std::size_t least_uncovered = SIZE_MAX;
    std::uint64_t now = 0;
    for (; now < options.max_steps; ++now) {
        if (search.uncovered() == 0) {
            best = search.code();
            if (search.words() <= options.stop_at) break;
            limit = search.words() - 1;
            search.shrink_to(limit);
            least_uncovered = SIZE_MAX;
            continue;
        }
        if ((now & 63) == 0 && std::chrono::steady_clock::now() >= options.deadline) break;
        search.step(now, options.tenure, limit);
        least_uncovered = std::min(least_uncovered, search.uncovered());
    }
    if (stats != nullptr) {
        stats->steps = now;
        stats->orbits = search.orbits();
        stats->last_limit = limit;
        stats->least_uncovered = least_uncovered == SIZE_MAX ? 0 : least_uncovered;
    }
    return best;
}

}  // namespace morvalen::briefgen
