#include "sim/tds/ProcedureArguments.h"

#include <optional>

#include "sim/engine/ProcedureColumns.h"
#include "sim/engine/Schema.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim::tds {

namespace {

std::string withoutSchema(std::string_view procedure) {
    const std::size_t dot = procedure.rfind('.');
    return std::string(dot == std::string_view::npos ? procedure : procedure.substr(dot + 1));
}

}  // namespace

std::vector<std::string> declaredParameters(const Session& session, std::string_view procedure) {
    const std::string name = withoutSchema(procedure);
    constexpr std::size_t procedureName = 2, columnName = 3, columnType = 4;
    constexpr std::string_view returnValue = "5";  // SQL_RETURN_VALUE
    std::vector<std::string> names;
    const ResultTable columns = procedureColumnsResult(name, session.database(), session.database() == salesDatabase);
    for (const Row& row : columns.rows) {
        // The pattern's '_' matches any character: only the procedure itself counts.
        if (!equalsIgnoreCase(*row[procedureName], name + ";1") || *row[columnType] == returnValue) continue;
        names.push_back(*row[columnName]);
    }
    return names;
}

std::vector<ParamValue> argumentsInDeclaredOrder(const RpcCall& call, const std::vector<std::string>& declared) {
    std::vector<ParamValue> ordered;
    if (declared.empty()) {
        for (const RpcParameter& p : call.parameters) ordered.push_back(p.value.value);
        return ordered;
    }
    const std::string procedure = withoutSchema(call.procedure);
    std::vector<std::optional<ParamValue>> slots(declared.size());
    bool named = false;
    for (std::size_t i = 0; i < call.parameters.size(); ++i) {
        const RpcParameter& p = call.parameters[i];
        std::size_t slot = i;
        if (p.name.empty()) {
            if (named)
                throw SimError{"42000", 119,
                               "Must pass parameter number " + std::to_string(i + 1) +
                                   " and subsequent parameters as '@name = value'. After the form '@name = value' "
                                   "has been used, all subsequent parameters must be passed in the form '@name = "
                                   "value'."};
            if (slot >= declared.size()) throw errors::tooManyArguments(procedure);
        } else {
            named = true;
            slot = 0;
            while (slot < declared.size() && !equalsIgnoreCase(declared[slot], p.name)) ++slot;
            if (slot == declared.size())
                throw SimError{"42000", 8145, p.name + " is not a parameter for procedure " + procedure + "."};
            if (slots[slot])
                throw SimError{"42000", 8143, "Parameter '" + p.name + "' was supplied multiple times."};
        }
        slots[slot] = p.value.value;
    }
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (!slots[slot]) throw errors::parameterMissing(procedure, declared[slot]);
        ordered.push_back(std::move(*slots[slot]));
    }
    return ordered;
}

}  // namespace vantrok::sim::tds
