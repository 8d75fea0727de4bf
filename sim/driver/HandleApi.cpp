// Allocation and release of handles, environment attributes, transactions.
#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"

using namespace vantrok::sim::driver;

namespace {

SQLRETURN allocateStatement(Connection& connection, SQLHANDLE* output) {
    if (!connection.connected()) throw DriverError("08003", "Connection not open");
    *output = handles::newStatement(connection);
    return SQL_SUCCESS;
}

SQLRETURN freeConnection(Connection& connection) {
    if (connection.connected()) throw DriverError("HY010", "Function sequence error");
    return SQL_SUCCESS;
}

SQLRETURN freeEnvironment(Environment& environment) {
    if (environment.connections > 0) throw DriverError("HY010", "Function sequence error");
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    switch (type) {
        case SQL_HANDLE_ENV:
            if (!output) return SQL_ERROR;
            try {
                *output = handles::newEnvironment();
                return SQL_SUCCESS;
            } catch (...) {
                *output = SQL_NULL_HENV;
                return SQL_ERROR;
            }
        case SQL_HANDLE_DBC:
            return entryPoint<Environment>(input, [&](Environment& environment) {
                if (!output) throw DriverError("HY009", "Invalid use of null pointer");
                *output = SQL_NULL_HDBC;
                *output = handles::newConnection(environment);
                return SQL_SUCCESS;
            });
        case SQL_HANDLE_STMT:
            return entryPoint<Connection>(input, [&](Connection& connection) {
                if (!output) throw DriverError("HY009", "Invalid use of null pointer");
                *output = SQL_NULL_HSTMT;
                return allocateStatement(connection, output);
            });
        case SQL_HANDLE_DESC:
            return entryPoint<Connection>(input, [&](Connection&) -> SQLRETURN {
                throw DriverError("HYC00", "Optional feature not implemented");
            });
        default:
            return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    SQLRETURN rc = SQL_ERROR;
    switch (type) {
        case SQL_HANDLE_ENV: rc = entryPoint<Environment>(handle, freeEnvironment); break;
        case SQL_HANDLE_DBC: rc = entryPoint<Connection>(handle, freeConnection); break;
        case SQL_HANDLE_STMT:
            rc = entryPoint<Statement>(handle, [](Statement&) { return SQL_SUCCESS; });
            break;
        default: return SQL_INVALID_HANDLE;
    }
    if (rc == SQL_SUCCESS) handles::free(static_cast<Handle*>(handle));
    return rc;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER) {
    return entryPoint<Environment>(handle, [&](Environment& environment) {
        const auto number = static_cast<SQLINTEGER>(reinterpret_cast<SQLLEN>(value));
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION:
                if (number != SQL_OV_ODBC2 && number != SQL_OV_ODBC3 && number != SQL_OV_ODBC3_80)
                    throw DriverError("HY024", "Invalid attribute value");
                environment.odbcVersion = number;
                return SQL_SUCCESS;
            case SQL_ATTR_OUTPUT_NTS:
                if (number != SQL_TRUE) throw DriverError("HYC00", "Optional feature not implemented");
                return SQL_SUCCESS;
            case SQL_ATTR_CONNECTION_POOLING:
            case SQL_ATTR_CP_MATCH:
                return SQL_SUCCESS;  // pooling belongs to the driver manager
            default:
                throw DriverError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER, SQLINTEGER* length) {
    return entryPoint<Environment>(handle, [&](Environment& environment) {
        SQLUINTEGER number = 0;
        switch (attribute) {
            case SQL_ATTR_ODBC_VERSION: number = static_cast<SQLUINTEGER>(environment.odbcVersion); break;
            case SQL_ATTR_OUTPUT_NTS: number = SQL_TRUE; break;
            case SQL_ATTR_CONNECTION_POOLING: number = SQL_CP_OFF; break;
            case SQL_ATTR_CP_MATCH: number = SQL_CP_STRICT_MATCH; break;
            default: throw DriverError("HY092", "Invalid attribute/option identifier");
        }
        writeValue(value, number);
        if (length) *length = sizeof number;
        return SQL_SUCCESS;
    });
}

// In auto-commit every statement commits on its own and there is no work to
// end. In manual commit the connection's transaction ends and the next one
// begins, as the next statement would begin it (ODBC: SQLEndTran).
SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    auto checkCode = [completion] {
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            throw DriverError("HY012", "Invalid transaction operation code");
    };
    if (type == SQL_HANDLE_ENV) return entryPoint<Environment>(handle, [&](Environment&) {
        checkCode();
        return SQL_SUCCESS;
    });
    if (type == SQL_HANDLE_DBC) return entryPoint<Connection>(handle, [&](Connection& connection) {
        checkCode();
        // The next statement opens the next transaction.
        if (connection.connected() && !connection.autocommit) connection.session->endTransaction(completion == SQL_COMMIT);
        return SQL_SUCCESS;
    });
    return SQL_INVALID_HANDLE;
}

}  // extern "C"
