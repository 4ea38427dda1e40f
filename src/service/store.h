// The service's SQLite store: schema, first-use seeding, and serialised access for the HTTP threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "service/sqlite_db.h"

namespace morvalen::service {

class Store {
public:
    // Opens or creates the database; a database without a line gets the demonstration line.
    // ":memory:" (or an empty path) gives a private in-memory store.
    explicit Store(const std::string& path);

    // Runs f(Database&) under the store's lock. Every access from the HTTP threads goes through here.
    template <typename F>
    decltype(auto) with_db(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::forward<F>(f)(db_);
    }

    // Changes whenever this or another connection has written; cached pages compare it.
    std::int64_t data_version();
    // The same, or nothing when another thread holds the store: for callers that must not wait.
    std::optional<std::int64_t> try_data_version();

    bool seeded_demo_line() const { return seeded_; }

private:
    std::int64_t data_version_locked();

    std::mutex mutex_;
    Database db_;
    bool seeded_ = false;
};

}  // namespace morvalen::service
