#include "check/status/BuildVersion.h"

namespace vantrok::check {

const char* buildVersion() { return VANTROK_BUILD_VERSION; }

}  // namespace vantrok::check
