#include <algorithm>

#include "check/report/FindingText.h"
#include "check/report/ReportFormats.h"
#include "import/DateText.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string padRight(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string dayText(const CalendarDay& day) { return dateText(midnightOf(day)); }

std::string figuresRow(const std::string& label, const DayFigures& f) {
    std::string row = padRight(label, 12);
    for (int n : {f.live, f.offline, f.otherTypes, f.carried, f.waiting, f.stuck, f.uncleared, f.missing})
        row += padLeft(decimalText(n), 10);
    return row + "\n";
}

std::string counted(std::size_t n, const std::string& one, const std::string& many) {
    return decimalText(static_cast<long long>(n)) + " " + (n == 1 ? one : many);
}

std::string summary(const Reconciliation& report) {
    if (report.accountedFor()) return "Everything accounted for.\n";
    std::vector<std::string> parts;
    const auto missing = static_cast<std::size_t>(report.total.missing);
    if (missing) parts.push_back(counted(missing, "missing", "missing"));
    if (report.total.stuck) parts.push_back(counted(static_cast<std::size_t>(report.total.stuck), "stuck", "stuck"));
    if (!report.carriedMoreThanOnce.empty())
        parts.push_back(counted(report.carriedMoreThanOnce.size(), "delivery carried more than once",
                                "deliveries carried more than once"));
    if (!report.invoiceDays.empty())
        parts.push_back(counted(report.invoiceDays.size(), "day of invoice numbers out of line",
                                "days of invoice numbers out of line"));
    if (!report.meterBreaks.empty())
        parts.push_back(counted(report.meterBreaks.size(), "meter break", "meter breaks"));
    std::string line = "Not accounted for: ";
    for (std::size_t i = 0; i < parts.size(); ++i) line += (i ? ", " : "") + parts[i];
    line += ".\n";
    const auto blocked = static_cast<std::size_t>(
        std::count_if(report.notCarried.begin(), report.notCarried.end(), [](const DeliveryFinding& f) {
            return f.state == DeliveryState::Missing && f.writeFails;
        }));
    const std::size_t writable = missing - blocked;
    if (writable) line += "vantrok-check carry writes " + counted(writable, "missing delivery", "missing deliveries");
    if (writable && blocked) line += "; ";
    if (blocked) line += counted(blocked, "needs its data", "need their data") + " mended first";
    if (missing) line += ".\n";
    return line;
}

std::string invoiceLine(const InvoiceDay& day) {
    std::vector<std::string> parts;
    for (const auto& [first, last] : day.gaps) parts.push_back("missing " + text::numberSpan(first, last));
    for (const auto& [number, times] : day.repeats)
        parts.push_back(decimalText(number) + " used " + decimalText(times) + " times");
    for (const std::string& voucher : day.unreadable) parts.push_back("unreadable '" + voucher + "'");
    std::string line = "  " + dayText(day.day) + "  ";
    for (std::size_t i = 0; i < parts.size(); ++i) line += (i ? "; " : "") + parts[i];
    return line + "\n";
}

std::string meterLine(const MeterBreak& b) {
    const DeliveryRecord& d = b.delivery;
    return "  Hose_ID " + decimalText(d.hoseId) + " (" + text::pumpHose(d) + ")  Delivery_ID " + decimalText(d.id) +
           " of " + dateTimeText(d.completed) + ": volume " + text::signedAmount(b.volumeGap) + ", value " +
           text::signedAmount(b.valueGap) + " against Delivery_ID " + decimalText(b.previousId) +
           (b.readingsAfterDelivery ? " (readings after their delivery)\n" : " (readings before their delivery)\n");
}

}  // namespace

std::string deliveryText(const DeliveryFinding& finding) {
    const DeliveryRecord& d = finding.delivery;
    return "  Delivery_ID " + decimalText(d.id) + "  type " + decimalText(d.type) + "  completed " +
           dateTimeText(d.completed) + "  " + text::pumpHose(d) + "  " + text::value(d.volume) + " l  " +
           text::value(d.value) + "\n      " + stateName(finding.state) + ": " + text::reasons(finding) + "\n";
}

std::string reportText(const Reconciliation& report) {
    std::string out = "Deliveries completed " + dayText(report.range.first) + " to " + dayText(report.range.last) +
                      ", as of " + dateTimeText(report.asOf) + "\n\n";
    out += padRight("Day", 12);
    for (const char* heading : {"Type 6", "Type 14", "Other", "Carried", "Waiting", "Stuck", "Uncleared", "Missing"})
        out += padLeft(heading, 10);
    out += "\n";
    for (const DayFigures& day : report.days) out += figuresRow(dayText(day.day), day);
    out += figuresRow("Total", report.total);

    if (!report.notCarried.empty()) {
        out += "\nNot carried:\n";
        for (const DeliveryFinding& finding : report.notCarried) out += deliveryText(finding);
    }
    if (!report.carriedMoreThanOnce.empty()) {
        out += "\nCarried by more than one daily sale of its day:\n";
        for (const CarriedMoreThanOnce& twice : report.carriedMoreThanOnce) {
            out += "  " + dayText(twice.day) + "  Delivery_ID " + decimalText(twice.deliveryId) + ":";
            for (std::size_t i = 0; i < twice.vouchers.size(); ++i) out += (i ? ", " : " ") + twice.vouchers[i];
            out += "\n";
        }
    }
    if (!report.invoiceDays.empty()) {
        out += "\nInvoice numbers:\n";
        for (const InvoiceDay& day : report.invoiceDays) out += invoiceLine(day);
    }
    if (!report.meterBreaks.empty()) {
        out += "\nMeter breaks:\n";
        for (const MeterBreak& b : report.meterBreaks) out += meterLine(b);
    }
    return out + "\n" + summary(report);
}

}  // namespace vantrok::check
