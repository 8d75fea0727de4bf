#include "db/ResultSet.h"

#include <algorithm>
#include <stdexcept>


namespace vantrok::db {
namespace {

ColumnInfo describeColumn(SQLHSTMT statement, SQLUSMALLINT number, const std::string& context) {
    ColumnInfo info;
    std::string name(256, '\0');
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT nullable = 0;
    auto describe = [&] {
        return check(SQLDescribeCol(statement, number, reinterpret_cast<SQLCHAR*>(name.data()),
                                    static_cast<SQLSMALLINT>(name.size()), &nameLength, &info.sqlType, &info.size,
                                    &info.decimalDigits, &nullable),
                     SQL_HANDLE_STMT, statement, context);
    };
    describe();
    if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.assign(static_cast<std::size_t>(nameLength) + 1, '\0');
        describe();
    }
    name.resize(nameLength < 0 ? 0 : std::min(static_cast<std::size_t>(nameLength), name.size() - 1));
    info.name = std::move(name);
    return info;
}

// Reads a character value whole, in as many pieces as the driver needs.
Value readText(SQLHSTMT statement, SQLUSMALLINT number, const std::string& context) {
    std::string text;
    char chunk[4096];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = check(SQLGetData(statement, number, SQL_C_CHAR, chunk, sizeof chunk, &indicator),
                             SQL_HANDLE_STMT, statement, context);
        if (rc == SQL_NO_DATA) break;
        if (indicator == SQL_NULL_DATA) return Null{};
        const bool truncated = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof chunk);
        text.append(chunk, truncated ? sizeof chunk - 1 : static_cast<std::size_t>(indicator));
        if (!truncated) break;
    }
    return text;
}

template <typename T>
bool readFixed(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT cType, T& target, const std::string& context) {
    SQLLEN indicator = 0;
    check(SQLGetData(statement, number, cType, &target, sizeof target, &indicator), SQL_HANDLE_STMT, statement,
          context);
    return indicator != SQL_NULL_DATA;
}

// How a column's values are read.
enum class Kind { Integer, Floating, Moment, Exact, Text };

Kind kindOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: return Kind::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return Kind::Floating;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP: return Kind::Moment;
    // Through the driver's text, never a binary number, so every digit stays.
    case SQL_DECIMAL:
    case SQL_NUMERIC: return Kind::Exact;
    default: return Kind::Text;
    }
}

Value momentValue(const SQL_TIMESTAMP_STRUCT& v) {
    return DateTime{v.year, v.month, v.day, v.hour, v.minute, v.second, static_cast<int>(v.fraction)};
}

Value exactValue(std::string_view digits, const ColumnInfo& column, const std::string& context) {
    try {
        return Decimal::parse(digits);
    } catch (const std::invalid_argument&) {
        throw DatabaseError(context, {{"22018", 0,
                                       "column " + column.name + " holds '" + std::string(digits) +
                                           "', not a decimal number"}});
    }
}

Value readValue(SQLHSTMT statement, SQLUSMALLINT number, const ColumnInfo& column, const std::string& context) {
    switch (kindOf(column.sqlType)) {
    case Kind::Integer: {
        SQLBIGINT v = 0;
        if (!readFixed(statement, number, SQL_C_SBIGINT, v, context)) return Null{};
        return static_cast<std::int64_t>(v);
    }
    case Kind::Floating: {
        SQLDOUBLE v = 0;
        if (!readFixed(statement, number, SQL_C_DOUBLE, v, context)) return Null{};
        return static_cast<double>(v);
    }
    case Kind::Moment: {
        SQL_TIMESTAMP_STRUCT v{};
        if (!readFixed(statement, number, SQL_C_TYPE_TIMESTAMP, v, context)) return Null{};
        return momentValue(v);
    }
    case Kind::Exact: {
        Value text = readText(statement, number, context);
        if (isNull(text)) return text;
        return exactValue(std::get<std::string>(text), column, context);
    }
    case Kind::Text: break;
    }
    return readText(statement, number, context);
}

void bindColumn(SQLHSTMT statement, SQLUSMALLINT number, const ColumnInfo& column, ResultSet::Buffer& buffer,
                const std::string& context) {
    SQLSMALLINT cType = SQL_C_SBIGINT;
    SQLPOINTER target = &buffer.integer;
    SQLLEN length = 0;
    switch (kindOf(column.sqlType)) {
    case Kind::Floating:
        cType = SQL_C_DOUBLE;
        target = &buffer.real;
        break;
    case Kind::Moment:
        cType = SQL_C_TYPE_TIMESTAMP;
        target = &buffer.moment;
        break;
    case Kind::Exact:
        cType = SQL_C_CHAR;
        target = buffer.digits;
        length = sizeof buffer.digits;
        break;
    default: break;
    }
    check(SQLBindCol(statement, number, cType, target, length, &buffer.indicator), SQL_HANDLE_STMT, statement,
          context);
}

