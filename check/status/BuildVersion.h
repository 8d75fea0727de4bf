#pragma once

namespace vantrok::check {

// The project version this build was made from ("1.0.0").
const char* buildVersion();

}  // namespace vantrok::check
