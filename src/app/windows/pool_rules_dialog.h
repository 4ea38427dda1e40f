// The dialog "Правила тотализатора": the others' tickets, the payout share, the paying tiers, the jackpot.
#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "core/model/pool_rules.h"

namespace morvalen::app {

class PoolRulesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PoolRulesDialog(QWidget* parent = nullptr);

    // Fills the fields with the rules, or with an example when there are none yet.
    void show_rules(const std::optional<core::PoolRules>& rules);

Q_SIGNALS:
    // "ОК" with fields that read as rules; the dialog closes.
    void rules_accepted(const core::PoolRules& rules);
    // "Не учитывать": the window forgets the rules; the dialog closes.
    void rules_cleared();

private:
    void accept_fields();

    QLineEdit* tickets_ = nullptr;
    QLineEdit* payout_ = nullptr;
    QLineEdit* tiers_ = nullptr;
    QLineEdit* jackpot_ = nullptr;
    QLabel* error_ = nullptr;
};

}  // namespace morvalen::app
