#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/engine/ResultTable.h"
#include "sim/tds/Requests.h"
#include "sim/tds/WireTypes.h"

namespace vantrok::sim::tds {

// What one call of SQL Server's statement procedures asks for: a statement
// to run with its values in marker order (none for sp_prepare and
// sp_unprepare), and the handle to hand back for sp_prepare and sp_prepexec.
struct StatementCall {
    std::optional<std::string> sql;
    std::vector<ParamValue> values;
    std::optional<std::int32_t> newHandle;
    // The values passed for output: no statement of the station assigns
    // one, so each comes back as it went ([MS-TDS] 2.2.7.19).
    struct Output {
        std::uint16_t ordinal;  // its place in the call
        std::string name;
        WireValue value;
    };
    std::vector<Output> outputs;
};

// A statement with the parameters its @params text declares.
struct PreparedStatement {
    std::string params;  // "@P1 int,@P2 varchar(10)"
    std::string sql;
};

// The statements a connection prepared through sp_prepare and sp_prepexec,
// and the parameterised ones of sp_executesql, as drivers send them. The
// declared parameters of a statement, whatever their names ("@P0", "@p1",
// "@name"), become "?" markers for the engine, their values in marker order;
// the values come in declaration order or by name.
class PreparedStatements {
public:
    // nullopt for a call to any other procedure. Throws SimError on a call
    // SQL Server would refuse (an unknown handle, no statement).
    std::optional<StatementCall> take(const RpcCall& call);

private:
    std::map<std::int32_t, PreparedStatement> statements_;
    std::int32_t nextHandle_ = 1;
};

}  // namespace vantrok::sim::tds
