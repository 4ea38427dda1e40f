// The nearest brief systems: the systems the service offers closest to the player's
// marking, each as a short formula of its shape and its number of bets.
#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include "app/widgets/string_grid.h"
#include "app/session/session_model.h"

namespace morvalen::app {

class NearestSystemsWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the session's brief-system list and expansion order; shows itself when the model
    // announces a list.
    NearestSystemsWindow(const SessionModel& model, QWidget* owner);

    // Fills the grid from the brief-system list for the two largest marked counts m1 and m2 and
    // shows the window, also when nothing matched: a line then says that no ready system is near.
    void show_nearest_systems(int m1, int m2);
    // The same for the order of the last brief-system request.
    void show_nearest_systems() {
        show_nearest_systems(session().expansion_order[0].marked, session().expansion_order[1].marked);
    }
    QString note() const { return note_->isVisible() ? note_->text() : QString(); }

private:
    void fit_column(int column, int row);

    const core::Session& session() const { return model_.session(); }

    const SessionModel& model_;
    StringGrid* systems_grid_ = nullptr;
    QLabel* note_ = nullptr;
    QScrollArea* area_ = nullptr;
};

}  // namespace morvalen::app
