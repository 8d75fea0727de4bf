#pragma once

#include <cstdint>
#include <vector>

#include "check/carry/Carry.h"
#include "check/carry/CarryJournal.h"
#include "import/Bridge.h"

namespace vantrok::check {

// What one check of journal entries did.
struct JournalCheck {
    int settled = 0;     // their number their own: out of the journal
    int renumbered = 0;  // given the day's next free number: checked again after the settle
    // No daily sale of theirs with their number (its write never committed, or
    // another write overwrote it): out of the journal, their delivery missing again.
    std::vector<JournalEntry> lost;
};

// Checks the given entries of the journal against their days' daily sales,
// the settle having passed since their writes: a number another sale of the
// day also carries is moved on, carry's own sale only, under the table lock.
// Throws db::DatabaseError, SalesTableBusy, or std::runtime_error when the
// journal cannot be written; what was done by then stays done.
JournalCheck checkJournalEntries(Bridge& bridge, CarryJournal& journal, const std::vector<JournalEntry>& due,
                                 std::int64_t settleSeconds, CarryLog& log);

// The entries whose settle has passed.
std::vector<JournalEntry> dueEntries(const std::vector<JournalEntry>& entries, std::int64_t now);

}  // namespace vantrok::check
