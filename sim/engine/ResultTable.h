#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrok::sim {

// An error as SQL Server would report it through ODBC.
struct SimError {
    std::string sqlstate;  // "42000", "28000", "08S01", ...
    long nativeError = 0;  // SQL Server's error number (102, 4060, 18456, 245, ...)
    std::string message;
};

// SQL Server column types as the driver describes them.
enum class SqlType { Int, Decimal, DateTime, VarChar };

struct ResultColumn {
    std::string name;  // empty for an unnamed column
    SqlType type = SqlType::VarChar;
    int precision = 0;  // decimal precision, varchar length; 10 for int, 23 for datetime
    int scale = 0;      // decimal scale; 3 for datetime
    bool nullable = true;
};

// Every value travels as SQL Server's own text form for its type:
// int "42", decimal "45.460" (exactly its scale), datetime
// "2016-11-25 17:42:30.000", varchar as stored. nullopt is NULL.
using Cell = std::optional<std::string>;
using Row = std::vector<Cell>;

struct ResultTable {
    std::vector<ResultColumn> columns;
    std::vector<Row> rows;
};

// One bound parameter as the client gave it, already turned into text by the
// driver (numbers in decimal digits, timestamps as "yyyy-mm-dd hh:mm:ss.fff").
struct ParamValue {
    Cell text;
    SqlType declaredByClient = SqlType::VarChar;  // the SQL type of SQLBindParameter
};

}  // namespace vantrok::sim
