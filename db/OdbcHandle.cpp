#include "db/OdbcHandle.h"

#include <vector>

#include "db/DatabaseError.h"

namespace vantrok::db {
namespace {

SQLSMALLINT parentType(SQLSMALLINT type) {
    switch (type) {
    case SQL_HANDLE_DBC: return SQL_HANDLE_ENV;
    case SQL_HANDLE_STMT:
    case SQL_HANDLE_DESC: return SQL_HANDLE_DBC;
    default: return 0;
    }
}

}  // namespace

std::vector<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<Diagnostic> records;
    if (handle == SQL_NULL_HANDLE) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLCHAR> text(512);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, text.data(),
                                     static_cast<SQLSMALLINT>(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            // The message was cut short: ask again with room for all of it.
            text.resize(static_cast<std::size_t>(length) + 1);
            rc = SQLGetDiagRec(type, handle, i, state, &native, text.data(),
                               static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
        std::size_t used = length < 0 ? 0 : static_cast<std::size_t>(length);
        if (used >= text.size()) used = text.size() - 1;
        records.push_back({std::string(reinterpret_cast<const char*>(state)), static_cast<long>(native),
                           std::string(reinterpret_cast<const char*>(text.data()), used)});
    }
    return records;
}

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent, const char* context) : type_(type) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        throw DatabaseError(context, diagnostics(parentType(type), parent));
    }
    handle_ = handle;
}

OdbcHandle::~OdbcHandle() { reset(); }

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, SQLHANDLE{})) {}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, SQLHANDLE{});
    }
    return *this;
}

void OdbcHandle::reset() noexcept {
    if (handle_ == SQL_NULL_HANDLE) return;
    // A connected handle cannot be freed; disconnecting an idle one only fails harmlessly.
    if (type_ == SQL_HANDLE_DBC) SQLDisconnect(handle_);
    SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
}

SQLRETURN check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& context) {
    if (rc == SQL_ERROR) throw DatabaseError(context, diagnostics(type, handle));
    if (rc == SQL_INVALID_HANDLE) throw DatabaseError(context + " (invalid handle)", {});
    return rc;
}

}  // namespace vantrok::db
