// The update check against a loopback host: signed releases are saved in the download folder, and a
// hostile host's forged, unsigned, replayed or marked-up files get nothing written and a clear word.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/session/update_checker.h"
#include "app/platform/update_signature.h"
#include "core/update/update_check.h"
#include "../files_harness.h"
#include "service/embedded_service.h"
#include "service/store.h"
#include "service/update_store.h"
#include "../update_signer.h"

namespace morvalen::app::testing {
namespace {

std::string numbered_bytes(std::size_t size, int step) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * static_cast<std::size_t>(step) + 3);
    return bytes;
}

std::string read_text(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = service::EmbeddedService::start("");
        ASSERT_NE(service_, nullptr);
        host_ = QString::fromStdString(service_->base_url());
        downloads_ = folder_.filePath(QStringLiteral("Загрузки"));
    }

    void put(std::string_view name, const std::string& content) {
        service_->store().with_db([&](service::Database& db) { service::put_update_file(db, name, content); });
    }
    // A release as the maker publishes it: both files signed, each comment naming file and version.
    void publish(const std::string& version, const std::string& archive, const TestSigner& signer) {
        put(service::version_file, version);
        put(service::version_signature_file,
            signer.sign(version, core::trusted_comment_for(service::version_file, version)));
        put(service::archive_file, archive);
        put(service::archive_signature_file,
            signer.sign(archive, core::trusted_comment_for(service::archive_file, version)));
    }

    UpdateOutcome check(bool yes, bool confirm_yes = false) {
        questions_.answer_yes = yes;
        questions_.confirm_yes = confirm_yes;
        UpdateSettings settings;
        settings.keys = {release_.key()};
        settings.download_folder = downloads_;
        UpdateChecker checker(nullptr, host_, platform(), settings);
        QSignalSpy done(&checker, &UpdateChecker::finished);
        checker.start();
        if (done.isEmpty()) {
            EXPECT_TRUE(done.wait(20000));
        }
        last_saved_ = checker.saved_path();
        return checker.outcome();
    }
    Platform platform() { return {&boxes_, nullptr, nullptr, nullptr, &questions_, &desktop_}; }
    QStringList downloaded() const { return QDir(downloads_).entryList(QDir::Files | QDir::System | QDir::Hidden); }
    QString last_box() const { return boxes_.boxes.empty() ? QString() : boxes_.boxes.back().text; }

    TestSigner release_{7};
    TestSigner stranger_{9};
    std::unique_ptr<service::EmbeddedService> service_;
    QString host_;
    QTemporaryDir folder_;
    QString downloads_;
    QString last_saved_;
    RecordingBoxes boxes_;
    ScriptedQuestions questions_;
    RecordingDesktop desktop_;
};

TEST_F(UpdateCheck, ASignedNewerReleaseIsSavedInTheDownloadFolderUnderAFreeName) {
    const std::string archive = numbered_bytes(300000, 7);
    publish("1.0.3.0", archive, release_);

    EXPECT_EQ(check(true, false), UpdateOutcome::downloaded);
    const QString first = QDir(downloads_).filePath(QStringLiteral("morvalen_trast.rar"));
    EXPECT_EQ(last_saved_, first);
    EXPECT_EQ(read_text(first), archive);
    ASSERT_EQ(questions_.confirmed.size(), 1u);
    EXPECT_EQ(questions_.confirmed[0].text,
              "Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0\rФайл сохранён: " + first);
    EXPECT_TRUE(boxes_.boxes.empty());

    // A name already taken, by a file or by a link to someone else's file, is left as it is.
    const QString victim = folder_.filePath(QStringLiteral("victim.txt"));
    QFile(victim).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(victim, QDir(downloads_).filePath(QStringLiteral("morvalen_trast (2).rar"))));
    EXPECT_EQ(check(true, true), UpdateOutcome::terminate_requested);
    EXPECT_EQ(last_saved_, QDir(downloads_).filePath(QStringLiteral("morvalen_trast (3).rar")));
    EXPECT_EQ(read_text(last_saved_), archive);
    EXPECT_EQ(QFileInfo(victim).size(), 0);
    EXPECT_EQ(read_text(first), archive);
    EXPECT_EQ(desktop_.quit_requests, 1);
    // No temporary file is left behind.
    EXPECT_EQ(downloaded().size(), 3);
}

