#pragma once

#include <string>

namespace vantrok::check {

// Replaces the file's content at once: written to "FILE.tmp" beside it, then
// renamed over it, so a reader (the exporter's text-file collector) sees the
// old or the new content whole, and never picks the half-written file up as
// its own (it reads *.prom only). On failure the temporary file is removed
// and std::runtime_error says why.
void replaceFile(const std::string& path, const std::string& content);

}  // namespace vantrok::check
