#include <gtest/gtest.h>

#include "CheckStationTest.h"
#include "check/station/CivilSeconds.h"
#include "check/status/StatusCommand.h"
#include "check/status/StatusFormats.h"
#include "import/ImportCycle.h"

namespace vantrok::testing {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class Status : public CheckStationTest {
protected:
    // A fresh bridge each time, as the command opens its own.
    check::Status probe(std::optional<bool> running = std::nullopt, std::int64_t serverAhead = 0) {
        Bridge fresh{clock, trace};
        return probeWith(fresh, running, serverAhead);
    }

    std::size_t statementsLogged() const { return station.statementLog().size(); }
};

TEST_F(Status, WaitingPastTheThresholdsWarnsThenIsCriticalAndIsOkOnceCarried) {
    auto live = on(1, 1, 6, 40, "2016-11-25 17:00:00");
    live.cleared = "2016-11-25 17:40:00";  // waits from its clearing
    station.addDelivery(live);
    station.addDelivery(on(1, 2, 14, 41, "2016-11-25 17:41:00"));  // waits from its completion

    check::Status status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Ok);
    EXPECT_EQ(check::statusLine(status),
              "VANTROK OK - 2 deliveries waiting, the oldest 2 min, no sale yet | 'waiting'=2;;;0 "
              "'oldest_waiting'=150s;300;1800;0 'stuck'=0;0;;0 'missing_today'=0;0;;0 "
              "'repeated_invoice_numbers_today'=0;0;;0 'clock_skew'=0s;-120:120;;\n");

    clock.set({2016, 11, 25, 17, 45, 0, 0});
    EXPECT_EQ(probe().level, check::StatusLevel::Ok);  // at the threshold, not above it
    clock.set({2016, 11, 25, 17, 45, 1, 0});
    status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Warning);
    EXPECT_EQ(check::statusLine(status).rfind("VANTROK WARNING - oldest waiting delivery 5 min (Delivery_ID 40, "
                                              "warning above 5 min) | 'waiting'=2;;;0 'oldest_waiting'=301s;",
                                              0),
              0u)
        << check::statusLine(status);
    EXPECT_TRUE(has(check::statusJson(status), "{\"status\":\"WARNING\",")) << check::statusJson(status);
    EXPECT_TRUE(has(check::statusJson(status), "\"oldestWaiting\":{\"deliveryId\":40,\"type\":6,\"since\":"
                                               "\"2016-11-25 17:40:00\",\"sinceSeconds\":"));
    EXPECT_TRUE(has(check::statusPrometheus(status), "\nvantrok_oldest_waiting_seconds 301\n"));
    EXPECT_TRUE(has(check::statusPrometheus(status), "\nvantrok_status 1\n"));

    clock.set({2016, 11, 25, 18, 10, 1, 0});
    status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Critical);
    EXPECT_EQ(status.problems.front(), "oldest waiting delivery 30 min (Delivery_ID 40, critical above 30 min)");
    EXPECT_TRUE(has(check::statusJson(status), "{\"status\":\"CRITICAL\","));
    EXPECT_TRUE(has(check::statusJson(status), "\"waiting\":2,\"oldestWaitingSeconds\":1801,"));
    EXPECT_TRUE(has(check::statusPrometheus(status), "\nvantrok_deliveries_waiting 2\n"));
    EXPECT_TRUE(has(check::statusPrometheus(status), "\nvantrok_status 2\n"));

    ASSERT_TRUE(ImportCycle(bridge));
    status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Ok);
    EXPECT_TRUE(has(check::statusLine(status), "VANTROK OK - 0 deliveries waiting, last sale 2016-11-25 17:41:00 |"))
        << check::statusLine(status);
    EXPECT_TRUE(has(check::statusJson(status), "\"status\":\"OK\""));
    EXPECT_TRUE(has(check::statusJson(status), "\"oldestWaiting\":null"));
    EXPECT_TRUE(has(check::statusJson(status), "\"lastSale\":\"2016-11-25 17:41:00\",\"lastSaleSeconds\":"));
    const std::string metrics = check::statusPrometheus(status);
    EXPECT_TRUE(has(metrics, "\nvantrok_oldest_waiting_seconds 0\n"));
    EXPECT_TRUE(has(metrics, "\nvantrok_last_sale_timestamp_seconds "));
    EXPECT_TRUE(has(metrics, "\nvantrok_status 0\n"));
    EXPECT_FALSE(has(metrics, "vantrok_running"));  // nothing tells here
}

