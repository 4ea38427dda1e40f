// The main window: the outcome grid, the formation panel, the bet memo, the summary and the menu.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <QLabel>
#include <QMainWindow>

#include "app/widgets/bet_memo.h"
#include "app/widgets/formation_panel.h"
#include "app/session/formation_runner.h"
#include "app/windows/guarded.h"
#include "app/windows/main_menu.h"
#include "app/widgets/outcome_grid.h"
#include "app/session/page_fetcher.h"
#include "app/session/session_model.h"
#include "app/platform/platform.h"
#include "app/session/update_checker.h"
#include "core/model/progress.h"
#include "core/model/session.h"
#include "core/formats/working_state.h"

namespace morvalen::app {

class ProbabilityEditorWindow;
class NearestSystemsWindow;
class DistributionWindow;
class PackageHistory;
class WorkingStateKeeper;
class ConditionsWindow;
class PoolRulesDialog;

struct WindowOptions {
    Platform platform;
    // Base address of the service ("http://127.0.0.1:PORT"); empty: no page is requested.
    QString service_url;
    // Null: pages come through Qt Network.
    std::shared_ptr<PageFetcher> fetcher;
    // Seeds the one random generator; 0 takes the clock.
    std::uint64_t seed = 0;
    // The clock of the progress captions of long runs; empty: the steady clock.
    std::function<std::chrono::steady_clock::time_point()> progress_clock;
    // Base address of the update host; empty: no update check at start.
    QString update_url;
    // The keys a release must be signed with and where its archive is saved.
    UpdateSettings update_settings;
    // Keep the working state in a file between runs (the program does; tests choose).
    bool keep_working_state = false;
    // The folder of that file; empty: the program's data folder.
    QString state_folder;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The pages of the service the window asks for.
    // system_comparison: the list for the marks after autoformation, to compare sizes with.
    enum class PageRequest { line, system_list, system_comparison };
    Q_ENUM(PageRequest)

