// The results window: choosers_, the two hit tables, the chances line and the tiers' prizes, painted
// like the distribution window.
#include "app/windows/results_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/model/bet.h"
#include "core/formats/memo_reading.h"

namespace morvalen::app {
namespace {

constexpr int hit_columns = core::event_count + 1;  // 8 down to 0
constexpr int value_column = hit_columns + 1;       // of the memo lines, before the line itself
constexpr int line_column = value_column + 1;

QString label_of(int column) {
    const std::string_view label = core::outcome_label(column);
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}

QString percent(double share, const char* format = "%.2f") {
    char text[32];
    std::snprintf(text, sizeof text, format, share * 100.0);
    return QString::fromLatin1(text);
}

// Hit count k stands in column 9 - k + first, so 8 hits come first as the player reads them.
int column_of_hits(int k, int first) { return first + core::event_count - k; }

}  // namespace

QString plain_decimal(double value) {
    if (!std::isfinite(value)) return QStringLiteral("—");
    if (value == 0) return QStringLiteral("0");
    // Four significant digits without an exponent: 0.0009168, 12.35, 100.
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::clamp(3 - magnitude, 0, 15);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    QString shown = QString::fromLatin1(text);
    if (shown.contains(QLatin1Char('.'))) {
        while (shown.endsWith(QLatin1Char('0'))) shown.chop(1);
        if (shown.endsWith(QLatin1Char('.'))) shown.chop(1);
    }
    return shown;
}

QString chance_percent(double probability) { return plain_decimal(probability * 100.0); }

QString value_text(const core::ValueRange& range) {
    const auto one = [](double value) { return std::isinf(value) ? QStringLiteral("∞") : plain_decimal(value); };
    if (one(range.lowest) == one(range.highest)) return one(range.lowest);
    return one(range.lowest) + QStringLiteral(" – ") + one(range.highest);
}

QString return_text(const core::ReturnReport& report) {
    if (!report.value) return QString::fromStdString(core::return_summary_line(report));
    const core::PackageReturn& value = *report.value;
    QString text = QString::fromStdString(core::return_summary_line(report)) +
                   QStringLiteral("; вероятность хоть какого-то выигрыша %1 %").arg(chance_percent(value.any_prize));
    if (!value.exact) text += QStringLiteral(" ± ") + chance_percent(value.any_prize_error);
    text += value.exact ? QStringLiteral(" (точный расчёт)")
                        : QStringLiteral(" (оценка по %1 случайным розыгрышам)").arg(value.samples);
    return text;
}

QString chances_text(const core::ChancesReport& report) {
    if (!report.chances) return QStringLiteral("Шансы пакета не рассчитаны: ") + QString::fromStdString(report.refusal);
    const core::PackageChances& chances = *report.chances;
    QString text = QStringLiteral("Ожидаемое число ставок с 8 совпадениями: ") + plain_decimal(chances.expected_full_hits);
    if (chances.exact)
        text += QStringLiteral(" (точный расчёт)");
    else
        text += QStringLiteral(" (оценка по %1 случайным розыгрышам)").arg(chances.samples);
    return text;
}

ResultsWindow::ResultsWindow(const SessionModel& model, QWidget* owner, std::function<QString(int)> memo_line)
    : QWidget(owner, Qt::Window), model_(model), memo_line_(std::move(memo_line)) {
    setObjectName(QStringLiteral("results_window"));
    setWindowTitle(QStringLiteral("Проверка пакета по результатам"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(1000, 560);
    QGridLayout* choice_row = build_choosers();
    build_hit_tables();
    build_chance_tables();
    build_notes();
    lay_out(choice_row);
    follow_model();
    hide();
}

QGridLayout* ResultsWindow::build_choosers() {
    auto* choice_row = new QGridLayout;
    choice_row->setHorizontalSpacing(6);
    auto* results_caption = new QLabel(QStringLiteral("Результаты"), this);
    choice_row->addWidget(results_caption, 1, 0);
    for (int e = 1; e <= core::event_count; ++e) {
        const auto i = static_cast<std::size_t>(e - 1);
        event_captions_[i] = new QLabel(QString::number(e), this);
        event_captions_[i]->setObjectName(QStringLiteral("event_caption_%1").arg(e));
        event_captions_[i]->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        auto* chooser = new QComboBox(this);
        chooser->setObjectName(QStringLiteral("result_chooser_%1").arg(e));
        for (int o = 1; o <= core::outcome_count; ++o) chooser->addItem(label_of(o));
        chooser->setPlaceholderText(QStringLiteral("—"));
        chooser->setCurrentIndex(-1);
        chooser->setMaxVisibleItems(core::outcome_count);
        chooser->setMinimumWidth(64);
        chooser->setToolTip(QStringLiteral("Результат события %1").arg(e));
        connect(chooser, &QComboBox::currentIndexChanged, this, [this] { show_hits(); });
        choosers_[i] = chooser;
        choice_row->addWidget(event_captions_[i], 0, e);
        choice_row->addWidget(chooser, 1, e);
    }
    choice_row->setColumnStretch(core::event_count + 1, 1);
    return choice_row;
}

StringGrid* ResultsWindow::make_grid(const char* name, int columns, int rows) {
    QFont bold(QStringLiteral("Tahoma"), 8);
    bold.setBold(true);
    auto* grid = new StringGrid(columns, rows);
    grid->setObjectName(QLatin1String(name));
    grid->setFont(bold);
    grid->set_fixed(1, 1);
    grid->default_drawing = false;
    grid->set_default_column_width(44);
    grid->set_default_row_height(20);
    grid->draw_cell = [this, grid](QPainter& painter, int column, int row, const QRect& rect) {
        draw_cell(*grid, painter, column, row, rect);
    };
    return grid;
}

void ResultsWindow::build_hit_tables() {
    // Columns: the row caption, 8 to 0 hits, all single bets.
    package_hits_ = make_grid("package_hits", hit_columns + 2, 3);
    package_hits_->set_cell(0, 0, QStringLiteral("Совпадений"));
    package_hits_->set_cell(0, 1, QStringLiteral("Ставок"));
    package_hits_->set_cell(0, 2, QStringLiteral("Доля, %"));
    for (int k = core::event_count; k >= 0; --k) package_hits_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    package_hits_->set_cell(hit_columns + 1, 0, QStringLiteral("Всего"));
    package_hits_->set_column_width(0, 80);

    // Columns: the line number, 8 to 0 hits, the value, the line itself.
    line_hits_ = make_grid("line_hits", line_column + 1, 1);
    line_hits_->set_cell(0, 0, QStringLiteral("Строка"));
    for (int k = core::event_count; k >= 0; --k) line_hits_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    line_hits_->set_cell(value_column, 0, QStringLiteral("Ценность"));
    line_hits_->set_cell(line_column, 0, QStringLiteral("Ставка"));
    line_hits_->set_column_width(0, 80);
    line_hits_->set_column_width(value_column, 90);
    line_hits_->set_column_width(line_column, 360);
    line_hits_->setToolTip(QStringLiteral("Ценность ставки — её вероятность по заданным вероятностям, делённая на "
                                          "популярность (произведение долей пула); у купона — от наименьшей до наибольшей "
                                          "ценности его одиночных ставок. Выше 1 — толпа ставку недооценивает."));
}

void ResultsWindow::build_chance_tables() {
    // Columns: the row caption, at least 8 down to at least 2 hits.
    chances_ = make_grid("chances", core::event_count, 2);
    chances_->set_cell(0, 0, QStringLiteral("Не менее"));
    chances_->set_cell(0, 1, QStringLiteral("Вероятность, %"));
    for (int k = core::event_count; k >= 2; --k) chances_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    chances_->set_default_column_width(60);
    chances_->set_column_width(0, 100);

    // Columns: the row caption, then the paying tiers from the highest, set once the rules are known.
    tier_returns_ = make_grid("tier_returns", 1, 3);
    tier_returns_->set_cell(0, 0, QStringLiteral("Совпадений"));
    tier_returns_->set_cell(0, 1, QStringLiteral("Вероятность выигрыша, %"));
    tier_returns_->set_cell(0, 2, QStringLiteral("Ожидаемая сумма"));
    tier_returns_->set_default_column_width(80);
    tier_returns_->set_column_width(0, 150);
}

void ResultsWindow::build_notes() {
    returns_caption_ = new QLabel(QStringLiteral("Выигрыш пакета по разрядам тотализатора: вероятность выиграть в разряде "
                                                 "и ожидаемая сумма выигрыша в нём"), this);
    returns_caption_->setObjectName(QStringLiteral("returns_caption"));
    return_note_ = new QLabel(this);
    return_note_->setObjectName(QStringLiteral("return_note"));
    return_note_->setWordWrap(true);
    return_note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    missing_results_hint_ = new QLabel(this);
    missing_results_hint_->setObjectName(QStringLiteral("missing_results_hint"));
    chances_note_ = new QLabel(this);
    chances_note_->setObjectName(QStringLiteral("chances_note"));
    chances_note_->setWordWrap(true);
    chances_note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    unread_note_ = new QLabel(this);
    unread_note_->setObjectName(QStringLiteral("unread_note"));
    unread_note_->setWordWrap(true);
    unread_note_->setStyleSheet(QStringLiteral("color: #a00000"));
    unread_note_->hide();
}

void ResultsWindow::lay_out(QGridLayout* choice_row) {
    lines_area_ = new QScrollArea(this);
    lines_area_->setFrameShape(QFrame::NoFrame);
    lines_area_->setWidget(line_hits_);
    lines_area_->setWidgetResizable(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(choice_row);
    layout->addWidget(missing_results_hint_);
    layout->addWidget(package_hits_, 0, Qt::AlignLeft);
    layout->addWidget(new QLabel(QStringLiteral("Совпадения по строкам пакета (число одиночных ставок)"), this));
    layout->addWidget(unread_note_);
    layout->addWidget(lines_area_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Шансы пакета при заданных вероятностях: хотя бы одна ставка угадает не "
                                                "менее k событий"), this));
    layout->addWidget(chances_, 0, Qt::AlignLeft);
    layout->addWidget(chances_note_);
    layout->addWidget(returns_caption_);
    layout->addWidget(tier_returns_, 0, Qt::AlignLeft);
    layout->addWidget(return_note_);
}

void ResultsWindow::follow_model() {
    connect(&model_, &SessionModel::line_read, this, [this](const QStringList&, bool complete) {
        chances_stale_ = returns_stale_ = true;
        if (complete) line_changed();
    });
    connect(&model_, &SessionModel::line_changed, this, [this] {
        chances_stale_ = returns_stale_ = true;
        line_changed();
    });
    for (auto signal : {&SessionModel::package_changed, &SessionModel::probabilities_changed})
        connect(&model_, signal, this, [this] { chances_stale_ = returns_stale_ = true; });
    for (auto signal : {&SessionModel::pool_rules_changed, &SessionModel::settings_changed})
        connect(&model_, signal, this, [this] { returns_stale_ = true; });
}

void ResultsWindow::line_changed() {
    if (isVisible()) show_current();
}

void ResultsWindow::show_event_captions() {
    // The whole name over its chooser, broken at " - " so that the column stays narrow.
    for (int e = 1; e <= core::event_count; ++e) {
        QString name = QString::fromStdString(session().events.event(e).name);
        name.replace(QStringLiteral(" - "), QStringLiteral(" -\n"));
        QString caption = QString::number(e);
        if (!name.isEmpty()) caption += QStringLiteral(". ") + name;
        event_captions_[static_cast<std::size_t>(e - 1)]->setText(caption);
        event_captions_[static_cast<std::size_t>(e - 1)]->setToolTip(QString::fromStdString(session().events.event(e).name));
    }
}

void ResultsWindow::show_current() {
    show_event_captions();
    show_hits();
    show_stale_figures();
}

void ResultsWindow::open() {
    show_current();
    show();
    raise();
    activateWindow();
}

void ResultsWindow::choose(int e, int column) { choosers_[static_cast<std::size_t>(e - 1)]->setCurrentIndex(column - 1); }

void ResultsWindow::show_hits() {
    core::DrawResults results;
    bool complete = true;
    for (int e = 1; e <= core::event_count; ++e) {
        const int index = choosers_[static_cast<std::size_t>(e - 1)]->currentIndex();
        complete = complete && index >= 0;
        results.columns[static_cast<std::size_t>(e - 1)] = index + 1;
    }
    const core::BetList& bets = session().bets;
    // Lines that do not read whole count nothing here, as in the distribution; they are named instead.
    const core::BetList whole = core::whole_bets_only(bets);
    const core::UnreadLines unread = core::unread_lines(bets);
    unread_rows_.assign(bets.size() + 1, false);
    line_hits_->set_row_count(static_cast<int>(bets.size()) + 1);
    missing_results_hint_->setText(complete ? QString() : QStringLiteral("Выберите результаты всех 8 событий"));
    missing_results_hint_->setVisible(!complete);
    std::optional<core::PackageHits> hits;
    if (complete) hits = core::package_hits(whole, results);
    // Values need both figures of every event; without a line there is nothing to compare.
    const bool values_known = !core::probability_refusal(session().events, {}) && !core::pool_share_refusal(session().events);
    const core::CrowdValues values = core::crowd_values(session().events);

    for (int k = core::event_count; k >= 0; --k) {
        const int column = column_of_hits(k, 1);
        const auto at = static_cast<std::size_t>(k);
        package_hits_->set_cell(column, 1, hits ? QString::number(hits->totals.by_hits[at]) : QString());
        package_hits_->set_cell(column, 2, hits ? percent(hits->share(k)) : QString());
    }
    package_hits_->set_cell(hit_columns + 1, 1, hits ? QString::number(hits->totals.total()) : QString());
    package_hits_->set_cell(hit_columns + 1, 2, hits && hits->totals.total() > 0 ? percent(1.0) : QString());

    for (std::size_t i = 0; i < bets.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        line_hits_->set_cell(0, row, QString::number(row));
        for (int k = core::event_count; k >= 0; --k)
            line_hits_->set_cell(column_of_hits(k, 1), row,
                                  hits ? QString::number(hits->per_entry[i].by_hits[static_cast<std::size_t>(k)]) : QString());
        const bool read_whole = core::reads_whole(bets[i]);
        unread_rows_[static_cast<std::size_t>(row)] = !read_whole && unread.lines > 0 && bets[i] != core::BetEntry{};
        QString line = QString::fromStdString(core::format_bet(bets[i]));
        if (!read_whole && memo_line_) line = memo_line_(static_cast<int>(i));
        line_hits_->set_cell(line_column, row, line);
        const std::optional<core::ValueRange> value =
            values_known && read_whole ? core::entry_value_range(bets[i], values) : std::nullopt;
        line_hits_->set_cell(value_column, row, value ? value_text(*value) : QString());
    }
    unread_note_->setText(unread.lines == 0 ? QString()
                                            : QStringLiteral("Не прочитаны целиком строк: %1 (в главном окне в них %2 "
                                                             "ставок); они подсвечены и не проверяются")
                                                  .arg(unread.lines)
                                                  .arg(unread.bets));
    unread_note_->setVisible(unread.lines > 0);
    package_hits_->update();
    line_hits_->update();
}

bool ResultsWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        show_hits();
        show_stale_figures();
    }
    return QWidget::event(event);
}

