#pragma once

#include "check/Arguments.h"
#include "import/Bridge.h"

namespace vantrok::check {

// vantrok-check carry: checks what its journal still holds, lists the
// missing deliveries of the range, asks (unless --yes or --dry-run), and
// writes them; 0 when it had nothing to write or wrote everything it listed
// with a number of its own and its journal is empty, 1 otherwise.
int runCarry(Bridge& bridge, const Arguments& arguments);

}  // namespace vantrok::check
