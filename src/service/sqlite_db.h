// A thin RAII face of SQLite: one connection, prepared statements, errors as exceptions.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace morvalen::service {

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bind_blob(int index, std::string_view bytes);
    Statement& bind_null(int index);
    // True while a row is available.
    bool step();
    void run() { while (step()) {} }
    void reset();

    std::int64_t column_int(int index) const;
    std::string column_text(int index) const;  // also reads blobs
    bool column_is_null(int index) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
public:
    // ":memory:" gives a private in-memory database.
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) { return Statement(db_, sql); }
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Commits on commit(), rolls back when left without it.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

}  // namespace morvalen::service
