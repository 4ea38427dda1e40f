// The nearest brief systems: the systems the service offers closest to the player's
// marking, each as a short formula of its shape and its number of bets.
#pragma once

#include <QScrollArea>
#include <QWidget>

#include "app/string_grid.h"
#include "core/session.h"

namespace morvalen::app {

class NearestSystemsWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the session's brief-system list and expansion order.
    NearestSystemsWindow(const core::Session& session, QWidget* owner);

    // Fills the grid from the brief-system list and shows the window, also when nothing matched.
    void show_nearest_systems();

private:
    void fit_column(int column, int row);

    const core::Session& session_;
    StringGrid* systems_grid_ = nullptr;
    QScrollArea* area_ = nullptr;
};

}  // namespace morvalen::app