TEST_F(UpdateCheck, VersionsAreNumbersComparedGroupByGroup) {
    const std::pair<std::string, bool> cases[] = {
        {"1.0.3.0", true}, {"1.0.10.0", true}, {"2", true}, {"1.0.2.0", false}, {"1.0.1.9", false}, {"1.0.2.0\r\n", false}};
    for (const auto& [version, offers] : cases) {
        publish(version, "archive", release_);
        questions_.asked.clear();
        EXPECT_EQ(check(false), offers ? UpdateOutcome::declined : UpdateOutcome::up_to_date) << version;
        ASSERT_EQ(questions_.asked.size(), offers ? 1u : 0u) << version;
        if (offers) {
            EXPECT_EQ(questions_.asked[0].text, "Доступна новая версия программы!\rОбновить?");
        }
    }
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(downloaded().isEmpty());
}

TEST_F(UpdateCheck, AHostileVersionTextIsNeverOffered) {
    struct Case {
        const char* what;
        std::string text;
        std::string signature;
        const char* message;
    };
    const std::string html = "<h1 style=\"color:red\">2.0</h1><a href=\"http://127.0.0.1:9/x.exe\">сюда</a>";
    const Case cases[] = {
        {"markup", html, release_.sign(html, "file:updmtz17.ini version:2.0"),
         "Узел обновлений прислал вместо номера версии что-то другое. Обновление не предлагается."},
        {"unsigned", "1.0.3.0", "", "Номер новой версии не подписан. Обновление не предлагается."},
        {"another key", "1.0.3.0", stranger_.sign("1.0.3.0", "file:updmtz17.ini version:1.0.3.0"),
         "Подпись номера новой версии сделана неизвестным ключом. Обновление не предлагается."},
        {"edited after signing", "1.0.4.0", release_.sign("1.0.3.0", "file:updmtz17.ini version:1.0.4.0"),
         "Подпись номера новой версии не подтверждена: файл подделан или повреждён. Обновление не предлагается."},
        {"an archive's signature", "1.0.3.0", release_.sign("1.0.3.0", "file:morvalen_trast.rar version:1.0.3.0"),
         "Подпись номера новой версии сделана для другого файла. Обновление не предлагается."},
        {"garbage", "1.0.3.0", "<html>not found</html>", "Подпись номера новой версии повреждена. Обновление не предлагается."},
    };
    for (const Case& c : cases) {
        put(service::version_file, c.text);
        if (c.signature.empty()) {
            service_->store().with_db(
                [&](service::Database& db) { service::remove_update_file(db, service::version_signature_file); });
        } else {
            put(service::version_signature_file, c.signature);
        }
        questions_.asked.clear();
        EXPECT_EQ(check(true, true), UpdateOutcome::refused) << c.what;
        EXPECT_EQ(last_box(), QString::fromUtf8(c.message)) << c.what;
        EXPECT_TRUE(questions_.asked.empty()) << c.what;
    }
    EXPECT_TRUE(downloaded().isEmpty());
    EXPECT_EQ(desktop_.quit_requests, 0);
}

