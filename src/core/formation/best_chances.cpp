// Best-chances package: weighted cover of the merged draws by lazy greedy, then seeded exchanges.
#include "core/formation/best_chances.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <unordered_set>
#include <vector>

#include "core/formation/autoformation.h"
#include "core/formation/condition_space.h"
#include "core/model/draw_space.h"
#include "core/model/session.h"
#include "core/model/variant_space.h"

namespace morvalen::core {
namespace {

// The greedy keeps at most this many candidates, the likeliest by their own chance; the rest could
// only matter once every kept candidate had lost most of its gain.
constexpr std::size_t candidate_pool_limit = std::size_t{1} << 20;
constexpr std::uint16_t count_ceiling = UINT16_MAX;
// The greedy keeps every variant's gain (8 bytes each) up to this many variants, when lowering the
// gains around newly covered draws costs at most this many steps over the whole run.
constexpr std::int64_t dense_greedy_limit = std::int64_t{1} << 22;
constexpr long double dense_greedy_work = 2e9L;
// Up to this many variants an exchange tries every variant in place of the bet taken out; above it,
// the one-event changes of that bet and four candidates of the pool drawn at random.
constexpr std::int64_t exchange_all_limit = 256;

struct StopSearch {};

// Per merged draw the number of chosen bets agreeing with it in K events; the chance of a package is
// the probability of the draws with a count above 0.
class CoverCounts {
public:
    CoverCounts(const DrawSpace& draws, int guarantee)
        : draws_(draws), changes_(event_count - guarantee), counts_(draws.size(), 0), neighbourhood_(draws.neighbourhood(changes_)) {}

    // on_covered(draw, probability) hears of every draw the bet is the first to cover.
    template <typename F>
    double add(const VariantPattern& bet, F&& on_covered) {
        double gained = 0;
        visit(bet, [&](std::uint64_t d, double p) {
            std::uint16_t& count = counts_[d];
            if (count == 0) {
                gained += p;
                on_covered(d, p);
            }
            // A draw that this many bets share stays covered for good: no exchange can uncover it.
            if (count != count_ceiling) ++count;
        });
        return gained;
    }
    double add(const VariantPattern& bet) {
        return add(bet, [](std::uint64_t, double) {});
    }
    double remove(const VariantPattern& bet) {
        double lost = 0;
        visit(bet, [&](std::uint64_t d, double p) {
            std::uint16_t& count = counts_[d];
            if (count == count_ceiling) return;
            if (--count == 0) lost += p;
        });
        return lost;
    }
    double gain(const VariantPattern& bet) {
        double gained = 0;
        visit(bet, [&](std::uint64_t d, double p) { gained += counts_[d] == 0 ? p : 0.0; });
        return gained;
    }
    void clear() { std::fill(counts_.begin(), counts_.end(), 0); }
    double chance() const { return draws_.covered_probability(counts_); }
    std::uint64_t work() const { return work_; }
    std::uint64_t neighbourhood() const { return neighbourhood_; }

private:
    template <typename F>
    void visit(const VariantPattern& bet, F&& f) {
        work_ += neighbourhood_;
        draws_.for_each_draw_within(bet, changes_, f);
    }

    const DrawSpace& draws_;
    int changes_;
    std::vector<std::uint16_t> counts_;
    std::uint64_t neighbourhood_;
    std::uint64_t work_ = 0;
};

struct Candidate {
    double gain;
    std::int64_t variant;
    std::int64_t stamp;  // the number of chosen bets when the gain was computed
    bool operator<(const Candidate& other) const {
        if (gain != other.gain) return gain < other.gain;
        return variant > other.variant;  // among equal gains the first variant first
    }
};

struct Likely {
    double probability;
    std::int64_t variant;
    bool operator<(const Likely& other) const {
        if (probability != other.probability) return probability > other.probability;
        return variant < other.variant;
    }
};

// Progress, the stop and the clock, polled between units of work.
class Poll {
public:
    Poll(const ProgressHooks& hooks, const StopToken& stop, std::chrono::milliseconds budget)
        : hooks_(hooks), stop_(stop), throttle_(hooks), deadline_(hooks.now() + budget) {}

    std::function<std::string()> caption;

    // Throws StopSearch once a stop is requested.
    void tick() {
        if (throttle_.due() && caption) hooks_.caption(caption() + esc_hint_text);
        if (stop_.stop_requested()) {
            stopped = true;
            throw StopSearch{};
        }
    }
    bool out_of_time() const { return hooks_.now() >= deadline_; }

