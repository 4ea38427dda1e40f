// Generated brief systems in the service: the shipped catalogue in a new store, on-demand systems.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "briefgen/coverage_check.h"
#include "briefgen/shipped_catalogue.h"
#include "core/formats/payload.h"
#include "core/model/signature.h"
#include "service/brief_catalogue.h"
#include "raw_http_client.h"
#include "service/brief_service.h"
#include "service/http_server.h"
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
    EXPECT_FALSE(on_demand.request(core::signature_of(7, {17, 17, 17, 17, 17, 17, 17, 1})).payload.has_value());
    std::int64_t unsorted = 7;
    for (int count : {2, 3, 1, 1, 1, 1, 1, 1}) unsorted = unsorted * 17 + count;
    EXPECT_FALSE(on_demand.request(unsorted).payload.has_value());
    EXPECT_FALSE(on_demand.request(core::signature_of(9, {3, 1, 1, 1, 1, 1, 1, 1})).payload.has_value());
    EXPECT_FALSE(on_demand.request(0).payload.has_value());
    EXPECT_FALSE(on_demand.request(-17).payload.has_value());
}

TEST(OnDemandSystems, AboveTheSearchLimitOnlyAConstructionIsServed) {
    Store store("");
    OnDemandOptions options = fast_options();
    options.max_variants = 500;
    OnDemandSystems on_demand(store, options);
    // Five four-outcome events at guarantee 7: the Hamming code over GF(4), 64 bets, nothing smaller.
    const auto perfect = core::signature_of(7, {4, 4, 4, 4, 4, 1, 1, 1});
    const auto payload = on_demand.request(perfect).payload;
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(decoded(*payload).size(), 64u);
    expect_covers(perfect, *payload);
    // Six of them have no perfect code: the shipped code of four outcomes in six events, checked.
    const auto uniform = core::signature_of(7, {4, 4, 4, 4, 4, 4, 1, 1});
    const auto constructed = on_demand.request(uniform).payload;
    ASSERT_TRUE(constructed.has_value());
    EXPECT_LE(decoded(*constructed).size(), 256u);
    expect_covers(uniform, *constructed);
    // Too many bets for the limit: no system rather than a large one.
    options.max_bound_records = 100;
    OnDemandSystems strict(store, options);
    EXPECT_FALSE(strict.request(core::signature_of(7, {4, 4, 4, 4, 4, 3, 1, 1})).payload.has_value());
}

TEST(OnDemandSystems, ARequestThatStopsWaitingFindsItsSystemStoredLater) {
    Store store("");
    OnDemandOptions options = fast_options();
    options.wait = std::chrono::milliseconds(0);
    OnDemandSystems on_demand(store, options);
    const auto wanted = core::signature_of(6, {4, 4, 3, 3, 2, 1, 1, 1});
    EXPECT_FALSE(on_demand.request(wanted).payload.has_value());  // queued, answered "no system" at once
    std::optional<std::string> stored;
    for (int i = 0; i < 600 && !stored; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stored = store.with_db([&](Database& db) { return system_payload(db, wanted); });
    }
    ASSERT_TRUE(stored.has_value());
    expect_covers(wanted, *stored);
}

// A clock the test moves by hand.
struct ManualClock {
    std::shared_ptr<OnDemandOptions::Clock::time_point> now =
        std::make_shared<OnDemandOptions::Clock::time_point>(OnDemandOptions::Clock::now());
    void advance(std::chrono::seconds by) const { *now += by; }
    std::function<OnDemandOptions::Clock::time_point()> source() const {
        return [now = now] { return *now; };
    }
};

// Small shapes, each generated in a moment; none is in the shipped catalogue.
std::int64_t small_shape(int index) {
    const core::MarkedCounts shapes[] = {{2, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 1, 1, 1, 1, 1, 1}, {3, 1, 1, 1, 1, 1, 1, 1},
                                         {3, 2, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 1, 1, 1, 1, 1}, {3, 3, 1, 1, 1, 1, 1, 1}};
    return core::signature_of(4, shapes[index]);
}

