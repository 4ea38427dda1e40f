// The store: first-use seeding, the line round trip, and which systems the list page offers.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/pages/line_page.h"
#include "core/model/signature.h"
#include "service/demo_line.h"
#include "service/line_store.h"
#include "service/store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::service {
namespace {

std::int64_t signature(int guarantee, core::MarkedCounts counts) {
    return core::signature_of(guarantee, counts);
}

TEST(StoreTest, ANewDatabaseHoldsTheDemonstrationLine) {
    Store store("");
    EXPECT_TRUE(store.seeded_demo_line());
    const auto line = store.with_db([](Database& db) { return load_line(db); });
    ASSERT_TRUE(line.has_value());
    core::EventTable read;
    const auto result = core::read_line_page(core::write_line_page(line->table, {"dl=" + line->deadline}), read);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.names.size(), 8u);
    for (int e = 1; e <= core::event_count; ++e) {
        EXPECT_FALSE(core::short_event_name(read.event(e).name).empty()) << e;
        core::Currency quotes;
        for (int o = 1; o <= core::outcome_count; ++o) quotes += read.cell(e, o).quote_probability;
        // Normalised inverse odds: the quotes of an event add up to 100 within rounding.
        EXPECT_NEAR(static_cast<double>(quotes.to_floating()), 100.0, 0.01) << e;
    }
}

TEST(StoreTest, AFileDatabaseIsSeededOnceAndKeepsItsLine) {
    const auto path = std::filesystem::temp_directory_path() / "morvalen_store_test.db";
    std::filesystem::remove(path);
    {
        Store store(path.string());
        EXPECT_TRUE(store.seeded_demo_line());
        auto line = demo_line();
        line.table.event(1).name = "Изменено - Тоже";
        line.stake = "7.5";
        store.with_db([&](Database& db) { save_line(db, line); });
    }
    {
        Store store(path.string());
        EXPECT_FALSE(store.seeded_demo_line());
        const auto line = store.with_db([](Database& db) { return load_line(db); });
        EXPECT_EQ(line->table.event(1).name, "Изменено - Тоже");
        EXPECT_EQ(line->stake, "7.5");
    }
    std::filesystem::remove(path);
    std::filesystem::remove(path.string() + "-wal");
    std::filesystem::remove(path.string() + "-shm");
}

TEST(StoreTest, SignatureShapesInvertTheSignature) {
    const auto s = signature(7, {3, 2, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(s, 50111101842);
    const auto shape = core::signature_parts(s);
    EXPECT_EQ(shape.guarantee, 7);
    EXPECT_EQ(shape.counts, (core::MarkedCounts{3, 2, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(core::signature_parts(signature(8, {17, 17, 17, 17, 17, 17, 17, 17})).guarantee, 8);
    EXPECT_TRUE(core::is_valid_signature(s));
    EXPECT_FALSE(core::is_valid_signature(signature(9, {3, 2, 1, 1, 1, 1, 1, 1})));
    EXPECT_FALSE(core::is_valid_signature(7 * 6975757441LL + 1));  // counts not from largest
    EXPECT_FALSE(core::is_valid_signature(0));
}

TEST(StoreTest, TheListOffersTheSecondCountFirstThenOthersEachByBets) {
    Store store("");
    store.with_db([](Database& db) {
        put_system(db, signature(7, {3, 1, 1, 1, 1, 1, 1, 1}), 4, "a");
        put_system(db, signature(7, {3, 2, 2, 1, 1, 1, 1, 1}), 30, "b");
        put_system(db, signature(7, {3, 2, 1, 1, 1, 1, 1, 1}), 12, "c");
        put_system(db, signature(7, {3, 3, 1, 1, 1, 1, 1, 1}), 9, "d");
        put_system(db, signature(6, {3, 2, 1, 1, 1, 1, 1, 1}), 2, "other guarantee");
        put_system(db, signature(7, {4, 2, 1, 1, 1, 1, 1, 1}), 2, "other largest count");
    });
    const auto records = store.with_db([](Database& db) { return list_systems(db, 7, 3, 2); });
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].bets, 12);
    EXPECT_EQ(records[1].bets, 30);
    EXPECT_EQ(records[2].bets, 4);
    EXPECT_EQ(records[3].bets, 9);
    EXPECT_TRUE(store.with_db([](Database& db) { return list_systems(db, 5, 3, 2); }).empty());
    // Replacing a system keeps one row.
    store.with_db([](Database& db) { put_system(db, signature(7, {3, 1, 1, 1, 1, 1, 1, 1}), 5, "a2"); });
    EXPECT_EQ(store.with_db([](Database& db) { return system_payload(db, signature(7, {3, 1, 1, 1, 1, 1, 1, 1})); }),
              "a2");
}

TEST(StoreTest, UpdateFilesAreStoredAsBytes) {
    Store store("");
    const std::string bytes("Rar!\x1a\x07\x00\xff", 8);
    store.with_db([&](Database& db) { put_update_file(db, archive_file, bytes); });
    EXPECT_EQ(store.with_db([](Database& db) { return update_file(db, archive_file); }), bytes);
    EXPECT_FALSE(store.with_db([](Database& db) { return update_file(db, version_file); }).has_value());
}

}  // namespace
}  // namespace morvalen::service