    bool stopped = false;

private:
    const ProgressHooks& hooks_;
    const StopToken& stop_;
    ProgressThrottle throttle_;
    std::chrono::steady_clock::time_point deadline_;
};

std::string percent_text(double chance) {
    const auto hundredths = static_cast<long long>(chance * 10000 + 0.5);
    std::string text = std::to_string(hundredths / 100) + ".";
    const long long rest = hundredths % 100;
    if (rest < 10) text += "0";
    return text + std::to_string(rest) + "%";
}

struct Run {
    const EventTable& table;
    const BestChancesSettings& settings;
    const ProgressHooks& hooks;
    const StopToken& stop;
    VariantSpace space;
    DrawSpace draws;
    Poll poll;
    CoverCounts counts;
    std::vector<VariantPattern> earlier;          // single bets of the list over the marked outcomes
    std::unordered_set<std::int64_t> excluded;    // their variants: never chosen again
    std::vector<Candidate> pool;
    std::vector<std::int64_t> likeliest;
    std::int64_t wanted = 0;
    // The package the counters were last built for while a phase runs; after "Esc", the answer.
    std::vector<std::int64_t> current;

    VariantConditions conditions;

    // A variant the conditions let be chosen.
    bool allowed(std::int64_t variant) const { return conditions.allows(space.digits(variant)); }

    Run(const EventTable& t, const BetList& list, const BestChancesSettings& s, const ProgressHooks& h, const StopToken& st)
        : table(t), settings(s), hooks(h), stop(st), space(t), draws(t), poll(h, st, s.time_budget), counts(draws, s.guarantee),
          conditions(s.conditions, t) {
        for (const BetEntry& entry : list) {
            if (entry.bet_count == 0) continue;
            const VariantPattern pattern = space.pattern_of(entry);
            if (std::any_of(pattern.begin(), pattern.end(), [](int r) { return r < 0; })) continue;
            if (excluded.insert(space.index_of(pattern)).second) earlier.push_back(pattern);
        }
        const auto free_variants = static_cast<std::int64_t>(static_cast<std::uint64_t>(space.size()) - excluded.size());
        wanted = std::min(settings.bets, free_variants);
    }

    // Every variant's own chance (its gain while nothing is covered) and probability, in one walk
    // over the variants that carries both per event.
    void rank_candidates() {
        const std::size_t keep = static_cast<std::size_t>(std::min<std::int64_t>(space.size(), candidate_pool_limit));
        std::priority_queue<Candidate, std::vector<Candidate>, std::function<bool(const Candidate&, const Candidate&)>> best_pool(
            [](const Candidate& a, const Candidate& b) { return b < a; });
        std::priority_queue<Likely> best_likely;
        const auto want_likely = static_cast<std::size_t>(wanted);
        VariantPattern digits{};
        std::int64_t visited = 0;
        auto walk = [&](auto& self, int d, std::int64_t index, double probability, const std::array<double, event_count + 1>& hits) -> void {
            if (d == event_count) {
                if ((++visited & 0xFFFF) == 0) poll.tick();
                if (excluded.count(index) != 0 || !allowed(index)) return;
                double chance = 0;
                for (int j = settings.guarantee; j <= event_count; ++j) chance += hits[j];
                const Candidate candidate{chance, index, 0};
                if (best_pool.size() < keep) best_pool.push(candidate);
                else if (best_pool.top() < candidate) { best_pool.pop(); best_pool.push(candidate); }
                const Likely likely{probability, index};
                if (best_likely.size() < want_likely) best_likely.push(likely);
                else if (likely < best_likely.top()) { best_likely.pop(); best_likely.push(likely); }
                return;
            }
            for (int r = 0; r < space.count(d); ++r) {
                digits[d] = r;
                const double q = draws.probability(d, r);
                std::array<double, event_count + 1> next{};
                next[0] = hits[0] * (1 - q);
                for (int j = 1; j <= d + 1; ++j) next[j] = hits[j] * (1 - q) + hits[j - 1] * q;
                self(self, d + 1, index + r * space.weight(d), probability * q, next);
            }
        };
        std::array<double, event_count + 1> start{};
        start[0] = 1;
        walk(walk, 0, 0, 1.0, start);
        pool.reserve(best_pool.size());
        while (!best_pool.empty()) {
            pool.push_back(best_pool.top());
            best_pool.pop();
        }
        likeliest.resize(best_likely.size());
        for (std::size_t i = best_likely.size(); i-- > 0;) {
            likeliest[i] = best_likely.top().variant;
            best_likely.pop();
        }
    }

