#include "sim/engine/SalesTableLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

#include "sim/engine/SqlErrors.h"

namespace vantrok::sim {

namespace {

constexpr std::chrono::milliseconds pollEvery{5};

}  // namespace

SalesTableLock::SalesTableLock(const std::string& stationDir) : path_(stationDir + "/D17_DailySale.lock") {}

SalesTableLock::~SalesTableLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

void SalesTableLock::acquire(Mode mode, std::chrono::seconds timeout, const CancelWait& cancelWait) {
    if (held_ == Held::Exclusive || (held_ == Held::Shared && mode == Mode::Shared)) return;
    if (descriptor_ < 0) {
        descriptor_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor_ < 0) throw std::runtime_error("cannot open the table lock " + path_);
    }
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const auto start = std::chrono::steady_clock::now();
    while (::flock(descriptor_, operation) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) throw std::runtime_error("cannot take the table lock " + path_);
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waitLimit_.count() >= 0 && waited >= waitLimit_) throw errors::lockTimeout();
        if (timeout.count() > 0 && waited >= timeout) throw errors::queryTimeout();
        if (cancelWait ? cancelWait(pollEvery) : (std::this_thread::sleep_for(pollEvery), false))
            throw errors::cancelled();
    }
    held_ = mode == Mode::Exclusive ? Held::Exclusive : Held::Shared;
}

void SalesTableLock::release() noexcept {
    if (held_ == Held::None) return;
    ::flock(descriptor_, LOCK_UN);
    held_ = Held::None;
}

SharedForStatement::SharedForStatement(SalesTableLock& lock, std::chrono::seconds timeout,
                                       const CancelWait& cancelWait) {
    if (lock.holdsExclusive()) return;
    lock.acquire(SalesTableLock::Mode::Shared, timeout, cancelWait);
    lock_ = &lock;
}

SharedForStatement::~SharedForStatement() {
    if (lock_) lock_->release();
}

}  // namespace vantrok::sim
