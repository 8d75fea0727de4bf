#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace vantrok::check {

// Another vantrok-check holds the journal: two at once would each write
// the file over the other's entries.
class JournalInUse : public std::runtime_error {
public:
    explicit JournalInUse(const std::filesystem::path& journal)
        : std::runtime_error("another vantrok-check is using " + journal.string() + ": try again when it ends") {}
};

// Holds the journal for this process alone while it lives, through a lock
// file beside it that the system lets go of when the process ends, however
// it ends. Throws JournalInUse, or std::runtime_error when the lock file
// cannot be opened.
class JournalLock {
public:
    explicit JournalLock(const std::filesystem::path& journal);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

private:
    std::intptr_t handle_;
};

}  // namespace vantrok::check
