#include "db/StatementHandle.h"

#include <algorithm>
#include <utility>

namespace vantrok::db {

SQLHSTMT StatementPool::takeSpare() noexcept { return std::exchange(spare_, SQLHSTMT{}); }

SQLHSTMT StatementPool::adopt(OdbcHandle handle) {
    handles_.push_back(std::move(handle));
    return handles_.back().get();
}

namespace {

// SQL_NO_DATA once every result is read; an error leaves the handle unfit for reuse.
bool readPastResults(SQLHSTMT handle) noexcept {
    SQLRETURN rc;
    while ((rc = SQLMoreResults(handle)) != SQL_NO_DATA)
        if (!SQL_SUCCEEDED(rc)) return false;
    return true;
}

}  // namespace

void StatementPool::giveBack(SQLHSTMT handle, bool bound, bool resultsPending) noexcept {
    const bool clean = (!resultsPending || readPastResults(handle)) && SQL_SUCCEEDED(SQLFreeStmt(handle, SQL_CLOSE)) &&
                       (!bound || (SQL_SUCCEEDED(SQLFreeStmt(handle, SQL_UNBIND)) &&
                                   SQL_SUCCEEDED(SQLFreeStmt(handle, SQL_RESET_PARAMS))));
    if (clean && spare_ == SQL_NULL_HANDLE) {
        spare_ = handle;
        return;
    }
    std::erase_if(handles_, [&](const OdbcHandle& h) { return h.get() == handle; });
}

StatementHandle::StatementHandle(StatementHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, SQLHSTMT{})),
      pool_(std::move(other.pool_)),
      bound_(std::exchange(other.bound_, false)),
      resultsPending_(std::exchange(other.resultsPending_, true)) {}

StatementHandle& StatementHandle::operator=(StatementHandle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, SQLHSTMT{});
        pool_ = std::move(other.pool_);
        bound_ = std::exchange(other.bound_, false);
        resultsPending_ = std::exchange(other.resultsPending_, true);
    }
    return *this;
}

void StatementHandle::reset() noexcept {
    if (handle_ == SQL_NULL_HANDLE) return;
    if (const std::shared_ptr<StatementPool> pool = pool_.lock()) pool->giveBack(handle_, bound_, resultsPending_);
    handle_ = SQL_NULL_HANDLE;
    pool_.reset();
    bound_ = false;
    resultsPending_ = true;
}

}  // namespace vantrok::db
