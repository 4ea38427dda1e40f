// Autoformation from an empty list, read back as the records of a brief system.
#include "briefgen/autoformation_cover.h"

#include "core/formation/autoformation.h"
#include "core/model/random_source.h"
#include "core/model/session.h"
#include "core/model/stop_token.h"

namespace morvalen::briefgen {

std::optional<std::vector<Record>> autoformation_cover(const Shape& shape, std::int64_t start_index,
                                                       std::chrono::steady_clock::time_point deadline) {
    core::Session session(1);
    for (int e = 1; e <= events; ++e)
        for (int column = 1; column <= shape.counts[e - 1]; ++column) session.events.cell(e, column).mark = 1;
    session.settings.guarantee = shape.guarantee;
    // The deadline is read where the pass shows its progress, about once a second.
    core::StopSource stop;
    core::ProgressHooks hooks;
    hooks.show_caption = [&](const std::string&) {
        if (std::chrono::steady_clock::now() >= deadline) stop.request_stop();
    };
    const VariantSpace space(shape);
    const auto outcome =
        core::autoform(session, static_cast<std::int64_t>(space.size()), hooks, start_index, stop.get_token());
    if (outcome.failed || session.uncovered_variants > 0) return std::nullopt;
    std::vector<Record> records;
    records.reserve(session.bets.size());
    for (const core::BetEntry& bet : session.bets) {
        Digits digits{};
        for (int e = 1; e <= events; ++e) {
            int position = -1;
            for (int column = 1; column <= shape.counts[e - 1]; ++column)
                if (bet.set(e).contains(column)) position = column - 1;
            if (position < 0) return std::nullopt;
            digits[static_cast<std::size_t>(e - 1)] = static_cast<std::uint8_t>(position);
        }
        records.push_back(record_of_digits(digits));
    }
    return records;
}

std::optional<std::vector<Record>> best_autoformation_cover(const Shape& shape, std::uint64_t seed,
                                                            std::chrono::steady_clock::time_point deadline) {
    // Beyond this much work (variants times one bet's ball) a second pass costs too much of a request.
    constexpr std::uint64_t extra_pass_work = 30'000'000;
    auto best = autoformation_cover(shape, 0);
    const VariantSpace space(shape);
    if (!best || space.size() * space.ball_size() > extra_pass_work) return best;
    core::RandomSource random(seed);
    for (int pass = 0; pass < 2 && std::chrono::steady_clock::now() < deadline; ++pass) {
        const auto start = random.uniform_int(1, static_cast<std::int64_t>(space.size()));
        auto other = autoformation_cover(shape, start, deadline);
        if (other && other->size() < best->size()) best = std::move(other);
    }
    return best;
}

}  // namespace morvalen::briefgen
