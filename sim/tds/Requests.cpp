#include "sim/tds/Requests.h"

namespace vantrok::sim::tds {

namespace {

// Skips ALL_HEADERS ([MS-TDS] 2.2.5.3), which every request of TDS 7.2 and
// later begins with.
void skipAllHeaders(ByteReader& in) {
    const std::uint32_t total = in.u32();
    if (total < 4) throw ProtocolError("ALL_HEADERS shorter than its own length");
    in.take(total - 4);
}

// The procedures a client may name by number ([MS-TDS] 2.2.6.6, ProcID).
std::string wellKnownProcedure(std::uint16_t id) {
    static const char* const names[] = {nullptr,         "sp_cursor",        "sp_cursoropen",    "sp_cursorprepare",
                                        "sp_cursorexecute", "sp_cursorprepexec", "sp_cursorunprepare", "sp_cursorfetch",
                                        "sp_cursoroption", "sp_cursorclose",   "sp_executesql",    "sp_prepare",
                                        "sp_execute",    "sp_prepexec",      "sp_prepexecrpc",   "sp_unprepare"};
    if (id == 0 || id >= std::size(names)) throw ProtocolError("an RPC of unknown procedure number " + std::to_string(id));
    return names[id];
}

// A transaction's name: B_VARBYTE, its length in bytes of UTF-16 ([MS-TDS] 2.2.6.9).
void skipTransactionName(ByteReader& in) {
    const std::uint8_t bytes = in.u8();
    if (bytes % 2 != 0) throw ProtocolError("a transaction name of an odd number of bytes");
    in.take(bytes);
}

constexpr std::uint8_t byReference = 0x01;
// Between the calls of one request ([MS-TDS] 2.2.6.6, BatchFlag and NoExecFlag).
constexpr std::uint8_t batchSeparator = 0x80;
constexpr std::uint8_t noExecSeparator = 0xFF;

}  // namespace

std::string parseSqlBatch(std::string_view data) {
    ByteReader in(data);
    skipAllHeaders(in);
    if (in.remaining() % 2 != 0) throw ProtocolError("a SQL batch of an odd number of bytes");
    return in.ucs2(in.remaining() / 2);
}

TransactionRequest parseTransactionRequest(std::string_view data) {
    ByteReader in(data);
    skipAllHeaders(in);
    TransactionRequest request;
    switch (in.u16()) {
    case 5:  // TM_BEGIN_XACT: isolation level, name
        in.u8();
        skipTransactionName(in);
        return request;
    case 7: request.kind = TransactionRequest::Kind::Commit; break;    // TM_COMMIT_XACT
    case 8: request.kind = TransactionRequest::Kind::Rollback; break;  // TM_ROLLBACK_XACT
    default: throw ProtocolError("a transaction manager request of a kind this server does not take");
    }
    skipTransactionName(in);
    request.beginAnother = in.u8() != 0;
    return request;
}

std::vector<RpcCall> parseRpcRequest(std::string_view data) {
    ByteReader in(data);
    skipAllHeaders(in);
    std::vector<RpcCall> calls;
    while (in.remaining() > 0) {
        RpcCall call;
        const std::uint16_t nameLength = in.u16();
        call.procedure = nameLength == 0xFFFF ? wellKnownProcedure(in.u16()) : in.ucs2(nameLength);
        in.u16();  // option flags: recompile, no metadata; nothing to do for either
        while (in.remaining() > 0) {
            ByteReader ahead = in;
            const std::uint8_t next = ahead.u8();
            if (next == batchSeparator || next == noExecSeparator) {
                in.u8();
                break;
            }
            RpcParameter parameter;
            parameter.name = in.bVarChar();
            parameter.output = (in.u8() & byReference) != 0;
            try {
                parameter.value = readTypedValue(in);
            } catch (const InvalidValue& e) {
                // SQL Server checks each value against its own type before it runs the call.
                throw ProtocolError("The incoming tabular data stream (TDS) remote procedure call (RPC) protocol "
                                    "stream is incorrect. Parameter " + std::to_string(call.parameters.size() + 1) +
                                        " (\"" + parameter.name + "\"): The supplied value is not a valid instance "
                                        "of data type " + e.what() + ". Check the source data for invalid values. An "
                                        "example of an invalid value is data of numeric type with scale greater than "
                                        "precision.",
                                    8023);
            }
            call.parameters.push_back(std::move(parameter));
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

}  // namespace vantrok::sim::tds
