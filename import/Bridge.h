#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <utility>

#include "db/Connection.h"
#include "db/StationLogin.h"
#include "db/StoredProcedure.h"
#include "import/Clock.h"
#include "import/DailySale.h"
#include "import/ErrorTrap.h"
#include "import/Trace.h"

namespace vantrok {

enum class Link { Sales, Controller };

// What lives for the whole process: both connections, the GallonFactor and the
// SaleWriteCommand, plus which connection a tick found broken.
class Bridge {
public:
    using SaleObserver = std::function<void(ImportKind, const SaleValues&)>;

    Bridge(const Clock& clock, Trace& trace) : clock_(clock), trace_(trace) {}

    db::Connection salesConnection;
    db::Connection controllerConnection;
    double gallonFactor = 0.0;

    // Where the connections find the station's own login, asked at every
    // open; without one they log in as the built-in sa. The store outlives the bridge.
    void useLoginStore(const db::LoginStore& store) noexcept { logins_ = &store; }

    // Whether the last open logged in as the built-in sa; none before an open
    // got as far as reading the store.
    std::optional<bool> usesBuiltinLogin() const noexcept { return builtinLogin_; }

    // Opens the SalesConnection, then the ControllerConnection. Throws db::DatabaseError.
    void openConnections();

    const Clock& clock() const noexcept { return clock_; }
    Trace& trace() noexcept { return trace_; }

    // The one SaleWriteCommand of the process, created at its first use.
    db::StoredProcedure& saleWriteCommand();

    // Told of every daily sale written; the developer tools print them.
    // Returns the observer it replaces, for one that is told for a while.
    SaleObserver onSaleWritten(SaleObserver observer) { return std::exchange(saleObserver_, std::move(observer)); }
    void saleWritten(ImportKind kind, const SaleValues& values) const;

    // Runs work that uses one connection; an error that breaks the connection
    // marks it for reopening and passes on.
    template <class Work>
    decltype(auto) onConnection(Link link, Work&& work) {
        try {
            return std::forward<Work>(work)();
        } catch (const std::exception& error) {
            if (breaksConnection(error) || connection(link).isDead()) broken(link) = true;
            throw;
        }
    }
    bool isBroken(Link link) const noexcept {
        return link == Link::Sales ? salesBroken_ : controllerBroken_;
    }
    // Reopens every broken connection with its own text and fresh handles. A
    // failed reopen goes to the trap and keeps the mark, so a later tick tries
    // again. True when neither connection is left broken.
    bool reopenBrokenConnections(ErrorTrap& trap);

private:
    void open(Link link);
    bool& broken(Link link) noexcept { return link == Link::Sales ? salesBroken_ : controllerBroken_; }
    const db::Connection& connection(Link link) const noexcept {
        return link == Link::Sales ? salesConnection : controllerConnection;
    }

    const Clock& clock_;
    Trace& trace_;
    static inline const db::NoStoredLogin noStoredLogin_{};
    const db::LoginStore* logins_ = &noStoredLogin_;
    std::optional<bool> builtinLogin_;
    std::optional<db::StoredProcedure> saleWriteCommand_;
    SaleObserver saleObserver_;
    bool salesBroken_ = false;
    bool controllerBroken_ = false;
};

}  // namespace vantrok
