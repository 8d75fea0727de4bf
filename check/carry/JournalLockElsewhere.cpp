#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "check/carry/JournalLock.h"
#include "check/carry/DurableFile.h"

namespace vantrok::check {

JournalLock::JournalLock(const std::filesystem::path& journal) {
    std::filesystem::path lockFile = temporaryBeside(journal);
    lockFile.replace_extension(".lock");
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot open " + lockFile.string());
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw JournalInUse(journal);
    }
    handle_ = fd;
}

JournalLock::~JournalLock() { ::close(static_cast<int>(handle_)); }

}  // namespace vantrok::check
