// The check by results: the draw's 8 results chosen per event, the package's single bets by
// number of hits, the hits and the value of every memo line, the package's chances under the set
// probabilities, and what it is expected to win per tier of the pool.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include "app/widgets/string_grid.h"
#include "core/analysis/crowd_value.h"
#include "core/analysis/expected_return.h"
#include "core/analysis/package_chances.h"
#include "core/analysis/results_check.h"
#include "app/session/session_model.h"

namespace morvalen::app {

class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the session's bet list and event table; changes nothing outside itself.
    // memo_line gives the memo's text of a line (0-based), so that a line the list could not read whole
    // is shown as the player wrote it.
    ResultsWindow(const SessionModel& model, QWidget* owner, std::function<QString(int)> memo_line = {});

    // The menu command: event names and the chances as they are now, then the window shown. The
    // chosen results stay from the last opening.
    void open();
    // Rebuilds both tables from the chosen results; empty counts until all 8 are chosen.
    void show_hits();
    // Chooses the result of event e (1 to 8) by outcome column (1 to 17); 0 clears the choice.
    void choose(int e, int column);
    // Event names, hits and chances of the line and package as they are now.
    void show_current();

protected:
    // Coming back to the window after the package or the probabilities changed shows them anew.
    bool event(QEvent* event) override;

private:
    // The steps of the construction: the result choosers, the four tables, the notes, their layout.
    QGridLayout* build_choosers();
    StringGrid* make_grid(const char* name, int columns, int rows);
    void build_hit_tables();
    void build_chance_tables();
    void build_notes();
    void lay_out(QGridLayout* choice_row);
    // A shown window follows the line at once; the package, the probabilities, the rules and the
    // stake are taken up when the player comes back to it, since the chances of a large package take
    // a noticeable moment.
    void follow_model();
    void line_changed();
    // The chances and the return, when what they are computed from changed since they were shown.
    void show_stale_figures();
    void show_chances();
    void show_returns();
    void draw_cell(StringGrid& grid, QPainter& painter, int column, int row, const QRect& rect);

    void show_event_captions();

    const core::Session& session() const { return model_.session(); }

    const SessionModel& model_;
    std::function<QString(int)> memo_line_;
    std::vector<bool> unread_rows_;             // rows of line_hits_ whose line does not read whole
    QLabel* unread_note_ = nullptr;
    std::array<QComboBox*, core::event_count> choosers_{};
    std::array<QLabel*, core::event_count> event_captions_{};
    StringGrid* package_hits_ = nullptr;        // single bets by hits for the package
    StringGrid* line_hits_ = nullptr;           // hits per memo line
    StringGrid* chances_ = nullptr;             // chances of at least k hits, k = 8 down to 2
    QLabel* missing_results_hint_ = nullptr;    // shown while results are missing
    QLabel* chances_note_ = nullptr;            // the expected 8-hit bets, or why there are no chances
    QScrollArea* lines_area_ = nullptr;
    // What the chances and the return are computed from changed since they were shown.
    bool chances_stale_ = true;
    bool returns_stale_ = true;
    QLabel* returns_caption_ = nullptr;
    StringGrid* tier_returns_ = nullptr;        // per paying tier: the chance of a prize, its expected amount
    QLabel* return_note_ = nullptr;             // the expected return, or why it is not computed
};

// The value column of a memo line: its single bet's value, or from the lowest to the highest value
// of a coupon's single bets; "∞" where the crowd does not play an outcome.
QString value_text(const core::ValueRange& range);
// The line under the tier table: the expected return, its share of the cost, the chance of any
// prize and how it was found.
QString return_text(const core::ReturnReport& report);

// The line under the chances table: the expected number of bets with 8 hits and how the chances
// were found, or why they cannot be computed.
QString chances_text(const core::ChancesReport& report);
// A probability as the chances table shows it: in percent, a plain decimal with 4 significant digits.
QString chance_percent(double probability);
// A figure with 4 significant digits as a plain decimal, never in exponent form.
QString plain_decimal(double value);

}  // namespace morvalen::app