    // Greedy over the draws' probability: each step takes the variant that covers the most probability
    // not yet covered. Gains are kept for every variant and lowered around each newly covered draw
    // where that costs less than re-walking neighbourhoods; otherwise the greedy is lazy.
    void greedy() {
        current.clear();
        counts.clear();
        poll.caption = [&] { return "Максимум шансов: ставка " + std::to_string(current.size()) + " из " + std::to_string(wanted); };
        const int changes = event_count - settings.guarantee;
        const VariantSpace& variants = space;
        std::uint64_t around_draw = 0;  // variants within `changes` of a draw
        {
            std::array<std::uint64_t, event_count + 1> sums{};
            sums[0] = 1;
            for (int d = 0; d < event_count; ++d)
                for (int j = event_count; j >= 1; --j) sums[j] += sums[j - 1] * static_cast<std::uint64_t>(variants.count(d));
            for (int j = 0; j <= changes; ++j) around_draw += sums[j];
        }
        const long double dense_work = static_cast<long double>(wanted + static_cast<std::int64_t>(earlier.size())) *
                                       static_cast<long double>(counts.neighbourhood()) * static_cast<long double>(around_draw);
        if (variants.size() <= dense_greedy_limit && dense_work <= dense_greedy_work) dense_greedy(changes);
        else lazy_greedy();
        if (!poll.out_of_time()) return;
        // Out of time with bets still to choose: the likeliest variants complete the package.
        std::unordered_set<std::int64_t> chosen(current.begin(), current.end());
        for (const std::int64_t v : likeliest) {
            if (static_cast<std::int64_t>(current.size()) >= wanted) break;
            if (chosen.insert(v).second) {
                counts.add(space.digits(v));
                current.push_back(v);
            }
        }
    }

    void dense_greedy(int changes) {
        std::vector<double> gains(static_cast<std::size_t>(space.size()));
        for (std::int64_t v = 0; v < space.size(); ++v) gains[static_cast<std::size_t>(v)] = draws.single_chance(space.digits(v), settings.guarantee);
        const auto lower_around = [&](std::uint64_t draw, double p) {
            for_each_variant_within(space, draws.pattern_of(draw), changes, [&](std::int64_t v) { gains[static_cast<std::size_t>(v)] -= p; });
        };
        constexpr double taken = -1;
        if (conditions.check())
            for (std::int64_t v = 0; v < space.size(); ++v)
                if (!allowed(v)) gains[static_cast<std::size_t>(v)] = taken;
        for (const VariantPattern& bet : earlier) {
            counts.add(bet, lower_around);
            gains[static_cast<std::size_t>(space.index_of(bet))] = taken;
        }
        while (static_cast<std::int64_t>(current.size()) < wanted && !poll.out_of_time()) {
            poll.tick();
            const auto top = static_cast<std::int64_t>(std::max_element(gains.begin(), gains.end()) - gains.begin());
            // The kept gains carry rounding from many subtractions; the walk gives the true one.
            if (!(gains[static_cast<std::size_t>(top)] > 0) || !(counts.gain(space.digits(top)) > 0)) break;
            counts.add(space.digits(top), lower_around);
            gains[static_cast<std::size_t>(top)] = taken;
            current.push_back(top);
        }
    }

    // A candidate's gain only falls as bets are chosen, so a recomputed gain that still leads the
    // queue is the step's best.
    void lazy_greedy() {
        std::vector<std::int64_t>& chosen = current;
        for (const VariantPattern& bet : earlier) counts.add(bet);
        // Without earlier bets the own chances are the exact first gains.
        const std::int64_t first_stamp = earlier.empty() ? 0 : -1;
        std::priority_queue<Candidate> queue;
        for (Candidate c : pool) {
            c.stamp = first_stamp;
            queue.push(c);
        }
        while (static_cast<std::int64_t>(chosen.size()) < wanted && !queue.empty() && !poll.out_of_time()) {
            poll.tick();
            Candidate top = queue.top();
            queue.pop();
            const auto stamp = static_cast<std::int64_t>(chosen.size());
            if (top.stamp != stamp) {
                top.gain = counts.gain(space.digits(top.variant));
                top.stamp = stamp;
                queue.push(top);
                continue;
            }
            if (!(top.gain > 0)) break;  // every draw a bet can still reach is covered
            counts.add(space.digits(top.variant));
            chosen.push_back(top.variant);
        }
    }

