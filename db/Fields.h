#pragma once

#include <cstddef>
#include <string_view>

#include "db/Value.h"

namespace vantrok::db {

// A row's values by column name (any case) or position: the current row of an
// open result set, or a row kept after its set was read to the end.
class Fields {
public:
    virtual ~Fields() = default;
    // Throws DatabaseError: no current row, an unknown name, a position out of range.
    virtual const Value& field(std::string_view name) const = 0;
    virtual const Value& field(std::size_t index) const = 0;

protected:
    Fields() = default;
    Fields(const Fields&) = default;
    Fields& operator=(const Fields&) = default;
};

}  // namespace vantrok::db
