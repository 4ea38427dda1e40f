// The conditions window reads its controls into the session's set and draws the core's cost table.
#include "app/windows/conditions_window.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "app/platform/desktop_services.h"
#include "app/windows/texts.h"
#include "core/analysis/condition_costs.h"
#include "core/formats/condition_file.h"
#include "core/formats/percent_text.h"

namespace morvalen::app {
namespace {

const QStringList kind_names = {QStringLiteral("Число исходов группы"), QStringLiteral("Вероятность варианта, %"),
                                QStringLiteral("Популярность у публики, %"),
                                QStringLiteral("Ценность (вероятность / популярность)")};
// In the order of core::CountGroup.
const QStringList group_names = {QStringLiteral("Победы хозяев"), QStringLiteral("Ничьи"), QStringLiteral("Победы гостей"),
                                 QStringLiteral("ЛД"), QStringLiteral("Жёлтые отметки"), QStringLiteral("Фавориты"),
                                 QStringLiteral("Фавориты публики"), QStringLiteral("Выбранные клетки")};

QString label_of(int column) {
    const std::string_view label = core::outcome_label(column);
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

QString bound_text(const core::Condition& c, bool high) {
    if (c.kind == core::ConditionKind::count)
        return high ? (c.count_high ? QString::number(*c.count_high) : QStringLiteral("*")) : QString::number(c.count_low);
    return QString::fromStdString(core::decimal_text(high ? c.high : std::optional<double>(c.low)));
}

QString group_caption(const core::Condition& c) {
    if (c.kind != core::ConditionKind::count) return {};
    if (c.group != core::CountGroup::cells) return group_names[static_cast<int>(c.group)];
    return QString::fromStdString(core::group_text(c));
}

QString percent_text(double value) { return QString::fromStdString(core::six_digit_percent(value)); }

QString cost_cell(double value, double error, bool exact, bool as_percent) {
    QString text = exact ? QString() : QStringLiteral("≈");
    text += as_percent ? percent_text(value) : QString::number(std::llround(value));
    if (!exact) text += QStringLiteral(" ± ") + (as_percent ? percent_text(error) : QString::number(std::llround(error)));
    return text;
}

QTableWidgetItem* fixed_item(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

GroupCellPicker::GroupCellPicker(QWidget* parent) : StringGrid(core::outcome_count + 1, core::event_count + 1, parent) {
    set_default_column_width(30);
    set_column_width(0, 24);
    set_default_row_height(16);
    set_fixed(1, 1);
    for (int c = 1; c <= core::outcome_count; ++c) set_cell(c, 0, label_of(c));
    for (int e = 1; e <= core::event_count; ++e) set_cell(0, e, QString::number(e));
    draw_cell = [this](QPainter& painter, int column, int row, const QRect& rect) {
        if (column < 1 || row < 1 || !cells_[static_cast<std::size_t>(row - 1)].contains(column)) return;
        painter.fillRect(rect, QColor(0, 120, 215));
    };
}

void GroupCellPicker::show_cells(const std::array<core::OutcomeSet, core::event_count>& cells) {
    cells_ = cells;
    update();
}

void GroupCellPicker::mousePressEvent(QMouseEvent* event) {
    for (int row = 0; row < row_count(); ++row)
        for (int column = 0; column < column_count(); ++column) {
            if (!cell_rect(column, row).contains(event->position().toPoint())) continue;
            if (row == 0 && column == 0) return;
            // A header takes its whole line in, or out when all of it is in.
            const int first_e = row == 0 ? 1 : row, last_e = row == 0 ? core::event_count : row;
            const int first_c = column == 0 ? 1 : column, last_c = column == 0 ? core::outcome_count : column;
            bool all = true;
            for (int e = first_e; e <= last_e; ++e)
                for (int c = first_c; c <= last_c; ++c) all = all && cells_[static_cast<std::size_t>(e - 1)].contains(c);
            for (int e = first_e; e <= last_e; ++e)
                for (int c = first_c; c <= last_c; ++c) {
                    core::OutcomeSet& set = cells_[static_cast<std::size_t>(e - 1)];
                    if (all) set.remove(c);
                    else set.add(c);
                }
            update();
            Q_EMIT cells_changed();
            return;
        }
}

ConditionsWindow::ConditionsWindow(SessionModel& model, Platform platform, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(model), platform_(platform) {
    setObjectName(QStringLiteral("conditions_window"));
    setWindowTitle(QStringLiteral("Условия"));
    auto* layout = new QVBoxLayout(this);
    build_list(layout);
    build_buttons(layout);
    build_editor(layout);
    build_costs(layout);
    resize(760, 720);
    connect_editor();
    follow_model();
    refresh();
}

void ConditionsWindow::build_list(QVBoxLayout* layout) {
    enabled_ = new QCheckBox(QStringLiteral("Условия включены"), this);
    enabled_->setObjectName(QStringLiteral("conditions_enabled"));
    layout->addWidget(enabled_);

    list_ = new QTableWidget(0, 5, this);
    list_->setObjectName(QStringLiteral("condition_list"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Вкл"), QStringLiteral("Вид"), QStringLiteral("От"),
                                      QStringLiteral("До"), QStringLiteral("Группа")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->setDefaultSectionSize(20);
    list_->setMinimumHeight(120);
    layout->addWidget(list_);
}

void ConditionsWindow::build_buttons(QVBoxLayout* layout) {
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& caption, void (ConditionsWindow::*command)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, command);
    };
    button("add_condition", QStringLiteral("Добавить"), &ConditionsWindow::add_condition);
    button("remove_condition", QStringLiteral("Удалить"), &ConditionsWindow::remove_condition);
    buttons->addStretch();
    buttons->addWidget(new QLabel(QStringLiteral("Допустимых ошибок"), this));
    errors_ = new QSpinBox(this);
    errors_->setObjectName(QStringLiteral("allowed_errors"));
    errors_->setRange(0, static_cast<int>(core::condition_limit));
    buttons->addWidget(errors_);
    buttons->addStretch();
    button("save_conditions", QStringLiteral("Сохранить…"), &ConditionsWindow::save_file);
    button("load_conditions", QStringLiteral("Загрузить…"), &ConditionsWindow::load_file);
    layout->addLayout(buttons);
}

void ConditionsWindow::build_editor(QVBoxLayout* layout) {
    auto* editor = new QGridLayout;
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("condition_kind"));
    kind_->addItems(kind_names);
    low_ = new QLineEdit(this);
    low_->setObjectName(QStringLiteral("range_low"));
    high_ = new QLineEdit(this);
    high_->setObjectName(QStringLiteral("range_high"));
    high_->setToolTip(QStringLiteral("* — без верхней границы"));
    preset_ = new QComboBox(this);
    preset_->setObjectName(QStringLiteral("group_preset"));
    preset_->addItems(group_names);
    editor->addWidget(new QLabel(QStringLiteral("Вид"), this), 0, 0);
    editor->addWidget(kind_, 0, 1);
    editor->addWidget(new QLabel(QStringLiteral("От"), this), 0, 2);
    editor->addWidget(low_, 0, 3);
    editor->addWidget(new QLabel(QStringLiteral("До"), this), 0, 4);
    editor->addWidget(high_, 0, 5);
    editor->addWidget(new QLabel(QStringLiteral("Группа"), this), 1, 0);
    editor->addWidget(preset_, 1, 1);
    layout->addLayout(editor);
    cells_ = new GroupCellPicker(this);
    cells_->setObjectName(QStringLiteral("group_cells"));
    layout->addWidget(cells_);
}

void ConditionsWindow::build_costs(QVBoxLayout* layout) {
    costs_ = new QTableWidget(0, 4, this);
    costs_->setObjectName(QStringLiteral("cost_table"));
    costs_->setHorizontalHeaderLabels({QStringLiteral("Условие"), QStringLiteral("Остаётся вариантов"),
                                       QStringLiteral("Доля, %"), QStringLiteral("Вероятность, %")});
    costs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    costs_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    costs_->verticalHeader()->setDefaultSectionSize(20);
    costs_->setMinimumHeight(150);
    layout->addWidget(costs_);
    cost_note_ = new QLabel(this);
    cost_note_->setObjectName(QStringLiteral("cost_note"));
    layout->addWidget(cost_note_);
}

void ConditionsWindow::connect_editor() {
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) edit_set([on](core::ConditionSet& set) { set.enabled = on; });
    });
    connect(list_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (showing_ || item->column() != 0) return;
        const bool on = item->checkState() == Qt::Checked;
        edit_set([row = item->row(), on](core::ConditionSet& set) { set.conditions[static_cast<std::size_t>(row)].on = on; });
    });
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!showing_) select(row);
    });
    connect(errors_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!showing_) edit_set([value](core::ConditionSet& set) { set.allowed_errors = value; });
    });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { edit_current(); });
    connect(low_, &QLineEdit::textEdited, this, [this] { edit_current(); });
    connect(high_, &QLineEdit::textEdited, this, [this] { edit_current(); });
    connect(preset_, &QComboBox::currentIndexChanged, this, [this] { edit_current(); });
    connect(cells_, &GroupCellPicker::cells_changed, this, [this] {
        if (showing_ || !current()) return;
        // Clicked cells are the group.
        showing_ = true;
        preset_->setCurrentIndex(static_cast<int>(core::CountGroup::cells));
        showing_ = false;
        edit_current();
    });
}

