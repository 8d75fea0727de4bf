#pragma once

#include <cstdint>
#include <random>

namespace vantrok::soak {

// Seeded choices that come out the same with every standard library: the
// engine's sequence is fixed by the standard, its distributions are not.
class SoakRandom {
public:
    explicit SoakRandom(std::uint64_t seed) : engine_(seed) {}

    // True with the given probability.
    bool chance(double probability) { return static_cast<double>(engine_() >> 11) * 0x1.0p-53 < probability; }
    // A whole number from low to high, both included (high - low is small).
    int between(int low, int high) {
        return low + static_cast<int>(engine_() % static_cast<std::uint64_t>(high - low + 1));
    }

private:
    std::mt19937_64 engine_;
};

}  // namespace vantrok::soak
