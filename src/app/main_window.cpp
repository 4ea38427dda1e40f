// The main window's construction, its handlers and the summary; the core decides, the window draws.
#include "app/main_window.h"

#include <chrono>
#include <stdexcept>

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>

#include "app/aux_windows.h"
#include "app/conditions_window.h"
#include "app/file_commands.h"
#include "app/package_history.h"
#include "app/results_window.h"
#include "app/pool_rules_dialog.h"
#include "app/texts.h"
#include "app/update_checker.h"
#include "app/working_state_keeper.h"
#include "core/autoformation.h"
#include "core/best_chances.h"
#include "core/brief_expansion.h"
#include "core/formation_foresight.h"
#include "core/memo_reading.h"
#include "core/expected_return.h"
#include "core/return_maximising_package.h"
#include "core/random_distribution.h"
#include "core/sensations.h"
#include "core/service_request.h"

namespace morvalen::app {
namespace {

constexpr int client_width = 1010;
constexpr int client_height = 631;
constexpr int grid_panel_height = 307;
constexpr int grid_height = 253;
constexpr int formation_panel_width = 315;

// Marks a formation run for its duration; nested calls keep the outer mark.
class RunMark {
public:
    explicit RunMark(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~RunMark() { flag_ = previous_; }
    RunMark(const RunMark&) = delete;
    RunMark& operator=(const RunMark&) = delete;

private:
    bool& flag_;
    bool previous_;
};

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

QString unread_note(const core::UnreadLines& unread) {
    if (unread.lines == 0) return {};
    return QStringLiteral("   Не прочитаны целиком строк: %1 (ставок в них %2), они подсвечены")
        .arg(unread.lines)
        .arg(unread.bets);
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
    install_file_commands(menu_,
                          {this, &session_, bet_memo_, outcome_grid_, options_.platform, options_.update_url, history_,
                           [this] {
                               show_line_figures();
                               show_stats(false);
                           }});
    resize(client_width, client_height + menuBar()->sizeHint().height());
    // Key preview: the window's key handlers see every key pressed in any of its controls.
    qApp->installEventFilter(this);
    initialise();
    probability_editor_ = create_probability_editor(session_, this);
    // The tint of the grid and the expected return follow the set probabilities as they are dragged.
    connect(probability_editor_, &ProbabilityEditorWindow::set_probabilities_changed, this, [this] {
        outcome_grid_->update();
        if (session_.pool_rules) show_stats(false);
    });
    nearest_systems_ = create_nearest_systems_window(session_, this);
    distribution_ = create_distribution_window(session_, this);
    conditions_ = new ConditionsWindow(session_, options_.platform, this);
    connect(conditions_, &ConditionsWindow::conditions_changed, this, &MainWindow::on_conditions_changed);
    menu_.conditions_enabled->setChecked(session_.conditions.enabled);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

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
    session_.memo = bet_memo_;

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
        if (session_.conditions.enabled == on) return;
        session_.conditions.enabled = on;
        conditions_->refresh();
        on_conditions_changed();
    });
    // The distribution window takes a fresh header each time the command opens it.
    connect(menu_.show_distribution, &QAction::triggered, this, [this] { distribution_->open(); });
    connect(menu_.show_nearest_systems, &QAction::triggered, this, [this] {
        if (!running_) guarded([this] { request_nearest_to_marks(); });
    });
    for (auto signal : {&FormationPanel::settings_changed, &FormationPanel::method_changed})
        connect(formation_panel_, signal, this, [this] { show_foresight(); });
    connect(menu_.pool_rules, &QAction::triggered, this, &MainWindow::open_pool_rules);
    connect(menu_.value_tint, &QAction::toggled, outcome_grid_, &OutcomeGrid::set_value_tint);
}

void MainWindow::initialise() {
    // Once the window is shown, beside the line's request: the check never holds the start.
    start_update_check(this, options_.update_url, options_.platform, options_.update_settings);
    session_.keys = {};
    session_.rng.seed(options_.seed != 0 ? options_.seed : clock_seed());
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
    if (session_.formation_running) return;
    formation_panel_->read_into(session_.settings);
}

void MainWindow::show_stats(bool with_coverage) {
    read_settings();
    const core::StatsView view = session_.stats(with_coverage);
    package_summary_->setText(QString::fromStdString(view.package_line));
    variants_summary_->setText(QString::fromStdString(view.variants_line));
    coverage_summary_->setText(QString::fromStdString(view.coverage_line));
    if (conditions_ && conditions_->isVisible()) conditions_->refresh_costs();
    menu_.filter_by_conditions->setEnabled(core::conditions_in_force(session_.conditions) && view.totals.package_bets > 0);
    show_unread_lines();
    if (!result_summary_->text().isEmpty() && session_.bets != result_list_) result_summary_->clear();
    const core::ReturnOptions quick = core::summary_return_options();
    return_summary_->setText(session_.pool_rules ? QString::fromStdString(core::return_summary_line(core::expected_return(
                                                       session_.bets, session_.events, *session_.pool_rules, session_.settings.stake.currency(), quick)))
                                                 : QString());
    for (QLabel* label : {package_summary_, variants_summary_, coverage_summary_, result_summary_, return_summary_}) label->adjustSize();
    show_foresight();
    formation_panel_->set_forming_link_visible(view.enabled.forming_link);
    menu_.add_coupon->setEnabled(view.enabled.add_coupon);
    menu_.remove_variants->setEnabled(view.enabled.remove_variants);
    for (QAction* action : {menu_.split_into_singles, menu_.remove_repeats, menu_.clear_list, menu_.copy_for_transfer,
                            menu_.save_text, menu_.export_by_columns, menu_.export_by_rows})
        action->setEnabled(view.enabled.list_commands);
    if (history_) update_history_actions();
}

void MainWindow::show_unread_lines() {
    const core::UnreadLines unread = core::unread_lines(session_.bets);
    package_summary_->setText(package_summary_->text() + unread_note(unread));
    // A suspended memo is being written: its tints are brought up to date once it is shown again.
    if (bet_memo_->suspended()) return;
    std::vector<std::pair<int, QString>> lines;
    if (unread.lines > 0) {
        for (std::size_t i = 0; i < session_.bets.size(); ++i) {
            if (core::reads_whole(session_.bets[i])) continue;
            const int index = static_cast<int>(i);
            const QByteArray text = bet_memo_->line_text(index).toUtf8();
            const std::string problem =
                core::line_problem(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), session_.bets[i]);
            if (!problem.empty()) lines.emplace_back(index, QString::fromStdString(problem));
        }
    }
    bet_memo_->mark_unread(lines);
}

