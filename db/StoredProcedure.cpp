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

// "{? = call name(?,?)}", or without the return value "{call name(?,?)}".
std::string callText(const std::string& name, const std::vector<ProcedureParameter>& declared) {
    const bool returnsValue = !declared.empty() && declared.front().columnType == SQL_RETURN_VALUE;
    std::string call = returnsValue ? "{? = call " : "{call ";
    call += name;
    const std::size_t inputs = declared.size() - (returnsValue ? 1 : 0);
    if (inputs > 0) {
        call += "(";
        for (std::size_t i = 0; i < inputs; ++i) call += i == 0 ? "?" : ",?";
        call += ")";
    }
    call += "}";
    return call;
}

}  // namespace

StoredProcedure::StoredProcedure(std::string name) : name_(std::move(name)) {}

const std::vector<ProcedureParameter>& StoredProcedure::parameters() {
    if (derived_) return parameters_;
    if (connection_ == nullptr) {
        throw DatabaseError("describing " + name_, {{"08003", 0, "no connection set"}});
    }
    const std::string context = "describing " + name_;
    StatementHandle statement = connection_->newStatement();
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
    slots_.assign(parameters_.size(), Slot{});
    call_ = callText(name_, parameters_);
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

void StoredProcedure::useStatementOf(Connection& connection) {
    if (statement_.live() && statementConnection_ == &connection) return;
    statement_ = connection.newStatement();
    statementConnection_ = &connection;
    for (Slot& slot : slots_) slot.boundType = 0;
    returnBound_ = false;
    preparedCall_.clear();
}

void StoredProcedure::bindInput(std::size_t position, const std::string& context) {
    const ProcedureParameter& declared = parameters_[position];
    const Value& value = values_[position];
    Slot& slot = slots_[position];
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
    } else if (isNull(value)) {
        // A null needs no buffer of its own: any binding the position has will do.
        slot.indicator = SQL_NULL_DATA;
        if (slot.boundType != 0) return;
        buffer = slot.text.data();
    } else {
        const auto* s = std::get_if<std::string>(&value);
        slot.text = s ? *s : std::get<Decimal>(value).toString();
        buffer = slot.text.data();
        bufferLength = static_cast<SQLLEN>(slot.text.capacity());
    }
    if (!isNull(value)) slot.indicator = cType == SQL_C_CHAR ? static_cast<SQLLEN>(slot.text.size()) : 0;
    if (slot.boundType == cType && slot.boundBuffer == buffer) return;
    SQLHSTMT statement = statement_.get();
    check(SQLBindParameter(statement, static_cast<SQLUSMALLINT>(position + 1), SQL_PARAM_INPUT, cType,
                           declared.sqlType, declared.size, declared.decimalDigits, buffer, bufferLength,
                           &slot.indicator),
          SQL_HANDLE_STMT, statement, context);
    statement_.bindingsMade();
    slot.boundType = cType;
    slot.boundBuffer = buffer;
}

void StoredProcedure::execute() {
    const auto& declared = parameters();
    const std::string context = "executing " + name_;
    // Without a description the call goes without markers, for the server to refuse.
    if (!derived_) call_ = callText(name_, declared);
    const bool returnsValue = !declared.empty() && declared.front().columnType == SQL_RETURN_VALUE;
    useStatementOf(*connection_);
    SQLHSTMT stmt = statement_.get();
    try {
        // Marker n+1 is always position n: the return value, when there is one, is marker 1.
        for (std::size_t position = 0; position < declared.size(); ++position) {
            if (position != 0 || !returnsValue) {
                bindInput(position, context);
            } else if (!returnBound_) {
                check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(position + 1), SQL_PARAM_OUTPUT,
                                       SQL_C_SLONG, SQL_INTEGER, 0, 0, &returnValue_, 0, &returnIndicator_),
                      SQL_HANDLE_STMT, stmt, context);
                statement_.bindingsMade();
                returnBound_ = true;
            }
        }
        // The call is prepared once per statement handle and executed as often as asked.
        if (preparedCall_ != call_) {
            check(SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(call_.data()), SQL_NTS), SQL_HANDLE_STMT, stmt,
                  context);
            preparedCall_ = call_;
        }
        statement_.executing();
        check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt, context);
        // Read past every result unread, so the whole procedure runs and a
        // late error surfaces. SQL_NO_DATA from SQLExecute only says that
        // the first statement in the procedure changed no rows: the others'
        // results still follow it.
        SQLRETURN rc;
        while ((rc = SQLMoreResults(stmt)) != SQL_NO_DATA) check(rc, SQL_HANDLE_STMT, stmt, context);
        statement_.resultsReadThrough();
    } catch (const DatabaseError&) {
        // A failed call may leave results pending: the next one starts on a clean handle.
        statement_.reset();
        throw;
    }
}

}  // namespace vantrok::db
