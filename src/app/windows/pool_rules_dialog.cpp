// The rules dialog reads its fields through the rules' text form, so it refuses what the batch tool does.
#include "app/windows/pool_rules_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvalen::app {
namespace {

QLineEdit* make_field(QWidget* parent, const char* name, const QString& hint) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setToolTip(hint);
    return field;
}

// "tickets=…;payout=…;tiers=8:0.5,7:0.3;jackpot=…" → the fields' parts.
QString part_of(const QString& text, const QString& key) {
    for (const QString& part : text.split(QLatin1Char(';')))
        if (part.startsWith(key + QLatin1Char('='))) return part.mid(key.size() + 1);
    return {};
}

}  // namespace

PoolRulesDialog::PoolRulesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("pool_rules_dialog"));
    setWindowTitle(QStringLiteral("Правила тотализатора"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    tickets_ = make_field(this, "pool_tickets", QStringLiteral("Сколько одиночных ставок делают все остальные игроки"));
    payout_ = make_field(this, "pool_payout", QStringLiteral("Доля всех ставок, которая идёт на выигрыши, от 0 до 1"));
    tiers_ = make_field(this, "pool_tiers",
                        QStringLiteral("Разряды: число совпадений и его доля призового фонда, например 8:0.5,7:0.3,6:0.2"));
    jackpot_ = make_field(this, "pool_jackpot", QStringLiteral("Сумма, перенесённая в разряд 8 совпадений"));
    form->addRow(QStringLiteral("Ставок остальных игроков"), tickets_);
    form->addRow(QStringLiteral("Доля выплат"), payout_);
    form->addRow(QStringLiteral("Разряды (совпадений:доля)"), tiers_);
    form->addRow(QStringLiteral("Джекпот"), jackpot_);
    layout->addLayout(form);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("pool_rules_error"));
    error_->setStyleSheet(QStringLiteral("color: #b00000"));
    error_->setWordWrap(true);
    layout->addWidget(error_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("pool_rules_ok"));
    ok->setDefault(true);
    QPushButton* clear = buttons->addButton(QStringLiteral("Не учитывать"), QDialogButtonBox::ResetRole);
    clear->setObjectName(QStringLiteral("pool_rules_clear"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("pool_rules_cancel"));
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &PoolRulesDialog::accept_fields);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear, &QPushButton::clicked, this, [this] {
        Q_EMIT rules_cleared();
        reject();
    });
    resize(420, sizeHint().height());
}

void PoolRulesDialog::show_rules(const std::optional<core::PoolRules>& rules) {
    const QString text = QString::fromStdString(
        core::format_pool_rules(rules.value_or(*core::parse_pool_rules("tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules)));
    tickets_->setText(part_of(text, QStringLiteral("tickets")));
    payout_->setText(part_of(text, QStringLiteral("payout")));
    tiers_->setText(part_of(text, QStringLiteral("tiers")));
    jackpot_->setText(part_of(text, QStringLiteral("jackpot")));
    error_->clear();
}

void PoolRulesDialog::accept_fields() {
    // A field cannot smuggle in a key of another: the separators are not allowed in it.
    for (QLineEdit* field : {tickets_, payout_, tiers_, jackpot_})
        if (field->text().contains(QLatin1Char(';')) || field->text().contains(QLatin1Char('='))) {
            error_->setText(QStringLiteral("Правила тотализатора: знаки \";\" и \"=\" в полях не допускаются"));
            return;
        }
    const QString text = QStringLiteral("tickets=%1;payout=%2;tiers=%3;jackpot=%4")
                             .arg(tickets_->text().trimmed(), payout_->text().trimmed(), tiers_->text().trimmed(),
                                  jackpot_->text().trimmed().isEmpty() ? QStringLiteral("0") : jackpot_->text().trimmed());
    const core::PoolRulesParse parse = core::parse_pool_rules(text.toStdString());
    if (!parse.rules) {
        error_->setText(QString::fromStdString(parse.error));
        return;
    }
    Q_EMIT rules_accepted(*parse.rules);
    accept();
}

}  // namespace morvalen::app
