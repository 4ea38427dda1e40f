// Schema of the service database. Currency values are kept as integer ten-thousandths so that
// what is imported is served back to the last digit.
#include "service/store.h"

#include "service/demo_line.h"
#include "service/line_store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::service {

Store::Store(const std::string& path) : db_(path.empty() ? std::string(":memory:") : path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (path.empty() || path == ":memory:") {
        db_.exec("PRAGMA journal_mode=MEMORY");
    } else {
        // WAL lets the operator's commands write while the service keeps reading.
        db_.exec("PRAGMA journal_mode=WAL");
    }
    ensure_line_schema(db_);
    ensure_system_schema(db_);
    ensure_update_schema(db_);
    if (!load_line(db_)) {
        save_line(db_, demo_line());
        seeded_ = true;
    }
}

std::int64_t Store::data_version() {
    std::lock_guard<std::mutex> lock(mutex_);
    return data_version_locked();
}

std::optional<std::int64_t> Store::try_data_version() {
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;
    return data_version_locked();
}

std::int64_t Store::data_version_locked() {
    auto statement = db_.prepare("PRAGMA data_version");
    statement.step();
    // data_version moves with other connections' commits, total_changes with our own writes; both
    // only grow, so their sum changes whenever either does.
    return statement.column_int(0) + static_cast<std::int64_t>(sqlite3_total_changes64(db_.handle()));
}

}  // namespace morvalen::service
