// Enumeration of bets by yellow (sensation) marks.
#include "core/formation/sensations.h"

#include "core/model/session.h"

namespace morvalen::core {
namespace {

// One level of the depth-first enumeration: events before e are chosen in `bet`, y of them yellow,
// m single bets so far.
void enumerate_sensations(const EventTable& table, const FormationSettings& settings, BetList& out, int e, int y,
                          std::int64_t m, BetEntry bet) {
    if (e == event_count + 1) {
        if (settings.yellow_min <= y && y <= settings.yellow_max) {
            bet.amount = Currency::from_floating(settings.stake.value * static_cast<long double>(m));
            bet.bet_count = m;
            out.push_back(bet);
        }
        return;
    }
    for (int c = 1; c <= outcome_count; ++c) {
        if (table.cell(e, c).yellow_mark == 0) continue;
        bet.set(e) = OutcomeSet::of_column(c);
        // The maximum prunes as soon as one more yellow outcome would pass it.
        if (y + 1 <= settings.yellow_max) enumerate_sensations(table, settings, out, e + 1, y + 1, m, bet);
    }
    OutcomeSet ordinary;
    for (int c = 1; c <= outcome_count; ++c) {
        const OutcomeCell& cell = table.cell(e, c);
        if (cell.mark != 0 && cell.yellow_mark == 0) ordinary.add(c);
    }
    bet.set(e) = ordinary;
    if (ordinary.size() > 0) enumerate_sensations(table, settings, out, e + 1, y, m * ordinary.size(), bet);
}

}  // namespace

BetList sensation_bets(const EventTable& table, const FormationSettings& settings) {
    BetList bets;
    enumerate_sensations(table, settings, bets, 1, 0, 1, BetEntry{});
    return bets;
}

void form_by_sensations(Session& session) {
    for (const BetEntry& bet : sensation_bets(session.events, session.settings)) session.append_bet(bet);
}

}  // namespace morvalen::core
