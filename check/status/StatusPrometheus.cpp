#include "check/station/LocalTime.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

std::string gauge(const char* name, const char* help, std::int64_t value) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n" + name + " " +
           decimalText(value) + "\n";
}

}  // namespace

std::string statusPrometheus(const Status& status) {
    std::string out = gauge("vantrok_up", "1 when both of the station's databases were read, else 0.",
                            status.station ? 1 : 0);
    if (const auto& facts = status.station) {
        out += gauge("vantrok_deliveries_waiting",
                     "Deliveries the imports select now and whose daily-sale write would go through.", facts->waiting);
        out += gauge("vantrok_oldest_waiting_seconds",
                     "Age of the oldest waiting delivery (live from its clearing, offline from its completion); 0 "
                     "when none waits.",
                     facts->oldestWaitingSeconds());
        out += gauge("vantrok_deliveries_stuck", "Deliveries the imports select but whose write fails as the data stand.",
                     static_cast<std::int64_t>(facts->stuck.size()));
        out += gauge("vantrok_deliveries_missing_today",
                     "Deliveries completed today without a daily sale that no import will select.",
                     static_cast<std::int64_t>(facts->missingToday.size()));
        out += gauge("vantrok_invoice_numbers_repeated_today",
                     "Today's INV/C9 invoice numbers that occur more than once.",
                     static_cast<std::int64_t>(facts->repeatedToday.size()));
        if (facts->lastSale)
            out += gauge("vantrok_last_sale_timestamp_seconds", "Unix time of the latest daily sale's S_Date.",
                         epochSeconds(*facts->lastSale));
    }
    if (status.running)
        out += gauge("vantrok_running", "1 when VANTROK.exe runs on this PC, else 0.", *status.running ? 1 : 0);
    if (status.builtinLogin)
        out += gauge("vantrok_builtin_login", "1 while the station logs in with the built-in login (sa), else 0.",
                     *status.builtinLogin ? 1 : 0);
    out += gauge("vantrok_status", "0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.", static_cast<std::int64_t>(status.level));
    out += gauge("vantrok_probe_timestamp_seconds", "Unix time when the probe ran.", epochSeconds(status.probedAt));
    return out;
}

}  // namespace vantrok::check
