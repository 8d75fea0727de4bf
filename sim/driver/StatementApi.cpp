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

namespace {

void requireNoCursor(const Statement& statement) {
    if (statement.cursorOpen()) throw DriverError("24000", "Invalid cursor state");
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

void showResult(Statement& statement, std::optional<ResultTable> table, long rowCount) {
    statement.executed = true;
    statement.rowCount = rowCount;
    statement.columns.clear();
    if (table) {
        statement.columns = std::move(table->columns);
        statement.cursor = std::move(table->rows);
    }
}

// A "{? = call ...}" gets the procedure's return value in its first marker;
// other output parameters have nothing to receive.
void writeOutputs(Statement& statement, const Outcome& outcome) {
    for (auto& [number, binding] : statement.parameters) {
        if (number > statement.markers || binding.ioType == SQL_PARAM_INPUT) continue;
        if (number == 1 && outcome.returnValue) {
            writeReturnValue(binding, outcome.returnValue, statement.diagnostics);
        } else if (binding.indicator) {
            *binding.indicator = SQL_NULL_DATA;
        }
    }
    if (statement.paramsProcessed) *statement.paramsProcessed = 1;
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
    statement.executed = false;
    Outcome outcome;
    {
        ExecutingFlag executing(statement.executing);
        EngineTimer timer(statement.connection);
        const auto timeout = std::chrono::seconds(
            std::min<SQLULEN>(statement.queryTimeout, std::numeric_limits<std::int32_t>::max()));
        outcome = sessionOf(statement.connection).execute(statement.sql, values, timeout);
    }
    showResult(statement, std::move(outcome.table), outcome.rowCount);
    writeOutputs(statement, outcome);
    return SQL_SUCCESS;
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
    showResult(statement, std::move(table), -1);
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
            case SQL_CLOSE: statement.closeCursor(); break;
            case SQL_UNBIND: statement.boundColumns.clear(); break;
            case SQL_RESET_PARAMS: statement.parameters.clear(); break;
            default: throw DriverError("HY092", "Invalid attribute/option identifier");
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
    return entryPoint<Statement>(handle, [](Statement& statement) {
        if (!statement.cursorOpen()) throw DriverError("24000", "Invalid cursor state");
        statement.closeCursor();
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
        if (s.connection.environment.odbcVersion == SQL_OV_ODBC2) s.closeCursor();
        return SQL_SUCCESS;
    });
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
