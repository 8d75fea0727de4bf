#include "app/win32/Com.h"

#include <new>

namespace vantrok::app {

void ThrowIfFailed(HRESULT result, const char* what) {
    if (FAILED(result)) throw std::system_error(static_cast<int>(result), std::system_category(), what);
}

ComApartment::ComApartment() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Already initialised in another mode still lets this thread use COM.
    if (result == RPC_E_CHANGED_MODE) return;
    ThrowIfFailed(result, "initialising COM");
    initialised_ = true;
}

ComApartment::~ComApartment() {
    if (initialised_) CoUninitialize();
}

Bstr::Bstr(const std::wstring& text)
    : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!text_) throw std::bad_alloc();
}

}  // namespace vantrok::app