TEST_F(UpdateCheck, AForgedUnsignedOrReplayedArchiveIsNotWritten) {
    const std::string genuine = numbered_bytes(200000, 7);
    const std::string evil = numbered_bytes(200000, 11);
    struct Case {
        const char* what;
        std::string archive;
        std::string signature;
        const char* message;
    };
    const Case cases[] = {
        {"forged", evil, release_.sign(genuine, "file:morvalen_trast.rar version:1.0.3.0"),
         "Подпись архива новой версии не подтверждена: файл подделан или повреждён. Файл не сохранён."},
        {"unsigned", evil, "", "Архив новой версии не подписан. Файл не сохранён."},
        {"replayed", genuine, release_.sign(genuine, "file:morvalen_trast.rar version:1.0.2.5"),
         "Архив подписан для версии 1.0.2.5, а предложена версия 1.0.3.0. Файл не сохранён."},
        {"by a stranger", evil, stranger_.sign(evil, "file:morvalen_trast.rar version:1.0.3.0"),
         "Подпись архива новой версии сделана неизвестным ключом. Файл не сохранён."},
    };
    for (const Case& c : cases) {
        publish("1.0.3.0", c.archive, release_);
        if (c.signature.empty()) {
            service_->store().with_db(
                [&](service::Database& db) { service::remove_update_file(db, service::archive_signature_file); });
        } else {
            put(service::archive_signature_file, c.signature);
        }
        EXPECT_EQ(check(true, true), UpdateOutcome::refused) << c.what;
        EXPECT_EQ(last_box(), QString::fromUtf8(c.message)) << c.what;
    }
    EXPECT_TRUE(downloaded().isEmpty());
    EXPECT_TRUE(questions_.confirmed.empty());
}

TEST_F(UpdateCheck, AnUnreachableHostOrAMissingKeyChecksNothing) {
    publish("1.0.3.0", "archive", release_);
    UpdateChecker unkeyed(nullptr, host_, platform(), UpdateSettings{{}, downloads_});
    unkeyed.start();
    EXPECT_EQ(unkeyed.outcome(), UpdateOutcome::no_check);

    // Nothing listens on port 1: the start goes on silently.
    host_ = QStringLiteral("http://127.0.0.1:1");
    EXPECT_EQ(check(true, true), UpdateOutcome::up_to_date);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(UpdateCheck, AnUnwritableDownloadFolderIsReported) {
    publish("1.0.3.0", "archive bytes", release_);
    // A file where the folder should be.
    QFile(downloads_).open(QIODevice::WriteOnly);
    EXPECT_EQ(check(true, true), UpdateOutcome::not_downloaded);
    EXPECT_TRUE(last_box().startsWith(QStringLiteral("Невозможно записать архив новой версии в папку ") + downloads_))
        << last_box().toStdString();
    EXPECT_TRUE(questions_.confirmed.empty());
}

TEST_F(UpdateCheck, AnArchiveAboveTheLimitIsNotFetchedAndTheMessageNamesTheLimit) {
    publish("1.0.3.0", "archive bytes", release_);
    // One byte more than the operator's command stores, put there behind its back.
    service_->store().with_db([](service::Database& db) {
        db.prepare("UPDATE update_files SET content = zeroblob(?) WHERE name = ?")
            .bind(1, static_cast<std::int64_t>(core::update_archive_limit + 1))
            .bind(2, service::archive_file)
            .run();
    });
    EXPECT_EQ(check(true, true), UpdateOutcome::not_downloaded);
    EXPECT_EQ(last_box(), QStringLiteral("Не удалось загрузить архив новой версии: архив больше 64 МБ, наибольшего "
                                         "размера обновления. Файл не сохранён."));
    EXPECT_TRUE(downloaded().isEmpty());
}

// A host that sends the archive's headers and a first piece, then nothing, like a stalled line.
class StallingHost {
public:
    explicit StallingHost(std::map<std::string, std::string> files) : files_(std::move(files)) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

private:
    void answer(QTcpSocket* socket) {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        const auto found = files_.find(path.toStdString());
        if (found == files_.end()) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        const bool stall = path == "/morvalen_trast.rar";
        const std::string& body = found->second;
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        socket->write(head.data(), static_cast<qint64>(head.size()));
        const std::size_t sent = stall ? body.size() / 4 : body.size();
        socket->write(body.data(), static_cast<qint64>(sent));
        if (!stall) socket->disconnectFromHost();
    }

    QTcpServer server_;
    std::map<std::string, std::string> files_;
};

TEST_F(UpdateCheck, TheDownloadShowsItsProgressAndCanBeCancelled) {
    const std::string archive = numbered_bytes(400000, 7);
    StallingHost stalling({{"/updmtz17.ini", "1.0.3.0"},
                           {"/updmtz17.ini.minisig", release_.sign("1.0.3.0", "file:updmtz17.ini version:1.0.3.0")},
                           {"/morvalen_trast.rar", archive}});
    QWidget window;
    window.show();
    questions_.answer_yes = true;
    UpdateSettings settings{{release_.key()}, downloads_};
    UpdateChecker checker(&window, stalling.url(), platform(), settings);
    QSignalSpy done(&checker, &UpdateChecker::finished);
    checker.start();
    QProgressDialog* progress = nullptr;
    const bool shown = QTest::qWaitFor(
        [&] {
            progress = window.findChild<QProgressDialog*>(QStringLiteral("update_download_progress"));
            return progress && progress->isVisible();
        },
        10000);
    ASSERT_TRUE(shown);
    // The host sent a quarter and stalls: the download cannot end on its own.
    QTest::qWait(300);
    EXPECT_TRUE(done.isEmpty());
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.size() == 1; }, 5000));
    EXPECT_EQ(checker.outcome(), UpdateOutcome::cancelled);
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(downloaded().isEmpty());
}

