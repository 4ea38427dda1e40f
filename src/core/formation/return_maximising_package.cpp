// The return-maximising package: per merged draw and paying tier the package's winners and the
// exact gain of one more, kept lazily; starts, a lazy greedy (the gains only fall as bets are added)
// and seeded exchanges over the variants of the marked outcomes.
#include "core/formation/return_maximising_package.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <unordered_set>
#include <vector>

#include "core/formation/condition_space.h"
#include "core/model/draw_space.h"
#include "core/analysis/expected_return.h"
#include "core/analysis/package_chances.h"
#include "core/analysis/package_stats.h"
#include "core/analysis/prize_share.h"
#include "core/model/session.h"
#include "core/model/variant_space.h"

namespace morvalen::core {
namespace {

constexpr std::size_t candidate_pool_limit = std::size_t{1} << 20;
constexpr std::int64_t exchange_all_limit = 256;
constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

struct StopSearch {};

// A result's outcome of one event: its set probability and the crowd's share.
struct Member {
    double probability;
    double crowd;
};

using Tiers = std::array<double, event_count + 1>;

class Poll {
public:
    Poll(const ReturnMaximisingSettings& settings, const std::function<void(const std::string&)>& progress, StopToken stop)
        : settings_(settings), progress_(progress), stop_(std::move(stop)), last_(now()), deadline_(last_ + settings.time_budget) {}

    std::function<std::string()> caption;

    void tick() {
        if (stop_.stop_requested()) {
            stopped = true;
            throw StopSearch{};
        }
        if ((++ticks_ & 0x3F) != 0) return;
        const auto at = now();
        out_of_time_ = at >= deadline_;
        if (at - last_ <= std::chrono::seconds(1)) return;
        last_ = at;
        if (progress_ && caption) progress_(caption());
    }
    bool out_of_time() const { return out_of_time_ || now() >= deadline_; }

    bool stopped = false;

private:
    std::chrono::steady_clock::time_point now() const { return settings_.clock ? settings_.clock() : std::chrono::steady_clock::now(); }

    const ReturnMaximisingSettings& settings_;
    const std::function<void(const std::string&)>& progress_;
    StopToken stop_;
    std::chrono::steady_clock::time_point last_;
    std::chrono::steady_clock::time_point deadline_;
    std::uint64_t ticks_ = 0;
    bool out_of_time_ = false;
};

std::string money_text(double value) { return Currency::from_floating(value).to_string(); }

struct Run {
    const ReturnMaximisingSettings& settings;
    const PoolRules& rules;
    Poll poll;
    VariantSpace space;
    // Per event its classes: the marked outcomes by rank, then every unmarked outcome of positive
    // probability as one class that the single bets over the marks all miss.
    std::array<std::vector<std::vector<Member>>, event_count> classes;
    std::array<std::vector<double>, event_count> class_probability;
    std::array<std::uint64_t, event_count> stride{};
    std::uint64_t draws = 1;
    int radius = 0;
    std::vector<int> tier_hits;                  // the listed tiers' k, from the highest
    std::array<int, event_count + 1> tier_of{};  // k → its place in tier_hits, −1 when k pays nothing
    std::vector<double> funds;
    std::vector<std::int32_t> winners;           // per draw and tier: the package's single bets there
    std::vector<double> gain_of_one;             // per draw and tier: what one more would add
    std::uint64_t work = 0;
    std::vector<VariantPattern> earlier;
    std::vector<std::int64_t> current;  // the package while a phase runs; after a stop, the answer
    VariantConditions conditions;

    // A variant the conditions let be chosen.
    bool allowed(std::int64_t variant) const { return conditions.allows(space.digits(variant)); }

