// Gluing two covers on a shared event: distance profiles of each part, every pairing of symbols.
#include "briefgen/amalgamated_sum.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace morvalen::briefgen {

namespace {

constexpr std::uint8_t far = 64;

// Seen from one position of a code: how many words carry each symbol there, and for every word of
// the other positions its distance to the words carrying each symbol (the profile), each profile once.
struct PositionView {
    std::vector<std::uint64_t> carrying;             // by symbol
    std::vector<std::vector<std::uint8_t>> profiles;  // distinct, each of q distances
};

PositionView view_at(const std::vector<Word>& code, int position, int q) {
    const int rest = static_cast<int>(code.front().size()) - 1;
    std::uint64_t points = 1;
    for (int i = 0; i < rest; ++i) points *= static_cast<std::uint64_t>(q);
    auto index_without = [&](const Word& w) {
        std::uint64_t index = 0;
        for (int i = static_cast<int>(w.size()) - 1; i >= 0; --i)
            if (i != position) index = index * static_cast<std::uint64_t>(q) + w[static_cast<std::size_t>(i)];
        return index;
    };
    PositionView view;
    view.carrying.assign(static_cast<std::size_t>(q), 0);
    // distance[symbol * points + x]: breadth-first from the words carrying the symbol.
    std::vector<std::uint8_t> distance(static_cast<std::size_t>(q) * points, far);
    for (int symbol = 0; symbol < q; ++symbol) {
        std::uint8_t* d = distance.data() + static_cast<std::size_t>(symbol) * points;
        std::vector<std::uint64_t> frontier;
        for (const Word& w : code) {
            if (w[static_cast<std::size_t>(position)] != symbol) continue;
            ++view.carrying[static_cast<std::size_t>(symbol)];
            const std::uint64_t x = index_without(w);
            if (d[x] != 0) frontier.push_back(x);
            d[x] = 0;
        }
        for (std::uint8_t level = 1; !frontier.empty(); ++level) {
            std::vector<std::uint64_t> next;
            for (std::uint64_t x : frontier) {
                std::uint64_t stride = 1;
                for (int i = 0; i < rest; ++i, stride *= static_cast<std::uint64_t>(q)) {
                    const std::uint64_t digit = x / stride % static_cast<std::uint64_t>(q);
                    for (std::uint64_t v = 0; v < static_cast<std::uint64_t>(q); ++v) {
                        const std::uint64_t y = x + (v - digit) * stride;
                        if (v == digit || d[y] <= level) continue;
                        d[y] = level;
                        next.push_back(y);
                    }
                }
            }
            frontier = std::move(next);
        }
    }
    std::set<std::vector<std::uint8_t>> distinct;
    std::vector<std::uint8_t> profile(static_cast<std::size_t>(q));
    for (std::uint64_t x = 0; x < points; ++x) {
        for (int symbol = 0; symbol < q; ++symbol)
            profile[static_cast<std::size_t>(symbol)] = distance[static_cast<std::size_t>(symbol) * points + x];
        distinct.insert(profile);
    }
    view.profiles.assign(distinct.begin(), distinct.end());
    return view;
}

// A word (x, c, y) is reached through symbol a in f_a(x) + [c ≠ a] + g_π(a)(y) changes; every c has
// a symbol within the radius when some sum f_a + g_π(a) is below it or none is above it.
bool covers(const PositionView& first, const PositionView& second, const std::vector<int>& pairing, int radius) {
    const std::size_t q = pairing.size();
    for (const auto& f : first.profiles) {
        for (const auto& g : second.profiles) {
            int least = far * 2, most = 0;
            for (std::size_t a = 0; a < q; ++a) {
                const int h = f[a] + g[static_cast<std::size_t>(pairing[a])];
                least = std::min(least, h);
                most = std::max(most, h);
            }
            if (least > radius - 1 && most > radius) return false;
        }
    }
    return true;
}

Word without(const Word& w, int position) {
    Word rest = w;
    rest.erase(rest.begin() + position);
    return rest;
}

}  // namespace

std::vector<Word> amalgamated_sum(const std::vector<Word>& first, int first_radius, const std::vector<Word>& second,
                                  int second_radius, int q, std::uint64_t fewer_than) {
    if (first.empty() || second.empty() || first.front().empty() || second.front().empty() || q < 2) return {};
    const int radius = first_radius + second_radius;
    const int first_length = static_cast<int>(first.front().size());
    const int second_length = static_cast<int>(second.front().size());
    std::vector<PositionView> first_views, second_views;
    for (int i = 0; i < first_length; ++i) first_views.push_back(view_at(first, i, q));
    for (int j = 0; j < second_length; ++j) second_views.push_back(view_at(second, j, q));

    std::uint64_t best_size = fewer_than;
    int best_i = -1, best_j = -1;
    std::vector<int> best_pairing;
    for (int i = 0; i < first_length; ++i) {
        for (int j = 0; j < second_length; ++j) {
            std::vector<int> pairing(static_cast<std::size_t>(q));
            std::iota(pairing.begin(), pairing.end(), 0);
            do {
                std::uint64_t size = 0;
                for (int a = 0; a < q; ++a)
                    size += first_views[static_cast<std::size_t>(i)].carrying[static_cast<std::size_t>(a)] *
                            second_views[static_cast<std::size_t>(j)].carrying[static_cast<std::size_t>(pairing[static_cast<std::size_t>(a)])];
                if (size >= best_size) continue;
                if (!covers(first_views[static_cast<std::size_t>(i)], second_views[static_cast<std::size_t>(j)], pairing, radius))
                    continue;
                best_size = size;
                best_i = i;
                best_j = j;
                best_pairing = pairing;
            } while (std::next_permutation(pairing.begin(), pairing.end()));
        }
    }
    if (best_i < 0) return {};
    std::vector<Word> sum;
    sum.reserve(best_size);
    for (const Word& u : first) {
        const int a = u[static_cast<std::size_t>(best_i)];
        const Word head = without(u, best_i);
        for (const Word& v : second) {
            if (v[static_cast<std::size_t>(best_j)] != best_pairing[static_cast<std::size_t>(a)]) continue;
            Word joined = head;
            joined.push_back(static_cast<std::uint8_t>(a));
            const Word tail = without(v, best_j);
            joined.insert(joined.end(), tail.begin(), tail.end());
            sum.push_back(std::move(joined));
        }
    }
    return sum;
}

}  // namespace morvalen::briefgen
