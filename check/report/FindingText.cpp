#include "check/report/FindingText.h"

#include "import/NumberText.h"
#include "import/ValueText.h"

namespace vantrok::check::text {

std::string value(const db::Value& v) { return db::isNull(v) ? "NULL" : valueText(v, ""); }

std::string signedAmount(const db::Decimal& amount) {
    const std::string digits = amount.toString();
    return amount.isZero() || digits.front() == '-' ? digits : "+" + digits;
}

std::string reasons(const DeliveryFinding& finding) {
    std::string joined;
    for (const Reason& reason : finding.reasons) joined += (joined.empty() ? "" : "; ") + reason.text;
    return joined;
}

std::string reasonCodes(const DeliveryFinding& finding) {
    std::string joined;
    for (const Reason& reason : finding.reasons) joined += (joined.empty() ? "" : ";") + reason.code;
    return joined;
}

std::string pumpHose(const DeliveryRecord& d) {
    if (!d.pump || !d.hose) return "no Hoses row";
    return "pump " + decimalText(*d.pump) + " hose " + decimalText(*d.hose);
}

std::string numberSpan(std::int64_t first, std::int64_t last) {
    return first == last ? decimalText(first) : decimalText(first) + " to " + decimalText(last);
}

}  // namespace vantrok::check::text
