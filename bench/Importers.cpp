#include "bench/Importers.h"

#include <cstdint>
#include <stdexcept>

#include "backup/BackupTick.h"
#include "db/ConnectionTexts.h"
#include "import/DailySaleWrite.h"
#include "import/GallonFactor.h"
#include "import/ImportCycle.h"
#include "import/SelectionTexts.h"
#include "sim/driver/EngineTime.h"

namespace vantrok::bench {

namespace {

void setEngineClock(const db::Connection& connection) {
    db::check(SQLSetConnectAttr(connection.handle(), sim::driver::engineTimeAttribute,
                                reinterpret_cast<SQLPOINTER>(std::uintptr_t{1}), 0),
              SQL_HANDLE_DBC, connection.handle(), "starting the engine clock");
}

double engineSecondsOf(const db::Connection& connection) {
    SQLULEN nanoseconds = 0;
    db::check(SQLGetConnectAttr(connection.handle(), sim::driver::engineTimeAttribute, &nanoseconds,
                                sizeof nanoseconds, nullptr),
              SQL_HANDLE_DBC, connection.handle(), "reading the engine clock");
    return static_cast<double>(nanoseconds) * 1e-9;
}

class FloorImporter final : public Importer {
public:
    FloorImporter() {
        sales_.open(db::salesConnectionText(db::DbPassword));
        controller_.open(db::controllerConnectionText(db::DbPassword));
        loop_.emplace(sales_.handle(), controller_.handle());
    }

    std::size_t importCycle() override { return loop_->importCycle(benchNow); }
    void idleTick() override { loop_->twoSelections(benchNow); }
    void openLiveSelection() override { loop_->openLiveSelection(benchNow); }
    bool carryNext() override { return loop_->carryNext(); }

private:
    const db::Connection& sales() const override { return sales_; }
    const db::Connection& controller() const override { return controller_; }

    db::Connection sales_;
    db::Connection controller_;
    std::optional<BareLoop> loop_;
};

}  // namespace

void Importer::startEngineClock() {
    setEngineClock(sales());
    setEngineClock(controller());
}

double Importer::engineSeconds() const { return engineSecondsOf(sales()) + engineSecondsOf(controller()); }

std::unique_ptr<Importer> makeImporter(Variant variant) {
    if (variant == Variant::Vantrok) return std::make_unique<VantrokImporter>();
    return std::make_unique<FloorImporter>();
}

VantrokImporter::VantrokImporter() {
    bridge_.openConnections();
    bridge_.gallonFactor = GallonFactor;
    bridge_.onSaleWritten([this](ImportKind, const SaleValues&) { ++written_; });
}

void VantrokImporter::requireClean(bool clean) const {
    if (!clean) throw std::runtime_error("a tick caught an error: " + trace_.last);
}

std::size_t VantrokImporter::importCycle() {
    const std::size_t before = written_;
    requireClean(ImportCycle(bridge_));
    return written_ - before;
}

void VantrokImporter::backupTick() { requireClean(BackupTick(bridge_)); }

void VantrokImporter::openLiveSelection() {
    // The procedure is described once per process, before the first delivery.
    db::StoredProcedure& command = bridge_.saleWriteCommand();
    command.setConnection(bridge_.salesConnection);
    command.parameters();
    rows_.emplace(bridge_.controllerConnection.execute(liveSelectionText(clock_.now())));
}

bool VantrokImporter::carryNext() {
    if (rows_->eof()) return false;
    WRITE_DAILY_SALE(bridge_, *rows_, ImportKind::Live);
    rows_->moveNext();
    return true;
}

}  // namespace vantrok::bench