    Run(const EventTable& table, const BetList& list, const PoolRules& r, const ReturnMaximisingSettings& s,
        const std::function<void(const std::string&)>& progress, StopToken stop)
        : settings(s), rules(r), poll(s, progress, std::move(stop)), space(table), conditions(s.conditions, table) {
        const Probabilities p = normalised_over_outcomes(table);
        const CrowdShares crowd = crowd_shares(table);
        for (int e = 0; e < event_count; ++e) {
            auto& event_classes = classes[static_cast<std::size_t>(e)];
            std::vector<Member> rest;
            for (int o = 1; o <= outcome_count; ++o) {
                const Member member{p[static_cast<std::size_t>(e)][static_cast<std::size_t>(o - 1)], crowd[static_cast<std::size_t>(e)][static_cast<std::size_t>(o - 1)]};
                if (table.cell(e + 1, o).mark == 1) event_classes.push_back({member});
                else if (member.probability > 0) rest.push_back(member);
            }
            if (!rest.empty()) event_classes.push_back(rest);
            for (const auto& members : event_classes) {
                double sum = 0;
                for (const Member& m : members) sum += m.probability;
                class_probability[static_cast<std::size_t>(e)].push_back(sum);
            }
        }
        for (int e = event_count - 1; e >= 0; --e) {
            stride[static_cast<std::size_t>(e)] = draws;
            draws *= classes[static_cast<std::size_t>(e)].size();
        }
        tier_of.fill(-1);
        const Currency cost = package_totals(list).package_amount +
                              Currency::from_floating(s.stake.to_floating() * static_cast<long double>(s.bets));
        for (int k = event_count; k >= lowest_paying_tier; --k)
            if (rules.tier_listed[static_cast<std::size_t>(k)]) {
                tier_of[static_cast<std::size_t>(k)] = static_cast<int>(tier_hits.size());
                tier_hits.push_back(k);
                funds.push_back(tier_fund(rules, k, s.stake, cost));
            }
        radius = tier_hits.empty() ? -1 : event_count - tier_hits.back();
        for (const BetEntry& entry : list) {
            if (entry.bet_count == 0) continue;
            const VariantPattern pattern = space.pattern_of(entry);
            if (std::none_of(pattern.begin(), pattern.end(), [](int rank) { return rank < 0; })) earlier.push_back(pattern);
        }
    }

    std::size_t tiers() const { return tier_hits.size(); }

    // Results within reach of one bet, over every outcome of positive probability.
    std::uint64_t reach() const {
        std::array<long double, event_count + 1> ways{};
        ways[0] = 1;
        for (int e = 0; e < event_count; ++e) {
            long double others = 0;
            const auto& event_classes = classes[static_cast<std::size_t>(e)];
            for (std::size_t c = 0; c < event_classes.size(); ++c) others += static_cast<long double>(event_classes[c].size());
            others -= 1;
            for (int j = event_count; j >= 1; --j) ways[static_cast<std::size_t>(j)] += ways[static_cast<std::size_t>(j - 1)] * others;
        }
        long double total = 0;
        for (int j = 0; j <= radius; ++j) total += ways[static_cast<std::size_t>(j)];
        return total > 1e18L ? UINT64_MAX : static_cast<std::uint64_t>(total);
    }

    // f(draw, classes of the draw, misses) for every draw of positive probability within reach of
    // the bet.
    template <typename F>
    void for_each_draw(const VariantPattern& bet, F&& f) {
        VariantPattern at{};
        const auto walk = [&](auto& self, int e, std::uint64_t index, int misses) -> void {
            if (e == event_count) {
                f(index, at, misses);
                return;
            }
            const auto d = static_cast<std::size_t>(e);
            const int own = bet[d];
            const auto& probability = class_probability[d];
            for (int c = 0; c < static_cast<int>(probability.size()); ++c) {
                if (!(probability[static_cast<std::size_t>(c)] > 0) || (c != own && misses == radius)) continue;
                at[d] = c;
                self(self, e + 1, index + static_cast<std::uint64_t>(c) * stride[d], misses + (c == own ? 0 : 1));
            }
        };
        walk(walk, 0, 0, 0);
    }

