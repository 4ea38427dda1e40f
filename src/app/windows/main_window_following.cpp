// The main window follows its session model: the grid and the summary after each announced change.
#include "app/windows/distribution_window.h"
#include "app/windows/main_window.h"

namespace morvalen::app {

void MainWindow::follow_model() {
    connect(&model_, &SessionModel::line_changed, this, [this] {
        show_line_figures();
        show_stats(false);
    });
    // The tint of the grid and the expected return follow the set probabilities as they are dragged.
    connect(&model_, &SessionModel::probabilities_changed, this, [this] {
        outcome_grid_->update();
        if (session_.pool_rules) show_stats(false);
    });
    connect(&model_, &SessionModel::marks_changed, this, &MainWindow::on_marks_changed);
    connect(&model_, &SessionModel::conditions_changed, this, &MainWindow::on_conditions_changed);
    connect(&model_, &SessionModel::pool_rules_changed, this, [this] {
        show_stats(false);
        state_changed();
    });
}

void MainWindow::on_marks_changed() {
    for (int e = 1; e <= core::event_count; ++e)
        for (int o = 1; o <= core::outcome_count; ++o)
            outcome_grid_->set_cell(o, e, QString::fromStdString(core::outcome_cell_text(session_.events, e, o)));
    outcome_grid_->update();
    show_start_with(formation_panel_->start_with());
}

void MainWindow::show_line_figures() {
    for (int e = 1; e <= core::event_count; ++e) {
        outcome_grid_->set_cell(0, e, QString::fromStdString(session_.events.event(e).name));
        for (int o = 1; o <= core::outcome_count; ++o)
            outcome_grid_->set_cell(o, e, QString::fromStdString(core::outcome_cell_text(session_.events, e, o)));
    }
    outcome_grid_->update();
}

void MainWindow::after_restore() {
    if (distribution_ && distribution_->isVisible()) distribution_->hide();
    show_stats(false);
}

}  // namespace morvalen::app
