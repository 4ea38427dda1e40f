// The main window's runs of the formation methods: the work on the runner's thread, the result taken in as one step.
#include "app/windows/main_window.h"

#include <memory>
#include <stdexcept>

#include <QMenuBar>

#include "app/windows/aux_windows.h"
#include "app/session/package_history.h"
#include "app/windows/results_window.h"
#include "app/windows/texts.h"
#include "core/formation/autoformation.h"
#include "core/formation/best_chances.h"
#include "core/formation/brief_expansion.h"
#include "core/formation/formation_foresight.h"
#include "core/formation/return_maximising_package.h"
#include "core/formation/random_distribution.h"
#include "core/formation/sensations.h"
#include "core/pages/service_request.h"

namespace morvalen::app {

void MainWindow::set_up_runner() {
    runner_ = new FormationRunner(options_.progress_clock, std::chrono::milliseconds(50), this);
    connect(runner_, &FormationRunner::caption_shown, this, &QWidget::setWindowTitle);
    connect(runner_, &FormationRunner::caption_restored, this, [this] { setWindowTitle(run_caption_); });
    connect(runner_, &FormationRunner::error_shown, this, [this](const QString& text) {
        options_.platform.boxes->show_error(this, error_caption, text);
    });
    connect(runner_, &FormationRunner::failed, this, [this](const QString& text) {
        options_.platform.boxes->show_error(this, app_title, text);
    });
    // What the run reads stays put: the panel, the menu's commands and the memo wait; the memo stays in view.
    const auto set_inputs_enabled = [this](bool enabled) {
        formation_panel_->setEnabled(enabled);
        for (QAction* action : menuBar()->actions()) action->setEnabled(enabled || action == menu_.show_information);
        bet_memo_->setReadOnly(!enabled);
    };
    connect(runner_, &FormationRunner::went_to_background, this, [set_inputs_enabled] { set_inputs_enabled(false); });
    connect(runner_, &FormationRunner::finished, this, [set_inputs_enabled] { set_inputs_enabled(true); });
}

bool MainWindow::running() const { return downloading_ || (runner_ && runner_->running()); }

bool MainWindow::start_run(FormationRunner::Work work) {
    read_settings();
    run_caption_ = windowTitle();
    bets_before_run_ = core::package_totals(session_.bets).package_bets;
    stopped_during_run_ = false;
    return runner_->start(std::move(work));
}

void MainWindow::finish_run(const std::function<void()>& apply) {
    guarded([&] {
        // The whole run is one step, also when Esc stopped it.
        const auto step = history_->step();
        struct StopNote {
            MainWindow* window;
            ~StopNote() {
                if (window->stopped_during_run_) window->note_stopped_run(window->run_caption_, window->bets_before_run_);
            }
        } stop_note{this};
        // Thousands of appended lines are written into the memo in one edit.
        bet_memo_->suspend();
        struct Resume {
            BetMemo* memo;
            ~Resume() { memo->resume(); }
        } resume{bet_memo_};
        apply();
    });
}

template <typename Compute, typename Apply>
bool MainWindow::run_formation(Compute compute, Apply apply) {
    return start_run([this, compute = std::move(compute), apply = std::move(apply)](
                         const core::ProgressHooks& hooks, core::StopToken stop) -> FormationRunner::Finish {
        auto result = std::make_shared<decltype(compute(hooks, stop))>(compute(hooks, stop));
        return [this, result, apply] { finish_run([&] { apply(*result); }); };
    });
}

void MainWindow::add_to_list() {
    // A second click while a run is under way must not start another.
    if (running()) return;
    guarded([&] {
        read_settings();
        distribution_->hide();
        const core::FormationSettings settings = session_.settings;
        const core::EventTable events = session_.events;
        switch (formation_panel_->method()) {
        case core::FormationMethod::brief_systems: {
            {
                const SessionModel::Edit edit = model_.change(0);
                edit->expansion_order = core::order_events(edit->events, settings.start_with, edit->rng);
            }
            const std::int64_t signature = core::signature_of(settings.guarantee, session_.expansion_order);
            download_brief_system(
                QString::fromStdString(core::system_address(options_.service_url.toStdString(), signature)));
            break;
        }
        case core::FormationMethod::sensations:
            run_formation([events, settings](const core::ProgressHooks&, core::StopToken) { return core::sensation_bets(events, settings); },
                          [this](const core::BetList& bets) {
                              {
                                  const SessionModel::Edit edit = model_.change(SessionModel::package);
                                  for (const core::BetEntry& bet : bets) edit->append_bet(bet);
                              }
                              show_stats(false);
                          });
            break;
        case core::FormationMethod::random_distribution: {
            const core::RandomBetsSettings drawing{settings.stake.currency(), settings.repeat_count, session_.conditions};
            run_formation(
                [events, drawing, earlier = session_.bets, start = session_.rng](const core::ProgressHooks&, core::StopToken stop) {
                    core::RandomSource rng = start;
                    core::RandomBets drawn = core::random_bets(events, earlier, drawing, rng, stop);
                    return std::pair{std::move(drawn), rng};
                },
                [this](const std::pair<core::RandomBets, core::RandomSource>& drawn) {
                    if (!drawn.first.refusal) {
                        const SessionModel::Edit edit = model_.change(SessionModel::package);
                        edit->rng = drawn.second;
                        for (const core::BetEntry& bet : drawn.first.bets) edit->append_bet(bet);
                    }
                    show_stats(false);
                    if (drawn.first.refusal) throw std::runtime_error(*drawn.first.refusal);
                });
            break;
        }
        case core::FormationMethod::autoformation: run_autoform(formation_panel_->repeat_count()); break;
        case core::FormationMethod::best_chances: run_best_chances(); break;
        case core::FormationMethod::return_maximising: run_return_maximising(); break;
        }
    });
}

void MainWindow::run_best_chances() {
    model_.change(0)->reached_chance.reset();
    const core::BestChancesSettings chances = core::best_chances_settings(*model_.change(0));
    run_formation(
        [chances, events = session_.events, earlier = session_.bets](const core::ProgressHooks& hooks, core::StopToken stop) {
            return core::best_chances_package_or_refusal(events, earlier, chances, hooks, stop);
        },
        [this, guarantee = chances.guarantee](const core::BestChancesPackage& package) {
            const auto refused = core::apply_best_chances(*model_.change(SessionModel::package), package, guarantee);
            show_stats(false);
            if (const auto& reached = session_.reached_chance)
                show_result(QStringLiteral("Шанс пакета угадать не менее %1 событий: %2%")
                                .arg(reached->guarantee)
                                .arg(chance_percent(reached->chance)));
            if (refused) throw std::runtime_error(*refused);
        });
}

void MainWindow::run_return_maximising() {
    if (!session_.pool_rules) throw std::runtime_error("Задайте правила тотализатора: Пакет → Правила тотализатора");
    core::ReturnMaximisingSettings value = core::return_maximising_settings(*model_.change(0));
    value.clock = options_.progress_clock;
    run_formation(
        [value, rules = *session_.pool_rules, events = session_.events, earlier = session_.bets](
            const core::ProgressHooks& hooks, core::StopToken stop) {
            return core::return_maximising_package_or_refusal(events, earlier, rules, value, hooks, stop);
        },
        [this, stake = value.stake](const core::ReturnMaximisingPackage& package) {
            const auto refused = core::apply_return_maximising(*model_.change(SessionModel::package), package, stake);
            show_stats(false);
            if (refused) throw std::runtime_error(*refused);
        });
}

void MainWindow::run_autoform(std::int64_t steps) {
    read_settings();
    run_formation(
        [input = core::autoformation_input(session_, steps)](const core::ProgressHooks& hooks, core::StopToken stop) {
            return core::autoformation(input, hooks, stop);
        },
        [this, steps](const core::AutoformationResult& result) {
            // The cleaning before the pass takes lines out of the memo, a change of the package as well.
            core::apply_autoformation(*model_.change(SessionModel::package), result);
            const core::AutoformationOutcome& outcome = result.outcome;
            if (!outcome.refusal.empty())
                options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(outcome.refusal));
            show_stats(outcome.show_coverage && !outcome.failed && outcome.refusal.empty());
            // A pass that stopped short (by "Повторять" or by "Esc") says the guarantee is not reached.
            if (steps > 0 && outcome.show_coverage && !outcome.failed && outcome.refusal.empty()) {
                const QString shortfall = QString::fromStdString(core::guarantee_shortfall(
                    session_.uncovered_variants, core::variant_total(session_.events), session_.settings.guarantee));
                show_result(shortfall);
                if (shortfall.isEmpty()) compare_with_brief_system();
            }
        });
}