void MainWindow::show_result(const QString& text) {
    result_summary_->setText(text);
    result_summary_->adjustSize();
    result_list_ = session_.bets;
}

void MainWindow::note_stopped_run(const QString& caption, std::int64_t bets_before) {
    const std::int64_t kept = core::package_totals(session_.bets).package_bets - bets_before;
    setWindowTitle(caption + QStringLiteral(" — прервано клавишей Esc, оставлено ставок: %1").arg(kept));
}

void MainWindow::show_foresight() {
    core::FormationSettings settings = session_.settings;
    if (!running_ && !session_.formation_running) formation_panel_->peek_into(settings);
    std::optional<std::int32_t> brief;
    if (listed_guarantee_ == settings.guarantee) brief = core::listed_system_size(listed_systems_, session_.events);
    std::optional<std::int64_t> uncovered;
    if (!coverage_summary_->text().isEmpty()) uncovered = session_.uncovered_variants;
    formation_panel_->set_foresight(
        QString::fromStdString(core::formation_foresight({session_.events, settings, brief, uncovered})));
}

void MainWindow::show_start_with(bool ticked) {
    formation_panel_->set_start_with_text(label_text(core::start_with_caption(session_.events, ticked)));
}

void MainWindow::open_pool_rules() {
    if (!pool_rules_dialog_) {
        pool_rules_dialog_ = new PoolRulesDialog(this);
        connect(pool_rules_dialog_, &PoolRulesDialog::rules_accepted, this, [this](const core::PoolRules& rules) {
            session_.pool_rules = rules;
            show_stats(false);
            state_changed();
        });
        connect(pool_rules_dialog_, &PoolRulesDialog::rules_cleared, this, [this] {
            session_.pool_rules.reset();
            show_stats(false);
            state_changed();
        });
    }
    pool_rules_dialog_->show_rules(session_.pool_rules);
    pool_rules_dialog_->open();
}

