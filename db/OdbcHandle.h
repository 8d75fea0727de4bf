#pragma once

// Windows' ODBC headers need windows.h first.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <utility>
#include <vector>

#include "db/DatabaseError.h"

namespace vantrok::db {

// Owns one ODBC handle; frees it exactly once, never throwing.
class OdbcHandle {
public:
    OdbcHandle() = default;
    // Allocates a handle of the given type under parent; throws DatabaseError on failure.
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent, const char* context);
    ~OdbcHandle();
    OdbcHandle(OdbcHandle&& other) noexcept;
    OdbcHandle& operator=(OdbcHandle&& other) noexcept;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const noexcept { return handle_; }
    SQLSMALLINT type() const noexcept { return type_; }
    explicit operator bool() const noexcept { return handle_ != SQL_NULL_HANDLE; }
    void reset() noexcept;

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Every diagnostic record the handle holds, in order (none for a null handle).
std::vector<Diagnostic> diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// Throws DatabaseError with every diagnostic record of the handle when rc is an
// error (SQL_ERROR, SQL_INVALID_HANDLE); returns rc otherwise.
SQLRETURN check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& context);

}  // namespace vantrok::db
