#pragma once

#include "import/Bridge.h"
#include "import/ErrorTrap.h"

namespace vantrok {

// Has the sales database bring its backups up to date by running its own
// procedure once on the SalesConnection. Swallows every failure into the trap;
// one that breaks the connection marks it for reopening.
void SYNX_TWO_DB(Bridge& bridge, ErrorTrap& trap);

}  // namespace vantrok
