#include "sim/tds/PreparedStatements.h"

#include <cctype>

#include "sim/engine/TextUtil.h"

namespace vantrok::sim::tds {

namespace {

SimError missingParameter(const std::string& procedure, const std::string& parameter) {
    return {"42000", 201,
            "Procedure or function '" + procedure + "' expects parameter '" + parameter + "', which was not supplied."};
}

const RpcParameter& parameterAt(const RpcCall& call, std::size_t position, const std::string& name) {
    if (position >= call.parameters.size()) throw missingParameter(call.procedure, name);
    return call.parameters[position];
}

std::string statementText(const RpcCall& call, std::size_t position) {
    const Cell& text = parameterAt(call, position, "@stmt").value.value.text;
    if (!text) throw missingParameter(call.procedure, "@stmt");
    return *text;
}

std::int32_t handleOf(const RpcCall& call, std::size_t position) {
    const Cell& text = parameterAt(call, position, "@handle").value.value.text;
    if (!text) throw missingParameter(call.procedure, "@handle");
    return static_cast<std::int32_t>(std::stol(*text));
}

// "@P1" ... "@Pn" outside quoted text become "?"; the values follow the markers.
StatementCall withMarkers(const std::string& sql, const RpcCall& call, std::size_t firstValue) {
    StatementCall result;
    std::string text;
    bool quoted = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'') quoted = !quoted;
        const bool marker = !quoted && c == '@' && i + 2 < sql.size() && (sql[i + 1] == 'P' || sql[i + 1] == 'p') &&
                            std::isdigit(static_cast<unsigned char>(sql[i + 2]));
        if (!marker) {
            text += c;
            continue;
        }
        std::size_t end = i + 2;
        while (end < sql.size() && std::isdigit(static_cast<unsigned char>(sql[end]))) ++end;
        const std::size_t number = std::stoul(sql.substr(i + 2, end - i - 2));
        const std::size_t position = firstValue + number - 1;
        if (number == 0 || position >= call.parameters.size())
            throw SimError{"42000", 137, "Must declare the scalar variable \"" + sql.substr(i, end - i) + "\"."};
        result.values.push_back(call.parameters[position].value.value);
        text += '?';
        i = end - 1;
    }
    result.sql = text;
    return result;
}

}  // namespace

std::optional<StatementCall> PreparedStatements::take(const RpcCall& call) {
    const std::string& name = call.procedure;
    if (equalsIgnoreCase(name, "sp_executesql")) {
        return withMarkers(statementText(call, 0), call, 2);  // @stmt, @params, values
    }
    if (equalsIgnoreCase(name, "sp_prepare") || equalsIgnoreCase(name, "sp_prepexec")) {
        // @handle OUTPUT, @params, @stmt, then (sp_prepexec) the values.
        const std::int32_t handle = nextHandle_++;
        statements_[handle] = statementText(call, 2);
        StatementCall result;
        if (equalsIgnoreCase(name, "sp_prepexec")) result = withMarkers(statements_[handle], call, 3);
        result.newHandle = handle;
        return result;
    }
    if (equalsIgnoreCase(name, "sp_execute") || equalsIgnoreCase(name, "sp_unprepare")) {
        const std::int32_t handle = handleOf(call, 0);
        auto statement = statements_.find(handle);
        if (statement == statements_.end())
            throw SimError{"HY000", 8179, "Could not find prepared statement with handle " + std::to_string(handle) + "."};
        if (equalsIgnoreCase(name, "sp_unprepare")) {
            statements_.erase(statement);
            return StatementCall{};
        }
        return withMarkers(statement->second, call, 1);
    }
    return std::nullopt;
}

}  // namespace vantrok::sim::tds
