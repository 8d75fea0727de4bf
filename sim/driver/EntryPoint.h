#pragma once

#include <exception>
#include <new>

#include "sim/driver/Handles.h"

namespace vantrok::sim::driver {

template <class T>
constexpr HandleKind kindOf();
template <>
constexpr HandleKind kindOf<Environment>() { return HandleKind::Environment; }
template <>
constexpr HandleKind kindOf<Connection>() { return HandleKind::Connection; }
template <>
constexpr HandleKind kindOf<Statement>() { return HandleKind::Statement; }

inline void noteLinkFailure(Handle&, const SimError&) {}
inline void noteLinkFailure(Connection& connection, const SimError& error) {
    if (error.sqlstate.starts_with("08")) connection.dead = true;
}
inline void noteLinkFailure(Statement& statement, const SimError& error) {
    noteLinkFailure(statement.connection, error);
}

// Runs one ODBC call on a handle: rejects unknown handles, starts a fresh
// diagnostic area, turns every failure into SQL_ERROR with its record (no
// exception may cross into the driver manager) and reports the warnings
// collected on the way as SQL_SUCCESS_WITH_INFO.
template <class T, class Body>
SQLRETURN entryPoint(SQLHANDLE handle, Body&& body) noexcept {
    auto* object = static_cast<T*>(handles::find(handle, kindOf<T>()));
    if (!object) return SQL_INVALID_HANDLE;
    Diagnostics& diagnostics = object->diagnostics;
    diagnostics.clear();
    SQLRETURN rc = SQL_ERROR;
    try {
        rc = body(*object);
        if (rc == SQL_SUCCESS && !diagnostics.empty()) rc = SQL_SUCCESS_WITH_INFO;
    } catch (const SimError& error) {
        noteLinkFailure(*object, error);
        diagnostics.add(error);
    } catch (const DriverError& error) {
        diagnostics.add(error);
    } catch (const std::bad_alloc&) {
        diagnostics.add(DriverError("HY001", "Memory allocation error"));
    } catch (const std::exception& error) {
        diagnostics.add(DriverError("HY000", error.what()));
    } catch (...) {
        diagnostics.add(DriverError("HY000", "General error"));
    }
    diagnostics.setReturnCode(rc);
    return rc;
}

inline Session& sessionOf(Connection& connection) {
    if (!connection.session) throw DriverError("08003", "Connection not open");
    return *connection.session;
}

}  // namespace vantrok::sim::driver