    std::vector<std::int64_t> autoformation() {
        AutoformationInput input;
        input.events = table;
        input.guarantee = std::min(settings.guarantee, 7);
        input.rng = settings.generator;
        input.conditions = settings.conditions;
        input.steps = wanted;
        // The earlier bets are readable single bets: the pass cleans nothing out of them.
        for (const VariantPattern& bet : earlier) input.bets.push_back(space.bet_of(space.index_of(bet), Currency()));
        ProgressHooks quiet;
        quiet.clock = hooks.clock;
        const AutoformationResult formed = core::autoformation(std::move(input), quiet, stop);
        std::vector<std::int64_t> bets;
        if (formed.outcome.failed || !formed.outcome.refusal.empty()) return bets;
        for (const BetEntry& bet : formed.appended) {
            const VariantPattern pattern = space.pattern_of(bet);
            const std::int64_t variant = space.index_of(pattern);
            if (excluded.count(variant) == 0) bets.push_back(variant);
        }
        return bets;
    }

    double chance_of(const std::vector<std::int64_t>& bets) {
        counts.clear();
        for (const VariantPattern& bet : earlier) counts.add(bet);
        for (const std::int64_t v : bets) counts.add(space.digits(v));
        return counts.chance();
    }

    // Takes each chosen bet out in turn and puts in the best of its one-event changes and a few
    // likely candidates, when that raises the chance; ends at a package no such exchange improves.
    std::int64_t improve(RandomSource& rng) {
        std::vector<std::int64_t>& bets = current;
        if (bets.empty() || pool.empty()) return 0;
        // Rebuilding the counters costs as much as the package's neighbourhoods.
        const std::uint64_t rebuild = (bets.size() + earlier.size()) * counts.neighbourhood();
        if (rebuild > settings.search_work_limit) return 0;
        double chance = chance_of(bets);
        std::unordered_set<std::int64_t> chosen(bets.begin(), bets.end());
        std::int64_t swaps = 0;
        poll.caption = [&] { return "Максимум шансов: улучшение, шанс " + percent_text(chance); };
        const std::uint64_t work_end = counts.work() + settings.search_work_limit;
        std::vector<std::size_t> order(bets.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::size_t since_improvement = 0;
        while (since_improvement < bets.size()) {
            rng.shuffle(order);
            for (const std::size_t at : order) {
                if (counts.work() >= work_end || poll.out_of_time() || since_improvement >= bets.size()) return swaps;
                poll.tick();
                const std::int64_t out = bets[at];
                const VariantPattern out_digits = space.digits(out);
                const double lost = counts.remove(out_digits);
                double best_gain = -1;
                std::int64_t best = out;
                const auto consider = [&](std::int64_t variant) {
                    if (variant == out || chosen.count(variant) != 0 || excluded.count(variant) != 0 || !allowed(variant)) return;
                    const double g = counts.gain(space.digits(variant));
                    if (g > best_gain || (g == best_gain && variant < best)) {
                        best_gain = g;
                        best = variant;
                    }
                };
                for (int d = 0; d < event_count; ++d)
                    for (int r = 0; r < space.count(d); ++r) {
                        if (r == out_digits[d]) continue;
                        VariantPattern moved = out_digits;
                        moved[d] = r;
                        consider(space.index_of(moved));
                    }
                if (space.size() <= exchange_all_limit) {
                    for (std::int64_t v = 0; v < space.size(); ++v) consider(v);
                } else {
                    for (int i = 0; i < 4; ++i)
                        consider(pool[static_cast<std::size_t>(rng.uniform_int(0, static_cast<std::int64_t>(pool.size()) - 1))].variant);
                }
                // Rounding must not let two equal packages trade places for ever.
                if (best != out && best_gain > lost * (1 + 1e-9) + 1e-15) {
                    counts.add(space.digits(best));
                    chosen.erase(out);
                    chosen.insert(best);
                    bets[at] = best;
                    chance += best_gain - lost;
                    ++swaps;
                    since_improvement = 0;
                } else {
                    counts.add(out_digits);
                    ++since_improvement;
                }
            }
        }
        return swaps;
    }
};

BetList bets_of(const VariantSpace& space, const std::vector<std::int64_t>& variants) {
    BetList bets;
    bets.reserve(variants.size());
    for (const std::int64_t v : variants) bets.push_back(space.bet_of(v, Currency()));
    return bets;
}

}  // namespace

BestChancesPackage best_chances_package(const EventTable& table, const BetList& earlier, const BestChancesSettings& settings,
                                        const ProgressHooks& hooks, const StopToken& stop) {
    BestChancesPackage result;
    if (auto refusal = draw_space_refusal(table)) {
        result.refusal = std::move(*refusal);
        return result;
    }
    if (settings.guarantee < 2 || settings.guarantee > event_count) {
        result.refusal = "Гарантия: ожидается число от 2 до 8";
        return result;
    }
    if (settings.bets < 1 || settings.bets > best_chances_bet_limit) {
        result.refusal = "Повторять: для максимума шансов ожидается число от 1 до " + std::to_string(best_chances_bet_limit);
        return result;
    }
    const DrawSpace probe(table);
    if (probe.size() > best_chances_draw_limit) {
        result.refusal = "Слишком много сочетаний исходов для точного расчёта шансов: " + std::to_string(probe.size()) +
                         " (не более " + std::to_string(best_chances_draw_limit) + "). Отметьте меньше исходов.";
        return result;
    }

    Run run(table, earlier, settings, hooks, stop);
    if (run.conditions.check() && !run.conditions.check()->refusal().empty()) {
        result.refusal = run.conditions.check()->refusal();
        return result;
    }
    std::vector<std::int64_t>& best = run.current;
    try {
        run.poll.caption = [] { return std::string("Максимум шансов: подготовка"); };
        run.rank_candidates();
        run.greedy();
        result.greedy_chance = run.counts.chance();
        result.chance = result.greedy_chance;
        std::vector<std::int64_t> greedy = best;

        // A start only replaces another when it is better beyond rounding; equal packages keep the
        // order found first.
        const auto better = [&](double chance) { return chance > result.chance * (1 + 1e-12); };
        result.likeliest_chance = run.chance_of(run.likeliest);
        std::vector<std::int64_t> start = greedy;
        if (better(result.likeliest_chance) || greedy.empty()) {
            start = run.likeliest;
            result.chance = result.likeliest_chance;
        }
        const std::vector<std::int64_t> covering = run.autoformation();
        result.autoformation_chance = run.chance_of(covering);
        if (better(result.autoformation_chance)) {
            start = covering;
            result.chance = result.autoformation_chance;
        }
        best = start;
        RandomSource rng = settings.generator;
        rng.seed(rng.next());
        result.swaps = run.improve(rng);
        if (result.swaps > 0) {
            const double improved = run.chance_of(best);
            if (better(improved)) {
                result.chance = improved;
            } else {
                best = start;
                result.swaps = 0;
            }
        }
    } catch (const StopSearch&) {
        result.stopped = true;
        result.chance = run.chance_of(best);
    }
    hooks.restore();
    result.bets = bets_of(run.space, best);
    return result;
}

BestChancesSettings best_chances_settings(Session& session, std::chrono::milliseconds time_budget) {
    BestChancesSettings settings;
    settings.guarantee = session.settings.guarantee;
    settings.bets = session.settings.repeat_count;
    settings.generator = session.rng;
    settings.time_budget = time_budget;
    settings.conditions = session.conditions;
    // The next run starts elsewhere.
    session.rng.seed(session.rng.next());
    return settings;
}

BestChancesPackage best_chances_package_or_refusal(const EventTable& table, const BetList& earlier,
                                                   const BestChancesSettings& settings, const ProgressHooks& hooks,
                                                   const StopToken& stop) {
    try {
        return best_chances_package(table, earlier, settings, hooks, stop);
    } catch (const std::bad_alloc&) {
        BestChancesPackage package;
        package.refusal = out_of_memory_text;
        return package;
    }
}

std::optional<std::string> apply_best_chances(Session& session, const BestChancesPackage& package, int guarantee) {
    if (package.refusal.empty()) session.reached_chance = {package.chance, guarantee, package.stopped};
    const Currency stake = session.settings.stake.currency();
    for (BetEntry bet : package.bets) {
        bet.amount = stake;
        session.append_bet(bet);
    }
    if (!package.refusal.empty()) return package.refusal;
    return std::nullopt;
}

std::optional<std::string> form_best_chances_package(Session& session, const ProgressHooks& hooks,
                                                     std::chrono::milliseconds time_budget, const StopToken& stop) {
    const BestChancesSettings settings = best_chances_settings(session, time_budget);
    const BestChancesPackage package = best_chances_package_or_refusal(session.events, session.bets, settings, hooks, stop);
    return apply_best_chances(session, package, settings.guarantee);
}

}  // namespace morvalen::core