    // Σ over the draw's results of P × fund × (share with h + 1 winners − share with h).
    double exact_gain(const VariantPattern& draw, std::size_t tier, std::int32_t h) {
        const int k = tier_hits[tier];
        double sum = 0;
        const auto walk = [&](auto& self, int e, double p, const Tiers& crowd) -> void {
            if (e == event_count) {
                ++work;
                const double c = crowd[static_cast<std::size_t>(k)];
                sum += p * (expected_prize_share(h + 1, c, rules.tickets) - expected_prize_share(h, c, rules.tickets));
                return;
            }
            for (const Member& m : classes[static_cast<std::size_t>(e)][static_cast<std::size_t>(draw[static_cast<std::size_t>(e)])]) {
                if (!(m.probability > 0)) continue;
                Tiers next{};
                for (int j = e + 1; j >= 0; --j)
                    next[static_cast<std::size_t>(j)] = crowd[static_cast<std::size_t>(j)] * (1 - m.crowd) + (j > 0 ? crowd[static_cast<std::size_t>(j - 1)] * m.crowd : 0);
                self(self, e + 1, p * m.probability, next);
            }
        };
        walk(walk, 0, 1.0, Tiers{1});
        return sum * funds[tier];
    }

    double gain(const VariantPattern& bet) {
        double sum = 0;
        for_each_draw(bet, [&](std::uint64_t draw, const VariantPattern& at, int misses) {
            ++work;
            const int tier = tier_of[static_cast<std::size_t>(event_count - misses)];
            if (tier < 0) return;
            const std::size_t slot = draw * tiers() + static_cast<std::size_t>(tier);
            if (std::isnan(gain_of_one[slot])) gain_of_one[slot] = exact_gain(at, static_cast<std::size_t>(tier), winners[slot]);
            sum += gain_of_one[slot];
        });
        return sum;
    }

    void change(const VariantPattern& bet, std::int32_t by) {
        for_each_draw(bet, [&](std::uint64_t draw, const VariantPattern&, int misses) {
            ++work;
            const int tier = tier_of[static_cast<std::size_t>(event_count - misses)];
            if (tier < 0) return;
            const std::size_t slot = draw * tiers() + static_cast<std::size_t>(tier);
            winners[slot] += by;
            gain_of_one[slot] = unknown;
        });
    }

    // Adds the bet and returns what it added.
    double add(const VariantPattern& bet) {
        const double gained = gain(bet);
        change(bet, +1);
        return gained;
    }
    // Takes the bet out and returns what it had added.
    double remove(const VariantPattern& bet) {
        change(bet, -1);
        return gain(bet);
    }

    // The package's return from nothing: the earlier single bets, then `bets`.
    double value_of(const std::vector<std::int64_t>& bets) {
        winners.assign(draws * tiers(), 0);
        gain_of_one.assign(draws * tiers(), unknown);
        double value = 0;
        for (const VariantPattern& bet : earlier) value += add(bet);
        for (const std::int64_t v : bets) value += add(space.digits(v));
        return value;
    }

    double variant_probability(std::int64_t v) const {
        const VariantPattern digits = space.digits(v);
        double p = 1;
        for (int e = 0; e < event_count; ++e) p *= class_probability[static_cast<std::size_t>(e)][static_cast<std::size_t>(digits[static_cast<std::size_t>(e)])];
        return p;
    }

    struct Ranked {
        double value;
        std::int64_t variant;
        bool operator<(const Ranked& other) const {
            if (value != other.value) return value > other.value;
            return variant < other.variant;
        }
    };

    static std::vector<std::int64_t> best_of(std::vector<Ranked>& ranked, std::size_t count) {
        count = std::min(count, ranked.size());
        std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count), ranked.end());
        std::vector<std::int64_t> best;
        for (std::size_t i = 0; i < count; ++i) best.push_back(ranked[i].variant);
        return best;
    }

    std::vector<std::int64_t> likeliest;
    std::vector<Ranked> alone;  // every variant's return on its own beside the earlier bets, best first

