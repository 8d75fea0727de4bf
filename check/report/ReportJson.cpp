#include "check/report/FindingText.h"
#include "check/station/JsonText.h"
#include "check/report/ReportFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// Exact decimals and NULL as JSON strings and null, never through a binary number.
std::string valueJson(const db::Value& value) { return db::isNull(value) ? "null" : jsonQuoted(text::value(value)); }

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
           ",\"hose\":" + integerJson(d.hose) + ",\"completed\":" + jsonQuoted(isoText(d.completed)) +
           ",\"cleared\":" + (d.cleared ? jsonQuoted(isoText(*d.cleared)) : std::string("null")) +
           ",\"volume\":" + valueJson(d.volume) + ",\"value\":" + valueJson(d.value);
}

std::string findingJson(const DeliveryFinding& f) {
    return "{" + deliveryJson(f.delivery) + ",\"state\":" + jsonQuoted(stateName(f.state)) +
           ",\"writeFails\":" + (f.writeFails ? "true" : "false") + ",\"reasons\":" +
           array(f.reasons, [](const Reason& r) {
               return "{\"code\":" + jsonQuoted(r.code) + ",\"text\":" + jsonQuoted(r.text) + "}";
           }) +
           "}";
}

std::string invoiceJson(const InvoiceDay& day) {
    return "{\"day\":" + jsonQuoted(isoText(day.day)) + ",\"gaps\":" +
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
           ",\"unreadable\":" + array(day.unreadable, jsonQuoted) + "}";
}

std::string meterJson(const MeterBreak& b) {
    return "{" + deliveryJson(b.delivery) + ",\"previousDeliveryId\":" + decimalText(b.previousId) +
           ",\"readings\":" + jsonQuoted(b.readingsAfterDelivery ? "after-delivery" : "before-delivery") +
           ",\"volumeGap\":" + jsonQuoted(b.volumeGap.toString()) + ",\"valueGap\":" + jsonQuoted(b.valueGap.toString()) +
           "}";
}

}  // namespace

std::string reportJson(const Reconciliation& report) {
    return "{\"from\":" + jsonQuoted(isoText(report.range.first)) + ",\"to\":" + jsonQuoted(isoText(report.range.last)) +
           ",\"asOf\":" + jsonQuoted(isoText(report.asOf)) +
           ",\"accountedFor\":" + (report.accountedFor() ? "true" : "false") + ",\"days\":" +
           array(report.days,
                 [](const DayFigures& f) {
                     return "{\"day\":" + jsonQuoted(isoText(f.day)) + "," + figuresJson(f) + "}";
                 }) +
           ",\"total\":{" + figuresJson(report.total) + "},\"notCarried\":" + array(report.notCarried, findingJson) +
           ",\"carriedMoreThanOnce\":" +
           array(report.carriedMoreThanOnce,
                 [](const CarriedMoreThanOnce& t) {
                     return "{\"day\":" + jsonQuoted(isoText(t.day)) + ",\"deliveryId\":" + decimalText(t.deliveryId) +
                            ",\"vouchers\":" + array(t.vouchers, jsonQuoted) + "}";
                 }) +
           ",\"invoiceNumbers\":" + array(report.invoiceDays, invoiceJson) +
           ",\"meterBreaks\":" + array(report.meterBreaks, meterJson) + "}\n";
}

}  // namespace vantrok::check
