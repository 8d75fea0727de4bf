#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "check/carry/JournalLock.h"
#include "check/station/CalendarDay.h"

namespace vantrok::check {

// A daily sale carry wrote whose invoice number is not yet known to be its own.
struct JournalEntry {
    CalendarDay day;
    std::int64_t deliveryId = 0;
    std::string voucher;
    std::int64_t checkAfter = 0;  // Unix seconds: once the settle has passed since the write

    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

// carry's sales still to be checked, on the PC, one file per station. Each
// change is on the disk before it returns: an entry is written before its
// sale's commit, so no end of the program, however abrupt, leaves a sale
// nobody will check.
class CarryJournal {
public:
    // Held by this process alone until destroyed. No file yet is an empty
    // journal. Throws JournalInUse, or std::runtime_error for one that
    // cannot be read, rather than forget what it holds.
    explicit CarryJournal(std::filesystem::path file);

    const std::vector<JournalEntry>& entries() const { return entries_; }
    const std::filesystem::path& file() const { return file_; }

    // Throw std::runtime_error when the file cannot be written.
    void add(JournalEntry entry);
    void remove(const JournalEntry& entry);
    void replace(const JournalEntry& old, JournalEntry now);

private:
    void save() const;

    std::filesystem::path file_;
    JournalLock lock_;
    std::vector<JournalEntry> entries_;
};

// The journal of the station the connection texts name: their server and
// databases, in the journal folder.
std::filesystem::path stationJournalFile(const std::string& salesConnectionText,
                                         const std::string& controllerConnectionText);

// Seconds since the Unix epoch, now.
std::int64_t unixNow();

}  // namespace vantrok::check
