#include "db/StatementHandle.h"

#include <algorithm>
#include <utility>

namespace vantrok::db {

SQLHSTMT StatementPool::takeSpare() noexcept { return std::exchange(spare_, SQLHSTMT{}); }

SQLHSTMT StatementPool::adopt(OdbcHandle handle) {
    handles_.push_back(std::move(handle));
    return handles_.back().get();
}

void StatementPool::giveBack(SQLHSTMT handle, bool bound) noexcept {
    const bool clean = SQL_SUCCEEDED(SQLFreeStmt(handle, SQL_CLOSE)) &&
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
      bound_(std::exchange(other.bound_, false)) {}

StatementHandle& StatementHandle::operator=(StatementHandle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, SQLHSTMT{});
        pool_ = std::move(other.pool_);
        bound_ = std::exchange(other.bound_, false);
    }
    return *this;
}

void StatementHandle::reset() noexcept {
    if (handle_ == SQL_NULL_HANDLE) return;
    if (const std::shared_ptr<StatementPool> pool = pool_.lock()) pool->giveBack(handle_, bound_);
    handle_ = SQL_NULL_HANDLE;
    pool_.reset();
    bound_ = false;
}

}  // namespace vantrok::db
