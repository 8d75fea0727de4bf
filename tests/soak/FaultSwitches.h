#pragma once

#include <cstdint>

#include "tests/soak/DeliveryLedger.h"
#include "tests/soak/SoakRandom.h"
#include "tests/support/TestStation.h"

namespace vantrok::soak {

// How often each fault starts, per import tick (slow backups per backup
// tick), and how many import ticks a spell lasts at most.
struct FaultChances {
    double breakConnections = 0.01;
    double breakAfterSale = 0.01;  // per daily sale written: a break in the middle of a run
    double refusal = 0.004;  // breaks the connections and refuses new ones for a while
    int maxRefusedTicks = 12;
    double procedureFails = 0.006;
    int maxProcedureFailingTicks = 6;
    double backupFails = 0.005;
    int maxBackupFailingTicks = 8;
    double slowBackup = 0.005;  // the backup procedure takes a second
    double backupTimeOut = 0.0; // it outlasts the command time-out: 30 s of real time each
};

struct FaultCounts {
    int breaks = 0;  // refusals included: each breaks every open connection
    int breaksAfterSale = 0;  // of those: in the middle of an import run
    int refusals = 0;
    int refusedTicks = 0;  // import ticks while refusing
    int procedureFailures = 0;
    int procedureFailingTicks = 0;
    int backupFailures = 0;
    int slowBackups = 0;
    int backupTimeOuts = 0;
};

// The station's fault switches, thrown at random between ticks.
class FaultSwitches {
public:
    // Breaks during a tick draw from a generator of their own, so that how
    // many sales the bridge writes does not change what happens between ticks.
    FaultSwitches(testing::TestStation& station, DeliveryLedger& ledger, SoakRandom& random, FaultChances chances,
                  std::uint64_t duringTicksSeed)
        : station_(station), ledger_(ledger), random_(random), duringTicks_(duringTicksSeed), chances_(chances) {}

    // Ends the spells that are over and, when mayStart, maybe starts new ones.
    void beforeImportTick(bool mayStart);
    // Told of each daily sale the tick wrote.
    void afterSaleWritten();
    void afterImportTick();
    void beforeBackupTick();
    void afterBackupTick();
    // Every switch off.
    void calm();
    // Breaks every open connection now.
    void breakConnections();
    // Neither refused connections nor a refusing procedure stand in an import's way.
    bool importFaultFree() const noexcept { return refusing_.left == 0 && procedureFailing_.left == 0; }
    const FaultCounts& counts() const noexcept { return counts_; }

private:
    struct Spell {
        const char* fault;
        int left = 0;  // import ticks
    };
    void breakStation();
    void countDown(Spell& spell);
    void start(Spell& spell, int ticks);

    testing::TestStation& station_;
    DeliveryLedger& ledger_;
    SoakRandom& random_;
    SoakRandom duringTicks_;
    FaultChances chances_;
    FaultCounts counts_;
    Spell refusing_{"refuse-connections"};
    Spell procedureFailing_{"proc-fails"};
    Spell backupFailing_{"backup-fails"};
    bool mayStart_ = false;
    bool brokeDuringTick_ = false;
    bool slow_ = false;
};

}  // namespace vantrok::soak
