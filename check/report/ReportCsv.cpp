#include <vector>

#include "check/report/FindingText.h"
#include "check/report/ReportFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

struct CsvRow {
    std::string day, finding, deliveryId, type, pump, hose, count, codes, detail;
};

std::string line(const CsvRow& r) {
    std::string out = field(r.day);
    for (const std::string* f : {&r.finding, &r.deliveryId, &r.type, &r.pump, &r.hose, &r.count, &r.codes, &r.detail})
        out += "," + field(*f);
    return out + "\n";
}

CsvRow deliveryRow(const std::string& day, const std::string& finding, const DeliveryRecord& d) {
    CsvRow row{day, finding, decimalText(d.id), decimalText(d.type), "", "", "", "", ""};
    if (d.pump) row.pump = decimalText(*d.pump);
    if (d.hose) row.hose = decimalText(*d.hose);
    return row;
}

// The day's tallies that are not zero: recorded by type, then by where they stand.
std::string tallies(const std::string& day, const DayFigures& f) {
    std::string out;
    const auto tally = [&](const std::string& finding, const std::string& type, int n) {
        if (n) out += line({day, finding, "", type, "", "", decimalText(n), "", ""});
    };
    tally("recorded", "6", f.live);
    tally("recorded", "14", f.offline);
    tally("recorded", "other", f.otherTypes);
    tally("carried", "", f.carried);
    tally("waiting", "", f.waiting);
    tally("stuck", "", f.stuck);
    tally("uncleared", "", f.uncleared);
    tally("missing", "", f.missing);
    return out;
}

}  // namespace

std::string reportCsv(const Reconciliation& report) {
    std::string out = "day,finding,delivery_id,type,pump,hose,count,codes,detail\n";
    for (const DayFigures& day : report.days) out += tallies(isoText(day.day), day);
    out += tallies("total", report.total);
    for (const DeliveryFinding& finding : report.notCarried) {
        const DeliveryRecord& d = finding.delivery;
        CsvRow row = deliveryRow(isoText(dayOf(d.completed)), stateName(finding.state), d);
        row.codes = text::reasonCodes(finding);
        row.detail = text::reasons(finding);
        out += line(row);
    }
    for (const CarriedMoreThanOnce& twice : report.carriedMoreThanOnce) {
        std::string vouchers;
        for (const std::string& v : twice.vouchers) vouchers += (vouchers.empty() ? "" : " ") + v;
        out += line({isoText(twice.day), "carried-more-than-once", decimalText(twice.deliveryId), "", "", "",
                     decimalText(static_cast<long long>(twice.vouchers.size())), "", vouchers});
    }
    for (const InvoiceDay& day : report.invoiceDays) {
        const std::string date = isoText(day.day);
        for (const auto& [first, last] : day.gaps)
            out += line({date, "invoice-gap", "", "", "", "", decimalText(last - first + 1), "",
                         text::numberSpan(first, last)});
        for (const auto& [number, times] : day.repeats)
            out += line({date, "invoice-repeat", "", "", "", "", decimalText(times), "", decimalText(number)});
        for (const std::string& voucher : day.unreadable)
            out += line({date, "unreadable-voucher", "", "", "", "", "1", "", voucher});
    }
    for (const MeterBreak& b : report.meterBreaks) {
        CsvRow row = deliveryRow(isoText(dayOf(b.delivery.completed)), "meter-break", b.delivery);
        row.codes = b.readingsAfterDelivery ? "readings-after-delivery" : "readings-before-delivery";
        row.detail = "volume " + text::signedAmount(b.volumeGap) + " value " + text::signedAmount(b.valueGap) +
                     " against Delivery_ID " + decimalText(b.previousId);
        out += line(row);
    }
    return out;
}

}  // namespace vantrok::check