void ResultsWindow::show_stale_figures() {
    // The exact chances of a large package take a noticeable moment; unchanged inputs keep them.
    if (chances_stale_) show_chances();
    if (returns_stale_) show_returns();
    chances_stale_ = returns_stale_ = false;
}

void ResultsWindow::show_chances() {
    const core::ChancesReport report = core::package_chances(core::whole_bets_only(session().bets), session().events);
    const bool estimated = report.chances && !report.chances->exact;
    chances_->set_row_count(estimated ? 3 : 2);
    if (estimated) chances_->set_cell(0, 2, QStringLiteral("Погрешность, %"));
    for (int k = core::event_count; k >= 2; --k) {
        const int column = column_of_hits(k, 1);
        const auto at = static_cast<std::size_t>(k);
        chances_->set_cell(column, 1, report.chances ? chance_percent(report.chances->at_least[at]) : QString());
        if (estimated) chances_->set_cell(column, 2, chance_percent(report.chances->standard_error[at]));
    }
    chances_->update();
    chances_note_->setText(chances_text(report));
}

void ResultsWindow::show_returns() {
    const std::optional<core::PoolRules>& rules = session().pool_rules;
    tier_returns_->setVisible(rules.has_value());
    if (!rules) {
        tier_returns_->set_column_count(1);
        return_note_->setText(QStringLiteral("Ожидаемый возврат не рассчитан: задайте правила тотализатора "
                                             "(Пакет → Правила тотализатора)"));
        return;
    }
    // Every entry counts, as in the main window's line. Beyond a few thousand bets an estimate keeps
    // the window quick; it says so.
    core::ReturnOptions options;
    options.exact_pair_limit = 20'000'000;
    const core::ReturnReport report =
        core::expected_return(session().bets, session().events, *rules, session().settings.stake.currency(), options);
    std::vector<int> tiers;
    for (int k = core::event_count; k >= core::lowest_paying_tier; --k)
        if (rules->tier_listed[static_cast<std::size_t>(k)]) tiers.push_back(k);
    const bool estimated = report.value && !report.value->exact;
    tier_returns_->set_column_count(static_cast<int>(tiers.size()) + 1);
    tier_returns_->set_row_count(estimated ? 5 : 3);
    if (estimated) {
        tier_returns_->set_cell(0, 3, QStringLiteral("Погрешность вероятности, %"));
        tier_returns_->set_cell(0, 4, QStringLiteral("Погрешность суммы"));
    }
    for (std::size_t i = 0; i < tiers.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        const auto k = static_cast<std::size_t>(tiers[i]);
        tier_returns_->set_cell(column, 0, QString::number(tiers[i]));
        const core::PackageReturn* value = report.value ? &*report.value : nullptr;
        tier_returns_->set_cell(column, 1, value ? chance_percent(value->tier_chance[k]) : QString());
        tier_returns_->set_cell(column, 2,
                                value ? QString::fromStdString(core::Currency::from_floating(value->tier_amount[k]).to_string()) : QString());
        if (estimated) {
            tier_returns_->set_cell(column, 3, chance_percent(value->tier_chance_error[k]));
            tier_returns_->set_cell(column, 4, QString::fromStdString(core::Currency::from_floating(value->tier_amount_error[k]).to_string()));
        }
    }
    tier_returns_->update();
    return_note_->setText(tiers.empty() ? QStringLiteral("Ни один разряд не платит: в правилах тотализатора нет разрядов")
                                        : return_text(report));
}

