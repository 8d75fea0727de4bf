#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrok::sim::sqlite {

// A storage failure, with SQLite's extended result code and message.
class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

class Statement;

// One SQLite connection, tuned for several processes sharing a station.
class Database {
public:
    // Opens an existing file (or creates it when create is set).
    Database(const std::string& path, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql);
    sqlite3* handle() const noexcept { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// A prepared statement; parameters are 1-based, columns 0-based.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindOptional(int index, const std::optional<std::string>& text);
    Statement& bindNull(int index);
    // The highest parameter number the text uses.
    int parameterCount() const;

    // Steps once; false when the statement is done.
    bool step();
    // Runs to completion and resets, for statements that return no rows.
    void run();
    void reset();

    int columnCount() const;
    std::string columnName(int column) const;
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::optional<std::string> optionalText(int column) const;
    // The column's text in place, valid until the next step or reset.
    std::optional<std::string_view> textView(int column) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN .. COMMIT, rolled back unless committed. Immediate takes the write
// lock at once; deferred takes it at the first write. Inside a transaction
// already open on the connection (a client's) it is a savepoint of it.
class Transaction {
public:
    enum class Mode { Deferred, Immediate };
    explicit Transaction(Database& db, Mode mode = Mode::Immediate);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool nested_;
    bool done_ = false;
};

}  // namespace vantrok::sim::sqlite