Value boundValue(const ResultSet::Buffer& buffer, const ColumnInfo& column, const std::string& context) {
    if (buffer.indicator == SQL_NULL_DATA) return Null{};
    switch (kindOf(column.sqlType)) {
    case Kind::Floating: return static_cast<double>(buffer.real);
    case Kind::Moment: return momentValue(buffer.moment);
    case Kind::Exact: {
        if (buffer.indicator < 0 || buffer.indicator >= static_cast<SQLLEN>(sizeof buffer.digits))
            throw DatabaseError(context, {{"22001", 0, "column " + column.name + " holds more digits than a decimal"}});
        return exactValue(std::string_view(buffer.digits, static_cast<std::size_t>(buffer.indicator)), column,
                          context);
    }
    default: return static_cast<std::int64_t>(buffer.integer);
    }
}

}  // namespace

ResultSet::ResultSet(StatementHandle statement, std::string context)
    : statement_(std::move(statement)), context_(std::move(context)) {
    SQLHSTMT stmt = statement_.get();
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, context_);
    if (count == 0) {
        // No rows to offer. Later results are still read, so the whole batch
        // runs and an error it raises after its first count is not lost.
        close();
        return;
    }
    columns_.reserve(static_cast<std::size_t>(count));
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        columns_.push_back(describeColumn(stmt, static_cast<SQLUSMALLINT>(i), context_));
    }
    fetch();
    bof_ = eof_;
    if (!eof_) bindForTheNextRows();
}

const ColumnInfo& ResultSet::column(std::size_t index) const {
    if (index >= columns_.size()) {
        throw DatabaseError(context_, {{"07009", 0, "no column " + std::to_string(index)}});
    }
    return columns_[index];
}

const Value& ResultSet::field(std::string_view name) const { return field(columnIndex(columns_, name, context_)); }

const Value& ResultSet::field(std::size_t index) const {
    column(index);
    if (row_.empty()) throw DatabaseError(context_, {{"24000", 0, "no current row"}});
    return row_[index];
}

Row ResultSet::row() const {
    if (row_.empty()) throw DatabaseError(context_, {{"24000", 0, "no current row"}});
    if (!shape_) shape_ = std::make_shared<const RowShape>(RowShape{columns_, context_});
    return Row(shape_, row_);
}

void ResultSet::moveNext() {
    if (eof_) throw DatabaseError(context_, {{"24000", 0, "moved past the end of the rows"}});
    bof_ = false;
    fetch();
}

void ResultSet::close() {
    row_.clear();
    eof_ = true;
    if (!statement_) return;
    SQLHSTMT stmt = statement_.get();
    SQLRETURN rc;
    while ((rc = SQLMoreResults(stmt)) != SQL_NO_DATA) check(rc, SQL_HANDLE_STMT, stmt, context_);
    statement_.resultsReadThrough();
    statement_.reset();  // the connection is free for other work at once
}

void ResultSet::fetch() {
    // Until the new row is read whole there is no current row, also when reading fails.
    row_.clear();
    SQLHSTMT stmt = statement_.get();
    SQLRETURN rc = check(SQLFetch(stmt), SQL_HANDLE_STMT, stmt, context_);
    if (rc == SQL_NO_DATA) {
        close();
        return;
    }
    eof_ = false;
    std::vector<Value> row;
    row.reserve(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        row.push_back(buffers_.empty() ? readValue(stmt, static_cast<SQLUSMALLINT>(i + 1), columns_[i], context_)
                                       : boundValue(buffers_[i], columns_[i], context_));
    }
    row_ = std::move(row);
}

// A set with a second row to come has its columns bound, when all are of a
// fixed size, so that each further row comes in one call. A set with any text
// column goes on reading value by value, as drivers may not allow both on
// one row.
void ResultSet::bindForTheNextRows() {
    if (std::any_of(columns_.begin(), columns_.end(),
                    [](const ColumnInfo& c) { return kindOf(c.sqlType) == Kind::Text; }))
        return;
    SQLHSTMT stmt = statement_.get();
    buffers_.resize(columns_.size());
    statement_.bindingsMade();
    for (std::size_t i = 0; i < columns_.size(); ++i)
        bindColumn(stmt, static_cast<SQLUSMALLINT>(i + 1), columns_[i], buffers_[i], context_);
}

}  // namespace vantrok::db
