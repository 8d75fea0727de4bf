#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim {

// The statements a client sends about its own session rather than the
// station's data: its transaction, as Microsoft's drivers drive it with
// auto-commit off, and the server's version.
struct SessionStatement {
    enum class Kind { BeginTransaction, Commit, Rollback, TransactionCount, Version } kind = Kind::Commit;
    // "IF @@TRANCOUNT > 0 COMMIT TRAN": nothing happens without a transaction.
    bool onlyInTransaction = false;
    std::string transactionName;  // BEGIN TRAN and ROLLBACK TRAN may name it
};

// BEGIN TRAN[SACTION] [name], COMMIT [TRAN[SACTION] | WORK] [name],
// ROLLBACK [TRAN[SACTION] | WORK] [name], either of the last two after
// "IF @@TRANCOUNT > 0", SELECT @@TRANCOUNT and SELECT @@VERSION, with an
// optional ';'. Keywords in any case.
std::optional<SessionStatement> parseSessionStatement(std::string_view sql);

// @@VERSION: SQL Server's own form, for the version the server's pre-login
// and login acknowledgement report.
std::string_view serverVersionText();

}  // namespace vantrok::sim
