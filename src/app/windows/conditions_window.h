// The conditions window: the player's rules with their switches, a group picked on a small outcome
// grid or from the presets, the allowed errors, what each rule costs, and the ".usl" files.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidget>

#include "app/platform/platform.h"
#include "app/widgets/string_grid.h"
#include "core/model/session.h"

namespace morvalen::app {

// The 8 × 17 cells of a count condition's group; a click on a cell, an event name or an outcome
// label takes it in or out.
class GroupCellPicker : public StringGrid {
    Q_OBJECT
public:
    explicit GroupCellPicker(QWidget* parent = nullptr);
    void show_cells(const std::array<core::OutcomeSet, core::event_count>& cells);
    const std::array<core::OutcomeSet, core::event_count>& cells() const { return cells_; }

Q_SIGNALS:
    void cells_changed();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::array<core::OutcomeSet, core::event_count> cells_{};
};

class ConditionsWindow : public QWidget {
    Q_OBJECT
public:
    ConditionsWindow(core::Session& session, Platform platform, QWidget* owner);

    // Shows the session's set again (after a load or a restored state) and its costs.
    void refresh();
    // The cost table only, after a change of the marks or the probabilities.
    void refresh_costs();

Q_SIGNALS:
    // The set or its switch changed: the statistics and the kept state follow.
    void conditions_changed();

private:
    void show_list();
    void show_editor();
    void select(int row);
    void edit_current();
    void add_condition();
    void remove_condition();
    void save_file();
    void load_file();
    void changed();
    core::Condition* current();

    core::Session& session_;
    Platform platform_;
    int current_ = -1;
    bool showing_ = false;  // the controls are being filled, not edited
    QCheckBox* enabled_ = nullptr;
    QTableWidget* list_ = nullptr;
    QComboBox* kind_ = nullptr;
    QLineEdit* low_ = nullptr;
    QLineEdit* high_ = nullptr;
    QComboBox* preset_ = nullptr;
    GroupCellPicker* cells_ = nullptr;
    QSpinBox* errors_ = nullptr;
    QTableWidget* costs_ = nullptr;
    QLabel* cost_note_ = nullptr;
};

}  // namespace morvalen::app
