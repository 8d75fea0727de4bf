#include "sim/engine/Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace vantrok::sim::sqlite {

namespace {

[[noreturn]] void fail(sqlite3* db, int code) {
    throw Error(sqlite3_extended_errcode(db) ? sqlite3_extended_errcode(db) : code,
                db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

// Writers of other processes hold the lock for milliseconds; a long wait
// only happens when something is wrong.
constexpr int busyTimeoutMs = 15000;

}  // namespace

Database::Database(const std::string& path, bool create) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(rc, message + ": " + path);
    }
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    // Tools open a connection per command; a checkpoint at every close would
    // sync the disk each time. SQLite's automatic checkpoints are enough.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    exec("PRAGMA synchronous=NORMAL");
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::exec(std::string_view sql) {
    std::string text(sql);
    char* message = nullptr;
    int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string what = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw Error(sqlite3_extended_errcode(db_), what);
    }
}

Statement Database::prepare(std::string_view sql) { return Statement(db_, sql); }

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                &stmt_, nullptr);
    if (rc != SQLITE_OK) fail(db, rc);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) fail(db_, rc);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) fail(db_, rc);
    return *this;
}

Statement& Statement::bindOptional(int index, const std::optional<std::string>& text) {
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
}

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(stmt_); }

Statement& Statement::bindNull(int index) {
    int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) fail(db_, rc);
    return *this;
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    fail(db_, rc);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::columnName(int column) const { return sqlite3_column_name(stmt_, column); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::optional<std::string> Statement::optionalText(int column) const {
    if (isNull(column)) return std::nullopt;
    return text(column);
}

std::optional<std::string_view> Statement::textView(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!p) return std::nullopt;
    return std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

Transaction::Transaction(Database& db, Mode mode) : db_(db), nested_(sqlite3_get_autocommit(db.handle()) == 0) {
    db_.exec(nested_ ? "SAVEPOINT inner" : mode == Mode::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.exec(nested_ ? "ROLLBACK TO inner; RELEASE inner" : "ROLLBACK");
        } catch (const Error&) {
            // Nothing left to undo when SQLite already rolled back on its own.
        }
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? "RELEASE inner" : "COMMIT");
    done_ = true;
}

}  // namespace vantrok::sim::sqlite
