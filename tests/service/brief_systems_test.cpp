// Generated brief systems in the service: the shipped catalogue in a new store, on-demand systems.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "briefgen/coverage_check.h"
#include "briefgen/shipped_catalogue.h"
#include "core/payload.h"
#include "core/signature.h"
#include "service/brief_catalogue.h"
#include "service/brief_service.h"
#include "service/on_demand_systems.h"
#include "service/store.h"
#include "service/system_store.h"

namespace morvalen::service {
namespace {

std::vector<std::uint64_t> decoded(const std::string& payload) {
    const auto result = core::decode_payload(payload, 1 << 24);
    EXPECT_EQ(result.status, core::PayloadStatus::records);
    return result.records;
}

void expect_covers(std::int64_t signature, const std::string& payload) {
    const auto shape = briefgen::shape_from_signature(signature);
    ASSERT_TRUE(shape.has_value());
    const auto report = briefgen::check_coverage(*shape, decoded(payload));
    EXPECT_TRUE(report.covers) << briefgen::describe(*shape) << ": " << report.problem;
}

TEST(BriefCatalogueStore, ANewStoreGetsTheShippedCatalogueOnce) {
    Store store("");
    const auto shipped = briefgen::shipped_catalogue();
    ASSERT_EQ(shipped.size(), briefgen::catalogue_shapes().size());
    EXPECT_EQ(store.with_db([](Database& db) { return load_shipped_catalogue(db); }), shipped.size());
    for (const auto& entry : shipped) {
        const auto payload = store.with_db([&](Database& db) { return system_payload(db, entry.signature); });
        ASSERT_TRUE(payload.has_value()) << entry.signature;
        EXPECT_EQ(decoded(*payload), entry.records);
        expect_covers(entry.signature, *payload);
    }
    // The list page offers them with their number of bets.
    const auto listed = store.with_db([](Database& db) { return list_systems(db, 7, 3, 3); });
    EXPECT_FALSE(listed.empty());
    EXPECT_EQ(store.with_db([](Database& db) { return load_shipped_catalogue(db); }), 0u);
    // A rebuild starts from what is stored.
    EXPECT_EQ(store.with_db([](Database& db) { return stored_catalogue(db); }).size(), shipped.size());
}

TEST(BriefCatalogueStore, AStoreWithTheOperatorsSystemsIsLeftAlone) {
    Store store("");
    const auto signature = core::signature_of(7, {3, 2, 1, 1, 1, 1, 1, 1});
    store.with_db([&](Database& db) { put_system(db, signature, 1, core::encode_payload({0})); });
    EXPECT_EQ(store.with_db([](Database& db) { return load_shipped_catalogue(db); }), 0u);
    EXPECT_EQ(decoded(*store.with_db([&](Database& db) { return system_payload(db, signature); })),
              (std::vector<std::uint64_t>{0}));
}

OnDemandOptions fast_options() {
    OnDemandOptions options;
    options.search_budget = std::chrono::milliseconds(200);
    options.wait = std::chrono::seconds(60);
    options.max_variants = 5000;
    return options;
}

TEST(OnDemandSystems, GeneratesStoresAndServesAMissingSystem) {
    Store store("");
    BriefService service(store);
    serve_brief_systems(store, service, fast_options());
    const auto wanted = core::signature_of(7, {5, 4, 3, 2, 1, 1, 1, 1});
    ASSERT_FALSE(store.with_db([&](Database& db) { return has_system(db, wanted); }));
    const Reply reply = service.brief({{"signat", std::to_string(wanted)}}, 40);
    ASSERT_FALSE(reply.body.empty());
    expect_covers(wanted, reply.body);
    const auto stored = store.with_db([&](Database& db) { return system_payload(db, wanted); });
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, reply.body);
    // The catalogue came along with the generator.
    EXPECT_TRUE(store.with_db([](Database& db) {
        return has_system(db, core::signature_of(7, {3, 3, 3, 3, 3, 3, 3, 3}));
    }));
}

TEST(OnDemandSystems, RefusesWhatItCannotOrMustNotGenerate) {
    Store store("");
    OnDemandSystems on_demand(store, fast_options());
    // Too many variants, counts not sorted, a guarantee outside 1 to 8, not a signature at all.
    EXPECT_FALSE(on_demand.request(core::signature_of(7, {17, 17, 17, 17, 17, 17, 17, 1})).has_value());
    std::int64_t unsorted = 7;
    for (int count : {2, 3, 1, 1, 1, 1, 1, 1}) unsorted = unsorted * 17 + count;
    EXPECT_FALSE(on_demand.request(unsorted).has_value());
    EXPECT_FALSE(on_demand.request(core::signature_of(9, {3, 1, 1, 1, 1, 1, 1, 1})).has_value());
    EXPECT_FALSE(on_demand.request(0).has_value());
    EXPECT_FALSE(on_demand.request(-17).has_value());
}

TEST(OnDemandSystems, AboveTheSearchLimitOnlyAConstructionIsServed) {
    Store store("");
    OnDemandOptions options = fast_options();
    options.max_variants = 500;
    OnDemandSystems on_demand(store, options);
    // Five four-outcome events at guarantee 7: the Hamming code over GF(4), 64 bets, nothing smaller.
    const auto perfect = core::signature_of(7, {4, 4, 4, 4, 4, 1, 1, 1});
    const auto payload = on_demand.request(perfect);
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(decoded(*payload).size(), 64u);
    expect_covers(perfect, *payload);
    // Six of them have no perfect code: the shipped code of four outcomes in six events, checked.
    const auto uniform = core::signature_of(7, {4, 4, 4, 4, 4, 4, 1, 1});
    const auto constructed = on_demand.request(uniform);
    ASSERT_TRUE(constructed.has_value());
    EXPECT_LE(decoded(*constructed).size(), 256u);
    expect_covers(uniform, *constructed);
    // Too many bets for the limit: no system rather than a large one.
    options.max_bound_records = 100;
    OnDemandSystems strict(store, options);
    EXPECT_FALSE(strict.request(core::signature_of(7, {4, 4, 4, 4, 4, 3, 1, 1})).has_value());
}

TEST(OnDemandSystems, ARequestThatStopsWaitingFindsItsSystemStoredLater) {
    Store store("");
    OnDemandOptions options = fast_options();
    options.wait = std::chrono::milliseconds(0);
    OnDemandSystems on_demand(store, options);
    const auto wanted = core::signature_of(6, {4, 4, 3, 3, 2, 1, 1, 1});
    EXPECT_FALSE(on_demand.request(wanted).has_value());  // queued, answered "no system" at once
    std::optional<std::string> stored;
    for (int i = 0; i < 600 && !stored; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stored = store.with_db([&](Database& db) { return system_payload(db, wanted); });
    }
    ASSERT_TRUE(stored.has_value());
    expect_covers(wanted, *stored);
}

}  // namespace
}  // namespace morvalen::service
