// The main window's undo and redo, its saved working state and what it says when the line fails.
#include <algorithm>

#include <QCloseEvent>
#include <QUrl>

#include "app/windows/main_window.h"
#include "app/session/package_history.h"
#include "app/windows/texts.h"
#include "app/session/working_state_keeper.h"
#include "core/pages/line_refresh.h"
#include "net/failure_text.h"

namespace morvalen::app {

void MainWindow::set_up_keeping() {
    // What a step puts back reaches the grid and the auxiliary windows through the model.
    history_ = new PackageHistory(model_, *bet_memo_, *this, this);
    history_->setObjectName(QStringLiteral("package_history"));
    connect(history_, &PackageHistory::caption_note, this, &MainWindow::add_caption_note);
    connect(history_, &PackageHistory::changed, this, [this] {
        update_history_actions();
        state_changed();
    });
    const auto unless_running = [this](auto command) {
        return [this, command] {
            if (!running()) guarded(command);
        };
    };
    connect(menu_.undo, &QAction::triggered, this, unless_running([this] {
        if (history_->undo()) after_restore();
    }));
    connect(menu_.redo, &QAction::triggered, this, unless_running([this] {
        if (history_->redo()) after_restore();
    }));
    connect(menu_.refresh_line, &QAction::triggered, this, unless_running([this] { request_line(); }));
    bet_memo_->add_menu_key(QKeyCombination(Qt::ControlModifier, Qt::Key_Z));
    bet_memo_->add_menu_key(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z));
    connect(formation_panel_, &FormationPanel::settings_changed, this, &MainWindow::state_changed);

    if (!options_.keep_working_state) return;
    keeper_ = new WorkingStateKeeper(options_.state_folder, [this] { return capture_state(); }, this);
    keeper_->setObjectName(QStringLiteral("working_state_keeper"));
    // A failed save stays in the caption until a retry succeeds.
    connect(keeper_, &WorkingStateKeeper::save_failed, this, [this](const QString& reason) {
        save_failure_note_ = QStringLiteral("состояние не сохранено (%1), будет повторено").arg(reason);
        add_caption_note(save_failure_note_);
    });
    connect(keeper_, &WorkingStateKeeper::save_recovered, this, [this] {
        setWindowTitle(windowTitle().remove(QStringLiteral(" — ") + save_failure_note_));
        save_failure_note_.clear();
    });
}

void MainWindow::load_saved_state() {
    if (!keeper_) return;
    WorkingStateStore::Loaded loaded = keeper_->load();
    saved_state_ = std::move(loaded.state);
    // A damaged file never stops the start; it is set aside and the player is told in passing.
    if (!loaded.reason.isEmpty())
        damaged_state_note_ = loaded.from_backup ? QStringLiteral("сохранённое состояние повреждено, взята резервная копия")
                                                 : QStringLiteral("сохранённое состояние повреждено и отложено");
    if (keeper_->in_use_elsewhere())
        damaged_state_note_ = QStringLiteral("состояние открыто другой копией программы и здесь не сохраняется");
}

void MainWindow::after_line_request() {
    if (!saved_state_settled_) {
        saved_state_settled_ = true;
        restore_saved_state();
        // After the line's caption, so that the note is seen.
        if (!damaged_state_note_.isEmpty()) add_caption_note(damaged_state_note_);
    } else {
        restore_saved_marks();
    }
}

void MainWindow::restore_saved_state() {
    if (!saved_state_) return;
    const core::WorkingState& saved = *saved_state_;
    const core::FormationSettings settings = core::saved_settings(saved);
    // The memo first: the autoformation check that a restored method runs sees the restored list.
    bet_memo_->set_text_quietly(QString::fromStdString(saved.memo_text));
    core::read_memo(saved.memo_text, model_.change(SessionModel::package)->bets);
    formation_panel_->show_settings(settings);
    {
        const SessionModel::Edit edit = model_.change(SessionModel::conditions | SessionModel::pool_rules);
        core::restore_conditions(saved, edit->conditions);
        edit->pool_rules = saved.pool_rules;
    }
    if (keeper_) keeper_->hold_marks(saved);
    saved_state_.reset();
    restore_saved_marks();
    // What was saved is where this run starts; nothing before it can be undone.
    history_->reset();
    show_start_with(formation_panel_->start_with());
    show_stats(false);
}

void MainWindow::restore_saved_marks() {
    if (!keeper_ || !keeper_->held_marks()) return;
    const core::WorkingState& held = *keeper_->held_marks();
    const bool same_draw = core::same_draw(held, session_.events);
    // Marks of a named line wait for a line to be read; then the names decide.
    if (!same_draw && !line_read_) return;
    if (same_draw) {
        // The set probabilities come back with the marks.
        if (!core::any_marks(session_.events))
            core::restore_marks(held, model_.change(SessionModel::marks | SessionModel::probabilities)->events);
    } else {
        add_caption_note(QStringLiteral("отметки были сохранены для другого тиража"));
    }
    keeper_->drop_held_marks();
    outcome_grid_->update();
    show_start_with(formation_panel_->start_with());
    show_stats(false);
    state_changed();
}

core::WorkingState MainWindow::capture_state() {
    // A save must not disturb a stake the player is typing, nor the settings a running pass started with.
    core::FormationSettings settings = session_.settings;
    if (!running()) formation_panel_->peek_into(settings);
    core::WorkingState state = core::capture_working_state(session_.events, settings, bet_memo_->utf8_text().toStdString());
    core::keep_conditions(session_.conditions, state);
    state.pool_rules = session_.pool_rules;
    return state;
}

void MainWindow::show_line_failure(const QString& reason) {
    const QString host = net::host_of(QUrl(options_.service_url));
    options_.platform.boxes->show_error(
        this, error_caption, QStringLiteral("Не удалось получить линию с узла %1: %2.").arg(host, reason));
}

void MainWindow::add_caption_note(const QString& note) { setWindowTitle(windowTitle() + QStringLiteral(" — ") + note); }

void MainWindow::update_history_actions() {
    menu_.undo->setEnabled(history_->can_undo());
    menu_.redo->setEnabled(history_->can_redo());
}

void MainWindow::state_changed() {
    if (keeper_) keeper_->changed();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A run in progress ends now; the state saved is the one it started from.
    if (runner_) runner_->request_stop();
    if (keeper_) keeper_->save_now();
    QMainWindow::closeEvent(event);
}

}  // namespace morvalen::app
