#include "sim/tds/CatalogProcedures.h"

#include "sim/engine/ProcedureColumns.h"
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

}  // namespace

bool isProcedureColumnsCall(const RpcCall& call) {
    std::string_view name = call.procedure;
    for (std::string_view prefix : {"sys.", "dbo.", "master.dbo.", "master..", "master.sys."})
        if (name.size() > prefix.size() && equalsIgnoreCase(name.substr(0, prefix.size()), prefix))
            name.remove_prefix(prefix.size());
    return equalsIgnoreCase(name, "sp_sproc_columns");
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
