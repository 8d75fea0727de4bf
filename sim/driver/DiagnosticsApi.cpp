// Reading a handle's diagnostics. These calls leave the records in place.
#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"

using namespace vantrok::sim::driver;

namespace {

Handle* handleFor(SQLSMALLINT type, SQLHANDLE handle) {
    switch (type) {
        case SQL_HANDLE_ENV: return handles::find(handle, HandleKind::Environment);
        case SQL_HANDLE_DBC: return handles::find(handle, HandleKind::Connection);
        case SQL_HANDLE_STMT: return handles::find(handle, HandleKind::Statement);
        default: return nullptr;
    }
}

const Connection* connectionOf(const Handle& handle) {
    if (handle.kind == HandleKind::Connection) return static_cast<const Connection*>(&handle);
    if (handle.kind == HandleKind::Statement)
        return &static_cast<const Statement&>(handle).connection;
    return nullptr;
}

// Standard states come from ISO 9075 unless they are ODBC's own additions.
std::string originOf(std::string_view state, bool subclass) {
    static constexpr std::string_view odbcStates[] = {
        "01S00", "01S01", "01S02", "01S06", "01S07", "07S01", "08S01", "21S01", "21S02",
        "25S01", "25S02", "25S03", "42S01", "42S02", "42S11", "42S12", "42S21", "42S22",
        "HY095", "HY097", "HY098", "HY099", "HY100", "HY101", "HY105", "HY107", "HY109",
        "HY110", "HY111", "HYT00", "HYT01", "IM001", "IM002", "IM003", "IM004", "IM005",
        "IM006", "IM007", "IM008", "IM010", "IM011", "IM012"};
    if (!subclass) return state.starts_with("IM") ? "ODBC 3.0" : "ISO 9075";
    for (auto odbc : odbcStates)
        if (state == odbc) return "ODBC 3.0";
    return "ISO 9075";
}

// Writes one text-valued field and reports truncation in the return code.
SQLRETURN textField(std::string_view text, SQLPOINTER buffer, SQLSMALLINT bufferLength,
                    SQLSMALLINT* length) {
    if (bufferLength < 0) return SQL_ERROR;
    return writeText(text, buffer, bufferLength, length) ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN headerField(const Handle& handle, SQLSMALLINT field, SQLPOINTER value,
                      SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    const Diagnostics& diagnostics = handle.diagnostics;
    const auto* statement =
        handle.kind == HandleKind::Statement ? static_cast<const Statement*>(&handle) : nullptr;
    switch (field) {
        case SQL_DIAG_NUMBER:
            writeValue(value, static_cast<SQLINTEGER>(diagnostics.records().size()));
            return SQL_SUCCESS;
        case SQL_DIAG_RETURNCODE:
            writeValue(value, diagnostics.returnCode());
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_COUNT:
            if (!statement) return SQL_ERROR;
            writeValue(value, static_cast<SQLLEN>(statement->rowCount));
            return SQL_SUCCESS;
        case SQL_DIAG_CURSOR_ROW_COUNT:
            if (!statement) return SQL_ERROR;
            writeValue(value, static_cast<SQLLEN>(statement->cursor ? statement->cursor->size() : 0));
            return SQL_SUCCESS;
        case SQL_DIAG_DYNAMIC_FUNCTION:
            if (!statement) return SQL_ERROR;
            return textField("", value, bufferLength, length);
        case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
            if (!statement) return SQL_ERROR;
            writeValue(value, static_cast<SQLINTEGER>(SQL_DIAG_UNKNOWN_STATEMENT));
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
    }
}

SQLRETURN recordField(const Handle& handle, const DiagRecord& record, SQLSMALLINT field,
                      SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    const Connection* connection = connectionOf(handle);
    switch (field) {
        case SQL_DIAG_SQLSTATE: return textField(record.sqlstate, value, bufferLength, length);
        case SQL_DIAG_NATIVE: writeValue(value, record.nativeError); return SQL_SUCCESS;
        case SQL_DIAG_MESSAGE_TEXT: return textField(record.message, value, bufferLength, length);
        case SQL_DIAG_CLASS_ORIGIN:
            return textField(originOf(record.sqlstate, false), value, bufferLength, length);
        case SQL_DIAG_SUBCLASS_ORIGIN:
            return textField(originOf(record.sqlstate, true), value, bufferLength, length);
        case SQL_DIAG_CONNECTION_NAME: return textField("", value, bufferLength, length);
        case SQL_DIAG_SERVER_NAME:
            return textField(connection ? connection->request.server : "", value, bufferLength,
                             length);
        case SQL_DIAG_COLUMN_NUMBER:
            writeValue(value, static_cast<SQLINTEGER>(SQL_COLUMN_NUMBER_UNKNOWN));
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_NUMBER:
            writeValue(value, static_cast<SQLLEN>(SQL_ROW_NUMBER_UNKNOWN));
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
    }
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                                SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    const Handle* object = handleFor(type, handle);
    if (!object) return SQL_INVALID_HANDLE;
    if (number <= 0 || bufferLength < 0) return SQL_ERROR;
    const auto& records = object->diagnostics.records();
    if (static_cast<std::size_t>(number) > records.size()) return SQL_NO_DATA;
    const DiagRecord& record = records[static_cast<std::size_t>(number - 1)];
    if (state) writeText(record.sqlstate, state, 6, static_cast<SQLSMALLINT*>(nullptr));
    writeValue(nativeError, record.nativeError);
    return textField(record.message, message, bufferLength, length);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* length) {
    const Handle* object = handleFor(type, handle);
    if (!object) return SQL_INVALID_HANDLE;
    switch (field) {
        case SQL_DIAG_NUMBER: case SQL_DIAG_RETURNCODE: case SQL_DIAG_ROW_COUNT:
        case SQL_DIAG_CURSOR_ROW_COUNT: case SQL_DIAG_DYNAMIC_FUNCTION:
        case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
            return headerField(*object, field, value, bufferLength, length);
        default: break;
    }
    if (number <= 0) return SQL_ERROR;
    const auto& records = object->diagnostics.records();
    if (static_cast<std::size_t>(number) > records.size()) return SQL_NO_DATA;
    return recordField(*object, records[static_cast<std::size_t>(number - 1)], field, value,
                       bufferLength, length);
}

}  // extern "C"
