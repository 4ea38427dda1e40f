// Expansion of brief systems over the player's marked outcomes.
#include "core/formation/brief_expansion.h"

#include <algorithm>

#include <utility>

#include "core/model/session.h"
#include "core/model/signature.h"

namespace morvalen::core {

ExpansionOrder order_events(const EventTable& table, bool start_with, RandomSource& rng, SlotOrder slot_order) {
    ExpansionOrder order{};
    for (int e = 1; e <= event_count; ++e) {
        ExpansionEntry& entry = order[e - 1];
        std::array<bool, outcome_count + 1> available{};
        for (int c = 1; c <= outcome_count; ++c) available[c] = table.cell(e, c).mark == 1;
        entry.marked = marked_count(table, e);
        entry.event = e;
        int i = 0;
        if (start_with) {
            const int first = table.event(e).start_with;
            entry.slots[0] = static_cast<std::uint8_t>(first);
            if (first >= 1 && first <= outcome_count) available[first] = false;
            i = 1;
        }
        if (slot_order == SlotOrder::ascending) {
            for (int c = 1; c <= outcome_count && i < entry.marked; ++c)
                if (available[c]) entry.slots[i++] = static_cast<std::uint8_t>(c);
            continue;
        }
        // At least marked − i columns stay available, so the draw always ends.
        while (i < entry.marked) {
            const auto r = static_cast<int>(rng.uniform_int(1, outcome_count));
            if (!available[r]) continue;
            entry.slots[i++] = static_cast<std::uint8_t>(r);
            available[r] = false;
        }
    }
    // The exchange sort the service's signatures were built with: equal counts keep no stable order.
    for (int a = 0; a < event_count - 1; ++a)
        for (int b = a + 1; b < event_count; ++b)
            if (order[a].marked < order[b].marked) std::swap(order[a], order[b]);
    return order;
}

std::int64_t signature_of(int guarantee, const ExpansionOrder& order) {
    MarkedCounts counts{};
    for (std::size_t k = 0; k < order.size(); ++k) counts[k] = order[k].marked;
    return fold_signature(guarantee, counts);
}

BetEntry expand_system_record(std::uint64_t record, const ExpansionOrder& order, Currency stake) {
    BetEntry bet;
    for (const ExpansionEntry& entry : order) {
        const int column = entry.slots[record % 17];
        bet.set(entry.event) = OutcomeSet::of_column(column == 0 ? 1 : column);
        record /= 17;
    }
    bet.amount = stake;
    bet.bet_count = 1;
    return bet;
}

std::string brief_progress_caption(std::uint64_t records_done, std::uint64_t content_bytes) {
    const long double share = content_bytes == 0 ? 0.0L
                                                 : static_cast<long double>(records_done) * 500.0L /
                                                       static_cast<long double>(content_bytes);
    return "Загрузка БС " + std::to_string(round_half_even(share).value_or(0)) + "%";
}

BetList brief_system_bets(const std::vector<std::uint64_t>& records, const ExpansionOrder& order, Currency stake,
                          std::uint64_t content_bytes, const ProgressHooks& hooks, const StopToken& stop) {
    ProgressThrottle throttle(hooks);
    BetList bets;
    std::uint64_t done = 0;
    try {
        bets.reserve(records.size());
        for (const std::uint64_t record : records) {
            ++done;
            if (throttle.due()) {
                hooks.caption(brief_progress_caption(done, content_bytes));
                if (stop.stop_requested()) break;
            }
            bets.push_back(expand_system_record(record, order, stake));
        }
    } catch (...) {
        hooks.restore();
        throw;
    }
    hooks.restore();
    return bets;
}

void expand_brief_system(Session& session, const std::vector<std::uint64_t>& records, std::uint64_t content_bytes,
                         const ProgressHooks& hooks) {
    const BetList bets =
        brief_system_bets(records, session.expansion_order, session.settings.stake.currency(), content_bytes, hooks);
    session.bets.reserve(session.bets.size() + bets.size());
    for (const BetEntry& bet : bets) session.append_bet(bet);
}

std::uint64_t variant_count(const ExpansionOrder& order) {
    std::uint64_t variants = 1;
    for (const ExpansionEntry& entry : order) variants *= static_cast<std::uint64_t>(std::max(entry.marked, 0));
    return variants;
}

BriefBody brief_body_bets(std::string_view body, const ExpansionOrder& order, Currency stake, const ProgressHooks& hooks,
                          const StopToken& stop, std::size_t max_content_bytes) {
    BriefBody result;
    // More records than the shape has variants is never a valid system: decompression stops there,
    // so a small hostile body cannot grow into millions of bets.
    const std::uint64_t variants = variant_count(order);
    std::size_t cap = max_content_bytes;
    const bool shape_binds = variants > 0 && variants < cap / payload_record_size;
    if (shape_binds) cap = static_cast<std::size_t>(variants) * payload_record_size + (payload_record_size - 1);
    PayloadResult payload = decode_payload(body, cap);
    if (shape_binds && payload.status == PayloadStatus::error && payload.error == payload_too_large_error)
        payload.error = "the system holds more bets than its shape has variants";
    result.status = payload.status;
    result.error = payload.error;
    if (payload.status != PayloadStatus::records) {
        hooks.restore();
        return result;
    }
    result.bets = brief_system_bets(payload.records, order, stake, payload.content_size, hooks, stop);
    return result;
}

BriefBodyOutcome expand_brief_body(Session& session, std::string_view body, const ProgressHooks& hooks,
                                   std::size_t max_content_bytes) {
    const BriefBody result =
        brief_body_bets(body, session.expansion_order, session.settings.stake.currency(), hooks, {}, max_content_bytes);
    return apply_brief_body(session, result);
}

BriefBodyOutcome apply_brief_body(Session& session, const BriefBody& body) {
    session.bets.reserve(session.bets.size() + body.bets.size());
    for (const BetEntry& bet : body.bets) session.append_bet(bet);
    return {body.status, body.error, body.bets.size()};
}

}  // namespace morvalen::core
