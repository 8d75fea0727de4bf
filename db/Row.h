#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/Fields.h"
#include "db/OdbcHandle.h"

namespace vantrok::db {

struct ColumnInfo {
    std::string name;        // as the server names it; may be empty
    SQLSMALLINT sqlType = 0; // SQL_INTEGER, SQL_DECIMAL, SQL_TYPE_TIMESTAMP, SQL_VARCHAR, ...
    SQLULEN size = 0;
    SQLSMALLINT decimalDigits = 0;
};

// The columns of a result set and the statement that gave them, shared by the rows kept from it.
struct RowShape {
    std::vector<ColumnInfo> columns;
    std::string context;
};

// Where the column of that name (any case) is. Throws DatabaseError (42S22).
std::size_t columnIndex(const std::vector<ColumnInfo>& columns, std::string_view name, const std::string& context);

// One row kept whole after its result set has moved on or is gone, so that
// nothing stays open on the server while it is used.
class Row final : public Fields {
public:
    Row(std::shared_ptr<const RowShape> shape, std::vector<Value> values)
        : shape_(std::move(shape)), values_(std::move(values)) {}

    const Value& field(std::string_view name) const override;
    const Value& field(std::size_t index) const override;

private:
    std::shared_ptr<const RowShape> shape_;
    std::vector<Value> values_;
};

}  // namespace vantrok::db
