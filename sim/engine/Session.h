#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/engine/Outcome.h"

namespace vantrok::sim {

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
    // The station answers as the first, lenient simulator did.
    virtual bool lenient() const = 0;

    // Executes one statement text with its bound parameters (in marker order;
    // for "{? = call ...}" the first is the return value). Its results come
    // one at a time as the client reads them (see Outcome). Throws SimError.
    // timeout: the statement's query time-out (zero: none).
    virtual Outcome execute(std::string_view sql, const std::vector<ParamValue>& params,
                            std::chrono::seconds timeout) = 0;

    // The 19-column result of SQLProcedureColumns for one procedure name
    // (position 0 the return value). Logged. Throws SimError.
    virtual ResultTable procedureColumns(std::string_view procedureName) = 0;
};

}  // namespace vantrok::sim
