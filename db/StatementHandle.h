#pragma once

#include <memory>
#include <vector>

#include "db/OdbcHandle.h"

namespace vantrok::db {

// The statement handles of one open connection. It frees every one of them
// before the connection closes, and keeps one handed back for the next
// statement, so that most statements need not allocate a handle.
class StatementPool {
public:
    // The spare handle, or null when there is none.
    SQLHSTMT takeSpare() noexcept;
    // Takes a freshly allocated handle into the pool's keeping.
    SQLHSTMT adopt(OdbcHandle handle);
    // Reads past the results still pending (rows are skipped, never
    // cancelled, so a batch runs whole), closes the cursor, drops the
    // bindings when it has some, and keeps the handle as the spare, or frees
    // it when there is one already or it could not be brought back clean.
    void giveBack(SQLHSTMT handle, bool bound, bool resultsPending) noexcept;

private:
    std::vector<OdbcHandle> handles_;
    SQLHSTMT spare_ = SQL_NULL_HANDLE;
};

// A statement handle lent by an open connection, handed back when done with.
// A handle whose connection closed meanwhile was freed with it and is only
// forgotten.
class StatementHandle {
public:
    StatementHandle() = default;
    StatementHandle(SQLHSTMT handle, std::weak_ptr<StatementPool> pool) noexcept
        : handle_(handle), pool_(std::move(pool)) {}
    ~StatementHandle() { reset(); }
    StatementHandle(StatementHandle&& other) noexcept;
    StatementHandle& operator=(StatementHandle&& other) noexcept;
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;

    SQLHSTMT get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != SQL_NULL_HANDLE; }
    // True while the connection it came from is open.
    bool live() const noexcept { return handle_ != SQL_NULL_HANDLE && !pool_.expired(); }
    // Parameters or columns were bound to it: they are dropped when it is handed back.
    void bindingsMade() noexcept { bound_ = true; }
    // Whether results may still be pending on it: after every execution until
    // they are read through. Pending results are read past when it goes back.
    void executing() noexcept { resultsPending_ = true; }
    void resultsReadThrough() noexcept { resultsPending_ = false; }

    // Hands the handle back; never throws.
    void reset() noexcept;

private:
    SQLHSTMT handle_ = SQL_NULL_HANDLE;
    std::weak_ptr<StatementPool> pool_;
    bool bound_ = false;
    bool resultsPending_ = true;
};

}  // namespace vantrok::db
