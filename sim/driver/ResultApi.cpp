// Describing and fetching result sets.
#include "sim/driver/ColumnDescription.h"
#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"

using namespace vantrok::sim::driver;
using vantrok::sim::ResultColumn;

namespace {

void requireExecuted(const Statement& statement) {
    if (!statement.executed) throw DriverError("HY010", "Function sequence error");
}

const ResultColumn& columnAt(const Statement& statement, SQLUSMALLINT number) {
    requireExecuted(statement);
    if (number == 0 || number > statement.columns.size())
        throw DriverError("07009", "Invalid descriptor index");
    return statement.columns[number - 1];
}

ColumnDescription describe(const Statement& statement, const ResultColumn& column) {
    return describeColumn(column, statement.connection.environment.odbcVersion);
}

// The engine gives every row a cell per column; a short row is its fault,
// reported rather than read past.
const vantrok::sim::Cell& cellAt(const Statement& statement, SQLUSMALLINT number) {
    const auto& row = statement.currentRow();
    if (number > row.size()) throw DriverError("HY000", "Row has fewer values than columns");
    return row[number - 1];
}

void setRowStatus(Statement& statement, SQLUSMALLINT status) {
    if (statement.rowStatus) *statement.rowStatus = status;
}

// Bound columns receive the row as SQLGetData would give each of them.
void deliverBoundColumns(Statement& statement) {
    for (const auto& [number, binding] : statement.boundColumns) {
        if (number > statement.columns.size()) continue;
        ReadState state;
        readCell(cellAt(statement, number), statement.columns[number - 1],
                 CellTarget{binding.cType, binding.buffer, binding.bufferLength, binding.indicator},
                 state, statement.diagnostics);
    }
}

SQLRETURN fetchNext(Statement& statement) {
    if (!statement.cursorOpen()) throw DriverError("24000", "Invalid cursor state");
    statement.readColumn = 0;
    statement.readState = {};
    if (statement.rowsFetched) *statement.rowsFetched = 0;
    const bool limited = statement.maxRows != 0 && statement.fetched >= statement.maxRows;
    if (statement.fetched >= statement.cursor->size() || limited) {
        statement.positioned = false;
        statement.rowsExhausted = true;
        setRowStatus(statement, SQL_ROW_NOROW);
        return SQL_NO_DATA;
    }
    ++statement.fetched;
    statement.positioned = true;
    if (statement.rowsFetched) *statement.rowsFetched = 1;
    try {
        deliverBoundColumns(statement);
    } catch (const DriverError&) {
        setRowStatus(statement, SQL_ROW_ERROR);
        throw;
    }
    setRowStatus(statement, statement.diagnostics.empty() ? SQL_ROW_SUCCESS
                                                          : SQL_ROW_SUCCESS_WITH_INFO);
    return SQL_SUCCESS;
}

SQLRETURN getData(Statement& statement, SQLUSMALLINT number, const CellTarget& target) {
    if (!statement.cursorOpen() || !statement.positioned)
        throw DriverError("24000", "Invalid cursor state");
    const ResultColumn& column = columnAt(statement, number);
    if (number != statement.readColumn) {
        statement.readColumn = number;
        statement.readState = {};
    }
    return readCell(cellAt(statement, number), column, target, statement.readState,
                    statement.diagnostics);
}

bool textField(SQLUSMALLINT field) {
    switch (field) {
        case SQL_DESC_NAME: case SQL_COLUMN_NAME: case SQL_DESC_LABEL:
        case SQL_DESC_BASE_COLUMN_NAME: case SQL_DESC_TYPE_NAME: case SQL_DESC_LOCAL_TYPE_NAME:
        case SQL_DESC_TABLE_NAME: case SQL_DESC_BASE_TABLE_NAME: case SQL_DESC_SCHEMA_NAME:
        case SQL_DESC_CATALOG_NAME: case SQL_DESC_LITERAL_PREFIX: case SQL_DESC_LITERAL_SUFFIX:
            return true;
        default:
            return false;
    }
}

std::string textAttribute(const ResultColumn& column, const ColumnDescription& d,
                          SQLUSMALLINT field) {
    switch (field) {
        case SQL_DESC_TYPE_NAME:
        case SQL_DESC_LOCAL_TYPE_NAME: return d.typeName;
        case SQL_DESC_LITERAL_PREFIX:
        case SQL_DESC_LITERAL_SUFFIX: return d.literalQuote;
        case SQL_DESC_TABLE_NAME:
        case SQL_DESC_BASE_TABLE_NAME:
        case SQL_DESC_SCHEMA_NAME:
        case SQL_DESC_CATALOG_NAME: return "";
        default: return column.name;
    }
}

SQLLEN numericAttribute(const ResultColumn& column, const ColumnDescription& d,
                        SQLUSMALLINT field) {
    switch (field) {
        case SQL_DESC_CONCISE_TYPE: return d.conciseType;
        case SQL_DESC_TYPE: return d.verboseType;
        case SQL_DESC_DATETIME_INTERVAL_CODE: return d.datetimeCode;
        case SQL_DESC_LENGTH:
        case SQL_COLUMN_PRECISION: return static_cast<SQLLEN>(d.columnSize);
        case SQL_DESC_PRECISION:
            return d.isNumber || column.type == vantrok::sim::SqlType::VarChar
                       ? static_cast<SQLLEN>(d.columnSize)
                       : d.decimalDigits;
        case SQL_DESC_SCALE:
        case SQL_COLUMN_SCALE: return d.decimalDigits;
        case SQL_COLUMN_LENGTH:
        case SQL_DESC_OCTET_LENGTH: return d.octetLength;
        case SQL_DESC_DISPLAY_SIZE: return d.displaySize;
        case SQL_DESC_NULLABLE:
        case SQL_COLUMN_NULLABLE: return column.nullable ? SQL_NULLABLE : SQL_NO_NULLS;
        case SQL_DESC_UNSIGNED: return d.isNumber ? SQL_FALSE : SQL_TRUE;
        case SQL_DESC_FIXED_PREC_SCALE:
        case SQL_DESC_AUTO_UNIQUE_VALUE:
        case SQL_DESC_DATETIME_INTERVAL_PRECISION: return 0;
        case SQL_DESC_CASE_SENSITIVE: return d.caseSensitive ? SQL_TRUE : SQL_FALSE;
        case SQL_DESC_SEARCHABLE: return SQL_PRED_SEARCHABLE;
        case SQL_DESC_UPDATABLE: return SQL_ATTR_READWRITE_UNKNOWN;
        case SQL_DESC_NUM_PREC_RADIX: return d.radix;
        case SQL_DESC_UNNAMED: return column.name.empty() ? SQL_UNNAMED : SQL_NAMED;
        default: throw DriverError("HY091", "Invalid descriptor field identifier");
    }
}

SQLRETURN columnAttribute(Statement& statement, SQLUSMALLINT number, SQLUSMALLINT field,
                          SQLPOINTER text, SQLSMALLINT textLength, SQLSMALLINT* written,
                          SQLLEN* numeric) {
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
        requireExecuted(statement);
        writeValue(numeric, static_cast<SQLLEN>(statement.columns.size()));
        return SQL_SUCCESS;
    }
    const ResultColumn& column = columnAt(statement, number);
    const ColumnDescription d = describe(statement, column);
    if (textField(field)) {
        writeTextOrWarn(statement.diagnostics, textAttribute(column, d, field), text, textLength,
                        written);
    } else {
        writeValue(numeric, numericAttribute(column, d, field));
    }
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        requireExecuted(statement);
        writeValue(count, static_cast<SQLSMALLINT>(statement.columns.size()));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT number, SQLCHAR* name,
                                 SQLSMALLINT nameLength, SQLSMALLINT* nameWritten,
                                 SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                                 SQLSMALLINT* nullable) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        const ResultColumn& column = columnAt(statement, number);
        const ColumnDescription d = describe(statement, column);
        writeTextOrWarn(statement.diagnostics, column.name, name, nameLength, nameWritten);
        writeValue(type, d.conciseType);
        writeValue(size, d.columnSize);
        writeValue(digits, d.decimalDigits);
        writeValue(nullable, static_cast<SQLSMALLINT>(column.nullable ? SQL_NULLABLE : SQL_NO_NULLS));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field,
                                  SQLPOINTER text, SQLSMALLINT textLength, SQLSMALLINT* written,
                                  SQLLEN* numeric) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        return columnAttribute(statement, number, field, text, textLength, written, numeric);
    });
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT cType,
                             SQLPOINTER buffer, SQLLEN bufferLength, SQLLEN* indicator) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        if (number == 0) throw DriverError("07009", "Invalid descriptor index");
        if (bufferLength < 0) throw DriverError("HY090", "Invalid string or buffer length");
        if (!supportedCType(cType) && cType != SQL_ARD_TYPE)
            throw DriverError("HY003", "Invalid application buffer type");
        if (!buffer && !indicator) {
            statement.boundColumns.erase(number);
        } else {
            statement.boundColumns[number] = ColumnBinding{cType, buffer, bufferLength, indicator};
        }
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
    return entryPoint<Statement>(handle, fetchNext);
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        if (orientation != SQL_FETCH_NEXT) throw DriverError("HY106", "Fetch type out of range");
        return fetchNext(statement);
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT cType,
                             SQLPOINTER buffer, SQLLEN bufferLength, SQLLEN* indicator) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        return getData(statement, number, CellTarget{cType, buffer, bufferLength, indicator});
    });
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
    return entryPoint<Statement>(handle, [&](Statement& statement) {
        requireExecuted(statement);
        writeValue(count, static_cast<SQLLEN>(statement.rowCount));
        return SQL_SUCCESS;
    });
}

}  // extern "C"
