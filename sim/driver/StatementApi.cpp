// Statement texts, parameters, execution and statement attributes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>

#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"
#include "sim/driver/StatementText.h"

using namespace vantrok::sim::driver;
using vantrok::sim::Outcome;
using vantrok::sim::ParamValue;
using vantrok::sim::ResultTable;
using vantrok::sim::Session;
using vantrok::sim::StatementResult;

namespace {

void requireNoCursor(const Statement& statement) {
    if (statement.hasResults()) throw DriverError("24000", "Invalid cursor state");
}

// The server sends one statement's results at a time on a connection; until
// they are read or cancelled no other statement can be sent ("SQL Server
// driver: active statements", SQL_MAX_CONCURRENT_ACTIVITIES is 1).
void requireFreeConnection(const Statement& statement) {
    if (sessionOf(statement.connection).lenient()) return;
    for (const Statement* other : statement.connection.statements)
        if (other != &statement && other->holdsConnection())
            throw DriverError("HY000", "Connection is busy with results for another hstmt");
}

void setText(Statement& statement, std::string sql, bool prepared) {
    requireNoCursor(statement);
    statement.markers = countParameterMarkers(sql);
    statement.sql = std::move(sql);
    statement.prepared = prepared;
    statement.executed = false;
    statement.columns.clear();
    statement.rowCount = -1;
}

void showResult(Statement& statement, StatementResult result) {
    statement.closeCursor();
    statement.executed = true;
    statement.rowCount = result.rowCount;
    statement.columns.clear();
    if (result.table) {
        statement.columns = std::move(result.table->columns);
        statement.cursor = std::move(result.table->rows);
    }
}

// A "{? = call ...}" gets the procedure's return value in its first marker;
// other output parameters have nothing to receive. Output values arrive
// only after the last result, as SQL Server sends them.
void writeOutputs(Statement& statement, std::optional<long> returnValue) {
    for (auto& [number, binding] : statement.parameters) {
        if (number > statement.markers || binding.ioType == SQL_PARAM_INPUT) continue;
        if (number == 1 && returnValue) {
            writeReturnValue(binding, returnValue, statement.diagnostics);
        } else if (binding.indicator) {
            *binding.indicator = SQL_NULL_DATA;
        }
    }
}

// Moves the statement on to the next result of its execution.
SQLRETURN nextResult(Statement& statement, Outcome outcome) {
    std::optional<StatementResult> result = outcome.next();
    if (!result) {
        statement.closeCursor();
        statement.columns.clear();
        statement.rowCount = -1;
        writeOutputs(statement, outcome.returnValue());
        return SQL_NO_DATA;
    }
    showResult(statement, std::move(*result));
    if (outcome.finished()) writeOutputs(statement, outcome.returnValue());
    else statement.pending = std::move(outcome);
    return SQL_SUCCESS;
}

class ExecutingFlag {
public:
    explicit ExecutingFlag(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    ~ExecutingFlag() { flag_ = false; }
    ExecutingFlag(const ExecutingFlag&) = delete;
    ExecutingFlag& operator=(const ExecutingFlag&) = delete;

private:
    std::atomic<bool>& flag_;
};

SQLRETURN run(Statement& statement) {
    std::vector<ParamValue> values;
    for (std::size_t number = 1; number <= statement.markers; ++number) {
        auto binding = statement.parameters.find(static_cast<SQLUSMALLINT>(number));
        if (binding == statement.parameters.end())
            throw DriverError("07002", "COUNT field incorrect");
        values.push_back(parameterValue(binding->second));
    }
    requireFreeConnection(statement);
    statement.executed = false;
    ExecutingFlag executing(statement.executing);
    EngineTimer timer(statement.connection);
    const auto timeout = std::chrono::seconds(
        std::min<SQLULEN>(statement.queryTimeout, std::numeric_limits<std::int32_t>::max()));
    Session& session = sessionOf(statement.connection);
    SQLRETURN rc = nextResult(statement, session.execute(statement.sql, values, timeout));
    statement.executed = true;
    if (statement.paramsProcessed) *statement.paramsProcessed = 1;
    // A statement whose first result is a count of no rows returns
    // SQL_NO_DATA to an ODBC 3 client (SQLExecute, SQLExecDirect: Returns).
    const bool noRowsFirst = rc == SQL_SUCCESS && !statement.cursorOpen() && statement.rowCount == 0;
    if (noRowsFirst && !session.lenient() && statement.connection.environment.odbcVersion != SQL_OV_ODBC2)
        return SQL_NO_DATA;
    return rc == SQL_NO_DATA ? SQL_SUCCESS : rc;
}

SQLRETURN moreResults(Statement& statement) {
    if (!statement.pending) {
        statement.closeCursor();
        statement.columns.clear();
        return SQL_NO_DATA;
    }
    Outcome outcome = std::move(*statement.pending);
    statement.pending.reset();
    statement.closeCursor();
    ExecutingFlag executing(statement.executing);
    EngineTimer timer(statement.connection);
    return nextResult(statement, std::move(outcome));
}

// A catalog-function name argument is a search pattern; a procedure name
// needs only its escaped wildcards turned back into plain characters.
std::string unescapedName(std::string pattern) {
    std::string name;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '_' || pattern[i + 1] == '%'))
            ++i;
        name += pattern[i];
    }
    return name;
}

