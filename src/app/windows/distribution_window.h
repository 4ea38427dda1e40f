// The distribution by outcomes: how many single bets of the package hold each outcome of
// each event, and their share of the package.
#pragma once

#include <QScrollArea>
#include <QWidget>

#include "app/widgets/string_grid.h"
#include "core/model/session.h"

namespace morvalen::app {

class DistributionWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the bet list of the session; changes nothing outside itself.
    DistributionWindow(const core::Session& session, QWidget* owner);

    // The menu command: the outcome labels into the header row, then the window shown. An open
    // window keeps its figures.
    void open();
    // Column 0 of event row e (1 to 8), written by the line reading.
    void set_event_name(int e, const QString& short_name);
    // The counts of the package as it is now.
    void show_current() { refresh(); }
protected:
    void showEvent(QShowEvent* event) override;

private:
    // Rebuilds the counts and writes rows 1 to 8, columns 1 to 17.
    void refresh();
    void draw_cell(QPainter& painter, int column, int row, const QRect& rect);
    // Widens every column to its widest text before the first painting.
    void fit_columns();

    const core::Session& session_;
    StringGrid* counts_grid_ = nullptr;
    QScrollArea* area_ = nullptr;
};

}  // namespace morvalen::app
