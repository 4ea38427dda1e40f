// The conditions window: the player's rules with their switches, a group picked on a small outcome
// grid or from the presets, the allowed errors, what each rule costs, and the ".usl" files.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "app/platform/platform.h"
#include "app/widgets/string_grid.h"
#include "app/session/session_model.h"

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
    // Writes the session's conditions through the model; follows what the model announces: a set
    // changed elsewhere is shown again, a change of the line, the marks or the probabilities redraws
    // the costs (when the window is shown; else when it is shown next).
    ConditionsWindow(SessionModel& model, Platform platform, QWidget* owner);

    // Shows the session's set again and its costs.
    void refresh();
    // The cost table only.
    void refresh_costs();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The steps of the construction.
    void build_list(QVBoxLayout* layout);
    void build_buttons(QVBoxLayout* layout);
    void build_editor(QVBoxLayout* layout);
    void build_costs(QVBoxLayout* layout);
    void connect_editor();
    void follow_model();
    void costs_changed();
    // Writes the set as the player edits it here: the model announces it, and this window only
    // redraws its costs.
    template <typename Write>
    void edit_set(Write write) {
        editing_ = true;
        {
            const SessionModel::Edit edit = model_.change(SessionModel::conditions);
            write(edit->conditions);
        }
        editing_ = false;
    }
    // Adds or removes a condition: the list and the editor show it with the row chosen beforehand.
    template <typename Write>
    void show_list_after(Write write) {
        edit_set(write);
        show_list();
        show_editor();
    }
    void show_list();
    void show_editor();
    void select(int row);
    void edit_current();
    void add_condition();
    void remove_condition();
    void save_file();
    void load_file();
    const core::Condition* current() const;
    const core::ConditionSet& set() const { return model_.session().conditions; }

    SessionModel& model_;
    Platform platform_;
    int current_ = -1;
    bool showing_ = false;  // the controls are being filled, not edited
    bool editing_ = false;  // the set is being written from this window
    bool costs_stale_ = false;  // the costs changed while the window was hidden
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