void ConditionsWindow::follow_model() {
    connect(&model_, &SessionModel::conditions_changed, this, [this] {
        if (editing_) refresh_costs();
        else refresh();
    });
    for (auto signal : {&SessionModel::line_changed, &SessionModel::probabilities_changed, &SessionModel::marks_changed})
        connect(&model_, signal, this, &ConditionsWindow::costs_changed);
    connect(&model_, &SessionModel::line_read, this, &ConditionsWindow::costs_changed);
}

void ConditionsWindow::costs_changed() {
    if (isVisible()) refresh_costs();
    else costs_stale_ = true;
}

void ConditionsWindow::showEvent(QShowEvent* event) {
    if (costs_stale_) refresh_costs();
    QWidget::showEvent(event);
}

const core::Condition* ConditionsWindow::current() const {
    const auto& list = set().conditions;
    return current_ >= 0 && current_ < static_cast<int>(list.size()) ? &list[static_cast<std::size_t>(current_)] : nullptr;
}

void ConditionsWindow::refresh() {
    showing_ = true;
    enabled_->setChecked(set().enabled);
    errors_->setValue(set().allowed_errors);
    showing_ = false;
    if (current_ >= static_cast<int>(set().conditions.size())) current_ = static_cast<int>(set().conditions.size()) - 1;
    if (current_ < 0 && !set().conditions.empty()) current_ = 0;
    show_list();
    show_editor();
    refresh_costs();
}

