// Form1: the chart of one event's three probability curves, the event chooser and the presets.
#include "app/probability_editor_window.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace morvalen::app {
namespace {

constexpr qreal marker_size = 7;
constexpr qreal mark_arrow = 7;  // gap between a point and its value mark

double percent(core::Currency value) { return static_cast<double>(value.ten_thousandths()) / core::Currency::scale; }

// The set curve's points are drawn as small yellow squares with a dark rim.
QImage square_marker() {
    QImage image(static_cast<int>(marker_size), static_cast<int>(marker_size), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(255, 255, 0));
    painter.drawRect(QRectF(0.5, 0.5, marker_size - 1, marker_size - 1));
    return image;
}

LinkLabel* preset_link(const QString& caption, int top, QWidget* parent) {
    auto* label = new LinkLabel(caption, parent);
    QFont font(QStringLiteral("Tahoma"), 8);
    font.setBold(true);
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    label->move(16, top);
    label->adjustSize();
    return label;
}

}  // namespace

ProbabilityEditorWindow::ProbabilityEditorWindow(core::EventTable& events, QWidget* owner)
    : QWidget(owner, Qt::Window), events_(events) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Редактирование вероятностей исходов (мышкой)"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(654, 317);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(145);
    RadioGroup1 = new QGroupBox(QStringLiteral("События"), Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(0, 0, 145, 169);
    auto* items_layout = new QVBoxLayout(RadioGroup1);
    items_layout->setContentsMargins(8, 4, 4, 4);
    items_layout->setSpacing(0);
    items_layout->addStretch();
    items_ = new QButtonGroup(this);
    items_->setExclusive(true);
    connect(items_, &QButtonGroup::idClicked, this, [this](int) { RadioGroup1Click(); });

    Label2 = preset_link(QStringLiteral("Равномерно"), 184, Panel1);
    Label1 = preset_link(QStringLiteral("По котировкам БК"), 200, Panel1);
    Label3 = preset_link(QStringLiteral("По пулу"), 219, Panel1);
    connect(Label1, &LinkLabel::clicked, this, [this] { Label1Click(); });
    connect(Label2, &LinkLabel::clicked, this, [this] { Label2Click(); });
    connect(Label3, &LinkLabel::clicked, this, [this] { Label3Click(); });

    build_chart();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Chart1, 1);
    hide();
}

void ProbabilityEditorWindow::build_chart() {
    chart = new QChart();
    chart->setTitle(QString());
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setBackgroundVisible(true);
    chart->legend()->setBrush(QColor(212, 208, 200));
    chart->legend()->setPen(Qt::NoPen);

    Series1 = new QLineSeries();
    Series1->setName(QStringLiteral("Котировки"));
    Series1->setPen(QPen(QColor(0, 0, 255), 2, Qt::SolidLine));
    Series2 = new QLineSeries();
    Series2->setName(QStringLiteral("По пулу"));
    Series2->setPen(QPen(QColor(0, 128, 0), 2, Qt::SolidLine));
    Series3 = new QLineSeries();
    Series3->setName(QStringLiteral("Установка"));
    Series3->setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
    Series3->setPointsVisible(true);
    Series3->setMarkerSize(marker_size);
    Series3->setLightMarker(square_marker());
    for (QLineSeries* series : {Series1, Series2, Series3}) chart->addSeries(series);

    bottom_axis = new QBarCategoryAxis();
    for (std::string_view label : core::outcome_labels)
        bottom_axis->append(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
    left_axis = new QValueAxis();
    left_axis->setTitleText(QStringLiteral("Вероятность, в %"));
    left_axis->setLabelFormat(QStringLiteral("%g"));
    left_axis->setRange(0, 10);
    const QFont axis_font(QStringLiteral("Tahoma"), 7);
    bottom_axis->setLabelsFont(axis_font);
    left_axis->setLabelsFont(axis_font);
    chart->addAxis(bottom_axis, Qt::AlignBottom);
    chart->addAxis(left_axis, Qt::AlignLeft);
    for (QLineSeries* series : {Series1, Series2, Series3}) {
        series->attachAxis(bottom_axis);
        series->attachAxis(left_axis);
    }

    QFont mark_font(QStringLiteral("Tahoma"), 8);
    for (auto& mark : marks_) {
        mark = new QGraphicsSimpleTextItem(chart);
        mark->setFont(mark_font);
        mark->setBrush(Qt::black);
        mark->setZValue(20);
        mark->hide();
    }

    Chart1 = new ProbabilityChartView(chart, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing, false);
    Chart1->setFrameShape(QFrame::NoFrame);
    Chart1->setBackgroundBrush(Qt::white);
    Chart1->on_press = [this](QPoint at) {
        const int index = set_point_at(at);
        if (index >= 0) Series3Click(index, at.y());
    };
    Chart1->on_move = [this](QPoint at) { Chart1MouseMove(at.y()); };
    Chart1->on_release = [this] { Chart1MouseUp(); };
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF&) { place_value_marks(); });
}

