// The transport under slow, idle, crowding and malformed clients, and with the descriptors used up.
#include <dirent.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "raw_http_client.h"
#include "service/brief_service.h"
#include "service/client_address.h"
#include "service/http_routes.h"
#include "service/http_server.h"
#include "service/line_store.h"
#include "service/open_file_limit.h"
#include "service/store.h"

namespace morvalen::service {
namespace {

using namespace std::chrono_literals;
using testing::get_once;
using testing::RawConnection;
using Clock = std::chrono::steady_clock;

constexpr const char* line_target = "/sttot/getbrief.ashx?line=1&dt=46364.25";

class TransportTest : public ::testing::Test {
protected:
    void start(ServerOptions options) {
        options.host = "127.0.0.1";
        options.port = 0;
        server_ = std::make_unique<HttpServer>(service_, options);
        port_ = server_->bind();
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_->run(); });
    }

    void TearDown() override {
        if (server_) server_->stop();
        if (thread_.joinable()) thread_.join();
    }

    Store store_{""};
    BriefService service_{store_};
    std::unique_ptr<HttpServer> server_;
    std::thread thread_;
    int port_ = 0;
};

TEST_F(TransportTest, AHeadTrickledByteByByteIsCutAtItsDeadlineWhileOthersAreServed) {
    ServerOptions options;
    options.head_timeout = 800ms;  // every byte below comes well within any idle timeout
    start(options);
    const std::string slow_head = std::string("GET ") + line_target + " HTTP/1.1\r\nX-Slow: " + std::string(200, 'a');
    std::vector<RawConnection> slow;
    for (int i = 0; i < 20; ++i) slow.emplace_back(port_);
    const auto started = Clock::now();
    std::vector<Clock::duration> cut(slow.size(), Clock::duration::zero());
    bool answered_meanwhile = false;
    for (std::size_t sent = 0; sent < slow_head.size() && Clock::now() - started < 4s; ++sent) {
        for (std::size_t i = 0; i < slow.size(); ++i) {
            if (cut[i] != Clock::duration::zero()) continue;
            if (!slow[i].send(slow_head.substr(sent, 1)) || slow[i].closed_now()) cut[i] = Clock::now() - started;
        }
        if (sent == 3) {
            const auto answer = get_once(port_, line_target, 2s);
            answered_meanwhile = answer && answer->status == 200 && !answer->body.empty();
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(answered_meanwhile);
    for (const auto elapsed : cut) {
        EXPECT_NE(elapsed, Clock::duration::zero()) << "a trickling client was never cut off";
        EXPECT_GE(elapsed, 700ms);
        EXPECT_LE(elapsed, 3s);
    }
}

TEST_F(TransportTest, KeptAliveConnectionsServePipelinedRequestsAndCloseWhenIdle) {
    ServerOptions options;
    options.keep_alive_timeout = 300ms;
    start(options);
    RawConnection connection(port_);
    ASSERT_TRUE(connection.send(std::string("GET ") + line_target + " HTTP/1.1\r\nHost: x\r\n\r\n" +
                                "GET /updmtz17.ini HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto line = connection.read_answer(3s);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->status, 200);
    EXPECT_NE(line->head.find("Content-Type: text/plain; charset=windows-1251"), std::string::npos);
    const auto version = connection.read_answer(3s);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->body, "1.0.2.0");
    const auto idle_from = Clock::now();
    EXPECT_TRUE(connection.closed_within(3s));
    EXPECT_GE(Clock::now() - idle_from, 250ms);

    // HTTP/1.0 without keep-alive gets its answer and the close.
    RawConnection old_client(port_);
    ASSERT_TRUE(old_client.send("GET /updmtz17.ini HTTP/1.0\r\n\r\n"));
    const auto old_answer = old_client.read_answer(3s);
    ASSERT_TRUE(old_answer);
    EXPECT_EQ(old_answer->status, 200);
    EXPECT_TRUE(old_client.closed_within(200ms));
}

TEST_F(TransportTest, OnlyGetWithoutABodyIsTakenAndEveryRefusalIsReadableBeforeTheClose) {
    start(ServerOptions{});
    struct Case {
        std::string request;
        int status;
    };
    const std::vector<Case> cases{
        {"POST /sttot/getbrief.ashx?line=1 HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 405},
        {"HEAD /updmtz17.ini HTTP/1.1\r\n\r\n", 405},
        {"DELETE /updmtz17.ini HTTP/1.1\r\n\r\n", 405},
        {"GET /updmtz17.ini HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 400},
        {"GET /updmtz17.ini HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n", 400},
        {"HELLO THERE\r\n\r\n", 400},
        {"GET /updmtz17.ini HTTP/1.1\r\nBroken field\r\n\r\n", 400},
        {"GET /sttot/getbrief.ashx?line=1&dt=" + std::string(20000, '1') + " HTTP/1.1\r\n\r\n", 414},
        {"GET /updmtz17.ini HTTP/1.1\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n", 431},
    };
    for (const auto& c : cases) {
        RawConnection connection(port_);
        ASSERT_TRUE(connection.send(c.request)) << c.request.substr(0, 40);
        const auto answer = connection.read_answer(3s);
        ASSERT_TRUE(answer) << c.request.substr(0, 40);
        EXPECT_EQ(answer->status, c.status) << c.request.substr(0, 40);
        EXPECT_NE(answer->head.find("Connection: close"), std::string::npos);
        EXPECT_TRUE(connection.closed_within(3s));
    }
    RawConnection refused(port_);
    ASSERT_TRUE(refused.send("PUT / HTTP/1.1\r\n\r\n"));
    EXPECT_NE(refused.read_answer(3s)->head.find("Allow: GET"), std::string::npos);
    // A GET with an empty body is still a GET without one.
    RawConnection empty_body(port_);
    ASSERT_TRUE(empty_body.send("GET /updmtz17.ini HTTP/1.1\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_EQ(empty_body.read_answer(3s)->status, 200);
}

TEST_F(TransportTest, BeyondTheConnectionCapAClientGetsAQuick503AndALaterOneIsServed) {
    ServerOptions options;
    options.max_connections = 3;
    start(options);
    ASSERT_EQ(server_->connection_cap(), 3u);
    std::vector<RawConnection> held;
    for (int i = 0; i < 3; ++i) {
        held.emplace_back(port_);
        ASSERT_TRUE(held.back().send("GET /updmtz17.ini HTTP/1.1\r\n\r\n"));
        ASSERT_EQ(held.back().read_answer(3s)->status, 200);  // accepted and kept alive
    }
    RawConnection extra(port_);
    const auto asked = Clock::now();
    ASSERT_TRUE(extra.send(std::string("GET ") + line_target + " HTTP/1.1\r\n\r\n"));
    const auto busy = extra.read_answer(3s);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->status, 503);
    EXPECT_NE(busy->head.find("Retry-After: 1"), std::string::npos);
    EXPECT_LT(Clock::now() - asked, 1s);
    EXPECT_TRUE(extra.closed_within(3s));

    held.pop_back();
    const auto until = Clock::now() + 3s;
    while (server_->open_connections() >= 3 && Clock::now() < until) std::this_thread::sleep_for(10ms);
    const auto served = get_once(port_, line_target, 3s);
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 200);
}

std::size_t open_descriptors() {
    std::size_t count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(TransportTest, RunningOutOfDescriptorsNeitherStopsNorSpinsTheService) {
    start(ServerOptions{});
    // Every loop thread is up and has served before the descriptors run out: the sanitizers' own
    // checks of a first call need a descriptor too.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(get_once(port_, "/updmtz17.ini", 3s)->status, 200);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = open_descriptors() + 24;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<RawConnection> clients;
    for (int i = 0; i < 64; ++i) {
        RawConnection client(port_);
        if (!client.connected()) break;
        clients.push_back(std::move(client));
    }
    // One more connection waits in the backlog while no descriptor is left to accept it.
    if (!clients.empty()) clients.pop_back();
    RawConnection waiting(port_);
    const double cpu_before = cpu_seconds();
    std::this_thread::sleep_for(1s);
    const double cpu_used = cpu_seconds() - cpu_before;
    clients.clear();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_LT(cpu_used, 0.25) << "the accept loop spins";
    EXPECT_TRUE(server_->running());
    const auto served = get_once(port_, line_target, 3s);
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 200);
}

TEST(AnswerAtOnceTest, GivesTheHandlersAnswerOrLeavesTheRequestToThem) {
    Store store("");
    BriefService service(store);
    const std::vector<std::string> targets{
        line_target, "/sttot/getbrief.ashx?line=1&line=1", "/sttot/getbrief.ashx?signat=%zz",
        "/sttot/getbrief.ashx?grant=7_32", "/sttot/getbrief.ashx?signat=50111101842", "/updmtz17.ini",
        "/etc/passwd", "/"};
    EXPECT_FALSE(answer_at_once(service, line_target)) << "nothing is cached yet";
    answer_request(service, line_target);
    int at_once = 0;
    for (const auto& target : targets) {
        const auto quick = answer_at_once(service, target);
        if (!quick) continue;
        ++at_once;
        const Reply full = answer_request(service, target);
        EXPECT_EQ(quick->status, full.status) << target;
        EXPECT_EQ(quick->body, full.body) << target;
        EXPECT_EQ(quick->content_type, full.content_type) << target;
    }
    EXPECT_EQ(at_once, 5);  // the cached line page, two refused queries, two unknown paths
    // A changed line is never answered from the old cache.
    store.with_db([](Database& db) {
        auto line = load_line(db);
        line->stake = "100";
        save_line(db, *line);
    });
    EXPECT_FALSE(answer_at_once(service, line_target));
}

TEST(ClientKeyTest, TheProxysFieldIsBelievedFromTheLoopbackOnlyAndIpv6CountsByItsPrefix) {
    EXPECT_EQ(client_key("203.0.113.5", ""), "203.0.113.5");
    EXPECT_EQ(client_key("203.0.113.5", "198.51.100.1"), "203.0.113.5");  // anyone may write the field
    EXPECT_EQ(client_key("127.0.0.1", "198.51.100.1"), "198.51.100.1");
    EXPECT_EQ(client_key("::1", "198.51.100.1"), "198.51.100.1");
    EXPECT_EQ(client_key("::ffff:127.0.0.1", "::ffff:198.51.100.1"), "198.51.100.1");
    EXPECT_EQ(client_key("127.0.0.1", "not an address"), "127.0.0.1");
    EXPECT_EQ(client_key("2001:db8:1:2:3:4:5:6", ""), "2001:db8:1:2::/64");
    EXPECT_EQ(client_key("127.0.0.1", "2001:db8:1:2:ffff::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(client_key("", ""), "unknown");
    // nginx on another machine, named by the operator.
    EXPECT_EQ(client_key("10.0.0.5", "198.51.100.1", {"10.0.0.5"}), "198.51.100.1");
    EXPECT_EQ(client_key("10.0.0.6", "198.51.100.1", {"10.0.0.5"}), "10.0.0.6");
    EXPECT_TRUE(is_address("fe80::1"));
    EXPECT_FALSE(is_address("nginx.local"));
}

TEST(OpenFileLimitTest, IsRaisedToTheHardLimit) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (saved.rlim_max == RLIM_INFINITY || saved.rlim_max < 512) GTEST_SKIP() << "no finite hard limit to reach";
    rlimit low = saved;
    low.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    EXPECT_EQ(raise_open_file_limit(), static_cast<std::size_t>(saved.rlim_max));
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
}

}  // namespace
}  // namespace morvalen::service
