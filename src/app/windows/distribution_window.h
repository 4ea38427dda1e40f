// The distribution by outcomes: how many single bets of the package hold each outcome of
// each event, and their share of the package.
#pragma once

#include <QScrollArea>
#include <QWidget>

#include "app/widgets/string_grid.h"
#include "app/session/session_model.h"

namespace morvalen::app {

class DistributionWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the bet list of the session; changes nothing outside itself. Shown, it follows the line
    // as the model announces it and keeps its counts of the package until it is shown again.
    DistributionWindow(const SessionModel& model, QWidget* owner);

    // The menu command: the outcome labels into the header row, then the window shown. An open
    // window keeps its figures.
    void open();
    // Column 0 of event row e (1 to 8).
    void set_event_name(int e, const QString& short_name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void follow_model();
    void refresh_if_shown() {
        if (isVisible()) refresh();
    }
    // Rebuilds the counts and writes rows 1 to 8, columns 1 to 17.
    void refresh();
    void draw_cell(QPainter& painter, int column, int row, const QRect& rect);
    // Widens every column to its widest text before the first painting.
    void fit_columns();

    const core::Session& session() const { return model_.session(); }

    const SessionModel& model_;
    StringGrid* counts_grid_ = nullptr;
    QScrollArea* area_ = nullptr;
};

}  // namespace morvalen::app
