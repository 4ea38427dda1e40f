// Form4: choosers, the two hit tables and the chances line, painted like the distribution window.
#include "app/results_window.h"

#include <cstdio>

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/bet.h"

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

QString chance_percent(double probability) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", probability * 100.0);
    return QString::fromLatin1(text);
}

QString chances_text(const core::ChancesReport& report) {
    if (!report.chances) return QStringLiteral("Шансы пакета не рассчитаны: ") + QString::fromStdString(report.refusal);
    const core::PackageChances& chances = *report.chances;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.4g", chances.expected_full_hits);
    QString text = QStringLiteral("Ожидаемое число ставок с 8 совпадениями: ") + QString::fromLatin1(expected);
    if (chances.exact)
        text += QStringLiteral(" (точный расчёт)");
    else
        text += QStringLiteral(" (оценка по %1 случайным розыгрышам)").arg(chances.samples);
    return text;
}

ResultsWindow::ResultsWindow(const core::Session& session, QWidget* owner)
    : QWidget(owner, Qt::Window), session_(session) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Проверка пакета по результатам"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(1000, 560);

    auto* choice_row = new QGridLayout;
    choice_row->setHorizontalSpacing(6);
    auto* results_caption = new QLabel(QStringLiteral("Результаты"), this);
    choice_row->addWidget(results_caption, 1, 0);
    for (int e = 1; e <= core::event_count; ++e) {
        const auto i = static_cast<std::size_t>(e - 1);
        event_labels[i] = new QLabel(QString::number(e), this);
        event_labels[i]->setObjectName(QStringLiteral("EventLabel%1").arg(e));
        event_labels[i]->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        auto* chooser = new QComboBox(this);
        chooser->setObjectName(QStringLiteral("ComboBox%1").arg(e));
        for (int o = 1; o <= core::outcome_count; ++o) chooser->addItem(label_of(o));
        chooser->setPlaceholderText(QStringLiteral("—"));
        chooser->setCurrentIndex(-1);
        chooser->setMaxVisibleItems(core::outcome_count);
        chooser->setMinimumWidth(64);
        chooser->setToolTip(QStringLiteral("Результат события %1").arg(e));
        connect(chooser, &QComboBox::currentIndexChanged, this, [this] { show_hits(); });
        choosers[i] = chooser;
        choice_row->addWidget(event_labels[i], 0, e);
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
    StringGrid1 = make_grid("StringGrid1", hit_columns + 2, 3);
    StringGrid1->set_cell(0, 0, QStringLiteral("Совпадений"));
    StringGrid1->set_cell(0, 1, QStringLiteral("Ставок"));
    StringGrid1->set_cell(0, 2, QStringLiteral("Доля, %"));
    for (int k = core::event_count; k >= 0; --k) StringGrid1->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    StringGrid1->set_cell(hit_columns + 1, 0, QStringLiteral("Всего"));
    StringGrid1->set_column_width(0, 80);

    // Columns: the line number, 8 to 0 hits, the line itself.
    StringGrid2 = make_grid("StringGrid2", hit_columns + 2, 1);
    StringGrid2->set_cell(0, 0, QStringLiteral("Строка"));
    for (int k = core::event_count; k >= 0; --k) StringGrid2->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    StringGrid2->set_cell(hit_columns + 1, 0, QStringLiteral("Ставка"));
    StringGrid2->set_column_width(0, 80);
    StringGrid2->set_column_width(hit_columns + 1, 360);

    // Columns: the row caption, at least 8 down to at least 2 hits.
    StringGrid3 = make_grid("StringGrid3", core::event_count, 2);
    StringGrid3->set_cell(0, 0, QStringLiteral("Не менее"));
    StringGrid3->set_cell(0, 1, QStringLiteral("Вероятность, %"));
    for (int k = core::event_count; k >= 2; --k) StringGrid3->set_cell(column_of_hits(k, 1), 0, QString::number(k));
    StringGrid3->set_default_column_width(60);
    StringGrid3->set_column_width(0, 100);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lines_area_ = new QScrollArea(this);
    lines_area_->setFrameShape(QFrame::NoFrame);
    lines_area_->setWidget(StringGrid2);
    lines_area_->setWidgetResizable(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(choice_row);
    layout->addWidget(Label1);
    layout->addWidget(StringGrid1, 0, Qt::AlignLeft);
    layout->addWidget(new QLabel(QStringLiteral("Совпадения по строкам пакета (число одиночных ставок)"), this));
    layout->addWidget(lines_area_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Шансы пакета при заданных вероятностях: хотя бы одна ставка угадает не "
                                                "менее k событий"), this));
    layout->addWidget(StringGrid3, 0, Qt::AlignLeft);
    layout->addWidget(Label2);
    hide();
}

