// Form7, the main window: the grid, the formation panel, the bet memo, the summary and the menu.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QSpinBox>

#include "app/bet_memo.h"
#include "app/currency_edit.h"
#include "app/link_label.h"
#include "app/outcome_grid.h"
#include "app/page_fetcher.h"
#include "app/platform.h"
#include "core/progress.h"
#include "core/session.h"

namespace morvalen::app {

class ProbabilityEditorWindow;
class NearestSystemsWindow;
class DistributionWindow;

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
};

class Form7 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form7(WindowOptions options, QWidget* parent = nullptr);
    ~Form7() override;

    core::Session& session() { return session_; }
    const QString& service_url() const { return options_.service_url; }
    const QString& update_url() const { return options_.update_url; }
    const Platform& platform() const { return options_.platform; }

    // Recomputes the totals and the summary lines and sets the enabled states.
    void show_stats(bool with_coverage);
    // Requests the line page (1) or the brief-system list page (2); the page is read when it arrives.
    void get_events(int mode);
    bool formation_running() const { return running_; }

    // Handlers, named after the controls they serve.
    void StringGrid1SelectCell(int column, int row);
    void Memo1Change();
    void CheckBox1Click();
    void Label5Click();
    void ComboBox1Change();
    void RxSpinEdit3Change();
    void N2Click();
    void mmoClick();
    void NmwClick();
    void mmyClick();
    void mmxClick();
    void mmcClick();

Q_SIGNALS:
    // A page of the service has been read (after the caption and the stake were set).
    void page_read(int mode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menu();
    void build_panels();
    void FormCreate();
    void read_settings();
    void show_start_with(bool ticked);
    void document_complete(int mode, const FetchedPage& page);
    // The autoformation pass (steps 0: the check) with the memo suspended and the summary after it.
    void run_colover(std::int64_t steps);
    // Downloads one brief system and expands it; without one, asks for the list of nearest systems.
    void st3(const QString& url);
    void show_nearest_systems();
    // The menu command "Распределение по исходам": the distribution window with a fresh header.
    void N4Click();
    core::ProgressHooks progress_hooks(const QString& saved_caption);
    // Runs a handler; an unexpected error ends it and is shown titled with the application title.
    template <typename Handler>
    void guarded(Handler&& handler);

    WindowOptions options_;
    core::Session session_;
    int request_mode_ = 0;
    bool running_ = false;

public:
    // Controls, by the names the handlers use.
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    OutcomeGrid* StringGrid1 = nullptr;
    BetMemo* Memo1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QSpinBox* RxSpinEdit1 = nullptr;
    QSpinBox* RxSpinEdit2 = nullptr;
    QSpinBox* RxSpinEdit3 = nullptr;
    QSpinBox* RxSpinEdit4 = nullptr;
    CurrencyEdit* CurrencyEdit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label12 = nullptr;
    LinkLabel* Label5 = nullptr;
    LinkLabel* Label11 = nullptr;
    QAction* ExcellCtrlE1 = nullptr;
    QAction* ExcellCtrlS1 = nullptr;
    QAction* mmt = nullptr;
    QAction* mmk = nullptr;
    QAction* mml = nullptr;
    QAction* mmc = nullptr;
    QAction* N2 = nullptr;
    QAction* mmo = nullptr;
    QAction* Nmw = nullptr;
    QAction* mmy = nullptr;
    QAction* mmx = nullptr;
    QAction* N4 = nullptr;
    QAction* mm3 = nullptr;
    ProbabilityEditorWindow* Form1 = nullptr;
    NearestSystemsWindow* Form2 = nullptr;
    DistributionWindow* Form3 = nullptr;
};

}  // namespace morvalen::app
