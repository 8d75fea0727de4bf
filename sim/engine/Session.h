#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

struct Outcome {
    std::optional<ResultTable> table;  // absent: the statement returns no result set
    long rowCount = -1;                // rows affected, -1 when not applicable
    std::optional<long> returnValue;   // for "{? = call ...}"
};

// What the driver found in odbcinst.ini and the connection text.
struct ConnectRequest {
    std::string stationDir;  // the "Station" attribute of the driver's section
    std::string server;
    std::string uid;
    std::string password;
    std::string database;
};

// One client connection to the station. Thread-compatible: one call at a time.
class Session {
public:
    virtual ~Session() = default;

    // Opens a connection; throws SimError (08001 refused, 28000 login, 4060 database).
    static std::unique_ptr<Session> connect(const ConnectRequest& request);

    virtual const std::string& database() const = 0;

    // Executes one statement text with its bound parameters (in marker order;
    // for "{? = call ...}" the first is the return value). Throws SimError.
    // timeout: the statement's query time-out (zero: none).
    virtual Outcome execute(std::string_view sql, const std::vector<ParamValue>& params,
                            std::chrono::seconds timeout) = 0;

    // The 19-column result of SQLProcedureColumns for one procedure name
    // (position 0 the return value). Logged. Throws SimError.
    virtual ResultTable procedureColumns(std::string_view procedureName) = 0;
};

}  // namespace vantrok::sim
