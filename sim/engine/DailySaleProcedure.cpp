#include "sim/engine/DailySaleProcedure.h"

#include <sqlite3.h>

#include <algorithm>

#include "sim/engine/ParameterConversion.h"
#include "sim/engine/Schema.h"
#include "sim/engine/SqlErrors.h"

namespace vantrok::sim {

namespace {

std::string insertSql() {
    std::string columns, values;
    int position = 1;
    for (const ColumnDef& p : dailySaleParameters()) {
        if (position > 1) {
            columns += ", ";
            values += ", ";
        }
        columns += p.name;
        values += "?" + std::to_string(position++);
    }
    return "INSERT INTO D17_DailySale (" + columns + ") VALUES (" + values + ")";
}

// The sale of a voucher is found by its completion time and voucher number,
// the leading columns of the table's index.
std::string saleKey() {
    std::string key;
    int position = 1;
    for (const ColumnDef& p : dailySaleParameters()) {
        const std::string marker = "?" + std::to_string(position++);
        if (p.name == "S_Date" || p.name == "VocNo") key += (key.empty() ? "" : " AND ") + std::string(p.name) + " = " + marker;
    }
    return key;
}

std::string updateSql() {
    std::string assignments;
    int position = 1;
    for (const ColumnDef& p : dailySaleParameters()) {
        if (!assignments.empty()) assignments += ", ";
        assignments += std::string(p.name) + " = ?" + std::to_string(position++);
    }
    return "UPDATE D17_DailySale SET " + assignments + " WHERE " + saleKey();
}

std::string existsSql() {
    return "SELECT 1 FROM D17_DailySale WHERE " + saleKey() + " LIMIT 1";
}

}  // namespace

std::vector<Cell> DailySaleProcedure::convert(const std::vector<ParamValue>& arguments) const {
    auto parameters = dailySaleParameters();
    if (arguments.size() < parameters.size())
        throw errors::parameterMissing(dailySaleProcedure, "@" + std::string(parameters[arguments.size()].name));
    if (arguments.size() > parameters.size()) throw errors::tooManyArguments(dailySaleProcedure);

    std::vector<Cell> values;
    values.reserve(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) values.push_back(convertParameter(arguments[i], parameters[i]));
    return values;
}

void DailySaleProcedure::bind(sqlite::Statement& statement, const std::vector<Cell>& values) const {
    auto parameters = dailySaleParameters();
    const std::size_t used = std::min(values.size(), static_cast<std::size_t>(statement.parameterCount()));
    for (std::size_t i = 0; i < used; ++i) {
        int index = static_cast<int>(i) + 1;
        if (values[i] && parameters[i].type == SqlType::Int) statement.bind(index, std::int64_t{std::stoll(*values[i])});
        else statement.bindOptional(index, values[i]);
    }
}

long DailySaleProcedure::update(const std::vector<Cell>& values) {
    // Asked first, so a new voucher's update takes no write lock.
    if (!exists_) exists_.emplace(db_.prepare(existsSql()));
    bind(*exists_, values);
    const bool found = exists_->step();
    exists_->reset();
    if (!found) return 0;
    if (!update_) update_.emplace(db_.prepare(updateSql()));
    bind(*update_, values);
    update_->run();
    return static_cast<long>(sqlite3_changes(db_.handle()));
}

void DailySaleProcedure::insert(const std::vector<Cell>& values) {
    if (!insert_) insert_.emplace(db_.prepare(insertSql()));
    bind(*insert_, values);
    insert_->run();
}

}  // namespace vantrok::sim