    void rank() {
        value_of({});
        std::vector<Ranked> by_probability;
        const auto wanted = static_cast<std::size_t>(settings.bets);
        std::int64_t done = 0;
        poll.caption = [&] { return "Максимум выигрыша: оценка вариантов " + std::to_string(done) + " из " + std::to_string(space.size()); };
        for (std::int64_t v = 0; v < space.size(); ++v, ++done) {
            poll.tick();
            if (!allowed(v)) continue;
            by_probability.push_back({variant_probability(v), v});
            // Out of time, the variants not yet valued wait outside the pool.
            if (!poll.out_of_time()) alone.push_back({gain(space.digits(v)), v});
        }
        likeliest = best_of(by_probability, wanted);
        std::sort(alone.begin(), alone.end());
        if (alone.size() > candidate_pool_limit) alone.resize(candidate_pool_limit);
    }

    // The N best alone, then, for a package larger than the marks allow, the best again.
    std::vector<std::int64_t> best_alone() const {
        std::vector<std::int64_t> bets;
        for (std::size_t i = 0; !alone.empty() && static_cast<std::int64_t>(bets.size()) < settings.bets; ++i)
            bets.push_back(alone[i % alone.size()].variant);
        return bets;
    }
    std::vector<std::int64_t> likeliest_padded() const {
        std::vector<std::int64_t> bets;
        for (std::size_t i = 0; !likeliest.empty() && static_cast<std::int64_t>(bets.size()) < settings.bets; ++i)
            bets.push_back(likeliest[i % likeliest.size()]);
        return bets;
    }

    struct Candidate {
        double gain;
        std::int64_t variant;
        std::int64_t stamp;
        bool operator<(const Candidate& other) const {
            if (gain != other.gain) return gain < other.gain;
            return variant > other.variant;
        }
    };

    // Adds the bet whose exact gain is largest, N times; a variant may be taken again.
    double greedy() {
        double value = value_of({});
        current.clear();
        poll.caption = [&] { return "Максимум выигрыша: ставка " + std::to_string(current.size()) + " из " + std::to_string(settings.bets); };
        std::priority_queue<Candidate> queue;
        const std::int64_t first_stamp = earlier.empty() ? 0 : -1;
        for (const Ranked& r : alone) queue.push({r.value, r.variant, first_stamp});
        while (static_cast<std::int64_t>(current.size()) < settings.bets && !queue.empty() && !poll.out_of_time() &&
               work < settings.search_work_limit) {
            poll.tick();
            Candidate top = queue.top();
            queue.pop();
            const auto stamp = static_cast<std::int64_t>(current.size());
            if (top.stamp != stamp) {
                top.gain = gain(space.digits(top.variant));
                top.stamp = stamp;
                queue.push(top);
                continue;
            }
            if (!(top.gain > 0)) break;
            value += add(space.digits(top.variant));
            current.push_back(top.variant);
            queue.push({top.gain, top.variant, -1});
        }
        return static_cast<std::int64_t>(current.size()) == settings.bets ? value : -1;
    }

