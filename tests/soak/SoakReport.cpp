#include "tests/soak/SoakReport.h"

namespace vantrok::soak {

namespace {

// The first few Delivery_IDs; --trace tells the rest of the story.
std::string ids(const std::vector<std::int64_t>& list) {
    constexpr std::size_t shown = 20;
    std::string text;
    for (std::size_t i = 0; i < list.size() && i < shown; ++i) text += " " + std::to_string(list[i]);
    if (list.size() > shown) text += " and " + std::to_string(list.size() - shown) + " more";
    return text;
}

}  // namespace

std::string report(const SoakPlan& plan, const SoakFigures& f) {
    using std::to_string;
    const FaultCounts& fc = f.faults;
    const ForecourtCounts& dc = f.forecourt;
    const LedgerOutcome& d = f.deliveries;
    std::string text =
        "seed " + to_string(plan.seed) + ", " + to_string(plan.days) + " days from " + plan.firstDay + "\n" +
        "ticks: " + to_string(f.importTicks) + " import, " + to_string(f.backupTicks) + " backup; " +
        to_string(f.ticksWithErrors) + " caught errors (" + to_string(f.tracedErrors) + " traced)\n" +
        "faults: " + to_string(fc.breaks) + " broken connections (" + to_string(fc.breaksAfterSale) +
        " in the middle of a run), " + to_string(fc.refusals) + " refusals (" +
        to_string(fc.refusedTicks) + " import ticks), " + to_string(fc.procedureFailures) +
        " failing daily-sale procedure (" + to_string(fc.procedureFailingTicks) + " import ticks), " +
        to_string(fc.backupFailures) + " failing backup procedure, " + to_string(fc.slowBackups) +
        " slow backups, " + to_string(fc.backupTimeOuts) + " backup time-outs\n" +
        "poison rows: " + to_string(dc.orphanHoses) + " without a hose, " + to_string(dc.zeroVolumes) +
        " zero volume, " + to_string(dc.nullVolumes) + " NULL volume, " + to_string(dc.nullFuelCodes) +
        " hoses without a fuel-type code; " + to_string(dc.mended) + " mended\n" +
        "deliveries: " + to_string(d.recorded) + " recorded (" + to_string(dc.live) + " type 6, " +
        to_string(dc.offline) + " type 14; " + to_string(dc.clearedLater) + " cleared later, " +
        to_string(dc.clearedNextMonth) + " of them in the next month), " +
        to_string(d.selectable) + " selectable, " + to_string(d.due) + " due, " + to_string(d.carried) +
        " carried, " + to_string(d.lost) + " lost, " + to_string(d.duplicated) + " duplicated\n" +
        "invoice numbers repeated within a day: " + to_string(d.repeatedInvoices) +
        "; daily sales of no selectable delivery: " + to_string(d.strays) +
        "; backups in step: " + (f.backupsInStep ? "yes" : "no") + "\n";
    if (!d.lostIds.empty()) text += "lost:" + ids(d.lostIds) + "\n";
    if (!d.duplicatedIds.empty()) text += "duplicated:" + ids(d.duplicatedIds) + "\n";
    return text;
}

}  // namespace vantrok::soak
