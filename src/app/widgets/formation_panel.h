// The formation panel: the method, its settings, the add-to-list link and the start-with caption.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QWidget>

#include "app/widgets/currency_edit.h"
#include "app/widgets/link_label.h"
#include "core/model/session.h"

namespace morvalen::app {

class FormationPanel : public QWidget {
    Q_OBJECT
public:
    explicit FormationPanel(QWidget* parent);

    core::FormationMethod method() const;
    // Copies the panel into the settings; a stake still being typed is taken as typed.
    void read_into(core::FormationSettings& settings);
    // The same, leaving a stake being typed as it is (the stake last taken counts).
    void peek_into(core::FormationSettings& settings) const;
    int guarantee() const { return guarantee_->value(); }
    QString guarantee_text() const { return guarantee_->text(); }
    std::int64_t repeat_count() const { return repeat_count_->value(); }
    bool start_with() const { return start_with_->isChecked(); }

    // Shows the controls the method uses and hides the others.
    void show_controls_of(core::FormationMethod method);
    void set_forming_link_visible(bool visible) { add_to_list_link_->setVisible(visible); }
    void set_start_with_text(const QString& text) { start_with_caption_->setText(text); }
    // What the chosen method will give, as far as that is known before forming.
    void set_foresight(const QString& text) { foresight_->setText(text); }
    QString foresight() const { return foresight_->text(); }
    // The stake the line page announces; false when the text is no amount.
    bool set_stake_text(const QString& text) { return stake_->set_value_text(text); }
    // Puts saved settings into the controls (a method the list has no item for is left alone).
    void show_settings(const core::FormationSettings& settings);

Q_SIGNALS:
    void add_to_list_requested();
    void edit_probabilities_requested();
    void method_changed();
    void guarantee_changed();
    void start_with_toggled(bool ticked);
    // Any setting changed (for the saved working state).
    void settings_changed();

private:
    void build_method_row();
    void build_settings();
    void build_start_with();
    // The start-with caption takes the tooltip colour while the box is ticked.
    void colour_start_with_caption(bool ticked);

    QComboBox* method_ = nullptr;
    LinkLabel* add_to_list_link_ = nullptr;
    QLabel* guarantee_caption_ = nullptr;
    QSpinBox* guarantee_ = nullptr;
    QLabel* upsets_caption_ = nullptr;
    QSpinBox* yellow_min_ = nullptr;
    QSpinBox* yellow_max_ = nullptr;
    QLabel* repeat_caption_ = nullptr;
    QSpinBox* repeat_count_ = nullptr;
    LinkLabel* edit_probabilities_link_ = nullptr;
    QCheckBox* start_with_ = nullptr;
    QLabel* start_with_caption_ = nullptr;
    CurrencyEdit* stake_ = nullptr;
    QLabel* foresight_ = nullptr;
};

}  // namespace morvalen::app