TEST_F(Status, StuckMissingTodayRepeatedNumbersAndVantrokNotRunningWarn) {
    station.addDelivery(onHoseId(98, 6, 35, "2016-11-25 08:00:00"));   // no Hoses row: stuck
    addSale("INV/C9/051116/1", "2016-11-05 09:00:00", "5");           // takes Delivery_ID 5 this month
    station.addDelivery(on(1, 1, 6, 5, "2016-11-25 10:00:00"));       // so the live import passes it by
    addSale("INV/C9/251116/1", "2016-11-25 09:00:00", "70");
    addSale("INV/C9/251116/1", "2016-11-25 09:30:00", "71");
    addSale("INV/C9/241116/2", "2016-11-24 09:30:00", "72");          // another day's numbers are no concern
    addSale("INV/C9/241116/2", "2016-11-24 09:40:00", "73");

    const check::Status status = probe(false);
    EXPECT_EQ(status.level, check::StatusLevel::Warning);
    EXPECT_EQ(status.problems,
              (std::vector<std::string>{"1 delivery stuck", "1 delivery of today missing",
                                        "1 invoice number of today repeated", "VANTROK is not running on this PC"}));
    ASSERT_EQ(status.details.size(), 3u);
    EXPECT_EQ(status.details[0].rfind("Delivery_ID 35 stuck: ", 0), 0u) << status.details[0];
    EXPECT_EQ(status.details[1].rfind("Delivery_ID 5 of today missing: ", 0), 0u) << status.details[1];
    EXPECT_EQ(status.details[2], "invoice number 1 of today used 2 times");
    const std::string json = check::statusJson(status);
    EXPECT_TRUE(has(json, "\"stuck\":[{\"deliveryId\":35,\"type\":6,\"completed\":\"2016-11-25 08:00:00\","
                          "\"volume\":\"20.000\",\"value\":\"29.18\",\"codes\":\"live-import-selects;no-hoses-row\""))
        << json;
    EXPECT_TRUE(has(json, "\"missingToday\":[{\"deliveryId\":5,")) << json;
    EXPECT_TRUE(has(json, "\"repeatedInvoiceNumbersToday\":[{\"number\":1,\"times\":2}]")) << json;
    EXPECT_TRUE(has(json, "\"running\":false")) << json;
    const std::string metrics = check::statusPrometheus(status);
    for (const char* line : {"\nvantrok_deliveries_waiting 0\n", "\nvantrok_deliveries_stuck 1\n",
                             "\nvantrok_deliveries_missing_today 1\n", "\nvantrok_invoice_numbers_repeated_today 1\n",
                             "\nvantrok_running 0\n", "\nvantrok_status 1\n"})
        EXPECT_TRUE(has(metrics, line)) << line << metrics;

    EXPECT_EQ(probe(true).level, check::StatusLevel::Warning);  // the station's own findings stay
}

TEST_F(Status, AFewStatementsWhateverTheNumberOfDeliveries) {
    station.addDelivery(on(1, 1, 6, 1, "2016-11-25 08:00:00"));
    std::size_t before = statementsLogged();
    probe();
    const std::size_t few = statementsLogged() - before;
    EXPECT_EQ(few, 7u);

    for (int id = 2; id <= 60; ++id)
        station.addDelivery(on(1 + id % 4, 1 + id % 3, id % 2 ? 6 : 14, id, "2016-11-" + std::to_string(10 + id % 16) +
                                                                             " 08:00:00"));
    ASSERT_TRUE(ImportCycle(bridge));
    auto earlier = on(1, 1, 6, 61, "2016-10-03 08:00:00");  // an earlier month's, still selected
    earlier.cleared = "2016-11-25 17:00:00";
    station.addDelivery(earlier);
    before = statementsLogged();
    const check::Status status = probe();
    EXPECT_EQ(statementsLogged() - before, few);
    EXPECT_EQ(status.station->waiting, 1);
}

TEST_F(Status, APcClockBehindTheServersHidesNoAgeAndWarnsOfTheSkew) {
    auto live = on(1, 1, 6, 40, "2016-11-25 17:50:00");  // stamped by the server, ahead of this PC
    live.cleared = "2016-11-25 17:50:00";
    station.addDelivery(live);

    const check::Status status = probe(std::nullopt, 40 * 60);  // the server at 18:22:30
    EXPECT_EQ(status.level, check::StatusLevel::Critical);
    EXPECT_EQ(status.station->oldestWaitingSeconds(), 32 * 60 + 30);
    EXPECT_EQ(status.station->clockSkewSeconds, 40 * 60);
    EXPECT_EQ(status.problems.back(), "the server's clock is 2400 s off the PC's (warning outside -120:120 s)");
    EXPECT_TRUE(has(check::statusPrometheus(status), "\nvantrok_clock_skew_seconds 2400\n"));

    EXPECT_EQ(probe(std::nullopt, 120).level, check::StatusLevel::Ok);  // the skew up to 2 minutes is fine
}

TEST_F(Status, AStationOutOfReachIsCritical) {
    station.setFault("refuse-connections", "on");
    check::Status status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Critical);
    EXPECT_EQ(check::statusLine(status).rfind("VANTROK CRITICAL - cannot reach the station: ", 0), 0u);
    EXPECT_EQ(check::statusLine(status).find(" | "), std::string::npos);  // no figures to give
    EXPECT_TRUE(has(check::statusPrometheus(status), "vantrok_up 0\n"));
    EXPECT_FALSE(has(check::statusPrometheus(status), "vantrok_deliveries_waiting"));
    EXPECT_TRUE(has(check::statusJson(status), "\"up\":false}"));

}

// carry wrote to yesterday and its sale waits for its check: the probe looks
// at yesterday's numbers too, and warns of one two sales carry.
TEST_F(Status, WarnsOfNumbersRepeatedOnTheDaysCarryWroteTo) {
    addSale("INV/C9/241116/1", "2016-11-24 09:00:00", "900");
    addSale("INV/C9/241116/1", "2016-11-24 09:05:00", "901");
    addSale("INV/C9/241116/2", "2016-11-24 10:00:00", "7");
    journal().add({{2016, 11, 24}, 7, "INV/C9/241116/2", check::unixNow() + 3600});
    const check::JournalEntry waiting = journal().entries().front();
    journal_.reset();  // carry has ended

    const check::Status status = probe();
    EXPECT_EQ(status.level, check::StatusLevel::Warning);
    EXPECT_EQ(status.problems, std::vector<std::string>{"invoice numbers of 2016-11-24 repeated (1 used 2 times)"});
    EXPECT_EQ(journal().entries(), std::vector<check::JournalEntry>{waiting}) << "not due: left for a later check";

    journal().remove(waiting);
    journal_.reset();
    EXPECT_EQ(probe().level, check::StatusLevel::Ok) << "days carry has not written to are not the probe's";
}

}  // namespace
}  // namespace vantrok::testing
