#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/Fields.h"
#include "db/Row.h"
#include "db/StatementHandle.h"
#include "db/Value.h"

namespace vantrok::db {

// A forward-only result set. The current row is fetched whole and buffered,
// so its columns can be read by name or index any number of times, in any order.
// eof() and bof() are both true for a set without rows; after the last
// moveNext() eof() is true. Once the rows run out, the statement's later
// results are read through and the handle goes back to its connection.
class ResultSet final : public Fields {
public:
    ResultSet() = default;  // a closed set: no columns, eof and bof
    ResultSet(StatementHandle statement, std::string context);
    ResultSet(ResultSet&&) noexcept = default;
    ResultSet& operator=(ResultSet&&) noexcept = default;

    bool eof() const noexcept { return eof_; }
    bool bof() const noexcept { return bof_; }

    std::size_t columnCount() const noexcept { return columns_.size(); }
    const ColumnInfo& column(std::size_t index) const;

    // Current row's value; the name compares case-insensitively. Throws
    // DatabaseError (no current row, unknown name, index out of range).
    const Value& field(std::string_view name) const override;
    const Value& field(std::size_t index) const override;
    // The current row, kept apart from the set. Throws DatabaseError (no current row).
    Row row() const;

    // Fetches the next row. Throws DatabaseError (also when already at the end).
    void moveNext();

    // Releases the set before its end: its remaining rows and the
    // statement's later results are read past, never cancelled, so a batch or
    // procedure always runs whole; an error on the way is raised. A set
    // released without it (destroyed) reads past them too, but cannot raise.
    void close();

    // Where a bound column's value arrives.
    struct Buffer {
        SQLBIGINT integer = 0;
        SQLDOUBLE real = 0;
        SQL_TIMESTAMP_STRUCT moment{};
        char digits[64] = {};  // a decimal's text: 38 digits, sign and point fit
        SQLLEN indicator = 0;
    };

private:
    void fetch();
    void bindForTheNextRows();

    StatementHandle statement_;
    std::string context_;
    std::vector<ColumnInfo> columns_;
    std::vector<Buffer> buffers_;  // empty when the values are read one by one
    std::vector<Value> row_;
    mutable std::shared_ptr<const RowShape> shape_;  // made for the first row kept
    bool eof_ = true;
    bool bof_ = true;
};

}  // namespace vantrok::db