bool stored(Store& store, std::int64_t signature) {
    return store.with_db([&](Database& db) { return has_system(db, signature); });
}

TEST(OnDemandSystems, EachClientHasABudgetOfNewSystemsThatRefillsWithTime) {
    Store store("");
    ManualClock clock;
    OnDemandOptions options = fast_options();
    options.client_burst = 2;
    options.client_refill = std::chrono::seconds(60);
    options.clock = clock.source();
    OnDemandSystems on_demand(store, options);
    EXPECT_TRUE(on_demand.request(small_shape(0), "192.0.2.1").payload.has_value());
    EXPECT_TRUE(on_demand.request(small_shape(1), "192.0.2.1").payload.has_value());
    // The third new system in the same minute: not now, and nothing is generated for it.
    const SourcedSystem refused = on_demand.request(small_shape(2), "192.0.2.1");
    EXPECT_FALSE(refused.payload.has_value());
    EXPECT_EQ(refused.retry_after_seconds, 60);
    EXPECT_NE(refused.refusal.find("too many new systems"), std::string::npos) << refused.refusal;
    EXPECT_FALSE(stored(store, small_shape(2)));
    // Another client is not held back by the first one.
    EXPECT_TRUE(on_demand.request(small_shape(2), "192.0.2.2").payload.has_value());
    // A minute later the first client has one more, and only one.
    clock.advance(std::chrono::seconds(45));
    EXPECT_EQ(on_demand.request(small_shape(3), "192.0.2.1").retry_after_seconds, 15);
    clock.advance(std::chrono::seconds(15));
    EXPECT_TRUE(on_demand.request(small_shape(3), "192.0.2.1").payload.has_value());
    EXPECT_EQ(on_demand.request(small_shape(4), "192.0.2.1").retry_after_seconds, 60);
    // The desktop's own service rations nobody.
    options.ration_clients = false;
    OnDemandSystems own(store, options);
    for (const int shape : {4, 5, 0}) EXPECT_TRUE(own.request(small_shape(shape), "127.0.0.1").payload.has_value());
}

TEST(OnDemandSystems, ForgottenClientsAreThoseClosestToAFullBudget) {
    Store store("");
    ManualClock clock;
    OnDemandOptions options = fast_options();
    options.client_burst = 1;
    options.max_clients = 2;
    options.clock = clock.source();
    OnDemandSystems on_demand(store, options);
    EXPECT_TRUE(on_demand.request(small_shape(0), "a").payload.has_value());
    clock.advance(std::chrono::seconds(1));
    EXPECT_TRUE(on_demand.request(small_shape(1), "b").payload.has_value());
    // "c" takes the place of "a", whose budget is the nearer to full; "b" and "c" are held back,
    // and "a", forgotten, starts afresh.
    EXPECT_TRUE(on_demand.request(small_shape(2), "c").payload.has_value());
    EXPECT_GT(on_demand.request(small_shape(3), "b").retry_after_seconds, 0);
    EXPECT_GT(on_demand.request(small_shape(3), "c").retry_after_seconds, 0);
    EXPECT_TRUE(on_demand.request(small_shape(3), "a").payload.has_value());
}

