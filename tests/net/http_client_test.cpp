// The HTTP client: pages and bodies from the embedded service, caps, and the time limits that turn a
// silent host into a failed request.
#include "net/http_client.h"
#include "net/failure_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/pages/line_page.h"
#include "core/pages/page_text.h"
#include "core/formats/payload.h"
#include "core/pages/service_request.h"
#include "service/embedded_service.h"
#include "service/store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::net {
namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "net_http_client_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        embedded_ = service::EmbeddedService::start("");
        ASSERT_NE(embedded_, nullptr);
    }
    QUrl url(const std::string& path) const { return QUrl(QString::fromStdString(embedded_->base_url() + path)); }
    // One request, waited for in a local event loop (the test has no other).
    FetchResult fetch(const QUrl& target, const RequestLimits& limits) {
        QEventLoop loop;
        FetchResult out;
        bool finished = false;
        client_.get(target, limits, [&](const FetchResult& result) {
            out = result;
            finished = true;
            loop.quit();
        });
        if (!finished) loop.exec();
        return out;
    }

    // The application must exist before the client's network manager is made.
    QCoreApplication& app_ = app();
    std::unique_ptr<service::EmbeddedService> embedded_;
    HttpClient client_;
};

// A host that accepts connections and then either says nothing or sends headers and stalls.
class StallingHost {
public:
    explicit StallingHost(bool send_headers) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this, send_headers] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                sockets_.push_back(socket);
                if (send_headers) {
                    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                        socket->readAll();
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\npartial");
                    });
                }
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(server_.serverPort())); }

private:
    QTcpServer server_;
    std::vector<QTcpSocket*> sockets_;
};

TEST_F(HttpClientTest, FetchesTheLinePageAsynchronously) {
    FetchResult got;
    bool called = false;
    QEventLoop loop;
    client_.fetch_page(url("/sttot/getbrief.ashx?line=1&dt=46364.25"), [&](const FetchResult& r) {
        got = r;
        called = true;
        loop.quit();
    });
    EXPECT_FALSE(called);  // returns at once; the answer comes through the event loop
    loop.exec();
    ASSERT_TRUE(got.ok) << got.error.toStdString();
    EXPECT_EQ(got.status, 200);
    EXPECT_EQ(got.charset, "windows-1251");
    core::EventTable table;
    const auto text = core::page_text(got.body.toStdString(), got.content_type.toStdString());
    const auto page = core::read_line_page(text, table);
    EXPECT_TRUE(page.ok());
    EXPECT_EQ(page.names.size(), 8u);
}

TEST_F(HttpClientTest, DownloadsRespectTheCap) {
    std::vector<std::uint64_t> records(2000);
    for (std::size_t i = 0; i < records.size(); ++i) records[i] = i * 7919 % 6975757441ull;
    const std::string payload = core::encode_payload(records);
    embedded_->store().with_db([&](service::Database& db) { service::put_system(db, 50111101842, 2000, payload); });

    const auto whole = fetch(url("/sttot/getbrief.ashx?signat=50111101842"),
                                            [&] {
                                                auto limits = body_limits();
                                                limits.max_bytes = static_cast<qint64>(payload.size());
                                                return limits;
                                            }());
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(core::decode_payload(whole.body.toStdString(), 1 << 20).records, records);

    auto small = body_limits();
    small.max_bytes = static_cast<qint64>(payload.size()) - 1;
    const auto refused = fetch(url("/sttot/getbrief.ashx?signat=50111101842"), small);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.too_large);
    EXPECT_TRUE(refused.body.isEmpty());
    EXPECT_EQ(failure_reason(refused), QStringLiteral("ответ больше допустимого размера"));
    EXPECT_TRUE(page_arrived(whole));
    EXPECT_TRUE(failure_reason(whole).isEmpty());

    // The version text keeps its first 282 bytes and succeeds.
    embedded_->store().with_db(
        [](service::Database& db) { service::put_update_file(db, service::version_file, std::string(400, '9')); });
    const auto version = fetch(url("/updmtz17.ini"), version_text_limits());
    ASSERT_TRUE(version.ok);
    EXPECT_EQ(version.body.size(), 282);
}

TEST_F(HttpClientTest, ErrorStatusesStillBringTheirPage) {
    const auto missing = fetch(url("/morvalen_trast.rar"), body_limits());
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    const auto bad = fetch(url("/sttot/getbrief.ashx?signat=x"), page_limits());
    EXPECT_EQ(bad.status, 400);
    // For a page that must arrive, an error status is a failure with its number.
    EXPECT_FALSE(page_arrived(missing));
    EXPECT_EQ(failure_reason(missing), QStringLiteral("ответ с ошибкой HTTP 404"));
}

TEST_F(HttpClientTest, SilentAndStallingHostsTimeOut) {
    RequestLimits limits;
    limits.connect = std::chrono::milliseconds(300);
    limits.total = std::chrono::milliseconds(800);

    StallingHost silent(false);
    QElapsedTimer clock;
    clock.start();
    const auto quiet = fetch(silent.url(), limits);
    EXPECT_FALSE(quiet.ok);
    EXPECT_TRUE(quiet.timed_out);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(failure_reason(quiet), QStringLiteral("истекло время ожидания ответа"));

    StallingHost stalling(true);
    clock.restart();
    const auto stalled = fetch(stalling.url(), limits);
    EXPECT_FALSE(stalled.ok);
    EXPECT_TRUE(stalled.timed_out);
    EXPECT_GE(clock.elapsed(), 700);  // the headers came, so only the total limit could end it
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(HttpClientTest, ARefusedConnectionFailsWithoutWaiting) {
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    FetchResult finished_result;
    QObject::connect(&client_, &HttpClient::finished, [&](const QUrl&, const FetchResult& r) { finished_result = r; });
    const auto refused = fetch(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), page_limits());
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.timed_out);
    EXPECT_FALSE(refused.error.isEmpty());
    EXPECT_EQ(finished_result.error, refused.error);  // the signal carries the same result
    EXPECT_EQ(failure_reason(refused), QStringLiteral("в подключении отказано"));
    EXPECT_EQ(host_of(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port))), QStringLiteral("127.0.0.1:%1").arg(port));
}

}  // namespace
}  // namespace morvalen::net