void MainWindow::download_brief_system(const QString& url) {
    // The download runs while the window goes on; no other run starts until the system is in.
    downloading_ = true;
    options_.fetcher->fetch(url, FetchKind::brief_system, [this](FetchedPage page) {
        downloading_ = false;
        // A failed download is silent: the step that needed the network is skipped.
        if (!page.ok) return show_stats(false);
        if (const QString refusal = brief_system_refusal(page); !refusal.isEmpty()) {
            show_stats(false);
            return guarded([&] { throw std::runtime_error(refusal.toStdString()); });
        }
        const core::ExpansionOrder order = session_.expansion_order;
        const core::Currency stake = session_.settings.stake.currency();
        run_formation(
            // A brief system is taken whole: Esc does not cut it short.
            [body = std::move(page.body), order, stake](const core::ProgressHooks& hooks, core::StopToken) {
                return core::brief_body_bets(body, order, stake, hooks);
            },
            [this](const core::BriefBody& body) {
                const core::BriefBodyOutcome outcome = core::apply_brief_body(*model_.change(SessionModel::package), body);
                show_stats(false);
                if (outcome.status == core::PayloadStatus::no_system) request_system_list();
                if (outcome.status == core::PayloadStatus::error) throw std::runtime_error(outcome.error);
            });
    });
}

void MainWindow::on_method_changed() {
    const core::FormationMethod method = formation_panel_->method();
    // First the controls: leaving the best-chances package brings a guarantee of 8 back to 7.
    formation_panel_->show_controls_of(method);
    // The check shows at once how much of the present list covers the marks with the guarantee.
    if (method == core::FormationMethod::autoformation && !running()) guarded([&] { run_autoform(0); });
    outcome_grid_->set_yellow_visible(method == core::FormationMethod::sensations);
}

void MainWindow::on_guarantee_changed() {
    if (formation_panel_->method() == core::FormationMethod::autoformation && !running())
        guarded([&] { run_autoform(0); });
}

}  // namespace morvalen::app