void MainWindow::on_cell_selected(int column, int row) {
    // The pass decodes its candidates from the marks it started with; they stay put while it runs.
    if (running_) return;
    guarded([&] {
        // A click is a step of the history, the marks with it.
        const auto step = history_->step({false, true});
        const bool key_held = session_.keys.key_held || outcome_grid_->click_modifiers() != Qt::NoModifier;
        if (!core::select_cell(session_.events, column, row, key_held)) return;
        if (column == 0) {
            for (int o = 1; o <= core::outcome_count; ++o)
                outcome_grid_->set_cell(o, row, QString::fromStdString(core::outcome_cell_text(session_.events, row, o)));
        }
        outcome_grid_->update();
        show_start_with(formation_panel_->start_with());
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
        core::read_memo(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), session_.bets);
        if (distribution_ && distribution_->isVisible()) distribution_->hide();
        show_stats(false);
        history_->typed();
        state_changed();
    });
}

void MainWindow::add_to_list() {
    // A run lets the window process its messages; a second click meanwhile must not start another.
    if (running_) return;
    RunMark mark(running_);
    guarded([&] {
        // The whole run is one step, also when Esc stopped it.
        const auto step = history_->step();
        read_settings();
        const QString caption = windowTitle();
        const std::int64_t bets_before = core::package_totals(session_.bets).package_bets;
        stopped_during_run_ = false;
        struct StopNote {
            MainWindow* window;
            const QString& caption;
            std::int64_t bets_before;
            ~StopNote() {
                if (window->stopped_during_run_) window->note_stopped_run(caption, bets_before);
            }
        } stop_note{this, caption, bets_before};
        bet_memo_->suspend();
        distribution_->hide();
        struct Resume {
            BetMemo* memo;
            ~Resume() { memo->resume(); }
        } resume{bet_memo_};
        const core::FormationSettings& settings = session_.settings;
        switch (formation_panel_->method()) {
        case core::FormationMethod::brief_systems: {
            session_.expansion_order = core::order_events(session_.events, settings.start_with, session_.rng);
            const std::int64_t signature = core::signature_of(settings.guarantee, session_.expansion_order);
            download_brief_system(
                QString::fromStdString(core::system_address(options_.service_url.toStdString(), signature)));
            break;
        }
        case core::FormationMethod::sensations:
            core::form_by_sensations(session_);
            show_stats(false);
            break;
        case core::FormationMethod::random_distribution: {
            const auto failed = core::random_distribution(session_);
            show_stats(false);
            if (failed) throw std::runtime_error(*failed);
            break;
        }
        case core::FormationMethod::autoformation: run_autoform(formation_panel_->repeat_count()); break;
        case core::FormationMethod::best_chances: {
            session_.reached_chance.reset();
            const auto refused = core::form_best_chances_package(session_, progress_hooks(windowTitle()));
            show_stats(false);
            if (const auto& reached = session_.reached_chance)
                show_result(QStringLiteral("Шанс пакета угадать не менее %1 событий: %2%")
                                .arg(reached->guarantee)
                                .arg(chance_percent(reached->chance)));
            if (refused) throw std::runtime_error(*refused);
            break;
        }
        case core::FormationMethod::return_maximising: {
            if (!session_.pool_rules) throw std::runtime_error("Задайте правила тотализатора: Пакет → Правила тотализатора");
            const auto refused = core::form_return_maximising_package(session_, *session_.pool_rules, progress_hooks(windowTitle()));
            show_stats(false);
            if (refused) throw std::runtime_error(*refused);
            break;
        }
        }
    });
}

