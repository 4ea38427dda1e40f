// Enumeration of bets by yellow (sensation) marks.
#include "core/sensations.h"

#include "core/session.h"

namespace morvalen::core {

void enumerate_sensations(Session& session, int e, int y, std::int64_t m, BetEntry bet) {
    const FormationSettings& settings = session.settings;
    if (e == event_count + 1) {
        if (settings.yellow_min <= y && y <= settings.yellow_max) {
            bet.amount = Currency::from_floating(settings.stake.value * static_cast<long double>(m));
            bet.bet_count = m;
            session.append_bet(bet);
        }
        return;
    }
    for (int c = 1; c <= outcome_count; ++c) {
        if (session.events.cell(e, c).yellow_mark == 0) continue;
        bet.set(e) = OutcomeSet::of_column(c);
        // The maximum prunes as soon as one more yellow outcome would pass it.
        if (y + 1 <= settings.yellow_max) enumerate_sensations(session, e + 1, y + 1, m, bet);
    }
    OutcomeSet ordinary;
    for (int c = 1; c <= outcome_count; ++c) {
        const OutcomeCell& cell = session.events.cell(e, c);
        if (cell.mark != 0 && cell.yellow_mark == 0) ordinary.add(c);
    }
    bet.set(e) = ordinary;
    if (ordinary.size() > 0) enumerate_sensations(session, e + 1, y, m * ordinary.size(), bet);
}

void form_by_sensations(Session& session) {
    if (session.formation_running) return;
    enumerate_sensations(session, 1, 0, 1, BetEntry{});
}

}  // namespace morvalen::core
