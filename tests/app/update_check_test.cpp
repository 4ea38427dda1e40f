// The start-up update check against the embedded service on the loopback, answered through scripted questions.
#include <gtest/gtest.h>

#include <QFileInfo>

#include "app/update_checker.h"
#include "files_harness.h"
#include "service/embedded_service.h"
#include "service/store.h"
#include "service/update_store.h"

namespace morvalen::app::testing {
namespace {

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = service::EmbeddedService::start("");
        ASSERT_NE(service_, nullptr);
        host_ = QString::fromStdString(service_->base_url());
        // The archive lands in the working folder: a private one for the test.
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder_.path()));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    void put(std::string_view name, const std::string& content) {
        service_->store().with_db([&](service::Database& db) { service::put_update_file(db, name, content); });
    }
    core::UpdateOutcome check(bool yes, bool confirm_yes = false) {
        questions_.answer_yes = yes;
        questions_.confirm_yes = confirm_yes;
        return check_for_update(nullptr, host_, platform());
    }
    Platform platform() { return {&boxes_, nullptr, nullptr, nullptr, &questions_, &desktop_}; }

    std::unique_ptr<service::EmbeddedService> service_;
    QString host_;
    QTemporaryDir folder_;
    QString previous_;
    RecordingBoxes boxes_;
    ScriptedQuestions questions_;
    RecordingDesktop desktop_;
};

TEST_F(UpdateCheck, OffersOnlyATextThatOrdersAfterTheOwnVersionByCharacters) {
    const std::pair<std::string, bool> cases[] = {
        {"1.0.3.0", true}, {"1.0.2.0", false}, {"1.0.1.9", false}, {"1.0.10.0", false}, {"1.0.2.0\r\n", true}};
    for (const auto& [version, offers] : cases) {
        put(service::version_file, version);
        questions_.asked.clear();
        EXPECT_EQ(check(false), offers ? core::UpdateOutcome::declined : core::UpdateOutcome::up_to_date) << version;
        ASSERT_EQ(questions_.asked.size(), offers ? 1u : 0u) << version;
        if (offers) {
            EXPECT_EQ(questions_.asked[0].text, "Доступна новая версия программы!\rОбновить?");
        }
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("morvalen_trast.rar")));
    EXPECT_EQ(desktop_.quit_requests, 0);
}

TEST_F(UpdateCheck, YesWritesTheArchiveTellsAndAsksToEndTheProgram) {
    put(service::version_file, "1.0.3.0");
    std::string archive(300000, '\0');
    for (std::size_t i = 0; i < archive.size(); ++i) archive[i] = static_cast<char>(i * 7 + 3);
    put(service::archive_file, archive);

    EXPECT_EQ(check(true, false), core::UpdateOutcome::downloaded);
    QFile file(QStringLiteral("morvalen_trast.rar"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), archive);
    ASSERT_EQ(questions_.confirmed.size(), 1u);
    EXPECT_EQ(questions_.confirmed[0].text, "Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0");
    EXPECT_EQ(desktop_.quit_requests, 0);

    EXPECT_EQ(check(true, true), core::UpdateOutcome::terminate_requested);
    EXPECT_EQ(desktop_.quit_requests, 1);
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(UpdateCheck, AnUnwritableFolderOrAMissingHostIsReportedOrSilent) {
    put(service::version_file, "1.0.3.0");
    // A folder in the archive's place cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("morvalen_trast.rar")));
    EXPECT_EQ(check(true, true), core::UpdateOutcome::not_downloaded);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].title, "Ошибка");
    EXPECT_EQ(boxes_.boxes[0].text, "Невозможно записать временный файл в рабочую папку.");
    EXPECT_TRUE(questions_.confirmed.empty());

    // Nothing listens on port 1: the version text is empty and the start goes on silently.
    questions_.asked.clear();
    EXPECT_EQ(check_for_update(nullptr, QStringLiteral("http://127.0.0.1:1"), platform()), core::UpdateOutcome::up_to_date);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(fetch_text(QStringLiteral("not an address")), std::nullopt);
}

TEST_F(UpdateCheck, NoLeavesTheStartUnchangedAndInformationOpensThePage) {
    put(service::version_file, "1.0.3.0");
    FilesHarness h(host_);
    ASSERT_EQ(h.questions.asked.size(), 1u);
    EXPECT_EQ(h.desktop.quit_requests, 0);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("morvalen_trast.rar")));
    // The rest of the start ran: the line page was asked for and the grid header written.
    EXPECT_EQ(h.fetcher->requests.size(), 1u);
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");
    EXPECT_EQ(h.grid()->cell(0, 0), "События");
    h.action("show_information")->trigger();
    ASSERT_EQ(h.desktop.opened.size(), 1u);
    EXPECT_EQ(h.desktop.opened[0], QUrl(host_ + QStringLiteral("/morvalen_help.html")));
}

TEST_F(UpdateCheck, TheEnvironmentNamesTheUpdateHost) {
    qputenv("MORVALEN_UPDATE_URL", "http://updates.example:8080");
    EXPECT_EQ(find_update_host(host_), "http://updates.example:8080");
    qunsetenv("MORVALEN_UPDATE_URL");
    EXPECT_EQ(find_update_host(host_), host_);
}

}  // namespace
}  // namespace morvalen::app::testing
