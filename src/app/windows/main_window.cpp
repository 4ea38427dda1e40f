// The main window's construction, its handlers and the summary; the core decides, the window draws.
#include "app/windows/main_window.h"

#include <chrono>
#include <stdexcept>

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>

#include "app/windows/aux_windows.h"
#include "app/windows/conditions_window.h"
#include "app/windows/file_commands.h"
#include "app/session/package_history.h"
#include "app/windows/pool_rules_dialog.h"
#include "app/windows/texts.h"
#include "app/session/update_checker.h"
#include "app/session/working_state_keeper.h"

namespace morvalen::app {
namespace {

constexpr int client_width = 1010;
constexpr int client_height = 631;
constexpr int grid_panel_height = 307;
constexpr int grid_height = 253;
constexpr int formation_panel_width = 315;

QLabel* make_summary_label(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(label_text(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

// The panel keeps its children where they were placed, stretches the grid's area to its width and
// keeps the legend at its right edge.
class GridPanel : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* grid_area = nullptr;
    QWidget* legend = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        if (grid_area) grid_area->setGeometry(0, 0, width(), grid_height);
        if (legend) legend->move(std::max(8, width() - legend->width() - 8), 258);
        QWidget::resizeEvent(event);
    }
};

bool same_settings(const core::FormationSettings& a, const core::FormationSettings& b) {
    return a.method == b.method && a.guarantee == b.guarantee && a.repeat_count == b.repeat_count &&
           a.yellow_min == b.yellow_min && a.yellow_max == b.yellow_max && a.start_with == b.start_with &&
           a.stake.value == b.stake.value;
}

std::uint64_t clock_seed() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace

MainWindow::MainWindow(WindowOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
    if (!options_.fetcher) options_.fetcher = std::make_shared<NetworkPageFetcher>(this);
    setObjectName(QStringLiteral("main_window"));
    setWindowTitle(start_caption);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    menu_ = build_main_menu(*this);
    build_panels();
    connect_commands();
    set_up_keeping();
    set_up_runner();
    install_file_commands(menu_, {this, &model_, bet_memo_, outcome_grid_, options_.platform, options_.update_url, history_});
    follow_model();
    resize(client_width, client_height + menuBar()->sizeHint().height());
    // Key preview: the window's key handlers see every key pressed in any of its controls.
    qApp->installEventFilter(this);
    initialise();
    // Each auxiliary window follows the model from here on.
    probability_editor_ = create_probability_editor(model_, this);
    nearest_systems_ = create_nearest_systems_window(model_, this);
    distribution_ = create_distribution_window(model_, this);
    conditions_ = new ConditionsWindow(model_, options_.platform, this);
    menu_.conditions_enabled->setChecked(session_.conditions.enabled);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    // A run still under way is stopped and its worker joined while everything it was started from exists.
    delete runner_;
}

void MainWindow::build_panels() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);

    auto* top = new GridPanel(splitter);
    grid_panel_ = top;
    grid_panel_->setObjectName(QStringLiteral("grid_panel"));
    grid_panel_->setAutoFillBackground(true);
    QPalette yellow = grid_panel_->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    grid_panel_->setPalette(yellow);
    grid_panel_->setMinimumHeight(grid_height);
    auto* grid_area = new QScrollArea(grid_panel_);
    grid_area->setFrameShape(QFrame::NoFrame);
    grid_area->setBackgroundRole(QPalette::Base);
    outcome_grid_ = new OutcomeGrid(session_.events, grid_area);
    outcome_grid_->setObjectName(QStringLiteral("outcome_grid"));
    grid_area->setWidget(outcome_grid_);
    grid_area->setWidgetResizable(false);
    top->grid_area = grid_area;
    variants_summary_ = make_summary_label(grid_panel_, "variants_summary", QString(), 8, 260);
    package_summary_ = make_summary_label(grid_panel_, "package_summary", QString(), 8, 274);
    coverage_summary_ = make_summary_label(grid_panel_, "coverage_summary", QStringLiteral("Покрытие по исходам"), 456, 260);
    result_summary_ = make_summary_label(grid_panel_, "result_summary", QString(), 456, 274);
    grid_legend_ = make_summary_label(grid_panel_, "grid_legend",
                                      QStringLiteral("в клетке: котировки / пул, %\nсенсация: щелчок с клавишей"), 0, 258);
    grid_legend_->setAlignment(Qt::AlignRight);
    grid_legend_->setToolTip(QStringLiteral("Число слева — вероятность исхода по котировкам, справа — доля ставок пула, "
                                            "в процентах.\nЖёлтая отметка сенсации: щелчок по исходу с любой нажатой "
                                            "клавишей (Shift, Ctrl, Alt…)."));
    grid_legend_->adjustSize();
    top->legend = grid_legend_;
    return_summary_ = make_summary_label(grid_panel_, "return_summary", QString(), 8, 288);

    auto* bottom = new QWidget(splitter);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    formation_panel_ = new FormationPanel(bottom);
    formation_panel_->setFixedWidth(formation_panel_width);
    row->addWidget(formation_panel_);
    bet_memo_ = new BetMemo(bottom);
    bet_memo_->setObjectName(QStringLiteral("bet_memo"));
    bet_memo_->setFont(QFont(QStringLiteral("Tahoma"), 8));
    bet_memo_->set_menu_keys({Qt::Key_E, Qt::Key_S, Qt::Key_T, Qt::Key_K, Qt::Key_L, Qt::Key_C, Qt::Key_D, Qt::Key_O,
                              Qt::Key_W, Qt::Key_Y, Qt::Key_X, Qt::Key_F, Qt::Key_U});
    row->addWidget(bet_memo_, 1);
    model_.change(0)->memo = bet_memo_;

