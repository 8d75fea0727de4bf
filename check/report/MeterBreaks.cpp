#include "check/report/MeterBreaks.h"

#include <algorithm>
#include <map>
#include <optional>

#include "import/ValueText.h"

namespace vantrok::check {

namespace {

struct Amounts {
    db::Decimal volume;
    db::Decimal value;
};

std::optional<Amounts> amounts(const db::Value& volume, const db::Value& value) {
    if (db::isNull(volume) || db::isNull(value)) return std::nullopt;
    return Amounts{valueDecimal(volume, "volume"), valueDecimal(value, "value")};
}

bool same(const Amounts& a, const Amounts& b) {
    return (a.volume - b.volume).isZero() && (a.value - b.value).isZero();
}

// Two deliveries in a row on one hose, with everything a judgement needs.
struct Pair {
    const DeliveryRecord* current;
    std::int64_t previousId;
    Amounts rise;
    Amounts ownAmount;
    Amounts previousAmount;
};

std::vector<Pair> pairsOf(const std::vector<const DeliveryRecord*>& history) {
    std::vector<Pair> pairs;
    for (std::size_t i = 1; i < history.size(); ++i) {
        const DeliveryRecord& previous = *history[i - 1];
        const DeliveryRecord& current = *history[i];
        const auto from = amounts(previous.meterVolume, previous.meterValue);
        const auto to = amounts(current.meterVolume, current.meterValue);
        const auto own = amounts(current.volume, current.value);
        const auto previousOwn = amounts(previous.volume, previous.value);
        if (!from || !to || !own || !previousOwn) continue;
        pairs.push_back({&current, previous.id, {to->volume - from->volume, to->value - from->value}, *own,
                         *previousOwn});
    }
    return pairs;
}

}  // namespace

std::vector<MeterBreak> meterBreaks(const std::vector<DeliveryRecord>& before,
                                    const std::vector<DeliveryRecord>& deliveries) {
    std::map<std::int64_t, std::vector<const DeliveryRecord*>> hoses;
    for (const DeliveryRecord& d : before) hoses[d.hoseId].push_back(&d);
    for (const DeliveryRecord& d : deliveries) hoses[d.hoseId].push_back(&d);

    std::vector<MeterBreak> breaks;
    for (auto& [hoseId, history] : hoses) {
        std::stable_sort(history.begin(), history.end(), [](const DeliveryRecord* a, const DeliveryRecord* b) {
            return a->completed < b->completed || (a->completed == b->completed && a->id < b->id);
        });
        const std::vector<Pair> pairs = pairsOf(history);
        const auto fitting = [&](bool after) {
            return std::count_if(pairs.begin(), pairs.end(), [&](const Pair& p) {
                return same(p.rise, after ? p.ownAmount : p.previousAmount);
            });
        };
        const bool after = fitting(true) >= fitting(false);
        for (const Pair& p : pairs) {
            const Amounts& expected = after ? p.ownAmount : p.previousAmount;
            if (same(p.rise, expected)) continue;
            breaks.push_back({*p.current, p.previousId, after, p.rise.volume - expected.volume,
                              p.rise.value - expected.value});
        }
    }
    return breaks;
}

}  // namespace vantrok::check