void ProbabilityEditorWindow::clear_events() {
    for (QAbstractButton* button : items_->buttons()) {
        items_->removeButton(button);
        delete button;
    }
}

void ProbabilityEditorWindow::add_event(const QString& short_name) {
    auto* button = new QRadioButton(short_name, RadioGroup1);
    const int id = static_cast<int>(items_->buttons().size());
    items_->addButton(button, id);
    auto* layout = static_cast<QVBoxLayout*>(RadioGroup1->layout());
    layout->insertWidget(layout->count() - 1, button);
}

int ProbabilityEditorWindow::event_items() const { return static_cast<int>(items_->buttons().size()); }

void ProbabilityEditorWindow::select_event(int index) {
    if (QAbstractButton* button = items_->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = items_->checkedButton()) {
        items_->setExclusive(false);
        checked->setChecked(false);
        items_->setExclusive(true);
    }
    RadioGroup1Click();
}

int ProbabilityEditorWindow::selected_event() const { return items_->checkedId(); }

void ProbabilityEditorWindow::rld(int event_index) {
    if (event_index < 0 || event_index >= core::event_count) return;
    QList<QPointF> quotes, pool, settings;
    for (int o = 1; o <= core::outcome_count; ++o) {
        const core::OutcomeCell& cell = events_.cell(event_index + 1, o);
        const auto x = static_cast<qreal>(o - 1);
        quotes.append({x, percent(cell.quote_probability)});
        pool.append({x, percent(cell.pool_probability)});
        settings.append({x, percent(cell.setting_probability)});
        shown_settings_[static_cast<std::size_t>(o - 1)] = cell.setting_probability;
    }
    Series1->replace(quotes);
    Series2->replace(pool);
    Series3->replace(settings);
    shown_event_ = event_index;
    fit_vertical_axis();
    place_value_marks();
}

void ProbabilityEditorWindow::RadioGroup1Click() { rld(selected_event()); }

void ProbabilityEditorWindow::apply_preset(core::ProbabilityPreset preset) {
    const int e = selected_event();
    if (e < 0) return;
    core::apply_preset(events_, e + 1, preset);
    RadioGroup1Click();
}

void ProbabilityEditorWindow::Label1Click() { apply_preset(core::ProbabilityPreset::quotes); }
void ProbabilityEditorWindow::Label2Click() { apply_preset(core::ProbabilityPreset::uniform); }
void ProbabilityEditorWindow::Label3Click() { apply_preset(core::ProbabilityPreset::pool); }

void ProbabilityEditorWindow::Series3Click(int point_index, int y) {
    drag_last_y = y;
    drag_index = point_index;
}

void ProbabilityEditorWindow::Chart1MouseMove(int y) {
    const int e = selected_event();
    if (drag_index < 0 || e < 0) return;
    if (!core::drag_step(events_, e + 1, drag_index + 1, drag_last_y, y, pixels_per_percent())) return;
    drag_last_y = y;
    refresh_set_curve(e);
}

