#include "installer/win32/Win32LaunchPlatform.h"

#include <windows.h>
#include <tlhelp32.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "installer/win32/Handles.h"

namespace vantrok::installer {
namespace {

struct EnvironmentFree {
    void operator()(void* block) const noexcept { DestroyEnvironmentBlock(block); }
};

struct WtsFree {
    void operator()(void* memory) const noexcept { WTSFreeMemory(memory); }
};

struct AttributeList {
    std::vector<unsigned char> storage;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    explicit AttributeList(DWORD count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, count, 0, &size);
        storage.resize(size);
        auto candidate = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (InitializeProcThreadAttributeList(candidate, count, 0, &size)) list = candidate;
    }
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;
    ~AttributeList() {
        if (list) DeleteProcThreadAttributeList(list);
    }
};

UniqueHandle OwnToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    return UniqueHandle{token};
}

std::optional<bool> IsLocalSystem(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return std::nullopt;
    return IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, WinLocalSystemSid) != FALSE;
}

std::optional<bool> IsElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return std::nullopt;
    return elevation.TokenIsElevated != 0;
}

DWORD OwnSessionId() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

// The process of the shell on this desktop: the shell window's, or where no
// window is registered as the shell (Wine's desktop registers none), Explorer
// running in this session. 0 when there is none.
DWORD ShellProcessId() {
    DWORD id = 0;
    if (HWND shellWindow = GetShellWindow()) {
        GetWindowThreadProcessId(shellWindow, &id);
        return id;
    }
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return 0;
    UniqueHandle snapshot{processes};
    DWORD ownSession = OwnSessionId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        DWORD session = 0;
        if (lstrcmpiW(entry.szExeFile, L"explorer.exe") == 0 &&
            ProcessIdToSessionId(entry.th32ProcessID, &session) && session == ownSession)
            return entry.th32ProcessID;
    }
    return 0;
}

std::wstring FolderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

}  // namespace

Win32LaunchPlatform::Win32LaunchPlatform(std::wstring program)
    : program_(std::move(program)), folder_(FolderOf(program_)) {}

Account Win32LaunchPlatform::account() {
    UniqueHandle token = OwnToken();
    if (!token) return Account::Unknown;
    std::optional<bool> system = IsLocalSystem(token.get());
    std::optional<bool> elevated = IsElevated(token.get());
    if (!system || !elevated) return Account::Unknown;
    if (*system) return Account::System;
    return *elevated ? Account::ElevatedAdministrator : Account::User;
}

std::uint32_t Win32LaunchPlatform::ownSession() { return OwnSessionId(); }

std::optional<std::uint32_t> Win32LaunchPlatform::consoleSession() {
    DWORD session = WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF) return std::nullopt;
    return session;
}

std::vector<Session> Win32LaunchPlatform::sessions() {
    PWTS_SESSION_INFOW info = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) return {};
    std::unique_ptr<WTS_SESSION_INFOW, WtsFree> list{info};
    std::vector<Session> found;
    for (DWORD i = 0; i < count; ++i) {
        LPWSTR user = nullptr;
        DWORD bytes = 0;
        bool named = WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, info[i].SessionId, WTSUserName,
                                                 &user, &bytes) != FALSE;
        std::unique_ptr<WCHAR, WtsFree> name{user};
        found.push_back({info[i].SessionId, info[i].State == WTSActive, named && user && user[0] != L'\0'});
    }
    return found;
}

bool Win32LaunchPlatform::shellRunning() { return ShellProcessId() != 0; }

bool Win32LaunchPlatform::startAsSessionUser(std::uint32_t session) {
    HANDLE userToken = nullptr;
    if (!WTSQueryUserToken(session, &userToken)) return false;
    UniqueHandle token{userToken};
    void* block = nullptr;
    if (!CreateEnvironmentBlock(&block, token.get(), FALSE)) return false;
    std::unique_ptr<void, EnvironmentFree> environment{block};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<LPWSTR>(L"winsta0\\default");
    std::wstring commandLine = QuotedProgram();
    ProcessHandles process;
    return CreateProcessAsUserW(token.get(), program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                CREATE_UNICODE_ENVIRONMENT, environment.get(), folder_.c_str(), &startup,
                                &process.info) != FALSE;
}

bool Win32LaunchPlatform::startUnderShell() {
    // A child whose parent is the shell gets the shell's token: the user's,
    // unelevated, as from the Startup folder. It keeps this process's
    // environment, which VANTROK does not read.
    DWORD shellId = ShellProcessId();
    if (shellId == 0) return false;
    UniqueHandle shell{OpenProcess(PROCESS_CREATE_PROCESS, FALSE, shellId)};
    if (!shell) return false;
    AttributeList attributes(1);
    HANDLE parent = shell.get();
    if (!attributes.list ||
        !UpdateProcThreadAttribute(attributes.list, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent,
                                   sizeof parent, nullptr, nullptr))
        return false;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = attributes.list;
    std::wstring commandLine = QuotedProgram();
    ProcessHandles process;
    return CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          EXTENDED_STARTUPINFO_PRESENT, nullptr, folder_.c_str(), &startup.StartupInfo,
                          &process.info) != FALSE;
}

bool Win32LaunchPlatform::startDirectly() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = QuotedProgram();
    ProcessHandles process;
    return CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder_.c_str(), &startup, &process.info) != FALSE;
}

// VANTROK reads no command line: its own name alone, quoted for the spaces
// of Program Files.
std::wstring Win32LaunchPlatform::QuotedProgram() const { return L"\"" + program_ + L"\""; }

}  // namespace vantrok::installer
