// The service end to end on the loopback: what the program reads from it, and what it refuses.
#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/pages/line_page.h"
#include "core/pages/list_page.h"
#include "core/pages/page_text.h"
#include "core/formats/payload.h"
#include "core/pages/service_request.h"
#include "core/model/signature.h"
#include "service/brief_service.h"
#include "service/demo_line.h"
#include "service/embedded_service.h"
#include "service/line_store.h"
#include "service/store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::service {
namespace {

class ServiceHttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        embedded_ = EmbeddedService::start("");
        ASSERT_NE(embedded_, nullptr);
    }

    httplib::Client client() const {
        httplib::Client c(embedded_->base_url());
        c.set_connection_timeout(std::chrono::seconds(5));
        c.set_read_timeout(std::chrono::seconds(10));
        return c;
    }

    // Target relative to the base address, e.g. "/sttot/getbrief.ashx?line=1".
    httplib::Result get(const std::string& target) const { return client().Get(target); }

    std::string path_of(const std::string& address) const {
        return address.substr(embedded_->base_url().size());
    }

    std::unique_ptr<EmbeddedService> embedded_;
    const core::LocalDateTime when_{2026, 12, 8, 6, 0, 0, 0};
};

TEST_F(ServiceHttpTest, TheLinePageReadsIntoAFullTable) {
    ASSERT_EQ(embedded_->base_url().rfind("http://127.0.0.1:", 0), 0u);
    const auto result = get(path_of(core::line_page_address(embedded_->base_url(), when_)));
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200);
    core::EventTable table;
    const auto page = core::read_line_page(core::page_text(result->body, result->get_header_value("Content-Type")), table);
    ASSERT_TRUE(page.ok()) << page.error;
    const DrawLine demo = demo_line();
    ASSERT_EQ(page.names.size(), 8u);
    for (int e = 1; e <= 8; ++e) {
        EXPECT_EQ(table.event(e).name, demo.table.event(e).name);
        for (int o = 1; o <= 17; ++o) {
            EXPECT_EQ(table.cell(e, o).quote_probability, demo.table.cell(e, o).quote_probability);
            EXPECT_EQ(table.cell(e, o).pool_probability, demo.table.cell(e, o).pool_probability);
        }
    }
    EXPECT_EQ(table.acceptance_note, ". Прием до " + demo.deadline);
    EXPECT_EQ(page.stake_text, demo.stake);
}

TEST_F(ServiceHttpTest, ANewLineIsServedAtOnce) {
    ASSERT_EQ(get("/sttot/getbrief.ashx?line=1&dt=1")->status, 200);  // fills the cache
    DrawLine line = demo_line();
    line.table.event(4).name = "Новая - Команда";
    embedded_->store().with_db([&](Database& db) { save_line(db, line); });
    const auto result = get("/sttot/getbrief.ashx?line=1&dt=2");
    core::EventTable table;
    ASSERT_TRUE(core::read_line_page(core::page_text(result->body, result->get_header_value("Content-Type")), table).ok());
    EXPECT_EQ(table.event(4).name, "Новая - Команда");
}

