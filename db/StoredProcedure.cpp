#include "db/StoredProcedure.h"

#include <exception>
#include <string>

#include "db/CaseInsensitive.h"
#include "db/Connection.h"

namespace vantrok::db {
namespace {

// Column numbers of the SQLProcedureColumns result.
constexpr std::size_t procedureNameColumn = 2;
constexpr std::size_t columnNameColumn = 3;
constexpr std::size_t columnTypeColumn = 4;
constexpr std::size_t dataTypeColumn = 5;
constexpr std::size_t columnSizeColumn = 7;
constexpr std::size_t decimalDigitsColumn = 9;

std::int64_t integerOr(const Value& v, std::int64_t fallback) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* d = std::get_if<Decimal>(&v)) return static_cast<std::int64_t>(d->toDouble());
    if (const auto* s = std::get_if<std::string>(&v)) {
        try {
            return std::stoll(*s);
        } catch (const std::exception&) {
            return fallback;
        }
    }
    return fallback;
}

std::string textOr(const Value& v) {
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : std::string();
}

// SQL Server names a procedure "name;1" (its group number); the name passed is
// a search pattern, so "_" could match other procedures too.
bool describesProcedure(const std::string& reported, const std::string& name) {
    if (reported.empty()) return true;
    return equalsIgnoringCase(std::string_view(reported).substr(0, reported.find(';')), name);
}

DatabaseError noSuchPosition(const std::string& name, std::size_t position) {
    return DatabaseError("setting a parameter of " + name,
                         {{"07009", 0, "Item cannot be found in the collection (position " +
                                           std::to_string(position) + ")"}});
}

// Storage for one bound input; it must stay in place until the call has run.
struct BoundValue {
    std::string text;
    SQLBIGINT integer = 0;
    SQLDOUBLE real = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
};

void bindInput(SQLHSTMT statement, SQLUSMALLINT number, const ProcedureParameter& declared, const Value& value,
               BoundValue& slot, const std::string& context) {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLPOINTER buffer = nullptr;
    SQLLEN bufferLength = 0;
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        slot.integer = *i;
        cType = SQL_C_SBIGINT;
        buffer = &slot.integer;
    } else if (const auto* d = std::get_if<double>(&value)) {
        slot.real = *d;
        cType = SQL_C_DOUBLE;
        buffer = &slot.real;
    } else if (const auto* t = std::get_if<DateTime>(&value)) {
        slot.timestamp = {static_cast<SQLSMALLINT>(t->year),   static_cast<SQLUSMALLINT>(t->month),
                          static_cast<SQLUSMALLINT>(t->day),    static_cast<SQLUSMALLINT>(t->hour),
                          static_cast<SQLUSMALLINT>(t->minute), static_cast<SQLUSMALLINT>(t->second),
                          static_cast<SQLUINTEGER>(t->nanosecond)};
        cType = SQL_C_TYPE_TIMESTAMP;
        buffer = &slot.timestamp;
    } else if (!isNull(value)) {
        const auto* s = std::get_if<std::string>(&value);
        slot.text = s ? *s : std::get<Decimal>(value).toString();
        buffer = slot.text.data();
        bufferLength = static_cast<SQLLEN>(slot.text.size());
        slot.indicator = bufferLength;
    }
    if (isNull(value)) slot.indicator = SQL_NULL_DATA;
    check(SQLBindParameter(statement, number, SQL_PARAM_INPUT, cType, declared.sqlType, declared.size,
                           declared.decimalDigits, buffer, bufferLength, &slot.indicator),
          SQL_HANDLE_STMT, statement, context);
}

}  // namespace

StoredProcedure::StoredProcedure(std::string name) : name_(std::move(name)) {}

const std::vector<ProcedureParameter>& StoredProcedure::parameters() {
    if (derived_) return parameters_;
    if (connection_ == nullptr) {
        throw DatabaseError("describing " + name_, {{"08003", 0, "no connection set"}});
    }
    const std::string context = "describing " + name_;
    OdbcHandle statement = connection_->newStatement();
    check(SQLProcedureColumns(statement.get(), nullptr, 0, nullptr, 0,
                              reinterpret_cast<SQLCHAR*>(const_cast<char*>(name_.c_str())), SQL_NTS, nullptr, 0),
          SQL_HANDLE_STMT, statement.get(), context);

    std::vector<ProcedureParameter> list;
    for (ResultSet rows(std::move(statement), context); !rows.eof(); rows.moveNext()) {
        if (!describesProcedure(textOr(rows.field(procedureNameColumn)), name_)) continue;
        const auto columnType = static_cast<SQLSMALLINT>(integerOr(rows.field(columnTypeColumn), 0));
        if (columnType == SQL_RESULT_COL) continue;
        list.push_back({textOr(rows.field(columnNameColumn)), columnType,
                        static_cast<SQLSMALLINT>(integerOr(rows.field(dataTypeColumn), SQL_VARCHAR)),
                        static_cast<SQLULEN>(integerOr(rows.field(columnSizeColumn), 0)),
                        static_cast<SQLSMALLINT>(integerOr(rows.field(decimalDigitsColumn), 0))});
    }
    // An empty description means the server does not know the procedure (yet):
    // ask again next time rather than keep a list that can never be used.
    if (list.empty()) return parameters_;
    parameters_ = std::move(list);
    values_.assign(parameters_.size(), Null{});
    derived_ = true;
    return parameters_;
}

void StoredProcedure::setParameter(std::size_t position, Value value) {
    if (position >= parameters().size()) throw noSuchPosition(name_, position);
    values_[position] = std::move(value);
}

const Value& StoredProcedure::parameter(std::size_t position) const {
    if (position >= values_.size()) throw noSuchPosition(name_, position);
    return values_[position];
}

void StoredProcedure::execute() {
    const auto& declared = parameters();
    const std::string context = "executing " + name_;
    const bool returnsValue = !declared.empty() && declared.front().columnType == SQL_RETURN_VALUE;

    std::string call = returnsValue ? "{? = call " : "{call ";
    call += name_;
    const std::size_t inputs = declared.size() - (returnsValue ? 1 : 0);
    if (inputs > 0) {
        call += "(";
        for (std::size_t i = 0; i < inputs; ++i) call += i == 0 ? "?" : ",?";
        call += ")";
    }
    call += "}";

    OdbcHandle statement = connection_->newStatement();
    SQLHSTMT stmt = statement.get();
    // Marker n+1 is always position n: the return value, when there is one, is marker 1.
    SQLINTEGER returnValue = 0;
    SQLLEN returnIndicator = 0;
    std::vector<BoundValue> slots(declared.size());
    for (std::size_t position = 0; position < declared.size(); ++position) {
        const auto number = static_cast<SQLUSMALLINT>(position + 1);
        if (position == 0 && returnsValue) {
            check(SQLBindParameter(stmt, number, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &returnValue, 0,
                                   &returnIndicator),
                  SQL_HANDLE_STMT, stmt, context);
        } else {
            bindInput(stmt, number, declared[position], values_[position], slots[position], context);
        }
    }

    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(call.data()), SQL_NTS);
    check(rc, SQL_HANDLE_STMT, stmt, context);
    // Read past every result unread, so the whole procedure runs and a late error surfaces.
    if (rc != SQL_NO_DATA) {
        while ((rc = SQLMoreResults(stmt)) != SQL_NO_DATA) check(rc, SQL_HANDLE_STMT, stmt, context);
    }
}

}  // namespace vantrok::db
