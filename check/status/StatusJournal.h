#pragma once

#include <string>
#include <vector>

#include "check/status/Status.h"
#include "import/Bridge.h"

namespace vantrok::check {

// carry's journal, checked as carry checks it before it writes: numbers a
// sale of the day also carries are moved on, sales that never landed leave
// it. Warnings for what it did and could not do, and for invoice numbers
// repeated on the earlier days carry wrote to (today's are the probe's own).
std::vector<std::string> checkCarryJournal(Bridge& bridge);

// The status, with those warnings added.
void addCarryJournalWarnings(Status& status, const std::vector<std::string>& warnings);

}  // namespace vantrok::check
