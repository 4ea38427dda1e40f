// The stake edit: the stake per bet as the player typed it, shown with two decimals.
#pragma once

#include <QLineEdit>

#include "core/model/list_operations.h"

namespace morvalen::app {

class CurrencyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CurrencyEdit(QWidget* parent = nullptr);

    core::Stake stake() const { return stake_; }
    void set_stake(core::Stake stake);
    // Takes a text as the value ("3.10"); false, with the value unchanged, when it is no number.
    bool set_value_text(const QString& text);

    // Takes what the player typed but has not yet confirmed; a text that is no number is dropped.
    void commit_typed_text();

private:
    core::Stake stake_;
};

}  // namespace morvalen::app