core::ProgressHooks MainWindow::progress_hooks(const QString& saved_caption) {
    core::ProgressHooks hooks;
    hooks.clock = options_.progress_clock;
    hooks.show_caption = [this](const std::string& text) { setWindowTitle(QString::fromStdString(text)); };
    hooks.restore_caption = [this, saved_caption] { setWindowTitle(saved_caption); };
    hooks.process_messages = [] { QCoreApplication::processEvents(); };
    hooks.show_error = [this](const std::string& text) {
        options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(text));
    };
    return hooks;
}

void MainWindow::run_autoform(std::int64_t steps) {
    RunMark mark(running_);
    // The check cleans unreadable entries out of the list, which is a change as well.
    const auto step = history_->step();
    read_settings();
    // The cleaning before the pass takes lines out of the memo, which must not be read back.
    const bool was_shown = !bet_memo_->suspended();
    if (was_shown) bet_memo_->suspend();
    const core::AutoformationOutcome outcome = core::autoform(session_, steps, progress_hooks(windowTitle()));
    if (was_shown) bet_memo_->resume();
    if (!outcome.refusal.empty())
        options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(outcome.refusal));
    if (!outcome.ran) return;
    show_stats(outcome.show_coverage && !outcome.failed && outcome.refusal.empty());
    // A pass that stopped short (by "Повторять" or by "Esc") says the guarantee is not reached.
    if (steps > 0 && outcome.show_coverage && !outcome.failed && outcome.refusal.empty()) {
        const QString shortfall = QString::fromStdString(core::guarantee_shortfall(
            session_.uncovered_variants, core::variant_total(session_.events), session_.settings.guarantee));
        show_result(shortfall);
        if (shortfall.isEmpty()) compare_with_brief_system();
    }
}

void MainWindow::download_brief_system(const QString& url) {
    RunMark mark(running_);
    const QString saved_caption = windowTitle();
    struct Finish {
        MainWindow* window;
        QString caption;
        ~Finish() {
            window->show_stats(false);
            window->setWindowTitle(caption);
        }
    } finish{this, saved_caption};
    // The download runs while the window keeps handling its messages; the run mark refuses new runs.
    FetchedPage page;
    bool arrived = false;
    QEventLoop loop;
    options_.fetcher->fetch(url, FetchKind::brief_system, [&](FetchedPage answer) {
        page = std::move(answer);
        arrived = true;
        loop.quit();
    });
    if (!arrived) loop.exec();
    // A failed download is silent: the step that needed the network is skipped.
    if (!page.ok) return;
    if (const QString refusal = brief_system_refusal(page); !refusal.isEmpty()) throw std::runtime_error(refusal.toStdString());
    const core::BriefBodyOutcome outcome = core::expand_brief_body(session_, page.body, progress_hooks(saved_caption));
    if (outcome.status == core::PayloadStatus::no_system) request_system_list();
    if (outcome.status == core::PayloadStatus::error) throw std::runtime_error(outcome.error);
}

void MainWindow::on_method_changed() {
    const core::FormationMethod method = formation_panel_->method();
    // First the controls: leaving the best-chances package brings a guarantee of 8 back to 7.
    formation_panel_->show_controls_of(method);
    // The check shows at once how much of the present list covers the marks with the guarantee.
    if (method == core::FormationMethod::autoformation && !running_) guarded([&] { run_autoform(0); });
    outcome_grid_->set_yellow_visible(method == core::FormationMethod::sensations);
}

void MainWindow::on_guarantee_changed() {
    if (formation_panel_->method() == core::FormationMethod::autoformation && !running_)
        guarded([&] { run_autoform(0); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (event->type() == QEvent::KeyPress) {
                if (key->key() == Qt::Key_Escape) {
                session_.keys.stop_requested = true;
                if (running_) stopped_during_run_ = true;
            }
                session_.keys.key_held = true;
            } else if (!key->isAutoRepeat()) {
                session_.keys.key_held = false;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace morvalen::app
