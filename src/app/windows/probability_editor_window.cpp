// The probability editor: the chart_ of one event's three probability curves, the event chooser and the presets.
#include "app/windows/probability_editor_window.h"

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

LinkLabel* preset_link(const char* name, const QString& caption, int top, QWidget* parent) {
    auto* label = new LinkLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Tahoma"), 8);
    font.setBold(true);
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    label->move(16, top);
    label->adjustSize();
    return label;
}

constexpr int side_panel_width = 145;

}  // namespace

ProbabilityEditorWindow::ProbabilityEditorWindow(SessionModel& model, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(model) {
    setObjectName(QStringLiteral("probability_editor_window"));
    setWindowTitle(QStringLiteral("Редактирование вероятностей исходов (мышкой)"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    // Wide enough that the 17 value marks over the set curve stand apart.
    resize(1000, 420);
    changed_.setSingleShot(true);
    changed_.setInterval(120);
    connect(&changed_, &QTimer::timeout, this, [this] { model_.announce(SessionModel::probabilities); });

    side_panel_ = new QWidget(this);
    side_panel_->setObjectName(QStringLiteral("side_panel"));
    side_panel_->setFixedWidth(side_panel_width);
    event_chooser_ = new QGroupBox(QStringLiteral("События"), side_panel_);
    event_chooser_->setObjectName(QStringLiteral("event_chooser"));
    event_chooser_->setGeometry(0, 0, side_panel_width, 169);
    auto* items_layout = new QVBoxLayout(event_chooser_);
    items_layout->setContentsMargins(8, 4, 4, 4);
    items_layout->setSpacing(0);
    items_layout->addStretch();
    items_ = new QButtonGroup(this);
    items_->setExclusive(true);
    connect(items_, &QButtonGroup::idClicked, this, [this](int) { on_event_chosen(); });

    uniform_preset_ = preset_link("uniform_preset", QStringLiteral("Равномерно"), 184, side_panel_);
    quotes_preset_ = preset_link("quotes_preset", QStringLiteral("По котировкам БК"), 200, side_panel_);
    pool_preset_ = preset_link("pool_preset", QStringLiteral("По пулу"), 219, side_panel_);
    connect(quotes_preset_, &LinkLabel::clicked, this, [this] { apply_preset(core::ProbabilityPreset::quotes); });
    connect(uniform_preset_, &LinkLabel::clicked, this, [this] { apply_preset(core::ProbabilityPreset::uniform); });
    connect(pool_preset_, &LinkLabel::clicked, this, [this] { apply_preset(core::ProbabilityPreset::pool); });

    build_chart();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(side_panel_);
    layout->addWidget(chart_view_, 1);
    follow_model();
    hide();
}

void ProbabilityEditorWindow::follow_model() {
    connect(&model_, &SessionModel::line_read, this, &ProbabilityEditorWindow::on_line_read);
    connect(&model_, &SessionModel::line_changed, this, &ProbabilityEditorWindow::on_line_changed);
    connect(&model_, &SessionModel::probabilities_changed, this, [this] { show_current(); });
}

void ProbabilityEditorWindow::on_line_read(const QStringList& names, bool complete) {
    end_drag();
    clear_events();
    // The whole name: the home team alone does not say which match it is.
    for (const QString& name : names) add_event(name);
    if (!complete) return;
    select_event(0);
    show_current();
}

void ProbabilityEditorWindow::on_line_changed() {
    const int chosen = std::max(selected_event(), 0);
    clear_events();
    for (int e = 1; e <= core::event_count; ++e) add_event(QString::fromStdString(session().events.event(e).name));
    // The player stays on the event they were looking at.
    select_event(chosen);
    show_current();
}

void ProbabilityEditorWindow::build_chart() {
    chart_ = new QChart();
    chart_->setTitle(QString());
    chart_->setBackgroundBrush(Qt::white);
    chart_->setBackgroundRoundness(0);
    chart_->setDropShadowEnabled(false);
    chart_->setPlotAreaBackgroundVisible(false);
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->legend()->setBackgroundVisible(true);
    chart_->legend()->setBrush(QColor(212, 208, 200));
    chart_->legend()->setPen(Qt::NoPen);

    quote_curve_ = new QLineSeries();
    quote_curve_->setName(QStringLiteral("Котировки"));
    quote_curve_->setPen(QPen(QColor(0, 0, 255), 2, Qt::SolidLine));
    pool_curve_ = new QLineSeries();
    pool_curve_->setName(QStringLiteral("По пулу"));
    pool_curve_->setPen(QPen(QColor(0, 128, 0), 2, Qt::SolidLine));
    set_curve_ = new QLineSeries();
    set_curve_->setName(QStringLiteral("Установка"));
    set_curve_->setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
    set_curve_->setPointsVisible(true);
    set_curve_->setMarkerSize(marker_size);
    set_curve_->setLightMarker(square_marker());
    for (QLineSeries* series : {quote_curve_, pool_curve_, set_curve_}) chart_->addSeries(series);

    outcome_axis_ = new QBarCategoryAxis();
    for (std::string_view label : core::outcome_labels)
        outcome_axis_->append(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
    vertical_axis_ = new QValueAxis();
    vertical_axis_->setTitleText(QStringLiteral("Вероятность, в %"));
    vertical_axis_->setLabelFormat(QStringLiteral("%g"));
    vertical_axis_->setRange(0, 10);
    const QFont axis_font(QStringLiteral("Tahoma"), 7);
    outcome_axis_->setLabelsFont(axis_font);
    vertical_axis_->setLabelsFont(axis_font);
    chart_->addAxis(outcome_axis_, Qt::AlignBottom);
    chart_->addAxis(vertical_axis_, Qt::AlignLeft);
    for (QLineSeries* series : {quote_curve_, pool_curve_, set_curve_}) {
        series->attachAxis(outcome_axis_);
        series->attachAxis(vertical_axis_);
    }

    QFont mark_font(QStringLiteral("Tahoma"), 8);
    for (auto& mark : marks_) {
        mark = new QGraphicsSimpleTextItem(chart_);
        mark->setFont(mark_font);
        mark->setBrush(Qt::black);
        mark->setZValue(20);
        mark->hide();
    }

    chart_view_ = new ProbabilityChartView(chart_, this);
    chart_view_->setObjectName(QStringLiteral("chart_view"));
    chart_view_->setRenderHint(QPainter::Antialiasing, false);
    chart_view_->setFrameShape(QFrame::NoFrame);
    chart_view_->setBackgroundBrush(Qt::white);
    chart_view_->on_press = [this](QPoint at) {
        const int index = set_point_at(at);
        if (index >= 0) begin_drag(index, at.y());
    };
    chart_view_->on_move = [this](QPoint at) { drag_to(at.y()); };
    chart_view_->on_release = [this] { end_drag(); };
    connect(chart_, &QChart::plotAreaChanged, this, [this](const QRectF&) { place_value_marks(); });
}

void ProbabilityEditorWindow::clear_events() {
    for (QAbstractButton* button : items_->buttons()) {
        items_->removeButton(button);
        delete button;
    }
}

void ProbabilityEditorWindow::add_event(const QString& short_name) {
    auto* button = new QRadioButton(short_name, event_chooser_);
    const int id = static_cast<int>(items_->buttons().size());
    items_->addButton(button, id);
    auto* layout = static_cast<QVBoxLayout*>(event_chooser_->layout());
    layout->insertWidget(layout->count() - 1, button);
    // The panel grows to the longest whole event name.
    const int wanted = std::max(side_panel_width, button->sizeHint().width() + 16);
    if (wanted > side_panel_->width()) {
        side_panel_->setFixedWidth(wanted);
        event_chooser_->setGeometry(0, 0, wanted, event_chooser_->height());
    }
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
    on_event_chosen();
}

int ProbabilityEditorWindow::selected_event() const { return items_->checkedId(); }

void ProbabilityEditorWindow::show_event_curves(int event_index) {
    if (event_index < 0 || event_index >= core::event_count) return;
    QList<QPointF> quotes, pool, settings;
    for (int o = 1; o <= core::outcome_count; ++o) {
        const core::OutcomeCell& cell = session().events.cell(event_index + 1, o);
        const auto x = static_cast<qreal>(o - 1);
        quotes.append({x, percent(cell.quote_probability)});
        pool.append({x, percent(cell.pool_probability)});
        settings.append({x, percent(cell.setting_probability)});
        shown_settings_[static_cast<std::size_t>(o - 1)] = cell.setting_probability;
    }
    quote_curve_->replace(quotes);
    pool_curve_->replace(pool);
    set_curve_->replace(settings);
    shown_event_ = event_index;
    fit_vertical_axis();
    place_value_marks();
}

void ProbabilityEditorWindow::on_event_chosen() { show_event_curves(selected_event()); }

void ProbabilityEditorWindow::apply_preset(core::ProbabilityPreset preset) {
    const int e = selected_event();
    if (e < 0) return;
    // Announced with the burst's rest, as a drag is.
    core::apply_preset(model_.change(0)->events, e + 1, preset);
    on_event_chosen();
    changed_.start();
}

void ProbabilityEditorWindow::begin_drag(int point_index, int y) {
    drag_last_y_ = y;
    drag_point_ = point_index;
}

void ProbabilityEditorWindow::drag_to(int y) {
    const int e = selected_event();
    if (drag_point_ < 0 || e < 0) return;
    if (!core::drag_step(model_.change(0)->events, e + 1, drag_point_ + 1, drag_last_y_, y, pixels_per_percent())) return;
    drag_last_y_ = y;
    refresh_set_curve(e);
    changed_.start();
}

void ProbabilityEditorWindow::refresh_set_curve(int event_index) {
    QList<QPointF> settings;
    for (int o = 1; o <= core::outcome_count; ++o) {
        const core::Currency value = session().events.cell(event_index + 1, o).setting_probability;
        settings.append({static_cast<qreal>(o - 1), percent(value)});
        shown_settings_[static_cast<std::size_t>(o - 1)] = value;
    }
    set_curve_->replace(settings);
    fit_vertical_axis();
    place_value_marks();
}

void ProbabilityEditorWindow::fit_vertical_axis() {
    // From 0 (or the lowest value, should one be negative) to a tenth above the highest, so the
    // marks over the top points stay inside the chart_.
    double low = 0;
    double high = std::numeric_limits<double>::lowest();
    for (QLineSeries* series : {quote_curve_, pool_curve_, set_curve_})
        for (const QPointF& point : series->points()) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    if (high <= low) high = low + 1;
    vertical_axis_->setRange(low, high + (high - low) / 10);
    vertical_axis_->applyNiceNumbers();
}

int ProbabilityEditorWindow::pixels_per_percent() const {
    if (shown_event_ < 0) return 0;
    const QPointF zero = chart_->mapToPosition(QPointF(0, 0), set_curve_);
    const QPointF one = chart_->mapToPosition(QPointF(0, 1), set_curve_);
    return static_cast<int>(std::nearbyint(std::abs(zero.y() - one.y())));
}

QPoint ProbabilityEditorWindow::set_point_position(int index) const {
    if (index < 0 || index >= set_curve_->count()) return {};
    const QPointF at = chart_->mapToPosition(set_curve_->at(index), set_curve_);
    return chart_view_->mapFromScene(chart_->mapToScene(at));
}

int ProbabilityEditorWindow::set_point_at(QPoint position) const {
    const QPointF scene = chart_view_->mapToScene(position);
    const QPointF local = chart_->mapFromScene(scene);
    constexpr qreal reach = marker_size / 2 + 2;
    int best = -1;
    qreal best_distance = reach * reach;
    for (int i = 0; i < set_curve_->count(); ++i) {
        const QPointF delta = chart_->mapToPosition(set_curve_->at(i), set_curve_) - local;
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
    const bool shown = shown_event_ >= 0 && set_curve_->count() == core::outcome_count;
    for (int i = 0; i < core::outcome_count; ++i) {
        QGraphicsSimpleTextItem* mark = marks_[static_cast<std::size_t>(i)];
        if (!shown) {
            mark->hide();
            continue;
        }
        mark->setText(QString::fromStdString(core::format_value_mark(shown_settings_[static_cast<std::size_t>(i)])));
        const QPointF at = chart_->mapToPosition(set_curve_->at(i), set_curve_);
        const QRectF box = mark->boundingRect();
        mark->setPos(at.x() - box.width() / 2, at.y() - marker_size / 2 - mark_arrow - box.height());
        mark->show();
    }
}

void ProbabilityEditorWindow::showEvent(QShowEvent* event) {
    drag_point_ = -1;
    QWidget::showEvent(event);
}

void ProbabilityEditorWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Margins in shares of the chart_: 1 % at the left, 2 % elsewhere.
    const QSize size = chart_view_->size();
    chart_->setMargins(QMargins(size.width() / 100, size.height() / 50, size.width() / 50, size.height() / 50));
}

}  // namespace morvalen::app
