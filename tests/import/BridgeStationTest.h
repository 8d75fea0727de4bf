#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "import/GallonFactor.h"
#include "fakes/CollectingTrace.h"
#include "fakes/FixedClock.h"
#include "import/Bridge.h"
#include "sim/engine/StatementLog.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {

// A bridge with both connections open on a fresh station, standing on
// 25-Nov-2016 17:42:30 unless a test moves its clock.
class BridgeStationTest : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        bridge.openConnections();
        bridge.gallonFactor = GallonFactor;
        bridge.onSaleWritten([this](ImportKind, const SaleValues& values) {
            writtenIds.push_back(std::get<std::int64_t>(values[16]));
        });
    }

    static sim::station::Delivery delivery(int type, int id, const std::string& completed) {
        return TestStation::delivery(type, id, completed);
    }
    void addLive(int id, const std::string& completed = "2016-11-25 08:00:00") {
        station.addDelivery(delivery(6, id, completed));
    }
    void addOffline(int id, const std::string& completed = "2016-11-25 09:00:00") {
        station.addDelivery(delivery(14, id, completed));
    }

    // The Delivery_IDs of the daily sales the station holds, in the order written.
    std::vector<std::int64_t> storedIds() const {
        std::vector<std::int64_t> ids;
        for (const SaleRow& sale : station.sales()) {
            if (const auto& id = sale.at("Delivery_ID")) ids.push_back(std::stoll(*id));
        }
        return ids;
    }

    // The sales connection's statements, each named by what it does.
    std::vector<std::string> salesStatementKinds() const {
        std::vector<std::string> kinds;
        for (const std::string& text : station.statements("torvane")) {
            if (text.rfind("select 'INV/'", 0) == 0) kinds.push_back("invoice");
            else if (text.rfind("select d1.fueltypecode", 0) == 0) kinds.push_back("fuel");
            else if (text.find("call INS_UPD_D17_DailySale1") != std::string::npos) kinds.push_back("procedure");
            else if (text == sim::procedureColumnsLogText("INS_UPD_D17_DailySale1")) kinds.push_back("describe");
            else kinds.push_back(text);
        }
        return kinds;
    }
    std::size_t controllerSelections(const std::string& deliveryType) const {
        const auto texts = station.statements("enablerdb");
        return static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [&](const std::string& text) {
            return text.find("delivery_type in ('" + deliveryType + "')") != std::string::npos;
        }));
    }

    FixedClock clock{{2016, 11, 25, 17, 42, 30, 0}};
    CollectingTrace trace;
    Bridge bridge{clock, trace};
    std::vector<std::int64_t> writtenIds;
};

}  // namespace vantrok::testing