void ResultsWindow::draw_cell(StringGrid& grid, QPainter& painter, int column, int row, const QRect& rect) {
    QFont font = grid.font();
    font.setPointSize(8);
    font.setBold(row == 0 || column == 0);
    painter.setFont(font);
    painter.setPen(Qt::black);

    const QString text = grid.cell(column, row);
    const int text_width = QFontMetrics(font).horizontalAdvance(text);
    if (text_width > grid.column_width(column) - 6) grid.set_column_width(column, text_width + 6);

    const QRect outline(rect.left() - 1, rect.top() - 1, rect.width() + 1, rect.height() + 1);
    const bool unread = &grid == line_hits_ && row > 0 && static_cast<std::size_t>(row) < unread_rows_.size() &&
                        unread_rows_[static_cast<std::size_t>(row)];
    painter.setBrush(row == 0 || column == 0 ? QColor(0xCC, 0xCC, 0xCC)
                                             : (unread ? QColor(255, 214, 214) : QColor(Qt::white)));
    painter.drawRect(outline);
    // Figures stand right-aligned so that columns of counts read at a glance; the bet line left.
    const bool left_aligned = column == 0 || (row > 0 && column == grid.column_count() - 1 && &grid == line_hits_);
    const Qt::Alignment alignment = row == 0 ? Qt::AlignCenter : (left_aligned ? Qt::AlignLeft : Qt::AlignRight);
    painter.drawText(rect.adjusted(3, 0, -3, 0), static_cast<int>(alignment | Qt::AlignVCenter), text);
}

}  // namespace morvalen::app