TEST_F(UpdateCheck, TheWindowChecksAfterItIsShownAndInformationOpensThePage) {
    publish("1.0.3.0", "archive", release_);
    UpdateSettings settings{{release_.key()}, downloads_};
    FilesHarness h(host_, false, settings);
    // The start itself never waits for the host.
    EXPECT_TRUE(h.questions.asked.empty());
    EXPECT_EQ(h.fetcher->requests.size(), 1u);
    EXPECT_EQ(h.grid()->cell(0, 0), "События");
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.questions.asked.size() == 1; }, 10000));
    EXPECT_EQ(h.desktop.quit_requests, 0);
    EXPECT_TRUE(downloaded().isEmpty());
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

// Signatures made by the minisign program itself, prehashed (its default) and legacy.
TEST(UpdateSignature, ReadsWhatMinisignWrites) {
    const auto read = [](const char* name) { return read_text(QStringLiteral(MORVALEN_TEST_DATA "/") + QLatin1String(name)); };
    const auto key = core::parse_minisign_key(read("minisign_test.pub"));
    ASSERT_TRUE(key.has_value());
    const SignatureVerdict prehashed = verify_signature("1.0.3.0", read("version_prehashed.minisig"), {*key});
    EXPECT_EQ(prehashed.check, core::SignatureCheck::valid);
    EXPECT_EQ(prehashed.trusted_comment, "file:updmtz17.ini version:1.0.3.0");
    const SignatureVerdict legacy = verify_signature("1.0.3.0", read("version_legacy.minisig"), {*key});
    EXPECT_EQ(legacy.check, core::SignatureCheck::valid);
    EXPECT_EQ(legacy.trusted_comment, "timestamp:1796825629\tfile:v.ini");

    EXPECT_EQ(verify_signature("1.0.3.1", read("version_prehashed.minisig"), {*key}).check, core::SignatureCheck::forged);
    std::string edited = read("version_prehashed.minisig");
    edited.replace(edited.find("1.0.3.0"), 7, "9.9.9.9");
    EXPECT_EQ(verify_signature("1.0.3.0", edited, {*key}).check, core::SignatureCheck::forged);
    EXPECT_EQ(verify_signature("1.0.3.0", read("version_prehashed.minisig"), {}).check, core::SignatureCheck::unknown_key);
}

}  // namespace
}  // namespace morvalen::app::testing