    // Takes each bet out in turn and puts in the best of its one-event changes, a bet of the package
    // again and a few of the best alone, when that raises the return.
    std::int64_t exchange(RandomSource& rng, double& value) {
        std::vector<std::int64_t>& bets = current;
        if (bets.empty()) return 0;
        std::int64_t exchanges = 0;
        poll.caption = [&] { return "Максимум выигрыша: улучшение, возврат " + money_text(value); };
        std::vector<std::size_t> order(bets.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::size_t since_improvement = 0;
        while (since_improvement < bets.size()) {
            std::shuffle(order.begin(), order.end(), RandomEngine{rng});
            for (const std::size_t at : order) {
                if (work >= settings.search_work_limit || poll.out_of_time() || since_improvement >= bets.size()) return exchanges;
                poll.tick();
                const std::int64_t out = bets[at];
                const VariantPattern out_digits = space.digits(out);
                const double lost = remove(out_digits);
                double best_gain = -1;
                std::int64_t best = out;
                const auto consider = [&](std::int64_t variant) {
                    if (variant == out || !allowed(variant)) return;
                    const double g = gain(space.digits(variant));
                    if (g > best_gain || (g == best_gain && variant < best)) {
                        best_gain = g;
                        best = variant;
                    }
                };
                for (int d = 0; d < event_count; ++d)
                    for (int r = 0; r < space.count(d); ++r) {
                        if (r == out_digits[static_cast<std::size_t>(d)]) continue;
                        VariantPattern moved = out_digits;
                        moved[static_cast<std::size_t>(d)] = r;
                        consider(space.index_of(moved));
                    }
                if (space.size() <= exchange_all_limit) {
                    for (std::int64_t v = 0; v < space.size(); ++v) consider(v);
                } else {
                    for (int i = 0; i < 4; ++i)
                        consider(alone[static_cast<std::size_t>(rng.uniform_int(0, static_cast<std::int64_t>(alone.size()) - 1))].variant);
                    for (int i = 0; i < 2; ++i) consider(bets[static_cast<std::size_t>(rng.uniform_int(0, static_cast<std::int64_t>(bets.size()) - 1))]);
                }
                // Rounding must not let two equal packages trade places for ever.
                if (best != out && best_gain > lost * (1 + 1e-9) + 1e-12) {
                    change(space.digits(best), +1);
                    bets[at] = best;
                    value += best_gain - lost;
                    ++exchanges;
                    since_improvement = 0;
                } else {
                    change(out_digits, +1);
                    ++since_improvement;
                }
            }
        }
        return exchanges;
    }

    struct RandomEngine {
        RandomSource& source;
        using result_type = std::uint64_t;
        static constexpr result_type min() { return 0; }
        static constexpr result_type max() { return UINT64_MAX; }
        result_type operator()() { return source.next(); }
    };
};

// What refuses the search before anything is computed: the marks, the pool's shares, the count.
std::optional<std::string> input_refusal(const EventTable& table, const ReturnMaximisingSettings& settings) {
    if (auto refusal = draw_space_refusal(table)) return refusal;
    if (auto refusal = pool_share_refusal(table)) return refusal;
    if (settings.bets < 1 || settings.bets > return_maximising_bet_limit)
        return "Повторять: для максимума выигрыша ожидается число от 1 до " + std::to_string(return_maximising_bet_limit);
    return std::nullopt;
}

// What refuses it once the draws are known: the conditions, or more to count than memory allows.
std::optional<std::string> run_refusal(Run& run) {
    if (run.conditions.check() && !run.conditions.check()->refusal().empty()) return run.conditions.check()->refusal();
    const std::uint64_t counters = run.draws * std::max<std::size_t>(1, run.tiers());
    if (counters > return_maximising_state_limit)
        return "Слишком много сочетаний исходов для расчёта выигрыша: " + std::to_string(run.draws) +
               ". Отметьте меньше исходов или оставьте меньше разрядов выигрыша.";
    if (run.tiers() > 0 && run.reach() > return_maximising_reach_limit)
        return "Слишком много результатов в пределах выигрыша одной ставки: " + std::to_string(run.reach()) +
               " (не более " + std::to_string(return_maximising_reach_limit) + "). Оставьте разряды с большим числом совпадений.";
    return std::nullopt;
}

// The two starts, the greedy pass and the exchanges, each kept only when it returns more; the
// package is left in run.current, `fallback` holds the best complete one should a stop come.
void search_paying_package(Run& run, const ReturnMaximisingSettings& settings, ReturnMaximisingPackage& result,
                           std::vector<std::int64_t>& fallback) {
    std::vector<std::int64_t>& best = run.current;
    run.rank();
    const std::vector<std::int64_t> alone = run.best_alone();
    const std::vector<std::int64_t> likeliest = run.likeliest_padded();
    result.best_alone_return = run.value_of(alone);
    result.likeliest_return = run.value_of(likeliest);
    std::vector<std::int64_t> start = result.likeliest_return > result.best_alone_return ? likeliest : alone;
    fallback = start;
    result.expected_return = std::max(result.best_alone_return, result.likeliest_return);
    const auto better = [&](double value) { return value > result.expected_return * (1 + 1e-12); };
    best = start;
    result.greedy_return = run.greedy();
    if (better(result.greedy_return)) {
        start = run.current;
        result.expected_return = result.greedy_return;
    }
    fallback = start;
    best = start;
    double value = run.value_of(best);
    RandomSource rng = settings.generator;
    rng.seed(rng.next());
    result.exchanges = run.exchange(rng, value);
    if (result.exchanges > 0) {
        const double improved = run.value_of(best);
        if (better(improved)) {
            result.expected_return = improved;
        } else {
            best = start;
            result.exchanges = 0;
        }
    }
}

}  // namespace

