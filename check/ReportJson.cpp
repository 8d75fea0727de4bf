#include <cstdio>

#include "check/FindingText.h"
#include "check/ReportFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// Exact decimals and NULL as JSON strings and null, never through a binary number.
std::string valueJson(const db::Value& value) { return db::isNull(value) ? "null" : quoted(text::value(value)); }

std::string integerJson(const std::optional<std::int64_t>& n) { return n ? decimalText(*n) : "null"; }

template <class Item, class Write>
std::string array(const std::vector<Item>& items, Write write) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + write(items[i]);
    return out + "]";
}

std::string figuresJson(const DayFigures& f) {
    return "\"recorded\":{\"6\":" + decimalText(f.live) + ",\"14\":" + decimalText(f.offline) +
           ",\"other\":" + decimalText(f.otherTypes) + "},\"carried\":" + decimalText(f.carried) +
           ",\"waiting\":" + decimalText(f.waiting) + ",\"stuck\":" + decimalText(f.stuck) +
           ",\"uncleared\":" + decimalText(f.uncleared) + ",\"missing\":" + decimalText(f.missing);
}

std::string deliveryJson(const DeliveryRecord& d) {
    return "\"deliveryId\":" + decimalText(d.id) + ",\"type\":" + decimalText(d.type) +
           ",\"hoseId\":" + decimalText(d.hoseId) + ",\"pump\":" + integerJson(d.pump) +
           ",\"hose\":" + integerJson(d.hose) + ",\"completed\":" + quoted(isoText(d.completed)) +
           ",\"cleared\":" + (d.cleared ? quoted(isoText(*d.cleared)) : std::string("null")) +
           ",\"volume\":" + valueJson(d.volume) + ",\"value\":" + valueJson(d.value);
}

std::string findingJson(const DeliveryFinding& f) {
    return "{" + deliveryJson(f.delivery) + ",\"state\":" + quoted(stateName(f.state)) +
           ",\"writeFails\":" + (f.writeFails ? "true" : "false") + ",\"reasons\":" +
           array(f.reasons, [](const Reason& r) {
               return "{\"code\":" + quoted(r.code) + ",\"text\":" + quoted(r.text) + "}";
           }) +
           "}";
}

std::string invoiceJson(const InvoiceDay& day) {
    return "{\"day\":" + quoted(isoText(day.day)) + ",\"gaps\":" +
           array(day.gaps,
                 [](const auto& gap) {
                     return "{\"first\":" + decimalText(gap.first) + ",\"last\":" + decimalText(gap.second) + "}";
                 }) +
           ",\"repeats\":" +
           array(day.repeats,
                 [](const auto& repeat) {
                     return "{\"number\":" + decimalText(repeat.first) + ",\"times\":" + decimalText(repeat.second) +
                            "}";
                 }) +
           ",\"unreadable\":" + array(day.unreadable, quoted) + "}";
}

std::string meterJson(const MeterBreak& b) {
    return "{" + deliveryJson(b.delivery) + ",\"previousDeliveryId\":" + decimalText(b.previousId) +
           ",\"readings\":" + quoted(b.readingsAfterDelivery ? "after-delivery" : "before-delivery") +
           ",\"volumeGap\":" + quoted(b.volumeGap.toString()) + ",\"valueGap\":" + quoted(b.valueGap.toString()) +
           "}";
}

}  // namespace

std::string reportJson(const Reconciliation& report) {
    return "{\"from\":" + quoted(isoText(report.range.first)) + ",\"to\":" + quoted(isoText(report.range.last)) +
           ",\"asOf\":" + quoted(isoText(report.asOf)) +
           ",\"accountedFor\":" + (report.accountedFor() ? "true" : "false") + ",\"days\":" +
           array(report.days,
                 [](const DayFigures& f) {
                     return "{\"day\":" + quoted(isoText(f.day)) + "," + figuresJson(f) + "}";
                 }) +
           ",\"total\":{" + figuresJson(report.total) + "},\"notCarried\":" + array(report.notCarried, findingJson) +
           ",\"carriedMoreThanOnce\":" +
           array(report.carriedMoreThanOnce,
                 [](const CarriedMoreThanOnce& t) {
                     return "{\"day\":" + quoted(isoText(t.day)) + ",\"deliveryId\":" + decimalText(t.deliveryId) +
                            ",\"vouchers\":" + array(t.vouchers, quoted) + "}";
                 }) +
           ",\"invoiceNumbers\":" + array(report.invoiceDays, invoiceJson) +
           ",\"meterBreaks\":" + array(report.meterBreaks, meterJson) + "}\n";
}

}  // namespace vantrok::check
