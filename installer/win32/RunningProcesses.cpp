#include "installer/win32/RunningProcesses.h"

#include <windows.h>
#include <tlhelp32.h>

#include "installer/win32/Handles.h"

namespace vantrok::installer {

std::optional<std::vector<RunningProcess>> ProcessesNamed(const std::wstring& image) {
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueHandle snapshot{processes};
    std::vector<RunningProcess> found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        DWORD session = 0;
        if (lstrcmpiW(entry.szExeFile, image.c_str()) == 0 && ProcessIdToSessionId(entry.th32ProcessID, &session))
            found.push_back({entry.th32ProcessID, session});
    }
    return found;
}

}  // namespace vantrok::installer