TEST_F(ServiceHttpTest, ListPageAndStoredAndMissingSystems) {
    const auto stored = core::signature_of(7, {3, 2, 1, 1, 1, 1, 1, 1});
    const auto nearby = core::signature_of(7, {3, 1, 1, 1, 1, 1, 1, 1});
    const std::vector<std::uint64_t> records{0, 1, 2, 17, 4294967296ull};
    embedded_->store().with_db([&](Database& db) {
        put_system(db, stored, 5, core::encode_payload(records));
        put_system(db, nearby, 3, core::encode_payload({0, 1, 2}));
    });

    const auto system = get(path_of(core::system_address(embedded_->base_url(), stored)));
    ASSERT_EQ(system->status, 200);
    const auto decoded = core::decode_payload(system->body, 1 << 20);
    ASSERT_EQ(decoded.status, core::PayloadStatus::records);
    EXPECT_EQ(decoded.records, records);

    const auto missing = get(path_of(core::system_address(embedded_->base_url(), stored + 17)));
    ASSERT_EQ(missing->status, 200);
    EXPECT_EQ(core::decode_payload(missing->body, 1 << 20).status, core::PayloadStatus::no_system);

    const auto list = get(path_of(core::list_page_address(embedded_->base_url(), "7", 3, 2, when_)));
    ASSERT_EQ(list->status, 200);
    core::BriefSystemList entries;
    ASSERT_TRUE(core::read_list_page(core::page_text(list->body, list->get_header_value("Content-Type")), entries).ok());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].counts, (core::MarkedCounts{3, 2, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(entries[0].bets, 5);
    EXPECT_EQ(entries[1].bets, 3);

    // No system of that shape: an empty page, read as an empty list.
    const auto empty = get(path_of(core::list_page_address(embedded_->base_url(), "7", 5, 2, when_)));
    ASSERT_EQ(empty->status, 200);
    EXPECT_TRUE(core::read_list_page(core::page_text(empty->body, ""), entries).ok());
    EXPECT_TRUE(entries.empty());
}

TEST_F(ServiceHttpTest, MissingSystemsMayComeFromASource) {
    const auto wanted = core::signature_of(6, {2, 2, 1, 1, 1, 1, 1, 1});
    embedded_->service().set_system_source([wanted](std::int64_t s, std::string_view) -> SourcedSystem {
        if (s != wanted) return {};
        return {core::encode_payload({7})};
    });
    const auto made = get("/sttot/getbrief.ashx?signat=" + std::to_string(wanted));
    EXPECT_EQ(core::decode_payload(made->body, 100).records, (std::vector<std::uint64_t>{7}));
    EXPECT_TRUE(get("/sttot/getbrief.ashx?signat=" + std::to_string(wanted + 1))->body.empty());
}

TEST_F(ServiceHttpTest, UpdateFiles) {
    const auto version = get("/updmtz17.ini");
    ASSERT_EQ(version->status, 200);
    EXPECT_EQ(version->body, "1.0.2.0");
    EXPECT_EQ(get("/morvalen_trast.rar")->status, 404);
    const auto help = get("/morvalen_help.html");
    ASSERT_EQ(help->status, 200);
    EXPECT_NE(core::page_text(help->body, help->get_header_value("Content-Type")).find("Тотализатор"), std::string::npos);

    const std::string archive("Rar!\x1a\x07\x00 binary \x00\xff", 17);
    embedded_->store().with_db([&](Database& db) {
        put_update_file(db, version_file, "1.0.3.0");
        put_update_file(db, archive_file, archive);
    });
    EXPECT_EQ(get("/updmtz17.ini")->body, "1.0.3.0");
    const auto rar = get("/morvalen_trast.rar");
    ASSERT_EQ(rar->status, 200);
    EXPECT_EQ(rar->body, archive);
}

TEST_F(ServiceHttpTest, MalformedQueriesGetA400AndNothingOutsideTheStoreIsServed) {
    const std::vector<std::string> bad{
        "/sttot/getbrief.ashx",
        "/sttot/getbrief.ashx?line=one&dt=1",
        "/sttot/getbrief.ashx?grant=7_2&dt=1",
        "/sttot/getbrief.ashx?grant=99_21&dt=1",
        "/sttot/getbrief.ashx?signat=-1",
        "/sttot/getbrief.ashx?signat=123456789012345678901234567890",
        "/sttot/getbrief.ashx?signat=1e5",
        "/sttot/getbrief.ashx?line=1&evil=1",
        "/sttot/getbrief.ashx?line=1&line=1",
        "/sttot/getbrief.ashx?line=1&dt=" + std::string(300, '9'),
        "/sttot/getbrief.ashx?signat=%00",
    };
    for (const auto& target : bad) {
        const auto result = get(target);
        ASSERT_TRUE(result) << target;
        EXPECT_EQ(result->status, 400) << target;
        EXPECT_FALSE(result->body.empty()) << target;
    }
    for (const std::string target :
         {"/etc/passwd", "/../updmtz17.ini", "/sttot/../../etc/passwd", "/sttot/getbrief.ashx/../../x",
          "/%2e%2e/%2e%2e/etc/passwd", "/data/demo-line.json", "/"}) {
        const auto result = get(target);
        ASSERT_TRUE(result) << target;
        EXPECT_GE(result->status, 400) << target;
        EXPECT_EQ(result->body.find("root:"), std::string::npos) << target;
    }
    // A target longer than the server takes is refused before any handler.
    const auto huge = get("/sttot/getbrief.ashx?line=1&dt=" + std::string(20000, '1'));
    ASSERT_TRUE(huge);
    EXPECT_GE(huge->status, 400);
    EXPECT_EQ(get("/sttot/getbrief.ashx?line=1&dt=1")->status, 200);
}

TEST_F(ServiceHttpTest, TwoHundredConcurrentMalformedRequestsLeaveItServing) {
    std::atomic<int> refused{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 200; ++i) {
        threads.emplace_back([&, i] {
            httplib::Client c(embedded_->base_url());
            c.set_connection_timeout(std::chrono::seconds(10));
            c.set_read_timeout(std::chrono::seconds(30));
            const auto result = c.Get("/sttot/getbrief.ashx?signat=x" + std::to_string(i));
            if (result && result->status == 400) ++refused;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(refused.load(), 200);
    const auto line = get("/sttot/getbrief.ashx?line=1&dt=1");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->status, 200);
}

TEST(EmbeddedServiceTest, StartsOnAFileAndStopsCleanly) {
    const auto path = std::filesystem::temp_directory_path() / "morvalen_embedded_test.db";
    std::filesystem::remove(path);
    for (int round = 0; round < 2; ++round) {
        auto embedded = EmbeddedService::start(path.string());
        ASSERT_NE(embedded, nullptr);
        httplib::Client c(embedded->base_url());
        EXPECT_EQ(c.Get("/updmtz17.ini")->status, 200);
    }
    // Started and stopped at once, without a request in between.
    for (int i = 0; i < 5; ++i) EXPECT_NE(EmbeddedService::start(""), nullptr);
    EXPECT_EQ(EmbeddedService::start("/nonexistent-dir/x/y.db"), nullptr);
    std::filesystem::remove(path);
    std::filesystem::remove(path.string() + "-wal");
    std::filesystem::remove(path.string() + "-shm");
}

}  // namespace
}  // namespace morvalen::service