void ResultsWindow::open() {
    for (int e = 1; e <= core::event_count; ++e) {
        const std::string short_name = core::short_event_name(session_.events.event(e).name);
        QString caption = QString::number(e);
        if (!short_name.empty()) caption += QStringLiteral(". ") + QString::fromStdString(short_name);
        event_labels[static_cast<std::size_t>(e - 1)]->setText(caption);
    }
    show_hits();
    show_chances_if_changed();
    show();
    raise();
    activateWindow();
}

void ResultsWindow::choose(int e, int column) { choosers[static_cast<std::size_t>(e - 1)]->setCurrentIndex(column - 1); }

void ResultsWindow::show_hits() {
    core::DrawResults results;
    bool complete = true;
    for (int e = 1; e <= core::event_count; ++e) {
        const int index = choosers[static_cast<std::size_t>(e - 1)]->currentIndex();
        complete = complete && index >= 0;
        results.columns[static_cast<std::size_t>(e - 1)] = index + 1;
    }
    const core::BetList& bets = session_.bets;
    StringGrid2->set_row_count(static_cast<int>(bets.size()) + 1);
    Label1->setText(complete ? QString() : QStringLiteral("Выберите результаты всех 8 событий"));
    Label1->setVisible(!complete);
    std::optional<core::PackageHits> hits;
    if (complete) hits = core::package_hits(bets, results);

    for (int k = core::event_count; k >= 0; --k) {
        const int column = column_of_hits(k, 1);
        const auto at = static_cast<std::size_t>(k);
        StringGrid1->set_cell(column, 1, hits ? QString::number(hits->totals.by_hits[at]) : QString());
        StringGrid1->set_cell(column, 2, hits ? percent(hits->share(k)) : QString());
    }
    StringGrid1->set_cell(hit_columns + 1, 1, hits ? QString::number(hits->totals.total()) : QString());
    StringGrid1->set_cell(hit_columns + 1, 2, hits && hits->totals.total() > 0 ? percent(1.0) : QString());

    for (std::size_t i = 0; i < bets.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        StringGrid2->set_cell(0, row, QString::number(row));
        for (int k = core::event_count; k >= 0; --k)
            StringGrid2->set_cell(column_of_hits(k, 1), row,
                                  hits ? QString::number(hits->per_entry[i].by_hits[static_cast<std::size_t>(k)]) : QString());
        StringGrid2->set_cell(hit_columns + 1, row, QString::fromStdString(core::format_bet(bets[i])));
    }
    StringGrid1->update();
    StringGrid2->update();
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
    const core::ChancesReport report = core::package_chances(session_.bets, session_.events);
    const bool estimated = report.chances && !report.chances->exact;
    StringGrid3->set_row_count(estimated ? 3 : 2);
    if (estimated) StringGrid3->set_cell(0, 2, QStringLiteral("Погрешность, %"));
    for (int k = core::event_count; k >= 2; --k) {
        const int column = column_of_hits(k, 1);
        const auto at = static_cast<std::size_t>(k);
        StringGrid3->set_cell(column, 1, report.chances ? chance_percent(report.chances->at_least[at]) : QString());
        if (estimated) StringGrid3->set_cell(column, 2, chance_percent(report.chances->standard_error[at]));
    }
    StringGrid3->update();
    Label2->setText(chances_text(report));
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
    painter.setBrush(row == 0 || column == 0 ? QColor(0xCC, 0xCC, 0xCC) : QColor(Qt::white));
    painter.drawRect(outline);
    // Figures stand right-aligned so that columns of counts read at a glance; the bet line left.
    const bool left_aligned = column == 0 || (row > 0 && column == grid.column_count() - 1 && &grid == StringGrid2);
    const Qt::Alignment alignment = row == 0 ? Qt::AlignCenter : (left_aligned ? Qt::AlignLeft : Qt::AlignRight);
    painter.drawText(rect.adjusted(3, 0, -3, 0), static_cast<int>(alignment | Qt::AlignVCenter), text);
}

}  // namespace morvalen::app
