#include "check/report/ReportCommand.h"

#include "check/Console.h"
#include "check/report/ReportFormats.h"
#include "check/station/Progress.h"

namespace vantrok::check {

Reconciliation reconcileRange(Bridge& bridge, const DayRange& range) {
    NoProgress quiet;
    TerminalBar bar(stderr);
    Progress& progress = isTerminal(stderr) ? static_cast<Progress&>(bar) : quiet;
    return reconcile(readStation(bridge, range, progress), range);
}

int runReport(Bridge& bridge, const Arguments& arguments) {
    const Reconciliation found = reconcileRange(bridge, arguments.range);
    switch (arguments.format) {
    case Format::Text: print(reportText(found)); break;
    case Format::Csv: print(reportCsv(found)); break;
    case Format::Json: print(reportJson(found)); break;
    }
    return found.accountedFor() ? 0 : 1;
}

}  // namespace vantrok::check
