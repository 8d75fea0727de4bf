#include "tests/soak/Forecourt.h"

#include <sstream>
#include <stdexcept>

namespace vantrok::soak {

namespace {

constexpr int firstOrphanHoseId = 100;

std::string millis(std::int64_t thousandths) {
    std::string digits = std::to_string(thousandths % 1000);
    return std::to_string(thousandths / 1000) + "." + std::string(3 - digits.size(), '0') + digits;
}

std::string cents(std::int64_t hundredths) {
    std::string digits = std::to_string(hundredths % 100);
    return std::to_string(hundredths / 100) + "." + std::string(2 - digits.size(), '0') + digits;
}

// Thousandths of the currency per litre, by hose number.
std::int64_t priceOf(int hoseNumber) { return hoseNumber == 2 ? 1559 : hoseNumber == 3 ? 1389 : 1459; }

std::string firstLine(const std::string& rows) { return rows.substr(0, rows.find('\n')); }

}  // namespace

Forecourt::Forecourt(testing::TestStation& station, DeliveryLedger& ledger, SoakRandom& random,
                     ForecourtChances chances)
    : station_(station), ledger_(ledger), random_(random), chances_(chances) {
    std::istringstream rows(sql("enablerdb", "SELECT Pump_ID, Hose_Number FROM Hoses ORDER BY Hose_ID"));
    Hose hose;
    while (rows >> hose.first >> hose.second) hoses_.push_back(hose);
    if (hoses_.empty()) throw std::runtime_error("the station has no hoses");
}

std::string Forecourt::sql(const std::string& database, const std::string& statements) {
    return station_.sql(database, statements);
}

Forecourt::Hose Forecourt::anyHose() { return hoses_[random_.between(0, static_cast<int>(hoses_.size()) - 1)]; }

std::string Forecourt::goodVolume() { return millis(random_.between(2'000, 80'000)); }

std::int64_t Forecourt::record(int type, std::optional<Hose> hose, Moment now, std::optional<std::string> volume,
                               bool cleared, std::optional<int> orphanHoseId) {
    sim::station::Delivery d;
    d.type = type;
    if (hose) {
        d.pump = hose->first;
        d.hose = hose->second;
    } else {
        d.hoseId = orphanHoseId;
    }
    const std::int64_t price = priceOf(hose ? hose->second : 1);
    // A spoiled volume still comes with a value, as a faulty pump reports it.
    const std::int64_t litreThousandths = random_.between(2'000, 80'000);
    d.volume = volume;
    d.price = millis(price);
    d.value = cents((litreThousandths * price + 5'000) / 10'000);
    d.completed = stationText(now);
    if (cleared) d.cleared = d.completed;
    d.uncleared = !cleared;
    const std::int64_t id = station_.addDelivery(d);

    ledger_.recorded(id);
    if (hose) onHose(id, *hose);
    if (type == 14) ledger_.selectable(id, now, endOfDay(now));
    else if (cleared) ledger_.selectable(id, now, endOfMonth(now));
    else uncleared_.push_back({id, now, random_.between(1, chances_.maxClearingTicks)});
    return id;
}

void Forecourt::onHose(std::int64_t id, Hose hose) {
    deliveriesOn_[hose].push_back(id);
    const auto spoiled = spoiledBy_.find(hose);
    if (spoiled != spoiledBy_.end()) {
        ledger_.spoil(id);
        spoiled->second.push_back(id);
    }
}

void Forecourt::clearThoseDue(Moment now) {
    std::erase_if(uncleared_, [&](Uncleared& delivery) {
        if (--delivery.ticksLeft > 0) return false;
        if (endOfMonth(delivery.completed) <= now) ++counts_.clearedNextMonth;
        sql("enablerdb", "UPDATE Hose_Delivery SET Cleared_Date_Time = '" + storedText(now) +
                             "', Delivery_State = 2 WHERE Delivery_ID = " + std::to_string(delivery.id));
        ledger_.selectable(delivery.id, now, endOfMonth(now));
        return true;
    });
}

void Forecourt::work(Moment now, bool mayPoison) {
    clearThoseDue(now);
    std::erase_if(poisons_, [&](Poison& p) {
        if (--p.ticksLeft > 0) return false;
        mend(p);
        return true;
    });
    if (random_.chance(chances_.newDelivery)) {
        const bool offline = random_.chance(chances_.offline);
        const bool clearedLater = !offline && random_.chance(chances_.clearedLater);
        record(offline ? 14 : 6, anyHose(), now, goodVolume(), !offline && !clearedLater);
        ++(offline ? counts_.offline : counts_.live);
        if (clearedLater) ++counts_.clearedLater;
    }
    if (mayPoison && static_cast<int>(poisons_.size()) < chances_.maxPoisons && random_.chance(chances_.poison))
        poison(now);
}

void Forecourt::poison(Moment now) {
    Poison p;
    p.cause = static_cast<Cause>(random_.between(0, 3));
    p.hose = anyHose();
    p.ticksLeft = random_.between(1, chances_.maxMendTicks);
    switch (p.cause) {
    case Cause::OrphanHose: {
        p.orphanHoseId = firstOrphanHoseId + orphanHoseIds_++;
        const bool offline = random_.chance(0.5);
        p.delivery = record(offline ? 14 : 6, std::nullopt, now, goodVolume(), !offline, p.orphanHoseId);
        ledger_.spoil(p.delivery);
        ++(offline ? counts_.offline : counts_.live);
        ++counts_.orphanHoses;
        break;
    }
    case Cause::ZeroVolume:
    case Cause::NullVolume: {
        const bool zero = p.cause == Cause::ZeroVolume;
        p.delivery = record(14, p.hose, now, zero ? std::optional<std::string>("0.000") : std::nullopt, false);
        ledger_.spoil(p.delivery);
        ++counts_.offline;
        ++(zero ? counts_.zeroVolumes : counts_.nullVolumes);
        break;
    }
    case Cause::NullFuelCode: {
        if (spoiledBy_.contains(p.hose)) return;
        p.fuelCode = firstLine(sql("torvane", "SELECT fueltypecode FROM D10_Hose WHERE pump_no = " +
                                                  std::to_string(p.hose.first) +
                                                  " AND hose_number = " + std::to_string(p.hose.second)));
        station_.setHoseFuel(p.hose.first, p.hose.second, std::nullopt);
        std::vector<std::int64_t>& spoiled = spoiledBy_[p.hose];
        for (const std::int64_t id : deliveriesOn_[p.hose]) {
            if (ledger_.isDue(id)) continue;  // written already
            ledger_.spoil(id);
            spoiled.push_back(id);
        }
        ++counts_.nullFuelCodes;
        break;
    }
    }
    poisons_.push_back(p);
}

void Forecourt::mend(const Poison& p) {
    const std::string pump = std::to_string(p.hose.first), hose = std::to_string(p.hose.second);
    switch (p.cause) {
    case Cause::OrphanHose:
        // The controller learns the hose, or the delivery is put on the hose it came from.
        if (random_.chance(0.5)) {
            sql("enablerdb", "INSERT INTO Hoses (Hose_ID, Pump_ID, Hose_Number, Grade_ID, Tank_ID) SELECT " +
                                 std::to_string(p.orphanHoseId) +
                                 ", Pump_ID, Hose_Number, Grade_ID, Tank_ID FROM Hoses WHERE Pump_ID = " + pump +
                                 " AND Hose_Number = " + hose + " LIMIT 1");
        } else {
            sql("enablerdb", "UPDATE Hose_Delivery SET Hose_ID = (SELECT Hose_ID FROM Hoses WHERE Pump_ID = " +
                                 pump + " AND Hose_Number = " + hose +
                                 " LIMIT 1) WHERE Delivery_ID = " + std::to_string(p.delivery));
        }
        ledger_.mend(p.delivery);
        onHose(p.delivery, p.hose);
        break;
    case Cause::ZeroVolume:
    case Cause::NullVolume:
        sql("enablerdb", "UPDATE Hose_Delivery SET Delivery_Volume = '" + goodVolume() +
                             "' WHERE Delivery_ID = " + std::to_string(p.delivery));
        ledger_.mend(p.delivery);
        break;
    case Cause::NullFuelCode:
        station_.setHoseFuel(p.hose.first, p.hose.second, p.fuelCode);
        for (const std::int64_t id : spoiledBy_.at(p.hose)) ledger_.mend(id);
        spoiledBy_.erase(p.hose);
        break;
    }
    ++counts_.mended;
}

}  // namespace vantrok::soak
