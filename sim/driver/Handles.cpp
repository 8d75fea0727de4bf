#include "sim/driver/Handles.h"

#include <time.h>

#include <algorithm>
#include <mutex>
#include <unordered_set>

namespace vantrok::sim::driver {

void Statement::closeCursor() noexcept {
    cursor.reset();
    fetched = 0;
    positioned = false;
    rowsExhausted = false;
    readColumn = 0;
    readState = {};
}

void Statement::discardResults() noexcept {
    closeCursor();
    pending.reset();
}

namespace {

std::uint64_t threadCpuNanoseconds() noexcept {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace

EngineTimer::EngineTimer(Connection& connection) : timed_(connection.engineTimed ? &connection : nullptr) {
    if (timed_) start_ = threadCpuNanoseconds();
}

EngineTimer::~EngineTimer() {
    if (timed_) timed_->engineNanoseconds += threadCpuNanoseconds() - start_;
}

namespace handles {
namespace {

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const Handle*>& registry() {
    static std::unordered_set<const Handle*> live;
    return live;
}

template <class T>
T* registered(std::unique_ptr<T> handle) {
    std::lock_guard lock(registryMutex());
    registry().insert(handle.get());
    return handle.release();
}

}  // namespace

Environment* newEnvironment() { return registered(std::make_unique<Environment>()); }

Connection* newConnection(Environment& environment) {
    auto connection = std::make_unique<Connection>(environment);
    std::lock_guard lock(registryMutex());
    registry().insert(connection.get());
    ++environment.connections;
    return connection.release();
}

Statement* newStatement(Connection& connection) {
    auto statement = std::make_unique<Statement>(connection);
    std::lock_guard lock(registryMutex());
    connection.statements.push_back(statement.get());
    registry().insert(statement.get());
    return statement.release();
}

void free(Handle* handle) noexcept {
    {
        std::lock_guard lock(registryMutex());
        if (registry().erase(handle) == 0) return;
        if (handle->kind == HandleKind::Statement) {
            auto& list = static_cast<Statement*>(handle)->connection.statements;
            list.erase(std::remove(list.begin(), list.end(), handle), list.end());
        } else if (handle->kind == HandleKind::Connection) {
            --static_cast<Connection*>(handle)->environment.connections;
        }
    }
    delete handle;
}

Handle* find(SQLHANDLE handle, HandleKind kind) noexcept {
    std::lock_guard lock(registryMutex());
    auto* candidate = static_cast<const Handle*>(handle);
    if (!registry().contains(candidate) || candidate->kind != kind) return nullptr;
    return const_cast<Handle*>(candidate);
}

}  // namespace handles
}  // namespace vantrok::sim::driver
