// SQLite errors become exceptions so that a failing statement can never be taken for success.
#include "service/sqlite_db.h"

namespace morvalen::service {
namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    throw DatabaseError(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "no database"));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        fail(db, "cannot prepare a statement");
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_, "cannot bind");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK)
        fail(db_, "cannot bind");
    return *this;
}

Statement& Statement::bind_blob(int index, std::string_view bytes) {
    if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(db_, "cannot bind");
    return *this;
}

Statement& Statement::bind_null(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) fail(db_, "cannot bind");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    fail(db_, "statement failed");
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::column_int(int index) const { return sqlite3_column_int64(stmt_, index); }

std::string Statement::column_text(int index) const {
    const void* data = sqlite3_column_blob(stmt_, index);
    const int size = sqlite3_column_bytes(stmt_, index);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool Statement::column_is_null(int index) const { return sqlite3_column_type(stmt_, index) == SQLITE_NULL; }

Database::Database(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("cannot open " + path + ": " + message);
    }
    // The operator's commands write from another process while the service reads.
    sqlite3_busy_timeout(db_, 5000);
}

Database::~Database() { sqlite3_close(db_); }

void Database::exec(std::string_view sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw DatabaseError(text);
    }
}

Transaction::Transaction(Database& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.exec("ROLLBACK");
        } catch (const DatabaseError&) {
            // Nothing more can be done while unwinding.
        }
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
}

}  // namespace morvalen::service
