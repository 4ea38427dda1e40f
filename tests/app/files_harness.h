// The main window with answering file dialogs, questions and desktop, in a private temporary folder.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/platform/desktop_services.h"
#include "window_harness.h"

namespace morvalen::app::testing {

// Each dialog call takes the next scripted answer; none left is a cancelled dialog.
class ScriptedDialogs final : public FileDialogs {
public:
    QString save_file_name(QWidget*) override { return next(save_answers, save_calls); }
    QString open_file_name(QWidget*) override { return next(open_answers, open_calls); }
    std::deque<QString> save_answers;
    std::deque<QString> open_answers;
    int save_calls = 0;
    int open_calls = 0;

private:
    static QString next(std::deque<QString>& answers, int& calls) {
        ++calls;
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

struct AskedQuestion {
    QString title;
    QString text;
};

class ScriptedQuestions final : public Questions {
public:
    bool ask_yes_no(QWidget*, const QString& title, const QString& text) override {
        asked.push_back({title, text});
        return answer_yes;
    }
    bool confirm(QWidget*, const QString& title, const QString& text) override {
        confirmed.push_back({title, text});
        return confirm_yes;
    }
    bool answer_yes = false;
    bool confirm_yes = false;
    std::vector<AskedQuestion> asked;
    std::vector<AskedQuestion> confirmed;
};

class RecordingDesktop final : public Desktop {
public:
    bool open_url(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    void request_quit() override { ++quit_requests; }
    std::vector<QUrl> opened;
    int quit_requests = 0;
};

struct FilesHarness {
    QTemporaryDir folder;
    RecordingBoxes boxes;
    MemoryClipboard clipboard;
    ScriptedLayouts layouts{{QStringLiteral("419")}};
    ScriptedDialogs dialogs;
    ScriptedQuestions questions;
    RecordingDesktop desktop;
    std::shared_ptr<ScriptedFetcher> fetcher = std::make_shared<ScriptedFetcher>();
    std::unique_ptr<MainWindow> window;

    explicit FilesHarness(QString update_url = {}, bool answer_yes = false, UpdateSettings update_settings = {}) {
        questions.answer_yes = answer_yes;
        WindowOptions options;
        options.platform = {&boxes, &clipboard, &layouts, &dialogs, &questions, &desktop};
        options.service_url = QStringLiteral("http://127.0.0.1:1");
        options.fetcher = fetcher;
        options.seed = 12345;
        options.update_url = std::move(update_url);
        options.update_settings = std::move(update_settings);
        window = std::make_unique<MainWindow>(options);
    }

    QString path(const QString& name) const { return folder.filePath(name); }
    void load_demo_line() { fetcher->answer(demo_line_page()); }
    OutcomeGrid* grid() const { return find_in<OutcomeGrid>(*window, "outcome_grid"); }
    BetMemo* memo_edit() const { return find_in<BetMemo>(*window, "bet_memo"); }
    void set_memo(const QString& text) { memo_edit()->setPlainText(text); }
    QAction* action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }
    static QByteArray read_all(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

}  // namespace morvalen::app::testing
