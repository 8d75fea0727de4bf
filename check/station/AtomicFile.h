#pragma once

#include <string>

#include "check/station/FileMover.h"

namespace vantrok::check {

// Replaces the file's content at once: written and flushed to a temporary
// file of a name of its own beside it ("FILE.tmp-" and random digits, so two
// probes never share one, and never *.prom, which the exporter's text-file
// collector would pick up half-written), then moved over it, so a reader sees
// the old or the new content whole. While another program holds the file the
// move is retried for about two seconds. On failure the temporary file is
// removed and std::runtime_error says why.
void replaceFile(const std::string& path, const std::string& content, const FileMover& mover = platformMover());

}  // namespace vantrok::check
