#pragma once

#include "app/StartupPlatform.h"
#include "db/DateTime.h"

namespace vantrok::app {

// One minute after the given moment, counted from its whole second.
db::DateTime WakeUpTime(const db::DateTime& now);

// Returns at the first moment the clock, read to the whole second, has
// reached wakeUp. Sleeps meanwhile instead of spinning, in steps of at most
// a second so a clock that is set meanwhile is followed.
void WaitUntil(StartupPlatform& platform, const db::DateTime& wakeUp);

}  // namespace vantrok::app