    explicit MainWindow(WindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    const core::Session& session() const { return model_.session(); }
    // The session's model: every change of the session goes through it and is announced by it.
    SessionModel& model() { return model_; }
    // A formation runs (or its brief system is being downloaded): the inputs wait.
    bool formation_running() const { return running(); }
    // Some key is held down: a click in the grid gives the yellow mark.
    bool key_held() const { return key_held_; }

    // Asks the service for the line of the draw; the page is read when it arrives.
    void request_line();
    // Asks for the brief systems nearest to the last expansion order, shown when the page arrives.
    void request_system_list();
    // The same for the present marks, whatever was expanded last (the menu command).
    void request_nearest_to_marks();

Q_SIGNALS:
    // A page of the service has been read (after the caption and the stake were set).
    void page_read(MainWindow::PageRequest request);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build_panels();
    void connect_commands();
    void initialise();
    void read_settings();
    // Recomputes the totals and the summary lines and sets the enabled states.
    void show_stats(bool with_coverage);
    void show_start_with(bool ticked);
    // The formation panel's line of what the chosen method will give.
    void show_foresight();
    // The package lines that the memo cannot read whole: tinted, and counted in the package line.
    void show_unread_lines();
    // A result of the last run kept in the summary until the package changes.
    void show_result(const QString& text);
    // After a run stopped with "Esc": the caption says so and how many bets the run kept.
    void note_stopped_run(const QString& caption, std::int64_t bets_before);
    // The model announced a change: the grid, the summary and the kept state follow.
    void follow_model();
    void on_marks_changed();
    // Once per marking and guarantee: a listed brief system smaller than the autoformed package.
    void compare_with_brief_system();
    void read_comparison_list(const std::string& text);
    void open_pool_rules();

    // Handlers of the grid, the memo and the formation panel.
    void on_cell_selected(int column, int row);
    void on_memo_edited();
    void on_method_changed();
    void on_guarantee_changed();
    // The formation runs (main_window_formation.cpp).
    void set_up_runner();
    bool running() const;
    void add_to_list();
    // Starts work on the runner with the caption and package it started from kept for its end.
    bool start_run(FormationRunner::Work work);
    // On the window's thread: `apply` takes a run's result into the session as one step of the history.
    void finish_run(const std::function<void()>& apply);
    // `compute` runs on the worker over copies; `apply` gets its result on the window's thread.
    template <typename Compute, typename Apply>
    bool run_formation(Compute compute, Apply apply);
    void run_best_chances();
    void run_return_maximising();
    // The autoformation pass (steps 0: the check) and the summary after it.
    void run_autoform(std::int64_t steps);
    // Downloads one brief system and expands it; without one, asks for the list of nearest systems.
    void download_brief_system(const QString& url);

    // The list commands of the menu "Действия" (main_window_commands.cpp).
    void add_coupon();
    void split_into_singles();
    void remove_repeats();
    void remove_variants();
    void clear_list();
    void copy_for_transfer();
    void filter_by_conditions();
    // The conditions or their switch changed: the menu, the summary and the kept state follow.
    void on_conditions_changed();
    // Runs a list command over the settings as shown; a refusal it returns is shown as an error.
    void run_list_command(const std::function<std::optional<std::string>()>& command);

    void request_page(PageRequest request, const std::string& url);
    void read_page(PageRequest request, const FetchedPage& page);
    void read_line_page(const std::string& text, std::optional<std::string>& stake_text);

    // Undo, redo and the saved working state (main_window_keeping.cpp).
    void set_up_keeping();
    void load_saved_state();
    // After the first answer to the line request: the memo and settings always, the marks when the
    // line is the one they were made for.
    void after_line_request();
    void restore_saved_state();
    void restore_saved_marks();
    core::WorkingState capture_state();
    // Writes every event row of the grid.
    void show_line_figures();
    // After an undo or redo put a state back.
    void after_restore();
    void show_line_failure(const QString& reason);
    void add_caption_note(const QString& note);
    void update_history_actions();
    void state_changed();
    template <typename Handler>
    void guarded(Handler&& handler) {
        app::guarded(this, options_.platform.boxes, std::forward<Handler>(handler));
    }

    WindowOptions options_;
    SessionModel model_;
    // Reading only: writes go through the model's edits.
    const core::Session& session_ = model_.session();
    FormationRunner* runner_ = nullptr;
    bool downloading_ = false;
    bool key_held_ = false;
    // The caption and the package's bet count when the run started.
    QString run_caption_;
    std::int64_t bets_before_run_ = 0;
    PackageHistory* history_ = nullptr;
    WorkingStateKeeper* keeper_ = nullptr;
    // The state read at start, until the first answer to the line request puts it back.
    std::optional<core::WorkingState> saved_state_;
    bool saved_state_settled_ = false;
    QString save_failure_note_;
    bool line_read_ = false;
    QString damaged_state_note_;

    MainMenu menu_;
    QWidget* grid_panel_ = nullptr;
    OutcomeGrid* outcome_grid_ = nullptr;
    QLabel* package_summary_ = nullptr;
    QLabel* variants_summary_ = nullptr;
    QLabel* coverage_summary_ = nullptr;
    QLabel* result_summary_ = nullptr;  // the chance reached, the guarantee not reached, a smaller system
    QLabel* grid_legend_ = nullptr;
    // The list the result line was written for: any other list clears it.
    core::BetList result_list_;
    // "Esc" was pressed while a run was going on.
    bool stopped_during_run_ = false;
    // The signature the smaller brief system was last pointed out for, and the package it was compared to.
    std::int64_t compared_signature_ = -1;
    std::int64_t autoformed_bets_ = 0;
    // The listed systems of the last comparison and the guarantee they were asked for.
    core::BriefSystemList listed_systems_;
    int listed_guarantee_ = 0;
    // The two largest marked counts the nearest systems are asked for.
    int nearest_first_ = 0;
    int nearest_second_ = 0;
    QLabel* return_summary_ = nullptr;  // the expected return, once the rules of the pool are set
    PoolRulesDialog* pool_rules_dialog_ = nullptr;
    FormationPanel* formation_panel_ = nullptr;
    BetMemo* bet_memo_ = nullptr;
    ProbabilityEditorWindow* probability_editor_ = nullptr;
    NearestSystemsWindow* nearest_systems_ = nullptr;
    DistributionWindow* distribution_ = nullptr;
    ConditionsWindow* conditions_ = nullptr;
};

}  // namespace morvalen::app
