#include "sim/tds/CatalogProcedures.h"

#include "sim/engine/ProcedureColumns.h"
#include "sim/engine/Schema.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim::tds {

namespace {

std::optional<std::string> argument(const RpcCall& call, std::string_view name, std::size_t position) {
    for (std::size_t i = 0; i < call.parameters.size(); ++i) {
        const RpcParameter& p = call.parameters[i];
        if (p.name.empty() ? i == position : equalsIgnoreCase(p.name, name)) return p.value.value.text;
    }
    return std::nullopt;
}

// SQL Server's own type numbers of the old type system, as SS_DATA_TYPE gives them.
Cell serverTypeNumber(const Cell& typeName) {
    if (!typeName) return std::nullopt;
    if (*typeName == "int") return "56";
    if (*typeName == "decimal") return "106";
    if (*typeName == "datetime") return "61";
    if (*typeName == "varchar") return "39";
    return std::nullopt;
}

bool isCatalogCall(const RpcCall& call, std::string_view procedure) {
    std::string_view name = call.procedure;
    for (std::string_view prefix : {"sys.", "dbo.", "master.dbo.", "master..", "master.sys."})
        if (name.size() > prefix.size() && equalsIgnoreCase(name.substr(0, prefix.size()), prefix))
            name.remove_prefix(prefix.size());
    return equalsIgnoreCase(name, procedure);
}

}  // namespace

bool isProcedureColumnsCall(const RpcCall& call) {
    return isCatalogCall(call, "sp_sproc_columns") || isCatalogCall(call, "sp_sproc_columns_100");
}

bool isStoredProceduresCall(const RpcCall& call) { return isCatalogCall(call, "sp_stored_procedures"); }

ResultTable storedProceduresReply(const Session& session, const RpcCall& call) {
    const std::string pattern = argument(call, "@sp_name", 0).value_or("%");
    ResultTable table;
    table.columns = {{"PROCEDURE_QUALIFIER", SqlType::VarChar, 128, 0, true},
                     {"PROCEDURE_OWNER", SqlType::VarChar, 128, 0, true},
                     {"PROCEDURE_NAME", SqlType::VarChar, 134, 0, true},
                     {"NUM_INPUT_PARAMS", SqlType::Int, 10, 0, true},
                     {"NUM_OUTPUT_PARAMS", SqlType::Int, 10, 0, true},
                     {"NUM_RESULT_SETS", SqlType::Int, 10, 0, true},
                     {"REMARKS", SqlType::VarChar, 254, 0, true},
                     {"PROCEDURE_TYPE", SqlType::Int, 5, 0, true}};
    if (session.database() != salesDatabase) return table;
    for (std::string_view procedure : {dailySaleProcedure, backupProcedure}) {
        if (!likeMatches(pattern, procedure)) continue;
        table.rows.push_back({session.database(), "dbo", std::string(procedure) + ";1", "-1", "-1", "-1", std::nullopt, "2"});
    }
    return table;
}

ResultTable procedureColumnsReply(Session& session, const RpcCall& call) {
    const std::string procedure = argument(call, "@procedure_name", 0).value_or("%");
    ResultTable table = session.procedureColumns(procedure);
    constexpr std::size_t columnName = 3, typeName = 6;
    if (std::optional<std::string> column = argument(call, "@column_name", 3)) {
        std::erase_if(table.rows, [&](const Row& row) { return !row[columnName] || !likeMatches(*column, *row[columnName]); });
    }
    static constexpr const char* serverNames[] = {"PROCEDURE_QUALIFIER", "PROCEDURE_OWNER", "PROCEDURE_NAME",
                                                  "COLUMN_NAME",         "COLUMN_TYPE",     "DATA_TYPE",
                                                  "TYPE_NAME",           "PRECISION",       "LENGTH",
                                                  "SCALE",               "RADIX"};
    for (std::size_t i = 0; i < std::size(serverNames) && i < table.columns.size(); ++i)
        table.columns[i].name = serverNames[i];
    table.columns.push_back({"SS_DATA_TYPE", SqlType::Int, 3, 0, true});
    for (Row& row : table.rows) row.push_back(serverTypeNumber(row.size() > typeName ? row[typeName] : std::nullopt));
    return table;
}

}  // namespace vantrok::sim::tds
