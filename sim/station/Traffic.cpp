#include "sim/station/Traffic.h"

#include <random>
#include <thread>

#include "sim/engine/SqlDecimal.h"
#include "sim/station/Station.h"

namespace vantrok::sim::station {

namespace {

// Unit prices by hose number, as the seeded hose master assigns the grades.
constexpr std::int64_t pricesInMils[] = {1459, 1559, 1529};

void pause(std::chrono::milliseconds total, const std::atomic<bool>& stop) {
    auto until = std::chrono::steady_clock::now() + total;
    while (!stop && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(100), until - std::chrono::steady_clock::now()));
}

}  // namespace

void runTraffic(const std::string& dir, const TrafficPlan& plan, const std::atomic<bool>& stop, std::ostream& out) {
    requireStation(dir);
    std::mt19937 random(plan.seed);
    std::uniform_int_distribution<int> pump(1, 4), hose(1, 3), kind(1, 5);
    std::uniform_int_distribution<std::int64_t> millilitres(2'000, 80'000);
    for (std::int64_t made = 0; !stop && (!plan.count || made < *plan.count); ++made) {
        if (made > 0) pause(plan.every, stop);
        if (stop) break;
        Delivery d;
        d.type = kind(random) == 1 ? 14 : 6;
        d.uncleared = d.type == 14;
        d.pump = pump(random);
        d.hose = hose(random);
        std::int64_t volume = millilitres(random);
        std::int64_t price = pricesInMils[*d.hose - 1];
        // litres (3 decimals) times price (3 decimals), rounded half up to cents
        std::int64_t cents = (volume * price + 5'000) / 10'000;
        d.volume = SqlDecimal::fromScaled(volume, 3).toString();
        d.price = SqlDecimal::fromScaled(price, 3).toString();
        d.value = SqlDecimal::fromScaled(cents, 2).toString();
        out << addDelivery(dir, d) << '\t' << d.type << '\t' << *d.pump << '\t' << *d.hose << '\t' << *d.volume
            << '\t' << *d.value << std::endl;
    }
}

}  // namespace vantrok::sim::station
