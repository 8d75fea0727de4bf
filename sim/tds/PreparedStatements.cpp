#include "sim/tds/PreparedStatements.h"

#include <algorithm>
#include <cctype>

#include "sim/engine/SqlErrors.h"
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

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#' || c == '$';
}

struct Declaration {
    std::string name;
    bool output = false;
};

// The parameters an @params text declares, in order:
// "@P0 int,@name varchar(10) OUTPUT" gives "@P0", then "@name" for output.
std::vector<Declaration> declarations(std::string_view params) {
    std::vector<Declaration> declared;
    std::string lastWord;
    int depth = 0;
    auto endDeclaration = [&] {
        if (!declared.empty() && (equalsIgnoreCase(lastWord, "output") || equalsIgnoreCase(lastWord, "out")))
            declared.back().output = true;
        lastWord.clear();
    };
    for (std::size_t i = 0; i < params.size(); ++i) {
        const char c = params[i];
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) endDeclaration();
        if (!isNameCharacter(c)) continue;
        std::size_t end = i + 1;
        while (end < params.size() && isNameCharacter(params[end])) ++end;
        const std::string_view word = params.substr(i, end - i);
        if (word.front() == '@' && lastWord.empty()) declared.push_back({std::string(word)});
        lastWord = word;
        i = end - 1;
    }
    endDeclaration();
    return declared;
}

std::vector<Declaration>::const_iterator find(const std::vector<Declaration>& declared, std::string_view name) {
    return std::find_if(declared.begin(), declared.end(),
                        [&](const Declaration& d) { return equalsIgnoreCase(d.name, name); });
}

// The values of a call from `first` on, each under its declared name:
// positional ones in declaration order, named ones by their name. Those
// passed for output go to `outputs`.
std::map<std::string, ParamValue> valuesByName(const RpcCall& call, std::size_t first,
                                               const std::vector<Declaration>& declared,
                                               std::vector<StatementCall::Output>& outputs) {
    std::map<std::string, ParamValue> values;
    for (std::size_t i = first; i < call.parameters.size(); ++i) {
        const RpcParameter& p = call.parameters[i];
        auto declaration = declared.end();
        if (p.name.empty()) {
            if (i - first >= declared.size()) throw errors::tooManyArguments(call.procedure);
            declaration = declared.begin() + static_cast<std::ptrdiff_t>(i - first);
        } else {
            declaration = find(declared, p.name);
            if (declaration == declared.end())
                throw SimError{"42000", 8145, p.name + " is not a parameter for procedure " + call.procedure + "."};
        }
        if (p.output) {
            if (!declaration->output)
                throw SimError{"42000", 8162,
                               "The formal parameter \"" + declaration->name +
                                   "\" was not declared as an OUTPUT parameter, but the actual parameter passed in "
                                   "requested output."};
            outputs.push_back({static_cast<std::uint16_t>(i), declaration->name, p.value});
        }
        values[toLower(declaration->name)] = p.value.value;
    }
    return values;
}

// Each declared parameter outside quoted text becomes a "?" marker, its value
// following the markers' order; @@ names (@@TRANCOUNT) are the server's own.
StatementCall withMarkers(const PreparedStatement& statement, const RpcCall& call, std::size_t firstValue) {
    const std::vector<Declaration> declared = declarations(statement.params);
    StatementCall result;
    const std::map<std::string, ParamValue> values = valuesByName(call, firstValue, declared, result.outputs);
    const std::string& sql = statement.sql;
    std::string text;
    bool quoted = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'') quoted = !quoted;
        if (quoted || c != '@') {
            text += c;
            continue;
        }
        std::size_t end = i + 1;
        while (end < sql.size() && isNameCharacter(sql[end])) ++end;
        const std::string name = sql.substr(i, end - i);
        i = end - 1;
        if (name.starts_with("@@")) {
            text += name;
            continue;
        }
        if (find(declared, name) == declared.end()) throw SimError{"42000", 137, "Must declare the scalar variable \"" + name + "\"."};
        auto value = values.find(toLower(name));
        if (value == values.end())
            throw SimError{"42000", 8178,
                           "The parameterized query '(" + statement.params + ")" + sql + "' expects the parameter '" +
                               name + "', which was not supplied."};
        result.values.push_back(value->second);
        text += '?';
    }
    result.sql = text;
    return result;
}

std::string paramsText(const RpcCall& call, std::size_t position) {
    if (position >= call.parameters.size()) return {};
    return call.parameters[position].value.value.text.value_or("");
}

}  // namespace

std::optional<StatementCall> PreparedStatements::take(const RpcCall& call) {
    const std::string& name = call.procedure;
    if (equalsIgnoreCase(name, "sp_executesql")) {
        // @stmt, @params, values
        return withMarkers({paramsText(call, 1), statementText(call, 0)}, call, 2);
    }
    if (equalsIgnoreCase(name, "sp_prepare") || equalsIgnoreCase(name, "sp_prepexec")) {
        // @handle OUTPUT, @params, @stmt, then (sp_prepexec) the values.
        const std::int32_t handle = nextHandle_++;
        statements_[handle] = {paramsText(call, 1), statementText(call, 2)};
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
