#include "tests/soak/FaultSwitches.h"

#include "db/Connection.h"

namespace vantrok::soak {

void FaultSwitches::breakStation() {
    // Every connection open now stays broken; those opened later work.
    station_.setFault("break-connections", "on");
    station_.setFault("break-connections", "off");
    ++counts_.breaks;
}

void FaultSwitches::breakConnections() {
    breakStation();
    ledger_.connectionsBroken();
}

void FaultSwitches::countDown(Spell& spell) {
    if (spell.left > 0 && --spell.left == 0) station_.setFault(spell.fault, "off");
}

void FaultSwitches::start(Spell& spell, int ticks) {
    station_.setFault(spell.fault, "on");
    spell.left = ticks;
}

void FaultSwitches::beforeImportTick(bool mayStart) {
    countDown(refusing_);
    countDown(procedureFailing_);
    countDown(backupFailing_);
    mayStart_ = mayStart;
    if (mayStart) {
        if (random_.chance(chances_.breakConnections)) breakConnections();
        if (refusing_.left == 0 && random_.chance(chances_.refusal)) {
            start(refusing_, random_.between(1, chances_.maxRefusedTicks));
            breakConnections();
            ++counts_.refusals;
        }
        if (procedureFailing_.left == 0 && random_.chance(chances_.procedureFails)) {
            start(procedureFailing_, random_.between(1, chances_.maxProcedureFailingTicks));
            ++counts_.procedureFailures;
        }
        if (backupFailing_.left == 0 && random_.chance(chances_.backupFails)) {
            start(backupFailing_, random_.between(1, chances_.maxBackupFailingTicks));
            ++counts_.backupFailures;
        }
    }
    if (refusing_.left > 0) ++counts_.refusedTicks;
    if (procedureFailing_.left > 0) ++counts_.procedureFailingTicks;
}

void FaultSwitches::afterSaleWritten() {
    if (!mayStart_ || !duringTicks_.chance(chances_.breakAfterSale)) return;
    breakStation();
    brokeDuringTick_ = true;
    ++counts_.breaksAfterSale;
}

void FaultSwitches::afterImportTick() {
    // The ledger counts this tick as one before the break.
    if (brokeDuringTick_) ledger_.connectionsBroken();
    brokeDuringTick_ = false;
}

void FaultSwitches::beforeBackupTick() {
    const bool timeOut = random_.chance(chances_.backupTimeOut);
    slow_ = timeOut || random_.chance(chances_.slowBackup);
    if (!slow_) return;
    const auto seconds = timeOut ? db::Connection::commandTimeoutSeconds + 1 : 1;
    station_.setFault("backup-seconds", std::to_string(seconds));
    ++(timeOut ? counts_.backupTimeOuts : counts_.slowBackups);
}

void FaultSwitches::afterBackupTick() {
    if (slow_) station_.setFault("backup-seconds", "off");
    slow_ = false;
}

void FaultSwitches::calm() {
    mayStart_ = false;
    for (Spell* spell : {&refusing_, &procedureFailing_, &backupFailing_}) {
        if (spell->left > 0) station_.setFault(spell->fault, "off");
        spell->left = 0;
    }
}

}  // namespace vantrok::soak
