#include <gtest/gtest.h>

#include "check/report/MeterBreaks.h"
#include "db/Decimal.h"

namespace vantrok::check {
namespace {

db::Value dec(const char* text) { return db::Decimal::parse(text); }

DeliveryRecord reading(std::int64_t hoseId, std::int64_t id, int minute, const char* volume, const char* value,
                       const char* meterVolume, const char* meterValue) {
    DeliveryRecord d;
    d.id = id;
    d.hoseId = hoseId;
    d.type = 6;
    d.completed = {2016, 11, 25, 10, minute, 0, 0};
    d.volume = dec(volume);
    d.value = dec(value);
    d.meterVolume = dec(meterVolume);
    d.meterValue = dec(meterValue);
    return d;
}

std::vector<std::string> described(const std::vector<MeterBreak>& breaks) {
    std::vector<std::string> found;
    for (const MeterBreak& b : breaks)
        found.push_back(std::to_string(b.delivery.id) + " after " + std::to_string(b.previousId) + ": " +
                        b.volumeGap.toString() + " " + b.valueGap.toString() +
                        (b.readingsAfterDelivery ? " after" : " before"));
    return found;
}

TEST(MeterBreaks, ReadingsTakenAfterTheirDeliveryBreakWhereADeliveryWasNeverRecorded) {
    const std::vector<DeliveryRecord> before = {reading(1, 7, 0, "10.000", "15.00", "110.000", "165.00")};
    const std::vector<DeliveryRecord> range = {
        reading(1, 8, 10, "20.000", "30.00", "130.000", "195.00"),
        reading(1, 9, 20, "5.000", "7.50", "140.000", "210.00"),  // 5 l and 7.50 went unrecorded
        reading(1, 10, 30, "1.000", "1.50", "141.000", "211.50"),
    };
    EXPECT_EQ(described(meterBreaks(before, range)), std::vector<std::string>{"9 after 8: 5.000 7.50 after"});
}

TEST(MeterBreaks, ReadingsTakenBeforeTheirDeliveryAreFoundFromTheHosesHistory) {
    // Each reading stands before its own delivery: it rises by the previous one's.
    const std::vector<DeliveryRecord> range = {
        reading(2, 1, 0, "10.000", "15.00", "100.000", "150.00"),
        reading(2, 2, 10, "20.000", "30.00", "110.000", "165.00"),
        reading(2, 3, 20, "30.000", "45.00", "130.000", "195.00"),
        reading(2, 4, 30, "40.000", "60.00", "160.000", "240.00"),
        reading(2, 5, 40, "50.000", "75.00", "201.000", "301.50"),  // 1 l and 1.50 too many
    };
    EXPECT_EQ(described(meterBreaks({}, range)), std::vector<std::string>{"5 after 4: 1.000 1.50 before"});
}

TEST(MeterBreaks, HosesAreJudgedApartInTimeOrderAndNullsSayNothing) {
    DeliveryRecord unread = reading(3, 22, 10, "20.000", "30.00", "0", "0");
    unread.meterVolume = db::Null{};
    const std::vector<DeliveryRecord> range = {
        reading(4, 31, 10, "20.000", "30.00", "20.000", "30.00"),
        reading(3, 23, 20, "5.000", "7.50", "500.000", "750.00"),
        reading(4, 30, 0, "0.000", "0.00", "0.000", "0.00"),  // earlier, though recorded later
        unread,
        reading(3, 21, 0, "1.000", "1.50", "400.000", "600.00"),
    };
    // Hose 3: 21 to 22 and 22 to 23 say nothing without 22's reading.
    EXPECT_TRUE(meterBreaks({}, range).empty());
    // A value that does not continue is a break as much as a volume.
    std::vector<DeliveryRecord> priced = {reading(5, 1, 0, "10.000", "15.00", "10.000", "15.00"),
                                          reading(5, 2, 10, "10.000", "15.00", "20.000", "31.00")};
    EXPECT_EQ(described(meterBreaks({}, priced)), std::vector<std::string>{"2 after 1: 0.000 1.00 after"});
}

}  // namespace
}  // namespace vantrok::check
