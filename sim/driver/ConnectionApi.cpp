// Connecting to a station, connection attributes.
#include <cstring>
#include <strings.h>

#include "sim/driver/ConnectionText.h"
#include "sim/driver/EngineTime.h"
#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"
#include "sim/engine/StationFiles.h"

using namespace vantrok::sim::driver;
using vantrok::sim::ConnectRequest;
using vantrok::sim::Session;

namespace {

std::string profileString(const std::string& section, const char* key, const char* file) {
    if (section.empty()) return {};
    char buffer[4096] = {};
    SQLGetPrivateProfileString(section.c_str(), key, "", buffer, sizeof buffer, file);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// The station folder is the "Station" attribute of the driver's section in
// odbcinst.ini; a data source may name one of its own in odbc.ini.
std::string stationFolder(const std::string& driver, const std::string& dataSource) {
    if (!driver.empty()) return profileString(driver, "Station", "odbcinst.ini");
    std::string folder = profileString(dataSource, "Station", "odbc.ini");
    if (folder.empty())
        folder = profileString(profileString(dataSource, "Driver", "odbc.ini"), "Station",
                               "odbcinst.ini");
    return folder;
}

// The keywords of SQL Server's own ODBC driver ("SQLDriverConnect (SQL
// Server ODBC driver)" in SQL Server's Books Online), plus the driver
// manager's FILEDSN and SAVEFILE. Any other keyword is ignored with 01S00;
// ADO's "password" and "user id" among them.
bool driverKeyword(std::string_view key) {
    static constexpr std::string_view known[] = {
        "address",     "ansinpw",       "app",          "attachdbfilename", "autotranslate", "database",
        "driver",      "dsn",           "fallback",     "filedsn",          "language",      "network",
        "pwd",         "querylog_on",   "querylogfile", "querylogtime",     "quotedid",      "regional",
        "savefile",    "server",        "statslog_on",  "statslogfile",     "trusted_connection", "uid",
        "useprocforprepare", "wsid"};
    for (std::string_view k : known)
        if (key == k) return true;
    return false;
}

SQLRETURN open(Connection& connection, ConnectRequest request, std::string dataSource,
               const std::string& driver) {
    if (connection.connected()) throw DriverError("08002", "Connection name in use");
    if (request.stationDir.empty()) {
        const std::string name = driver.empty() ? "data source '" + dataSource + "'"
                                                : "driver '" + driver + "'";
        throw DriverError("08001", "No station folder is configured for " + name +
                                       " (the Station attribute of its section in odbcinst.ini)");
    }
    connection.session = Session::connect(request);
    connection.request = std::move(request);
    connection.dataSource = std::move(dataSource);
    connection.dead = false;
    connection.session->setImplicitTransactions(!connection.autocommit);
    // The server's informational messages of a login, as the driver hands
    // them on: SQL_SUCCESS_WITH_INFO with 01000 records.
    if (!connection.session->lenient()) {
        connection.diagnostics.add(vantrok::sim::SimError{
            "01000", 5701, "Changed database context to '" + connection.session->database() + "'."});
        connection.diagnostics.add(vantrok::sim::SimError{"01000", 5703, "Changed language setting to us_english."});
    }
    return SQL_SUCCESS;
}

SQLRETURN driverConnect(Connection& connection, const std::string& text, SQLCHAR* output,
                        SQLSMALLINT outputLength, SQLSMALLINT* written) {
    if (outputLength < 0) throw DriverError("HY090", "Invalid string or buffer length");
    const ConnectionText parsed(text);
    const std::string driver = parsed.value({"driver"}).value_or("");
    const std::string dataSource = driver.empty() ? parsed.value({"dsn"}).value_or("") : "";
    auto fromText = [&](std::initializer_list<std::string_view> keys, const char* dsnKey) {
        if (auto value = parsed.value(keys)) return *value;
        return profileString(dataSource, dsnKey, "odbc.ini");
    };
    ConnectRequest request;
    request.stationDir = stationFolder(driver, dataSource);
    request.server = fromText({"server"}, "Server");
    if (!request.stationDir.empty() && vantrok::sim::isLenientStation(request.stationDir)) {
        request.uid = fromText({"uid", "user id"}, "UID");
        request.password = parsed.value({"pwd", "password"}).value_or("");
    } else {
        request.uid = fromText({"uid"}, "UID");
        request.password = parsed.value({"pwd"}).value_or("");
        for (const std::string& key : parsed.keys())
            if (!driverKeyword(key)) connection.diagnostics.addWarning("01S00", "Invalid connection string attribute");
    }
    request.database = fromText({"database"}, "Database");
    open(connection, std::move(request), dataSource, driver);
    // Nothing is ever completed or prompted for: the text goes back as it came.
    writeTextOrWarn(connection.diagnostics, text, output, outputLength, written);
    return SQL_SUCCESS;
}

SQLULEN connectAttribute(const Connection& connection, SQLINTEGER attribute) {
    switch (attribute) {
        case SQL_ATTR_AUTOCOMMIT: return connection.autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
        case SQL_ATTR_LOGIN_TIMEOUT: return connection.loginTimeout;
        case SQL_ATTR_CONNECTION_TIMEOUT: return connection.connectionTimeout;
        case SQL_ATTR_QUERY_TIMEOUT: return connection.queryTimeout;
        case SQL_ATTR_ACCESS_MODE: return SQL_MODE_READ_WRITE;
        case SQL_ATTR_TXN_ISOLATION: return SQL_TXN_READ_COMMITTED;
        case SQL_ATTR_PACKET_SIZE: return 4096;
        case SQL_ATTR_CONNECTION_DEAD: return connection.dead ? SQL_CD_TRUE : SQL_CD_FALSE;
        case SQL_ATTR_ASYNC_ENABLE: return SQL_ASYNC_ENABLE_OFF;
        case SQL_ATTR_METADATA_ID: return SQL_FALSE;
        case SQL_ATTR_AUTO_IPD: return SQL_FALSE;
        case SQL_ATTR_QUIET_MODE: return 0;
        default: throw DriverError("HY092", "Invalid attribute/option identifier");
    }
}

SQLRETURN setConnectAttribute(Connection& connection, SQLINTEGER attribute, SQLPOINTER value,
                              SQLINTEGER length) {
    const auto number = reinterpret_cast<SQLULEN>(value);
    switch (attribute) {
        case SQL_ATTR_AUTOCOMMIT: {
            // Manual commit is SQL Server's implicit transactions, as the SQL
            // Server driver sets them ("API Implicit Transactions"): the next
            // statement opens the transaction. Back to auto-commit, the open
            // one is committed (ODBC: SQLSetConnectAttr, SQL_ATTR_AUTOCOMMIT).
            if (number != SQL_AUTOCOMMIT_ON && number != SQL_AUTOCOMMIT_OFF)
                throw DriverError("HY024", "Invalid attribute value");
            const bool on = number == SQL_AUTOCOMMIT_ON;
            if (connection.connected() && on != connection.autocommit) {
                if (on) connection.session->endTransaction(true);
                connection.session->setImplicitTransactions(!on);
            }
            connection.autocommit = on;
            return SQL_SUCCESS;
        }
        case SQL_ATTR_ASYNC_ENABLE:
            if (number != SQL_ASYNC_ENABLE_OFF)
                throw DriverError("HYC00", "Optional feature not implemented");
            return SQL_SUCCESS;
        case SQL_ATTR_LOGIN_TIMEOUT: connection.loginTimeout = number; return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_TIMEOUT: connection.connectionTimeout = number; return SQL_SUCCESS;
        case SQL_ATTR_QUERY_TIMEOUT: connection.queryTimeout = number; return SQL_SUCCESS;
        case engineTimeAttribute:
            connection.engineTimed = number != 0;
            connection.engineNanoseconds = 0;
            return SQL_SUCCESS;
        case SQL_ATTR_CURRENT_CATALOG: {
            const std::string name = inputText(static_cast<SQLCHAR*>(value), length);
            if (connection.connected() &&
                strcasecmp(name.c_str(), connection.session->database().c_str()) == 0)
                return SQL_SUCCESS;
            throw DriverError("HYC00", "Changing the database of a connection is not supported");
        }
        case SQL_ATTR_ANSI_APP:      // the driver speaks only the ANSI interface anyway
        case SQL_ATTR_ACCESS_MODE:   // hints a local station has no use for
        case SQL_ATTR_TXN_ISOLATION:
        case SQL_ATTR_PACKET_SIZE:
        case SQL_ATTR_METADATA_ID:
        case SQL_ATTR_QUIET_MODE:
            return SQL_SUCCESS;
        default:
            throw DriverError("HY092", "Invalid attribute/option identifier");
    }
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* input, SQLSMALLINT inputLength,
                                   SQLCHAR* output, SQLSMALLINT outputLength,
                                   SQLSMALLINT* written, SQLUSMALLINT) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        if (!input) throw DriverError("HY009", "Invalid use of null pointer");
        return driverConnect(connection, inputText(input, inputLength), output, outputLength,
                             written);
    });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* uid,
                             SQLSMALLINT uidLength, SQLCHAR* password, SQLSMALLINT passwordLength) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        const std::string dataSource = inputText(dsn, dsnLength);
        ConnectRequest request;
        request.stationDir = stationFolder("", dataSource);
        request.server = profileString(dataSource, "Server", "odbc.ini");
        request.uid = inputText(uid, uidLength);
        request.password = inputText(password, passwordLength);
        request.database = profileString(dataSource, "Database", "odbc.ini");
        return open(connection, std::move(request), dataSource, "");
    });
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
    return entryPoint<Connection>(handle, [](Connection& connection) {
        if (!connection.connected()) throw DriverError("08003", "Connection not open");
        while (!connection.statements.empty()) handles::free(connection.statements.back());
        connection.session.reset();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER length) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        return setConnectAttribute(connection, attribute, value, length);
    });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER bufferLength, SQLINTEGER* length) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        if (attribute == SQL_ATTR_CURRENT_CATALOG) {
            writeTextOrWarn(connection.diagnostics, sessionOf(connection).database(), value,
                            bufferLength, length);
            return SQL_SUCCESS;
        }
        if (attribute == engineTimeAttribute) {
            writeValue(value, static_cast<SQLULEN>(connection.engineNanoseconds));
            if (length) *length = sizeof(SQLULEN);
            return SQL_SUCCESS;
        }
        const SQLULEN number = connectAttribute(connection, attribute);
        if (attribute == SQL_ATTR_QUIET_MODE) {
            writeValue(value, reinterpret_cast<SQLPOINTER>(number));
        } else {
            writeValue(value, static_cast<SQLUINTEGER>(number));
        }
        if (length) *length = sizeof(SQLUINTEGER);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC handle, SQLCHAR* input, SQLINTEGER inputLength,
                               SQLCHAR* output, SQLINTEGER outputLength, SQLINTEGER* written) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        if (!input) throw DriverError("HY009", "Invalid use of null pointer");
        // Escapes are the server's business here: the text goes as written.
        writeTextOrWarn(connection.diagnostics, inputText(input, inputLength), output,
                        outputLength, written);
        return SQL_SUCCESS;
    });
}

}  // extern "C"
