#include "HandleCount.h"

#include <dlfcn.h>

#include <atomic>

namespace vantrok::test {
namespace {

std::atomic<long> counts[5];

std::atomic<long>* counter(SQLSMALLINT type) {
    return type >= SQL_HANDLE_ENV && type <= SQL_HANDLE_DESC ? &counts[type] : nullptr;
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

long liveHandles(SQLSMALLINT type) {
    auto* c = counter(type);
    return c ? c->load() : 0;
}

}  // namespace vantrok::test

extern "C" SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE* handle) {
    using Fn = SQLRETURN(SQL_API*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE*);
    static const Fn real = vantrok::test::next<Fn>("SQLAllocHandle");
    SQLRETURN rc = real(type, parent, handle);
    if (auto* c = vantrok::test::counter(type); c && SQL_SUCCEEDED(rc)) ++*c;
    return rc;
}

extern "C" SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    using Fn = SQLRETURN(SQL_API*)(SQLSMALLINT, SQLHANDLE);
    static const Fn real = vantrok::test::next<Fn>("SQLFreeHandle");
    SQLRETURN rc = real(type, handle);
    if (auto* c = vantrok::test::counter(type); c && SQL_SUCCEEDED(rc)) --*c;
    return rc;
}