TEST(OnDemandSystems, GeneratedSystemsAreCappedLeastRecentlyServedFirstAndSystemsInUseAreKept) {
    Store store("");
    ManualClock clock;
    OnDemandOptions options = fast_options();
    options.max_generated = 2;
    options.keep_recent = std::chrono::seconds(900);
    options.clock = clock.source();
    const auto a = small_shape(0), b = small_shape(1), c = small_shape(2), d = small_shape(3);
    // The operator's system is never the generator's to drop.
    const auto operators = small_shape(5);
    store.with_db([&](Database& db) { put_system(db, operators, 1, core::encode_payload({0})); });
    {
        OnDemandSystems on_demand(store, options);
        ASSERT_TRUE(on_demand.request(a).payload.has_value());
        ASSERT_TRUE(on_demand.request(b).payload.has_value());
        clock.advance(std::chrono::seconds(1000));
        // a is served again, so b is the least recently served when c comes.
        on_demand.served(a);
        ASSERT_TRUE(on_demand.request(c).payload.has_value());
        EXPECT_TRUE(stored(store, a));
        EXPECT_FALSE(stored(store, b));
        EXPECT_TRUE(stored(store, c));
        EXPECT_EQ(on_demand.generated_count(), 2u);
        // Both kept systems were served in the last quarter of an hour: d waits rather than drop one.
        const SourcedSystem waiting = on_demand.request(d);
        EXPECT_FALSE(waiting.payload.has_value());
        EXPECT_EQ(waiting.retry_after_seconds, 900);
        EXPECT_FALSE(stored(store, d));
        clock.advance(std::chrono::seconds(900));
        ASSERT_TRUE(on_demand.request(d).payload.has_value());
        EXPECT_FALSE(stored(store, a));
        EXPECT_TRUE(stored(store, operators));
    }
    // A restarted service knows what it generated, and in which order it was served.
    OnDemandSystems restarted(store, options);
    EXPECT_EQ(restarted.generated_count(), 2u);
    // The operator stores a system of his own under c: it is his from now on.
    store.with_db([&](Database& db) { put_system(db, c, 1, core::encode_payload({1})); });
    ASSERT_TRUE(restarted.request(a).payload.has_value());
    ASSERT_TRUE(restarted.request(b).payload.has_value());
    EXPECT_TRUE(stored(store, c));
    EXPECT_FALSE(stored(store, d));
    EXPECT_EQ(store.with_db([](Database& db) { return generated_systems(db).size(); }), 2u);
}

TEST(OnDemandSystems, OverHttpTheClientBehindTheLocalProxyIsRefusedWith503AndRetryAfter) {
    Store store("");
    BriefService service(store);
    OnDemandOptions options = fast_options();
    options.client_burst = 1;
    options.client_refill = std::chrono::seconds(120);
    serve_brief_systems(store, service, options);
    ServerOptions server_options;
    server_options.port = 0;
    HttpServer server(service, server_options);
    const int port = server.bind();
    ASSERT_GT(port, 0);
    std::thread serving([&] { server.run(); });
    const auto ask = [&](std::int64_t signature, const std::string& forwarded) {
        testing::RawConnection connection(port);
        connection.send("GET /sttot/getbrief.ashx?signat=" + std::to_string(signature) + " HTTP/1.1\r\nHost: x\r\n" +
                        (forwarded.empty() ? "" : "X-Real-IP: " + forwarded + "\r\n") + "\r\n");
        return connection.read_answer(std::chrono::seconds(60)).value_or(testing::RawAnswer{});
    };
    const auto first = ask(small_shape(0), "198.51.100.7");
    EXPECT_EQ(first.status, 200);
    expect_covers(small_shape(0), first.body);
    const auto second = ask(small_shape(1), "198.51.100.7");
    EXPECT_EQ(second.status, 503);
    EXPECT_NE(second.head.find("Retry-After: 120\r\n"), std::string::npos) << second.head;
    // What is stored costs nothing; another player behind the proxy has a budget of his own, and so
    // has the loopback itself.
    EXPECT_EQ(ask(small_shape(0), "198.51.100.7").body, first.body);
    EXPECT_EQ(ask(small_shape(1), "2001:db8::1").status, 200);
    EXPECT_EQ(ask(small_shape(2), "2001:db8::2").status, 503);  // the same /64
    EXPECT_EQ(ask(small_shape(2), "").status, 200);
    server.stop();
    serving.join();
}

}  // namespace
}  // namespace morvalen::service
