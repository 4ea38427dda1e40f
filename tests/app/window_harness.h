// The real main window with answering adapters: recorded message boxes, clipboard, layouts and pages.
#pragma once

#include <deque>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <memory>
#include <vector>

#include <QApplication>
#include <QTest>

#include "app/widgets/link_label.h"
#include "app/windows/main_window.h"
#include "core/pages/line_page.h"

// Readable failure messages for texts of the window.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace morvalen::app::testing {

// The child of `parent` with that object name and type; a missing one ends the test with its name.
template <typename T>
T* find_in(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child) throw std::runtime_error(std::string("no child named ") + name);
    return child;
}

struct RecordedBox {
    QString title;
    QString text;
};

class RecordingBoxes final : public MessageBoxes {
public:
    void show_error(QWidget*, const QString& title, const QString& text) override { boxes.push_back({title, text}); }
    std::vector<RecordedBox> boxes;
};

class MemoryClipboard final : public Clipboard {
public:
    void set_text(const QString& text) override { content = text; }
    QString text() const override { return content; }
    QString content;
};

// Installed layouts in switching order; the active one is `active`.
class ScriptedLayouts final : public KeyboardLayout {
public:
    explicit ScriptedLayouts(std::vector<QString> installed) : codes(std::move(installed)) {}
    QString active_code() override { return codes[active]; }
    void activate_next() override {
        active = (active + 1) % codes.size();
        ++switches;
    }
    void load_and_activate(const QString& name) override { loaded.push_back(name); }
    std::vector<QString> codes;
    std::size_t active = 0;
    int switches = 0;
    std::vector<QString> loaded;
};

// Pages are answered when the test says so, as the network would answer later; requests whose query
// key is in `immediate` ("signat") are answered at once with the stored answer.
class ScriptedFetcher final : public PageFetcher {
public:
    void fetch(const QString& url, FetchKind kind, std::function<void(FetchedPage)> done) override {
        requests.push_back(url);
        kinds.push_back(kind);
        const QString key = url.section(QLatin1Char('?'), 1).section(QLatin1Char('='), 0, 0);
        if (auto it = immediate.find(key); it != immediate.end()) {
            done(it->second);
            return;
        }
        pending.push_back(std::move(done));
    }
    void answer(std::string body, std::string content_type = "text/plain; charset=utf-8") {
        auto done = std::move(pending.front());
        pending.pop_front();
        done({std::move(body), std::move(content_type), true});
    }
    std::vector<QString> requests;
    std::vector<FetchKind> kinds;
    std::map<QString, FetchedPage> immediate;
    std::deque<std::function<void(FetchedPage)>> pending;
};

// A line of 8 events "Команда e - Соперник e" with quote 12.5 and pool 13.5 on every outcome.
inline std::string demo_line_page() {
    core::EventTable table;
    for (int e = 1; e <= core::event_count; ++e) {
        table.event(e).name = "Команда " + std::to_string(e) + " - Соперник " + std::to_string(e);
        for (int o = 1; o <= core::outcome_count; ++o) {
            table.cell(e, o).quote_probability = core::Currency::from_ten_thousandths(125000);
            table.cell(e, o).pool_probability = core::Currency::from_ten_thousandths(135000);
        }
    }
    return core::write_line_page(table, {"dl:09.12 18:00/19:00", "st:3,10"});
}

struct Harness {
    RecordingBoxes boxes;
    MemoryClipboard clipboard;
    ScriptedLayouts layouts{{QStringLiteral("409"), QStringLiteral("419")}};
    std::shared_ptr<ScriptedFetcher> fetcher = std::make_shared<ScriptedFetcher>();
    std::unique_ptr<MainWindow> window;

    // state_folder: the window keeps its working state there; network_fetcher: pages come from it
    // instead of the scripted fetcher.
    explicit Harness(QString service_url = QStringLiteral("http://127.0.0.1:1"),
                     std::function<std::chrono::steady_clock::time_point()> clock = {}, QString state_folder = {},
                     std::shared_ptr<PageFetcher> network_fetcher = nullptr) {
        WindowOptions options;
        options.progress_clock = std::move(clock);
        options.platform = {&boxes, &clipboard, &layouts};
        options.service_url = std::move(service_url);
        options.fetcher = network_fetcher ? std::move(network_fetcher) : fetcher;
        options.keep_working_state = !state_folder.isEmpty();
        options.state_folder = std::move(state_folder);
        options.seed = 12345;
        window = std::make_unique<MainWindow>(options);
    }

    template <typename T>
    T* find(const char* name) const { return find_in<T>(*window, name); }
    OutcomeGrid* grid() const { return find<OutcomeGrid>("outcome_grid"); }
    BetMemo* memo_edit() const { return find<BetMemo>("bet_memo"); }

    void click_cell(int column, int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = grid()->cell_rect(column, row);
        QTest::mouseClick(grid(), Qt::LeftButton, modifiers, rect.center());
    }
    // A click on the link "Добавить в список", as the player gives it; then, unless told otherwise,
    // the wait until the run on the worker thread has been taken in.
    void add_to_list(bool wait = true) const {
        auto* link = find<LinkLabel>("add_to_list_link");
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        if (wait) settle();
    }
    // Waits (handling events) until no formation runs; a run that never ends fails the test.
    void settle() const {
        if (!QTest::qWaitFor([&] { return !window->formation_running(); }, 120000))
            throw std::runtime_error("the formation run did not end within two minutes");
    }
    // Marks the listed columns of every event (the same columns in each).
    void mark_every_event(std::initializer_list<int> columns) {
        for (int e = 1; e <= core::event_count; ++e)
            for (int c : columns) click_cell(c, e);
    }
    QString memo() const { return memo_edit()->memo_text(); }
};

}  // namespace morvalen::app::testing
