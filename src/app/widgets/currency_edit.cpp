// The stake edit keeps the typed value exactly and shows it in the ",0.00" form.
#include "app/widgets/currency_edit.h"

namespace morvalen::app {

CurrencyEdit::CurrencyEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    set_stake(core::Stake{});
    connect(this, &QLineEdit::editingFinished, this, &CurrencyEdit::commit_typed_text);
}

void CurrencyEdit::set_stake(core::Stake stake) {
    stake_ = stake;
    setText(QString::number(static_cast<double>(stake.value), 'f', 2));
}

bool CurrencyEdit::set_value_text(const QString& text) {
    const auto stake = core::Stake::parse(text.toStdString());
    if (!stake) return false;
    set_stake(*stake);
    return true;
}

// Text that is no number is not taken: the edit shows its value again.
void CurrencyEdit::commit_typed_text() {
    if (!set_value_text(text())) set_stake(stake_);
}

}  // namespace morvalen::app
