#pragma once

#include <chrono>
#include <string>

#include "sim/engine/Session.h"

namespace vantrok::sim {

// The table lock on D17_DailySale, shared by every process and thread that
// uses a station: one lock file, flock(2) on a descriptor of each session's
// own, so the system drops it when a session or its process ends. A
// statement that reads or writes the daily sales holds it shared while it
// runs, as SQL Server's shared and intent locks last a statement under read
// committed; a TABLOCKX takes it exclusively and, in a transaction with
// HOLDLOCK, holds it to the transaction's end ("Table Hints (Transact-SQL)",
// "Transaction Locking and Row Versioning Guide", SQL Server documentation).
// A lock that is not granted is waited for, as SQL Server waits without a
// LOCK_TIMEOUT of its own, until the client's query time-out (HYT00) or cancel
// (HY008); with the session's SET LOCK_TIMEOUT, until that runs out (1222).
class SalesTableLock {
public:
    enum class Mode { Shared, Exclusive };

    explicit SalesTableLock(const std::string& stationDir);
    ~SalesTableLock();
    SalesTableLock(const SalesTableLock&) = delete;
    SalesTableLock& operator=(const SalesTableLock&) = delete;

    // Takes the lock in that mode, or keeps the exclusive one already held.
    // timeout zero waits for as long as the client does. Throws SimError.
    void acquire(Mode mode, std::chrono::seconds timeout, const CancelWait& cancelWait);
    void release() noexcept;
    // The session's SET LOCK_TIMEOUT in milliseconds: -1 waits without a limit, 0 not at all.
    void setWaitLimit(std::chrono::milliseconds limit) noexcept { waitLimit_ = limit; }
    bool holdsExclusive() const noexcept { return held_ == Held::Exclusive; }

private:
    enum class Held { None, Shared, Exclusive };

    std::string path_;
    int descriptor_ = -1;
    Held held_ = Held::None;
    std::chrono::milliseconds waitLimit_{-1};
};

// Holds the table lock shared for one statement, unless the session already holds it exclusively.
class SharedForStatement {
public:
    SharedForStatement(SalesTableLock& lock, std::chrono::seconds timeout, const CancelWait& cancelWait);
    ~SharedForStatement();
    SharedForStatement(const SharedForStatement&) = delete;
    SharedForStatement& operator=(const SharedForStatement&) = delete;

private:
    SalesTableLock* lock_ = nullptr;
};

}  // namespace vantrok::sim