void ProbabilityEditorWindow::Chart1MouseUp() { drag_index = -1; }

void ProbabilityEditorWindow::refresh_set_curve(int event_index) {
    QList<QPointF> settings;
    for (int o = 1; o <= core::outcome_count; ++o) {
        const core::Currency value = events_.cell(event_index + 1, o).setting_probability;
        settings.append({static_cast<qreal>(o - 1), percent(value)});
        shown_settings_[static_cast<std::size_t>(o - 1)] = value;
    }
    Series3->replace(settings);
    fit_vertical_axis();
    place_value_marks();
}

void ProbabilityEditorWindow::fit_vertical_axis() {
    // From 0 (or the lowest value, should one be negative) to a tenth above the highest, so the
    // marks over the top points stay inside the chart.
    double low = 0;
    double high = std::numeric_limits<double>::lowest();
    for (QLineSeries* series : {Series1, Series2, Series3})
        for (const QPointF& point : series->points()) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    if (high <= low) high = low + 1;
    left_axis->setRange(low, high + (high - low) / 10);
    left_axis->applyNiceNumbers();
}

int ProbabilityEditorWindow::pixels_per_percent() const {
    if (shown_event_ < 0) return 0;
    const QPointF zero = chart->mapToPosition(QPointF(0, 0), Series3);
    const QPointF one = chart->mapToPosition(QPointF(0, 1), Series3);
    return static_cast<int>(std::nearbyint(std::abs(zero.y() - one.y())));
}

QPoint ProbabilityEditorWindow::set_point_position(int index) const {
    if (index < 0 || index >= Series3->count()) return {};
    const QPointF at = chart->mapToPosition(Series3->at(index), Series3);
    return Chart1->mapFromScene(chart->mapToScene(at));
}

int ProbabilityEditorWindow::set_point_at(QPoint position) const {
    const QPointF scene = Chart1->mapToScene(position);
    const QPointF local = chart->mapFromScene(scene);
    constexpr qreal reach = marker_size / 2 + 2;
    int best = -1;
    qreal best_distance = reach * reach;
    for (int i = 0; i < Series3->count(); ++i) {
        const QPointF delta = chart->mapToPosition(Series3->at(i), Series3) - local;
        const qreal distance = QPointF::dotProduct(delta, delta);
        if (distance <= best_distance) {
            best = i;
            best_distance = distance;
        }
    }
    return best;
}

QStringList ProbabilityEditorWindow::value_marks() const {
    QStringList texts;
    for (const auto* mark : marks_)
        if (mark->isVisible()) texts.append(mark->text());
    return texts;
}

void ProbabilityEditorWindow::place_value_marks() {
    const bool shown = shown_event_ >= 0 && Series3->count() == core::outcome_count;
    for (int i = 0; i < core::outcome_count; ++i) {
        QGraphicsSimpleTextItem* mark = marks_[static_cast<std::size_t>(i)];
        if (!shown) {
            mark->hide();
            continue;
        }
        mark->setText(QString::fromStdString(core::format_value_mark(shown_settings_[static_cast<std::size_t>(i)])));
        const QPointF at = chart->mapToPosition(Series3->at(i), Series3);
        const QRectF box = mark->boundingRect();
        mark->setPos(at.x() - box.width() / 2, at.y() - marker_size / 2 - mark_arrow - box.height() + 3);
        mark->show();
    }
}

void ProbabilityEditorWindow::showEvent(QShowEvent* event) {
    drag_index = -1;
    QWidget::showEvent(event);
}

void ProbabilityEditorWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Margins in shares of the chart: 1 % at the left, 2 % elsewhere.
    const QSize size = Chart1->size();
    chart->setMargins(QMargins(size.width() / 100, size.height() / 50, size.width() / 50, size.height() / 50));
}

}  // namespace morvalen::app
