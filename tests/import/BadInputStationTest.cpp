#include <gtest/gtest.h>

#include <functional>

#include "BridgeStationTest.h"
#include "import/ImportCycle.h"

namespace vantrok::testing {
namespace {

using Ids = std::vector<std::int64_t>;

// One kind of bad input among good deliveries: live 1 and 3 completed the day
// before, offline 4 completed today. Spoiled deliveries carry id 2 and were
// completed today.
struct BadInput {
    const char* name;
    std::function<void(TestStation&)> spoil;
    std::function<void(TestStation&)> mend;
    Ids writtenAtFirst;   // sorted
    std::string traced;   // what the first traced line says
};

void PrintTo(const BadInput& bad, std::ostream* out) { *out << bad.name; }

std::function<void(TestStation&)> addSpoiled(int type, std::function<void(sim::station::Delivery&)> change) {
    return [type, change](TestStation& station) {
        sim::station::Delivery d = TestStation::delivery(type, 2, "2016-11-25 08:00:00");
        change(d);
        station.addDelivery(d);
    };
}

std::function<void(TestStation&)> runSql(std::string database, std::string sql) {
    return [database, sql](TestStation& station) { station.sql(database, sql); };
}

const auto setRow2 = [](const std::string& assignments) {
    return runSql("enablerdb", "UPDATE Hose_Delivery SET " + assignments + " WHERE Delivery_ID = 2");
};
const auto nothing = [](TestStation&) {};
const Ids all = {1, 2, 3, 4};
const Ids othersOnly = {1, 3, 4};
const Ids otherDaysOnly = {1, 3};

const BadInput badInputs[] = {
    {"HoseWithoutPumpOrHoseNumber",
     addSpoiled(6, [](auto& d) { d.pump.reset(); d.hose.reset(); d.hoseId = 99; }),
     runSql("enablerdb", "INSERT INTO Hoses (Hose_ID, Pump_ID, Hose_Number, Grade_ID, Tank_ID) VALUES (99, 4, 3, 3, 3)"),
     othersOnly, "GET_VANTROK_DATA Delivery_ID 2: Invalid use of Null: Pump_ID"},
    {"ZeroVolumeLive", addSpoiled(6, [](auto& d) { d.volume = "0.000"; d.value = "0.00"; }), nothing, all, ""},
    {"ZeroVolumeOffline", addSpoiled(14, [](auto& d) { d.volume = "0.000"; d.value = "0.00"; }),
     setRow2("Delivery_Volume = '20.000', Delivery_Value = '29.18'"), othersOnly,
     "GET_OFFLINE_DATA Delivery_ID 2: "},
    {"NullVolumeLive", addSpoiled(6, [](auto& d) { d.volume.reset(); }), nothing, all, ""},
    {"NullVolumeOffline", addSpoiled(14, [](auto& d) { d.volume.reset(); }),
     setRow2("Delivery_Volume = '20.000'"), othersOnly,
     "GET_OFFLINE_DATA Delivery_ID 2: Invalid use of Null: Delivery_Volume"},
    {"NullValueOffline", addSpoiled(14, [](auto& d) { d.value.reset(); }), setRow2("Delivery_Value = '29.18'"),
     othersOnly, "GET_OFFLINE_DATA Delivery_ID 2: Invalid use of Null: Delivery_Value"},
    {"UnitPriceBeyond32Bits", addSpoiled(14, [](auto& d) { d.volume = "0.001"; d.value = "9999999999.99"; }),
     setRow2("Delivery_Volume = '20.000'"), othersOnly, "GET_OFFLINE_DATA Delivery_ID 2: "},
    {"NullFuelTypeCode",
     [](TestStation& station) {
         addSpoiled(6, [](auto& d) { d.pump = 2; })(station);
         station.setHoseFuel(2, 1, std::nullopt);
     },
     [](TestStation& station) { station.setHoseFuel(2, 1, "ULP"); }, othersOnly,
     "GET_VANTROK_DATA Delivery_ID 2: Invalid use of Null: fueltypecode"},
    {"VoucherOfTheDayExactlyInvC9",
     [](TestStation& station) {
         addSpoiled(6, [](auto&) {})(station);
         station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date) VALUES ('INV/C9', '2016-11-25 07:00:00.000')");
     },
     runSql("torvane", "DELETE FROM D17_DailySale WHERE VocNo = 'INV/C9'"), otherDaysOnly,
     "GET_VANTROK_DATA Delivery_ID 2: SQLSTATE "},
    {"VoucherTailNotANumber",
     [](TestStation& station) {
         addSpoiled(6, [](auto&) {})(station);
         station.sql("torvane",
                     "INSERT INTO D17_DailySale (VocNo, S_Date) VALUES ('INV/C9/251116/1a', '2016-11-25 07:00:00.000')");
     },
     runSql("torvane", "DELETE FROM D17_DailySale WHERE VocNo = 'INV/C9/251116/1a'"), otherDaysOnly,
     "GET_VANTROK_DATA Delivery_ID 2: SQLSTATE "},
    {"ProcedureRefusesAValue",
     // More digits than the procedure's decimal(18,3) holds.
     [](TestStation& station) {
         addSpoiled(6, [](auto&) {})(station);
         setRow2("Hose_Meter_Volume = '9999999999999999.000'")(station);
     },
     setRow2("Hose_Meter_Volume = '1020.000'"), othersOnly, "GET_VANTROK_DATA Delivery_ID 2: SQLSTATE "},
    {"TankTableMissing",
     [](TestStation& station) {
         addSpoiled(6, [](auto&) {})(station);
         station.sql("torvane", "ALTER TABLE d9_tank RENAME TO d9_tank_away");
     },
     runSql("torvane", "ALTER TABLE d9_tank_away RENAME TO d9_tank"), {}, "GET_VANTROK_DATA Delivery_ID 1: SQLSTATE 42S02"},
    {"DailySaleTableMissing",
     [](TestStation& station) {
         addSpoiled(6, [](auto&) {})(station);
         station.sql("torvane", "ALTER TABLE D17_DailySale RENAME TO D17_DailySale_away");
     },
     runSql("torvane", "ALTER TABLE D17_DailySale_away RENAME TO D17_DailySale"), {},
     "GET_VANTROK_DATA: SQLSTATE 42S02"},
};

class BadInputTest : public BridgeStationTest, public ::testing::WithParamInterface<BadInput> {
protected:
    static Ids sorted(Ids ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

TEST_P(BadInputTest, HoldsUpNoMoreThanItSpoilsUntilMended) {
    const BadInput& bad = GetParam();
    addLive(1, "2016-11-24 10:00:00");
    addLive(3, "2016-11-24 11:00:00");
    addOffline(4);
    bad.spoil(station);

    const bool spoils = bad.writtenAtFirst != all;
    for (int tick = 0; tick < 2; ++tick) {
        EXPECT_EQ(ImportCycle(bridge), !spoils);
        EXPECT_EQ(sorted(writtenIds), bad.writtenAtFirst);
    }
    if (spoils) {
        ASSERT_FALSE(trace.lines.empty());
        EXPECT_EQ(trace.lines[0].rfind(bad.traced, 0), 0u) << trace.lines[0];
    } else {
        EXPECT_TRUE(trace.lines.empty());
    }

    bad.mend(station);
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(sorted(writtenIds), all);
    EXPECT_EQ(sorted(storedIds()), all);
    EXPECT_FALSE(bridge.isBroken(Link::Sales) || bridge.isBroken(Link::Controller));
}

INSTANTIATE_TEST_SUITE_P(Deliveries, BadInputTest, ::testing::ValuesIn(badInputs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrok::testing
