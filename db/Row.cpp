#include "db/Row.h"

#include "db/CaseInsensitive.h"
#include "db/DatabaseError.h"

namespace vantrok::db {

std::size_t columnIndex(const std::vector<ColumnInfo>& columns, std::string_view name, const std::string& context) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (equalsIgnoringCase(columns[i].name, name)) return i;
    }
    throw DatabaseError(context, {{"42S22", 0, "no column named " + std::string(name)}});
}

const Value& Row::field(std::string_view name) const {
    return values_[columnIndex(shape_->columns, name, shape_->context)];
}

const Value& Row::field(std::size_t index) const {
    if (index >= values_.size())
        throw DatabaseError(shape_->context, {{"07009", 0, "no column " + std::to_string(index)}});
    return values_[index];
}

}  // namespace vantrok::db
