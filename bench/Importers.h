#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "bench/BareLoop.h"
#include "bench/BenchStation.h"
#include "db/Connection.h"
#include "db/ResultSet.h"
#include "import/Bridge.h"

namespace vantrok::bench {

// One way of carrying deliveries through the driver: VANTROK's own import or
// the bare loop that is its floor. Both open the connections with the same
// texts when made; a benchmark times only the calls below.
class Importer {
public:
    virtual ~Importer() = default;

    // One Timer1 tick; returns the deliveries carried. Throws when the tick
    // caught an error, which would void the figure.
    virtual std::size_t importCycle() = 0;
    // A tick that finds nothing new.
    virtual void idleTick() = 0;
    // One delivery at a time: opens the live selection, then carries a row per
    // call until there is none left.
    virtual void openLiveSelection() = 0;
    virtual bool carryNext() = 0;

    // The processor time the station's engine spent on this importer's
    // connections since startEngineClock.
    void startEngineClock();
    double engineSeconds() const;

protected:
    virtual const db::Connection& sales() const = 0;
    virtual const db::Connection& controller() const = 0;
};

enum class Variant { Vantrok, Floor };

std::unique_ptr<Importer> makeImporter(Variant variant);

// VANTROK's own ticks; the benchmarks without a floor use it directly.
class VantrokImporter final : public Importer {
public:
    VantrokImporter();

    std::size_t importCycle() override;
    void idleTick() override { importCycle(); }
    void openLiveSelection() override;
    bool carryNext() override;
    // A Timer2 tick.
    void backupTick();

private:
    const db::Connection& sales() const override { return bridge_.salesConnection; }
    const db::Connection& controller() const override { return bridge_.controllerConnection; }
    void requireClean(bool clean) const;

    StandingClock clock_;
    LastErrorTrace trace_;
    Bridge bridge_{clock_, trace_};
    std::size_t written_ = 0;
    std::optional<db::ResultSet> rows_;
};

}  // namespace vantrok::bench
