#include "sim/engine/DailySaleProcedure.h"

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

}  // namespace

void DailySaleProcedure::run(const std::vector<ParamValue>& arguments, bool refuse) {
    auto parameters = dailySaleParameters();
    if (arguments.size() < parameters.size())
        throw errors::parameterMissing(dailySaleProcedure, "@" + std::string(parameters[arguments.size()].name));
    if (arguments.size() > parameters.size()) throw errors::tooManyArguments(dailySaleProcedure);

    std::vector<Cell> values;
    values.reserve(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) values.push_back(convertParameter(arguments[i], parameters[i]));
    if (refuse) throw errors::raised("INS_UPD_D17_DailySale1: the daily sale was refused.");

    if (!insert_) insert_.emplace(db_.prepare(insertSql()));
    sqlite::Statement& s = *insert_;
    for (std::size_t i = 0; i < values.size(); ++i) {
        int index = static_cast<int>(i) + 1;
        if (values[i] && parameters[i].type == SqlType::Int) s.bind(index, std::int64_t{std::stoll(*values[i])});
        else s.bindOptional(index, values[i]);
    }
    s.run();
}

}  // namespace vantrok::sim
