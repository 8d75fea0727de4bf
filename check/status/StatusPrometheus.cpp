#include "check/status/BuildVersion.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

std::string header(const char* name, const char* help) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
}

std::string gauge(const char* name, const char* help, std::int64_t value) {
    return header(name, help) + name + " " + decimalText(value) + "\n";
}

// Milliseconds as seconds with three decimals, by integer arithmetic alone.
std::string secondsText(std::int64_t milliseconds) {
    return decimalText(milliseconds / 1000) + "." + paddedText(milliseconds % 1000, 3);
}

// The label value escaped as the text format asks.
std::string labelValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

// A threshold's plain limit, the form alert rules compare with; nothing for other ranges.
std::string limitGauge(const char* name, const char* help, const PluginRange& range) {
    const auto limit = range.plainLimit();
    return limit ? gauge(name, help, *limit) : "";
}

}  // namespace

std::string statusPrometheus(const Status& status) {
    std::string out = gauge("vantrok_up", "1 when both of the station's databases were read, else 0.",
                            status.station ? 1 : 0);
    if (const auto& facts = status.station) {
        out += gauge("vantrok_deliveries_waiting",
                     "Deliveries the imports select now and whose daily-sale write would go through.", facts->waiting);
        out += gauge("vantrok_oldest_waiting_seconds",
                     "Age of the oldest waiting delivery (live from its clearing, offline from its completion) by the "
                     "server's clock; 0 when none waits.",
                     facts->oldestWaitingSeconds());
        if (facts->oldestWaiting)
            out += gauge("vantrok_oldest_waiting_since_timestamp_seconds",
                         "Unix time from which the oldest waiting delivery waits.", facts->oldestWaiting->sinceSeconds);
        out += gauge("vantrok_deliveries_stuck", "Deliveries the imports select but whose write fails as the data stand.",
                     static_cast<std::int64_t>(facts->stuck.size()));
        out += gauge("vantrok_deliveries_missing_today",
                     "Deliveries completed today without a daily sale that no import will select.",
                     static_cast<std::int64_t>(facts->missingToday.size()));
        out += gauge("vantrok_invoice_numbers_repeated_today",
                     "Today's INV/C9 invoice numbers that occur more than once.",
                     static_cast<std::int64_t>(facts->repeatedToday.size()));
        if (facts->lastSaleSeconds)
            out += gauge("vantrok_last_sale_timestamp_seconds", "Unix time of the latest daily sale's S_Date.",
                         *facts->lastSaleSeconds);
        out += gauge("vantrok_clock_skew_seconds", "The server's clock ahead of this PC's (negative: behind).",
                     facts->clockSkewSeconds);
    }
    if (status.running)
        out += gauge("vantrok_running", "1 when VANTROK.exe runs on this PC, else 0.", *status.running ? 1 : 0);
    out += limitGauge("vantrok_oldest_waiting_warning_seconds",
                      "The oldest waiting delivery's age above which the probe warns.", status.thresholds.warning);
    out += limitGauge("vantrok_oldest_waiting_critical_seconds",
                      "The oldest waiting delivery's age above which the probe is critical.", status.thresholds.critical);
    out += gauge("vantrok_clock_skew_warning_seconds",
                 "The clock skew either way beyond which the probe warns.", *clockSkewRange.end);
    if (status.builtinLogin)
        out += gauge("vantrok_builtin_login", "1 while the station logs in with the built-in login (sa), else 0.",
                     *status.builtinLogin ? 1 : 0);
    out += gauge("vantrok_status", "0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.", static_cast<std::int64_t>(status.level));
    out += gauge("vantrok_probe_timed_out", "1 when the probe ran out of time before the station answered, else 0.",
                 status.timedOut ? 1 : 0);
    out += gauge("vantrok_probe_timestamp_seconds", "Unix time when the probe ran, by this PC's clock.",
                 status.probedAtSeconds);
    out += header("vantrok_probe_duration_seconds", "How long the probe took.") + "vantrok_probe_duration_seconds " +
           secondsText(status.probeMilliseconds) + "\n";
    out += header("vantrok_build_info", "The probe's version, always 1.") + "vantrok_build_info{version=\"" +
           labelValue(buildVersion()) + "\"} 1\n";
    return out;
}

}  // namespace vantrok::check
