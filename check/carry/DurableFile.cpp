#include "check/carry/DurableFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vantrok::check {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw std::runtime_error("cannot " + what + " " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

void writeFileDurably(const std::filesystem::path& file, const std::string& content) {
    const std::filesystem::path temporary = temporaryBeside(file);
    {
        const Descriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (out.get() < 0) fail("create", temporary);
        for (std::size_t done = 0; done < content.size();) {
            const ssize_t wrote = ::write(out.get(), content.data() + done, content.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) fail("write", temporary);
            done += static_cast<std::size_t>(wrote);
        }
        if (::fsync(out.get()) != 0) fail("flush", temporary);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) fail("replace", file);
    // The rename itself lasts only once the folder is flushed too.
    const Descriptor folder(::open(file.parent_path().empty() ? "." : file.parent_path().c_str(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 || ::fsync(folder.get()) != 0) fail("flush the folder of", file);
}

}  // namespace vantrok::check
