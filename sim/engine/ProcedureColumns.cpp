#include "sim/engine/ProcedureColumns.h"

#include <cctype>
#include <string>

#include "sim/engine/Schema.h"

namespace vantrok::sim {

bool likeMatches(std::string_view pattern, std::string_view text) {
    if (pattern.empty()) return text.empty();
    if (pattern.front() == '%') {
        for (std::size_t skip = 0; skip <= text.size(); ++skip)
            if (likeMatches(pattern.substr(1), text.substr(skip))) return true;
        return false;
    }
    if (text.empty()) return false;
    bool same = pattern.front() == '_' ||
                std::tolower(static_cast<unsigned char>(pattern.front())) ==
                    std::tolower(static_cast<unsigned char>(text.front()));
    return same && likeMatches(pattern.substr(1), text.substr(1));
}

namespace {

// ODBC's codes: SQL_INTEGER, SQL_DECIMAL, SQL_TYPE_TIMESTAMP, SQL_VARCHAR;
// SQL_DATETIME (9) with sub-code 3 as the verbose type of a timestamp.
struct OdbcType {
    int dataType;
    std::string_view name;
    int columnSize;
    int bufferLength;
    Cell decimalDigits;
    Cell radix;
    int verboseType;
    Cell datetimeSub;
    Cell octetLength;
};

OdbcType odbcType(const ColumnDef& c) {
    switch (c.type) {
    case SqlType::Int: return {4, "int", 10, 4, "0", "10", 4, std::nullopt, std::nullopt};
    case SqlType::Decimal:
        return {3, "decimal", c.precision, c.precision + 2, std::to_string(c.scale), "10", 3, std::nullopt,
                std::nullopt};
    case SqlType::DateTime: return {93, "datetime", 23, 16, "3", std::nullopt, 9, "3", std::nullopt};
    case SqlType::VarChar:
        return {12, "varchar", c.precision, c.precision, std::nullopt, std::nullopt, 12, std::nullopt,
                std::to_string(c.precision)};
    }
    return {};
}

}  // namespace

ResultTable procedureColumnsResult(std::string_view pattern, std::string_view database, bool databaseHasProcedures) {
    ResultTable table;
    auto text = [&](const char* name, int size, bool nullable) {
        table.columns.push_back({name, SqlType::VarChar, size, 0, nullable});
    };
    auto number = [&](const char* name, bool nullable) {
        table.columns.push_back({name, SqlType::Int, 10, 0, nullable});
    };
    text("PROCEDURE_CAT", 128, true);
    text("PROCEDURE_SCHEM", 128, true);
    text("PROCEDURE_NAME", 134, false);
    text("COLUMN_NAME", 128, false);
    number("COLUMN_TYPE", false);
    number("DATA_TYPE", false);
    text("TYPE_NAME", 128, false);
    number("COLUMN_SIZE", true);
    number("BUFFER_LENGTH", true);
    number("DECIMAL_DIGITS", true);
    number("NUM_PREC_RADIX", true);
    number("NULLABLE", false);
    text("REMARKS", 254, true);
    text("COLUMN_DEF", 4000, true);
    number("SQL_DATA_TYPE", false);
    number("SQL_DATETIME_SUB", true);
    number("CHAR_OCTET_LENGTH", true);
    number("ORDINAL_POSITION", false);
    text("IS_NULLABLE", 254, true);

    if (!databaseHasProcedures || !likeMatches(pattern, dailySaleProcedure)) return table;

    // SQL Server names a procedure with its group number.
    std::string procedure = std::string(dailySaleProcedure) + ";1";
    auto addRow = [&](std::string name, int columnType, const ColumnDef& c, int position, bool nullable) {
        OdbcType t = odbcType(c);
        table.rows.push_back({std::string(database), "dbo", procedure, std::move(name), std::to_string(columnType),
                              std::to_string(t.dataType), std::string(t.name), std::to_string(t.columnSize),
                              std::to_string(t.bufferLength), t.decimalDigits, t.radix, nullable ? "1" : "0",
                              std::nullopt, std::nullopt, std::to_string(t.verboseType), t.datetimeSub,
                              t.octetLength, std::to_string(position), nullable ? "YES" : "NO"});
    };
    constexpr int returnValue = 5;  // SQL_RETURN_VALUE
    constexpr int input = 1;        // SQL_PARAM_INPUT
    addRow("@RETURN_VALUE", returnValue, ColumnDef{"", SqlType::Int, 10, 0, false}, 0, false);
    int position = 1;
    for (const ColumnDef& p : dailySaleParameters()) {
        addRow("@" + std::string(p.name), input, p, position, true);
        ++position;
    }
    return table;
}

}  // namespace vantrok::sim