SQLRETURN procedureColumns(Statement& statement, std::string procedure, std::string column) {
    requireNoCursor(statement);
    requireFreeConnection(statement);
    ResultTable table;
    {
        EngineTimer timer(statement.connection);
        table = sessionOf(statement.connection).procedureColumns(unescapedName(procedure));
    }
    constexpr std::size_t columnNameIndex = 3;  // COLUMN_NAME
    if (!column.empty()) {
        std::erase_if(table.rows, [&](const vantrok::sim::Row& row) {
            return row.size() <= columnNameIndex || !row[columnNameIndex] ||
                   !likeMatch(*row[columnNameIndex], column);
        });
    }
    setText(statement, "", false);
    showResult(statement, {std::move(table), -1});
    return SQL_SUCCESS;
}

SQLRETURN bindParameter(Statement& statement, SQLUSMALLINT number, ParameterBinding binding) {
    if (number == 0) throw DriverError("07009", "Invalid descriptor index");
    if (binding.ioType != SQL_PARAM_INPUT && binding.ioType != SQL_PARAM_OUTPUT &&
        binding.ioType != SQL_PARAM_INPUT_OUTPUT)
        throw DriverError("HY105", "Invalid parameter type");
    if (!supportedCType(binding.cType)) throw DriverError("HY003", "Invalid application buffer type");
    if (!knownSqlType(binding.sqlType)) throw DriverError("HY004", "Invalid SQL data type");
    if (binding.bufferLength < 0) throw DriverError("HY090", "Invalid string or buffer length");
    if (!binding.buffer && !binding.indicator)
        throw DriverError("HY009", "Invalid use of null pointer");
    statement.parameters[number] = binding;
    return SQL_SUCCESS;
}

// Attributes whose only supported value is the one given: another value is
// replaced by it (01S02) or refused.
void onlyValue(Diagnostics& diagnostics, SQLULEN value, SQLULEN supported, bool substitute) {
    if (value == supported) return;
    if (!substitute) throw DriverError("HYC00", "Optional feature not implemented");
    diagnostics.addWarning("01S02", "Option value changed");
}

