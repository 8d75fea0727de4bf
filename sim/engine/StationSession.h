#pragma once

#include <memory>
#include <string>

#include "sim/engine/BackupProcedure.h"
#include "sim/engine/CarryStatements.h"
#include "sim/engine/DailySaleProcedure.h"
#include "sim/engine/DeliverySelections.h"
#include "sim/engine/Faults.h"
#include "sim/engine/FuelTypeQuery.h"
#include "sim/engine/InvoiceNumberQuery.h"
#include "sim/engine/Logins.h"
#include "sim/engine/ProcedureCall.h"
#include "sim/engine/ReconciliationReads.h"
#include "sim/engine/SalesTableLock.h"
#include "sim/engine/SessionStatements.h"
#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementLog.h"

namespace vantrok::sim {

// A connection to one database of a station folder.
class StationSession final : public Session {
public:
    // database: the station's own name for it (see stationDatabase).
    StationSession(std::string stationDir, std::string database, LoginRights rights);

    const std::string& database() const override { return database_; }
    bool lenient() const override { return lenient_; }
    Outcome execute(std::string_view sql, const std::vector<ParamValue>& params,
                    std::chrono::seconds timeout) override;
    ResultTable procedureColumns(std::string_view procedureName) override;
    void beginTransaction() override;
    void endTransaction(bool commit) override;
    bool inTransaction() const override { return inTransaction_; }
    int transactionCount() const override { return inTransaction_ ? 1 + nested_ : 0; }
    void setImplicitTransactions(bool on) override { implicit_ = on; }
    bool implicitTransactions() const override { return implicit_; }
    void setCancelWait(CancelWait wait) override { cancelWait_ = std::move(wait); }

private:
    // Fails the call when breaking was switched on since this connection opened.
    const FaultState& checkLink();
    Outcome call(const ProcedureCall& call, std::string_view sql, const std::vector<ParamValue>& params,
                 std::chrono::seconds timeout, const FaultState& faults);
    Outcome answer(const MatchedStatement& statement, std::chrono::seconds timeout);
    Outcome answer(const SessionStatement& statement);
    // A statement that reads or writes a table is about to run.
    void beginImplicitly();
    ResultTable snapshotSetting(const std::string& name) const;
    Outcome writeDailySale(const std::vector<ParamValue>& arguments, bool refuse, std::chrono::seconds timeout);
    Outcome runBackup(std::string_view sql, const FaultState& faults, std::chrono::seconds timeout);
    bool holdsProcedures() const;

    std::string stationDir_;
    std::string database_;
    LoginRights rights_;
    bool lenient_;
    FaultMonitor faults_;
    std::int64_t openedAtGeneration_;
    bool broken_ = false;
    StatementLog log_;
    std::unique_ptr<sqlite::Database> db_;
    DeliverySelections selections_;
    InvoiceNumberQuery invoiceNumbers_;
    FuelTypeQuery fuelTypes_;
    ReconciliationReads reconciliationReads_;
    CarryStatements carryStatements_;
    SalesTableLock salesLock_;
    bool inTransaction_ = false;
    int nested_ = 0;  // BEGIN TRANs inside the open transaction
    std::string transactionName_;
    bool implicit_ = false;
    DailySaleProcedure dailySale_;
    BackupProcedure backup_;
    CancelWait cancelWait_;
};

}  // namespace vantrok::sim