void ConditionsWindow::show_list() {
    showing_ = true;
    const auto& list = set().conditions;
    list_->setRowCount(static_cast<int>(list.size()));
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
        const core::Condition& c = list[static_cast<std::size_t>(row)];
        auto* on = new QTableWidgetItem;
        on->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        on->setCheckState(c.on ? Qt::Checked : Qt::Unchecked);
        list_->setItem(row, 0, on);
        list_->setItem(row, 1, fixed_item(kind_names[static_cast<int>(c.kind)]));
        list_->setItem(row, 2, fixed_item(bound_text(c, false)));
        list_->setItem(row, 3, fixed_item(bound_text(c, true)));
        list_->setItem(row, 4, fixed_item(group_caption(c)));
    }
    list_->resizeColumnsToContents();
    if (current_ >= 0) list_->setCurrentCell(current_, 1);
    showing_ = false;
}

void ConditionsWindow::show_editor() {
    showing_ = true;
    const core::Condition* c = current();
    for (QWidget* control : std::initializer_list<QWidget*>{kind_, low_, high_, preset_, cells_}) control->setEnabled(c != nullptr);
    if (c) {
        kind_->setCurrentIndex(static_cast<int>(c->kind));
        low_->setText(bound_text(*c, false));
        high_->setText(bound_text(*c, true));
        const bool count = c->kind == core::ConditionKind::count;
        preset_->setEnabled(count);
        cells_->setEnabled(count);
        preset_->setCurrentIndex(static_cast<int>(c->group));
        cells_->show_cells(c->group == core::CountGroup::cells ? c->cells : std::array<core::OutcomeSet, core::event_count>{});
    }
    low_->setStyleSheet({});
    high_->setStyleSheet({});
    showing_ = false;
}

void ConditionsWindow::select(int row) {
    current_ = row;
    show_editor();
}

// The controls into the condition being edited; a bound that does not read leaves it as it was.
void ConditionsWindow::edit_current() {
    if (showing_ || !current()) return;
    const auto kind = static_cast<core::ConditionKind>(kind_->currentIndex());
    const bool kind_changed = kind != current()->kind;
    const std::string low = low_->text().trimmed().toStdString();
    const std::string high = high_->text().trimmed().toStdString();
    const auto low_value = core::read_plain_decimal(low);
    const auto high_value = high == "*" ? std::optional<double>() : core::read_plain_decimal(high);
    const bool count = kind == core::ConditionKind::count;
    const auto is_count = [](const std::optional<double>& v) { return v && *v >= 0 && *v <= 8 && *v == std::floor(*v); };
    const bool low_ok = count ? is_count(low_value) : low_value.has_value();
    const bool high_ok = high == "*" || (count ? is_count(high_value) : high_value.has_value());
    low_->setStyleSheet(low_ok ? QString() : QStringLiteral("background: #ffc0c0"));
    high_->setStyleSheet(high_ok ? QString() : QStringLiteral("background: #ffc0c0"));
    const auto group = static_cast<core::CountGroup>(preset_->currentIndex());
    edit_set([&](core::ConditionSet& set) {
        core::Condition& c = set.conditions[static_cast<std::size_t>(current_)];
        c.kind = kind;
        if (count) {
            if (low_ok) c.count_low = static_cast<int>(*low_value);
            if (high_ok) c.count_high = high == "*" ? std::optional<int>() : std::optional<int>(static_cast<int>(*high_value));
            c.group = group;
            c.cells = group == core::CountGroup::cells ? cells_->cells() : std::array<core::OutcomeSet, core::event_count>{};
        } else {
            if (low_ok) c.low = *low_value;
            if (high_ok) c.high = high_value;
        }
    });
    if (kind_changed) show_editor();
    show_list();
}