SQLRETURN setStatementAttribute(Statement& statement, SQLINTEGER attribute, SQLPOINTER value) {
    const auto number = reinterpret_cast<SQLULEN>(value);
    Diagnostics& diagnostics = statement.diagnostics;
    switch (attribute) {
        case SQL_ATTR_QUERY_TIMEOUT: statement.queryTimeout = number; break;
        case SQL_ATTR_MAX_ROWS: statement.maxRows = number; break;
        case SQL_ATTR_ROWS_FETCHED_PTR: statement.rowsFetched = static_cast<SQLULEN*>(value); break;
        case SQL_ATTR_ROW_STATUS_PTR: statement.rowStatus = static_cast<SQLUSMALLINT*>(value); break;
        case SQL_ATTR_PARAMS_PROCESSED_PTR:
            statement.paramsProcessed = static_cast<SQLULEN*>(value);
            break;
        case SQL_ATTR_CURSOR_TYPE: onlyValue(diagnostics, number, SQL_CURSOR_FORWARD_ONLY, true); break;
        case SQL_ATTR_CONCURRENCY: onlyValue(diagnostics, number, SQL_CONCUR_READ_ONLY, true); break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
        case SQL_ATTR_PARAMSET_SIZE: onlyValue(diagnostics, number, 1, true); break;
        case SQL_ATTR_MAX_LENGTH: onlyValue(diagnostics, number, 0, true); break;
        case SQL_ATTR_KEYSET_SIZE: onlyValue(diagnostics, number, 0, true); break;
        case SQL_ATTR_CURSOR_SCROLLABLE: onlyValue(diagnostics, number, SQL_NONSCROLLABLE, false); break;
        case SQL_ATTR_CURSOR_SENSITIVITY:
            if (number != SQL_INSENSITIVE) onlyValue(diagnostics, number, SQL_UNSPECIFIED, false);
            break;
        case SQL_ATTR_ROW_BIND_TYPE:
        case SQL_ATTR_PARAM_BIND_TYPE: onlyValue(diagnostics, number, SQL_BIND_BY_COLUMN, false); break;
        case SQL_ATTR_ROW_BIND_OFFSET_PTR:
        case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        case SQL_ATTR_PARAM_STATUS_PTR:
        case SQL_ATTR_ROW_OPERATION_PTR:
        case SQL_ATTR_PARAM_OPERATION_PTR: onlyValue(diagnostics, number, 0, false); break;
        case SQL_ATTR_RETRIEVE_DATA: onlyValue(diagnostics, number, SQL_RD_ON, false); break;
        case SQL_ATTR_USE_BOOKMARKS: onlyValue(diagnostics, number, SQL_UB_OFF, false); break;
        case SQL_ATTR_ASYNC_ENABLE: onlyValue(diagnostics, number, SQL_ASYNC_ENABLE_OFF, false); break;
        case SQL_ATTR_ENABLE_AUTO_IPD: onlyValue(diagnostics, number, SQL_FALSE, false); break;
        case SQL_ATTR_NOSCAN:          // escapes are never rewritten anyway
        case SQL_ATTR_METADATA_ID:     // names are matched as written either way
        case SQL_ATTR_SIMULATE_CURSOR:
            break;
        default: throw DriverError("HY092", "Invalid attribute/option identifier");
    }
    return SQL_SUCCESS;
}

