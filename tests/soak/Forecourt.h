#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/soak/DeliveryLedger.h"
#include "tests/soak/SimulatedTime.h"
#include "tests/soak/SoakRandom.h"
#include "tests/support/TestStation.h"

namespace vantrok::soak {

// How busy the forecourt is, per import tick.
struct ForecourtChances {
    double newDelivery = 0.35;
    double offline = 0.25;      // of new deliveries: type 14, the rest type 6
    double clearedLater = 0.3;  // of live deliveries: left uncleared at first
    int maxClearingTicks = 150; // those are cleared after 1 to this many ticks
    double poison = 0.02;
    int maxPoisons = 3;         // spoiled at once
    int maxMendTicks = 120;     // a poison is mended after 1 to this many ticks
};

struct ForecourtCounts {
    int live = 0;
    int offline = 0;
    int clearedLater = 0;
    int clearedNextMonth = 0;  // of those: completed in one month, cleared in the next
    int orphanHoses = 0;    // a delivery whose Hose_ID has no Hoses row
    int zeroVolumes = 0;    // offline
    int nullVolumes = 0;    // offline
    int nullFuelCodes = 0;  // a hose without a fuel-type code
    int mended = 0;
};

// The controller's side of the station: deliveries of both types recorded at
// the simulated time, live ones cleared then or later, and poison rows that
// are mended some ticks after. Tells the ledger what it may expect.
class Forecourt {
public:
    Forecourt(testing::TestStation& station, DeliveryLedger& ledger, SoakRandom& random, ForecourtChances chances);

    // The work between two import ticks; no new poison while mayPoison is false.
    void work(Moment now, bool mayPoison);
    const ForecourtCounts& counts() const noexcept { return counts_; }

private:
    using Hose = std::pair<int, int>;  // pump, hose number
    enum class Cause { OrphanHose, ZeroVolume, NullVolume, NullFuelCode };
    struct Poison {
        Cause cause = Cause::OrphanHose;
        std::int64_t delivery = 0;  // not for NullFuelCode
        Hose hose;                  // the hose spoiled, or the one an orphan is mended onto
        int orphanHoseId = 0;
        std::string fuelCode;       // the spoiled hose's own
        int ticksLeft = 0;
    };

    // An orphan has no hose but a Hose_ID without a Hoses row.
    std::int64_t record(int type, std::optional<Hose> hose, Moment now, std::optional<std::string> volume,
                        bool cleared, std::optional<int> orphanHoseId = {});
    void onHose(std::int64_t id, Hose hose);
    void clearThoseDue(Moment now);
    void poison(Moment now);
    void mend(const Poison& poison);
    Hose anyHose();
    std::string goodVolume();
    std::string sql(const std::string& database, const std::string& statements);

    testing::TestStation& station_;
    DeliveryLedger& ledger_;
    SoakRandom& random_;
    ForecourtChances chances_;
    ForecourtCounts counts_;
    std::vector<Hose> hoses_;
    struct Uncleared {
        std::int64_t id = 0;
        Moment completed;
        int ticksLeft = 0;
    };
    std::vector<Uncleared> uncleared_;
    std::vector<Poison> poisons_;
    std::map<Hose, std::vector<std::int64_t>> deliveriesOn_;
    std::map<Hose, std::vector<std::int64_t>> spoiledBy_;  // hoses without a fuel-type code
    int orphanHoseIds_ = 0;
};

}  // namespace vantrok::soak