    splitter->addWidget(grid_panel_);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({grid_panel_height, client_height - grid_panel_height});
}

void MainWindow::connect_commands() {
    connect(outcome_grid_, &OutcomeGrid::select_cell, this, &MainWindow::on_cell_selected);
    connect(bet_memo_, &BetMemo::edited, this, &MainWindow::on_memo_edited);
    connect(formation_panel_, &FormationPanel::add_to_list_requested, this, &MainWindow::add_to_list);
    connect(formation_panel_, &FormationPanel::edit_probabilities_requested, this,
            [this] { probability_editor_->show(); });
    connect(formation_panel_, &FormationPanel::method_changed, this, &MainWindow::on_method_changed);
    connect(formation_panel_, &FormationPanel::guarantee_changed, this, &MainWindow::on_guarantee_changed);
    connect(formation_panel_, &FormationPanel::start_with_toggled, this, &MainWindow::show_start_with);

    const auto connect_action = [this](QAction* action, void (MainWindow::*command)()) {
        connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    connect_action(menu_.copy_for_transfer, &MainWindow::copy_for_transfer);
    connect_action(menu_.add_coupon, &MainWindow::add_coupon);
    connect_action(menu_.split_into_singles, &MainWindow::split_into_singles);
    connect_action(menu_.remove_repeats, &MainWindow::remove_repeats);
    connect_action(menu_.remove_variants, &MainWindow::remove_variants);
    connect_action(menu_.clear_list, &MainWindow::clear_list);
    connect_action(menu_.filter_by_conditions, &MainWindow::filter_by_conditions);
    connect(menu_.show_conditions, &QAction::triggered, this, [this] {
        conditions_->show();
        conditions_->raise();
    });
    connect(menu_.conditions_enabled, &QAction::toggled, this, [this](bool on) {
        if (session_.conditions.enabled != on) model_.change(SessionModel::conditions)->conditions.enabled = on;
    });
    // The distribution window takes a fresh header each time the command opens it.
    connect(menu_.show_distribution, &QAction::triggered, this, [this] { distribution_->open(); });
    connect(menu_.show_nearest_systems, &QAction::triggered, this, [this] {
        if (!running()) guarded([this] { request_nearest_to_marks(); });
    });
    for (auto signal : {&FormationPanel::settings_changed, &FormationPanel::method_changed})
        connect(formation_panel_, signal, this, [this] { show_foresight(); });
    connect(menu_.pool_rules, &QAction::triggered, this, &MainWindow::open_pool_rules);
    connect(menu_.value_tint, &QAction::toggled, outcome_grid_, &OutcomeGrid::set_value_tint);
}

void MainWindow::initialise() {
    // Once the window is shown, beside the line's request: the check never holds the start.
    start_update_check(this, options_.update_url, options_.platform, options_.update_settings);
    key_held_ = false;
    model_.change(0)->rng.seed(options_.seed != 0 ? options_.seed : clock_seed());
    load_saved_state();
    request_line();
    outcome_grid_->set_cell(0, 0, QStringLiteral("События"));
    for (int o = 1; o <= core::outcome_count; ++o)
        outcome_grid_->set_cell(o, 0, QString::fromUtf8(core::outcome_label(o).data(),
                                                        static_cast<qsizetype>(core::outcome_label(o).size())));
    on_method_changed();
    show_stats(false);
    // Without a service there is no line to wait for.
    if (options_.service_url.isEmpty()) after_line_request();
}

void MainWindow::read_settings() {
    // A run reads the settings it started with.
    if (running()) return;
    core::FormationSettings settings = session_.settings;
    formation_panel_->read_into(settings);
    if (!same_settings(settings, session_.settings)) model_.change(SessionModel::settings)->settings = settings;
}

void MainWindow::open_pool_rules() {
    if (!pool_rules_dialog_) {
        pool_rules_dialog_ = new PoolRulesDialog(this);
        connect(pool_rules_dialog_, &PoolRulesDialog::rules_accepted, this, [this](const core::PoolRules& rules) {
            model_.change(SessionModel::pool_rules)->pool_rules = rules;
        });
        connect(pool_rules_dialog_, &PoolRulesDialog::rules_cleared, this,
                [this] { model_.change(SessionModel::pool_rules)->pool_rules.reset(); });
    }
    pool_rules_dialog_->show_rules(session_.pool_rules);
    pool_rules_dialog_->open();
}

void MainWindow::on_cell_selected(int column, int row) {
    // The pass decodes its candidates from the marks it started with; they stay put while it runs.
    if (running()) return;
    guarded([&] {
        // A click is a step of the history, the marks with it.
        const auto step = history_->step({false, true});
        const bool key_held = key_held_ || outcome_grid_->click_modifiers() != Qt::NoModifier;
        if (!core::select_cell(model_.change(SessionModel::marks)->events, column, row, key_held)) return;
        show_stats(false);
        // The player marks afresh: marks saved for a line not yet read are not wanted any more.
        if (keeper_) keeper_->drop_held_marks();
        state_changed();
    });
}

void MainWindow::on_memo_edited() {
    guarded([&] {
        if (bet_memo_->suspended()) return;
        const QByteArray text = bet_memo_->utf8_text();
        // Typing closes the distribution rather than recounting it at every key.
        if (distribution_ && distribution_->isVisible()) distribution_->hide();
        core::read_memo(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                        model_.change(SessionModel::package)->bets);
        show_stats(false);
        history_->typed();
        state_changed();
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (event->type() == QEvent::KeyPress) {
                if (key->key() == Qt::Key_Escape && running()) {
                    stopped_during_run_ = true;
                    runner_->request_stop();
                }
                key_held_ = true;
            } else if (!key->isAutoRepeat()) {
                key_held_ = false;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace morvalen::app