void ConditionsWindow::add_condition() {
    if (set().conditions.size() >= core::condition_limit) return;
    current_ = static_cast<int>(set().conditions.size());
    show_list_after([](core::ConditionSet& set) { set.conditions.push_back(core::Condition{}); });
}

void ConditionsWindow::remove_condition() {
    if (!current()) return;
    const int removed = current_;
    if (current_ >= static_cast<int>(set().conditions.size()) - 1) current_ = static_cast<int>(set().conditions.size()) - 2;
    show_list_after([removed](core::ConditionSet& set) { set.conditions.erase(set.conditions.begin() + removed); });
}

void ConditionsWindow::save_file() {
    if (!platform_.dialogs) return;
    QString name = platform_.dialogs->save_file_name(this);
    if (name.isEmpty()) return;
    if (!name.endsWith(QStringLiteral(".usl"), Qt::CaseInsensitive)) name += QStringLiteral(".usl");
    QFile file(name);
    const QByteArray text = QByteArray::fromStdString(core::write_condition_file(set()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()) {
        if (platform_.boxes)
            platform_.boxes->show_error(this, error_caption, QStringLiteral("Не удалось записать файл условий \"") + name + "\"");
    }
}

void ConditionsWindow::load_file() {
    if (!platform_.dialogs) return;
    const QString name = platform_.dialogs->open_file_name(this);
    if (name.isEmpty()) return;
    QFile file(name);
    // A conditions file is a few lines; anything far larger is no such file.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024) {
        if (platform_.boxes)
            platform_.boxes->show_error(this, error_caption, QStringLiteral("Не удалось прочитать файл условий \"") + name + "\"");
        return;
    }
    const core::ConditionFileRead read = core::read_condition_file(file.readAll().toStdString());
    if (!read.set) {
        if (platform_.boxes) platform_.boxes->show_error(this, error_caption, name + ": " + QString::fromStdString(read.error));
        return;
    }
    current_ = read.set->conditions.empty() ? -1 : 0;
    // The whole set is new: the model's announcement shows it again, as a set loaded elsewhere would be.
    const SessionModel::Edit edit = model_.change(SessionModel::conditions);
    const bool enabled = edit->conditions.enabled;
    edit->conditions = *read.set;
    edit->conditions.enabled = enabled;
}

void ConditionsWindow::refresh_costs() {
    costs_stale_ = false;
    const auto& list = set().conditions;
    costs_->setRowCount(static_cast<int>(list.size()) + 1);
    const core::CostTable table = core::condition_costs(model_.session().events, set());
    const bool ready = table.refusal.empty() && table.marked_variants > 0;
    for (int row = 0; row <= static_cast<int>(list.size()); ++row) {
        const bool set_row = row == static_cast<int>(list.size());
        QString name = set_row ? QStringLiteral("Все включённые, ошибок не более ") + QString::number(set().allowed_errors)
                               : QString::fromStdString(core::condition_line(list[static_cast<std::size_t>(row)]));
        costs_->setItem(row, 0, fixed_item(name));
        for (int column = 1; column < 4; ++column) costs_->setItem(row, column, fixed_item(QString()));
        if (!ready) continue;
        const core::CostRow& cost = set_row ? table.set : table.conditions[static_cast<std::size_t>(row)];
        const double variants = static_cast<double>(table.marked_variants);
        costs_->item(row, 1)->setText(cost_cell(cost.kept_variants, cost.variants_error, cost.exact, false));
        costs_->item(row, 2)->setText(cost_cell(cost.kept_variants * 100 / variants, cost.variants_error * 100 / variants, cost.exact, true));
        costs_->item(row, 3)->setText(cost_cell(cost.kept_percent, cost.percent_error, cost.exact, true));
    }
    for (int column = 1; column < 4; ++column) costs_->resizeColumnToContents(column);
    if (!table.refusal.empty()) cost_note_->setText(QString::fromStdString(table.refusal));
    else if (table.marked_variants <= 0) cost_note_->setText(QStringLiteral("Отметьте исходы во всех событиях"));
    else if (table.samples > 0)
        cost_note_->setText(QStringLiteral("Оценка по ") + QString::number(table.samples) +
                            QStringLiteral(" случайным вариантам, после ± стандартная ошибка"));
    else
        cost_note_->setText(QStringLiteral("Точный расчёт по ") + QString::number(table.marked_variants) +
                            QStringLiteral(" вариантам; вероятность отмеченных ") + percent_text(table.marked_percent) + "%");
}

}  // namespace morvalen::app