SQLRETURN getStatementAttribute(Statement& statement, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER* length) {
    SQLULEN number = 0;
    switch (attribute) {
        case SQL_ATTR_QUERY_TIMEOUT: number = statement.queryTimeout; break;
        case SQL_ATTR_MAX_ROWS: number = statement.maxRows; break;
        case SQL_ATTR_ROWS_FETCHED_PTR: number = reinterpret_cast<SQLULEN>(statement.rowsFetched); break;
        case SQL_ATTR_ROW_STATUS_PTR: number = reinterpret_cast<SQLULEN>(statement.rowStatus); break;
        case SQL_ATTR_PARAMS_PROCESSED_PTR:
            number = reinterpret_cast<SQLULEN>(statement.paramsProcessed);
            break;
        case SQL_ATTR_CURSOR_TYPE: number = SQL_CURSOR_FORWARD_ONLY; break;
        case SQL_ATTR_CONCURRENCY: number = SQL_CONCUR_READ_ONLY; break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
        case SQL_ATTR_PARAMSET_SIZE: number = 1; break;
        case SQL_ATTR_CURSOR_SCROLLABLE: number = SQL_NONSCROLLABLE; break;
        case SQL_ATTR_CURSOR_SENSITIVITY: number = SQL_INSENSITIVE; break;
        case SQL_ATTR_ROW_BIND_TYPE:
        case SQL_ATTR_PARAM_BIND_TYPE: number = SQL_BIND_BY_COLUMN; break;
        case SQL_ATTR_RETRIEVE_DATA: number = SQL_RD_ON; break;
        case SQL_ATTR_USE_BOOKMARKS: number = SQL_UB_OFF; break;
        case SQL_ATTR_ASYNC_ENABLE: number = SQL_ASYNC_ENABLE_OFF; break;
        case SQL_ATTR_NOSCAN: number = SQL_NOSCAN_OFF; break;
        case SQL_ATTR_SIMULATE_CURSOR: number = SQL_SC_NON_UNIQUE; break;
        case SQL_ATTR_ROW_NUMBER:
            number = statement.positioned ? statement.fetched : 0;
            break;
        case SQL_ATTR_MAX_LENGTH:
        case SQL_ATTR_KEYSET_SIZE:
        case SQL_ATTR_METADATA_ID:
        case SQL_ATTR_ENABLE_AUTO_IPD:
        case SQL_ATTR_ROW_BIND_OFFSET_PTR:
        case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        case SQL_ATTR_PARAM_STATUS_PTR:
        case SQL_ATTR_ROW_OPERATION_PTR:
        case SQL_ATTR_PARAM_OPERATION_PTR: break;
        default:
            // The driver manager asks for the descriptor handles at every
            // statement's allocation: an answer, not an exception.
            statement.diagnostics.add(DriverError("HY092", "Invalid attribute/option identifier"));
            return SQL_ERROR;
    }
    writeValue(value, number);
    if (length) *length = sizeof number;
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        if (!text) throw DriverError("HY009", "Invalid use of null pointer");
        setText(statement, inputText(text, length), true);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
    return entryPoint<Statement>(handle, [](Statement& statement) {
        if (!statement.prepared) throw DriverError("HY010", "Function sequence error");
        requireNoCursor(statement);
        return run(statement);
    });
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        if (!text) throw DriverError("HY009", "Invalid use of null pointer");
        setText(statement, inputText(text, length), false);
        return run(statement);
    });
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT handle, SQLSMALLINT* count) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        writeValue(count, static_cast<SQLSMALLINT>(statement.markers));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT ioType,
                                   SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN columnSize,
                                   SQLSMALLINT decimalDigits, SQLPOINTER buffer,
                                   SQLLEN bufferLength, SQLLEN* indicator) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        return bindParameter(statement, number,
                             ParameterBinding{ioType, cType, sqlType, columnSize, decimalDigits,
                                              buffer, bufferLength, indicator});
    });
}

SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                      SQLSMALLINT, SQLCHAR* procedure, SQLSMALLINT procedureLength,
                                      SQLCHAR* column, SQLSMALLINT columnLength) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        std::string columnPattern = inputText(column, columnLength);
        if (columnPattern == "%") columnPattern.clear();
        return procedureColumns(statement, inputText(procedure, procedureLength), columnPattern);
    });
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    if (option == SQL_DROP) return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        switch (option) {
            case SQL_CLOSE: statement.discardResults(); break;
            case SQL_UNBIND: statement.boundColumns.clear(); break;
            case SQL_RESET_PARAMS: statement.parameters.clear(); break;
            default: throw DriverError("HY092", "Invalid attribute/option identifier");
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
    return entryPoint<Statement>(handle, [](Statement& statement) {
        if (!statement.hasResults()) throw DriverError("24000", "Invalid cursor state");
        statement.discardResults();
        return SQL_SUCCESS;
    });
}

// A running statement cannot be interrupted (its query time-out still ends
// it). Between statements a cancel does nothing for an ODBC 3 client and
// closes the cursor for an ODBC 2 one, as each version defines.
SQLRETURN SQL_API SQLCancel(SQLHSTMT handle) {
    auto* statement = static_cast<Statement*>(handles::find(handle, HandleKind::Statement));
    if (!statement) return SQL_INVALID_HANDLE;
    if (statement->executing) return SQL_SUCCESS;
    return entryPoint<Statement>(handle, [](Statement& s) {
        if (s.connection.environment.odbcVersion == SQL_OV_ODBC2) s.discardResults();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle) {
    return entryPoint<Statement>(handle, [](Statement& statement) { return moreResults(statement); });
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        return setStatementAttribute(statement, attribute, value);
    });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER, SQLINTEGER* length) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        return getStatementAttribute(statement, attribute, value, length);
    });
}

}  // extern "C"