ReturnMaximisingPackage return_maximising_package(const EventTable& table, const BetList& earlier, const PoolRules& rules,
                                                  const ReturnMaximisingSettings& settings,
                                                  const std::function<void(const std::string&)>& progress, StopToken stop) {
    ReturnMaximisingPackage result;
    if (auto refusal = input_refusal(table, settings)) {
        result.refusal = std::move(*refusal);
        return result;
    }
    Run run(table, earlier, rules, settings, progress, std::move(stop));
    if (auto refusal = run_refusal(run)) {
        result.refusal = std::move(*refusal);
        return result;
    }
    std::vector<std::int64_t>& best = run.current;
    std::vector<std::int64_t> fallback;  // the best complete package so far
    try {
        run.poll.caption = [] { return std::string("Максимум выигрыша: подготовка"); };
        if (run.tiers() == 0) {
            // Nothing pays: every package returns 0, and the likeliest is as good as any.
            run.rank();
            best = run.likeliest_padded();
        } else {
            search_paying_package(run, settings, result, fallback);
        }
        if (best.empty() && run.conditions.check()) result.refusal = "Ни один вариант по отмеченным исходам не проходит условия";
    } catch (const StopSearch&) {
        result.stopped = true;
        // Stopped amid the greedy pass, the better start stands; amid the ranking there is none.
        if (static_cast<std::int64_t>(best.size()) < settings.bets) best = fallback;
        result.expected_return = run.tiers() > 0 ? run.value_of(best) : 0;
    }
    result.bets.reserve(best.size());
    for (const std::int64_t v : best) result.bets.push_back(run.space.bet_of(v, Currency()));
    return result;
}

ReturnMaximisingSettings return_maximising_settings(Session& session, std::chrono::milliseconds time_budget) {
    ReturnMaximisingSettings settings;
    settings.bets = session.settings.repeat_count;
    settings.stake = session.settings.stake.currency();
    settings.generator = session.rng;
    settings.time_budget = time_budget;
    settings.conditions = session.conditions;
    session.rng.seed(session.rng.next());
    return settings;
}

ReturnMaximisingPackage return_maximising_package_or_refusal(const EventTable& table, const BetList& earlier,
                                                             const PoolRules& rules, const ReturnMaximisingSettings& settings,
                                                             const ProgressHooks& hooks, StopToken stop) {
    const std::function<void(const std::string&)> progress = [&](const std::string& caption) {
        hooks.caption(caption + esc_hint_text);
    };
    ReturnMaximisingPackage package;
    try {
        package = return_maximising_package(table, earlier, rules, settings, progress, std::move(stop));
    } catch (const std::bad_alloc&) {
        package.refusal = out_of_memory_text;
    }
    hooks.restore();
    return package;
}

std::optional<std::string> apply_return_maximising(Session& session, const ReturnMaximisingPackage& package, Currency stake) {
    for (BetEntry bet : package.bets) {
        bet.amount = stake;
        session.append_bet(bet);
    }
    if (!package.refusal.empty()) return package.refusal;
    return std::nullopt;
}

std::optional<std::string> form_return_maximising_package(Session& session, const PoolRules& rules, const ProgressHooks& hooks,
                                                          std::chrono::milliseconds time_budget, StopToken stop) {
    ReturnMaximisingSettings settings = return_maximising_settings(session, time_budget);
    settings.clock = hooks.clock;
    const ReturnMaximisingPackage package =
        return_maximising_package_or_refusal(session.events, session.bets, rules, settings, hooks, std::move(stop));
    return apply_return_maximising(session, package, settings.stake);
}

}  // namespace morvalen::core
