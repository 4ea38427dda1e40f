// The results window: choosers_, the two hit tables and the chances line, painted like the distribution window.
#include "app/results_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/bet.h"
#include "core/memo_reading.h"

namespace morvalen::app {
namespace {

constexpr int hit_columns = core::event_count + 1;  // 8 down to 0

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

ResultsWindow::ResultsWindow(const core::Session& session, QWidget* owner, std::function<QString(int)> memo_line)
    : QWidget(owner, Qt::Window), session_(session), memo_line_(std::move(memo_line)) {
    setObjectName(QStringLiteral("results_window"));
    setWindowTitle(QStringLiteral("Проверка пакета по результатам"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(1000, 560);

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

    QFont bold(QStringLiteral("Tahoma"), 8);
    bold.setBold(true);
    const auto make_grid = [&](const char* name, int columns, int rows) {
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
    };

    // Columns: the row caption, 8 to 0 hits, all single bets.
    package_hits_ = make_grid("package_hits", hit_columns + 2, 3);
    package_hits_->set_cell(0, 0, QStringLiteral("Совпадений"));
    package_hits_->set_cell(0, 1, QStringLiteral("Ставок"));
    package_hits_->set_cell(0, 2, QStringLiteral("Доля, %"));
    for (int k = core::event_count; k >= 0; --k) package_hits_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    package_hits_->set_cell(hit_columns + 1, 0, QStringLiteral("Всего"));
    package_hits_->set_column_width(0, 80);

    // Columns: the line number, 8 to 0 hits, the line itself.
    line_hits_ = make_grid("line_hits", hit_columns + 2, 1);
    line_hits_->set_cell(0, 0, QStringLiteral("Строка"));
    for (int k = core::event_count; k >= 0; --k) line_hits_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    line_hits_->set_cell(hit_columns + 1, 0, QStringLiteral("Ставка"));
    line_hits_->set_column_width(0, 80);
    line_hits_->set_column_width(hit_columns + 1, 360);

    // Columns: the row caption, at least 8 down to at least 2 hits.
    chances_ = make_grid("chances", core::event_count, 2);
    chances_->set_cell(0, 0, QStringLiteral("Не менее"));
    chances_->set_cell(0, 1, QStringLiteral("Вероятность, %"));
    for (int k = core::event_count; k >= 2; --k) chances_->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    chances_->set_default_column_width(60);
    chances_->set_column_width(0, 100);

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
    hide();
}

void ResultsWindow::show_event_captions() {
    // The whole name over its chooser, broken at " - " so that the column stays narrow.
    for (int e = 1; e <= core::event_count; ++e) {
        QString name = QString::fromStdString(session_.events.event(e).name);
        name.replace(QStringLiteral(" - "), QStringLiteral(" -\n"));
        QString caption = QString::number(e);
        if (!name.isEmpty()) caption += QStringLiteral(". ") + name;
        event_captions_[static_cast<std::size_t>(e - 1)]->setText(caption);
        event_captions_[static_cast<std::size_t>(e - 1)]->setToolTip(QString::fromStdString(session_.events.event(e).name));
    }
}

void ResultsWindow::show_current() {
    show_event_captions();
    show_hits();
    show_chances_if_changed();
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
    const core::BetList& bets = session_.bets;
    // Lines that do not read whole count nothing here, as in the distribution; they are named instead.
    const core::BetList whole = core::whole_bets_only(bets);
    const core::UnreadLines unread = core::unread_lines(bets);
    unread_rows_.assign(bets.size() + 1, false);
    line_hits_->set_row_count(static_cast<int>(bets.size()) + 1);
    missing_results_hint_->setText(complete ? QString() : QStringLiteral("Выберите результаты всех 8 событий"));
    missing_results_hint_->setVisible(!complete);
    std::optional<core::PackageHits> hits;
    if (complete) hits = core::package_hits(whole, results);

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
        line_hits_->set_cell(hit_columns + 1, row, line);
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
        show_chances_if_changed();
    }
    return QWidget::event(event);
}

void ResultsWindow::show_chances_if_changed() {
    std::vector<core::Currency> probabilities;
    probabilities.reserve(core::event_count * core::outcome_count);
    for (int e = 1; e <= core::event_count; ++e)
        for (int o = 1; o <= core::outcome_count; ++o) probabilities.push_back(session_.events.cell(e, o).setting_probability);
    // The exact chances of a large package take a noticeable moment; unchanged inputs keep them.
    if (chances_shown_ && probabilities == chances_probabilities_ && session_.bets == chances_bets_) return;
    chances_bets_ = session_.bets;
    chances_probabilities_ = std::move(probabilities);
    chances_shown_ = true;
    show_chances();
}

void ResultsWindow::show_chances() {
    const core::ChancesReport report = core::package_chances(core::whole_bets_only(session_.bets), session_.events);
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
