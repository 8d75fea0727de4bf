#include "import/Bridge.h"

#include "db/ConnectionTexts.h"

namespace vantrok {

void Bridge::openConnections() {
    open(Link::Sales);
    open(Link::Controller);
}

void Bridge::open(Link link) {
    const std::optional<db::StationLogin> login = logins_->load();
    builtinLogin_ = !login;
    if (link == Link::Sales) {
        salesConnection.open(db::salesConnectionText(login));
    } else {
        controllerConnection.open(db::controllerConnectionText(login));
    }
    broken(link) = false;
}

db::StoredProcedure& Bridge::saleWriteCommand() {
    if (!saleWriteCommand_) saleWriteCommand_.emplace("INS_UPD_D17_DailySale1");
    return *saleWriteCommand_;
}

void Bridge::saleWritten(ImportKind kind, const SaleValues& values) const {
    if (saleObserver_) saleObserver_(kind, values);
}

bool Bridge::reopenBrokenConnections(ErrorTrap& trap) {
    for (const Link link : {Link::Sales, Link::Controller}) {
        if (!isBroken(link)) continue;
        try {
            open(link);
        } catch (const std::exception& error) {
            trap.caught(link == Link::Sales ? "reopening SalesConnection" : "reopening ControllerConnection",
                        {}, error);
        }
    }
    return !salesBroken_ && !controllerBroken_;
}

}  // namespace vantrok
