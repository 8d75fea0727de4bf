#include "installer/win32/Win32LaunchPlatform.h"

#include <windows.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "installer/win32/Handles.h"
#include "installer/win32/OneTimeTask.h"
#include "installer/win32/RunningProcesses.h"

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

// The token's TOKEN_USER record; empty when it cannot be read.
std::vector<unsigned char> TokenUserRecord(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    return buffer;
}

PSID UserSid(std::vector<unsigned char>& tokenUser) {
    return reinterpret_cast<TOKEN_USER*>(tokenUser.data())->User.Sid;
}

std::optional<bool> IsLocalSystem(HANDLE token) {
    std::vector<unsigned char> user = TokenUserRecord(token);
    if (user.empty()) return std::nullopt;
    return IsWellKnownSid(UserSid(user), WinLocalSystemSid) != FALSE;
}

std::optional<bool> IsElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return std::nullopt;
    return elevation.TokenIsElevated != 0;
}

// DOMAIN\name of this process's account; empty when it cannot be read.
std::wstring OwnAccountName(HANDLE token) {
    std::vector<unsigned char> user = TokenUserRecord(token);
    if (user.empty()) return {};
    WCHAR name[256], domain[256];
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, UserSid(user), name, &nameLength, domain, &domainLength, &use)) return {};
    return std::wstring(domain) + L"\\" + name;
}

std::wstring SessionText(DWORD session, WTS_INFO_CLASS what) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes)) return {};
    std::unique_ptr<WCHAR, WtsFree> owned{text};
    return text ? std::wstring(text) : std::wstring{};
}

// DOMAIN\name of the session's user; empty while nobody is logged on to it.
std::wstring SessionUser(DWORD session) {
    std::wstring name = SessionText(session, WTSUserName);
    if (name.empty()) return {};
    std::wstring domain = SessionText(session, WTSDomainName);
    return domain.empty() ? name : domain + L"\\" + name;
}

bool SameAccount(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
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
    DWORD ownSession = OwnSessionId();
    for (const RunningProcess& explorer : ProcessesNamed(L"explorer.exe").value_or(std::vector<RunningProcess>{}))
        if (explorer.session == ownSession) return explorer.id;
    return 0;
}

std::wstring FolderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

std::wstring OwnAccount() {
    UniqueHandle token = OwnToken();
    return token ? OwnAccountName(token.get()) : std::wstring{};
}

}  // namespace

Win32LaunchPlatform::Win32LaunchPlatform(std::wstring program, std::wstring arguments, Window window)
    : program_(std::move(program)), arguments_(std::move(arguments)), folder_(FolderOf(program_)), window_(window) {}

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
    std::wstring me = OwnAccount();
    auto described = [&](DWORD id, bool active) {
        std::wstring user = SessionUser(id);
        return Session{id, active, user, SameAccount(user, me)};
    };
    PWTS_SESSION_INFOW info = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) return {};
    std::unique_ptr<WTS_SESSION_INFOW, WtsFree> list{info};
    std::vector<Session> found;
    for (DWORD i = 0; i < count; ++i) found.push_back(described(info[i].SessionId, info[i].State == WTSActive));
    // Windows always lists at least the services' session; Wine lists none,
    // while it answers for the session this process runs in, whose desktop
    // we are on.
    if (found.empty()) found.push_back(described(OwnSessionId(), true));
    return found;
}

Job Win32LaunchPlatform::job() {
    BOOL in = FALSE;
    // Not knowing is taken as a job that keeps its children.
    if (!IsProcessInJob(GetCurrentProcess(), nullptr, &in)) return {true, false};
    if (!in) return {};
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits, sizeof limits, nullptr))
        return {true, false};
    DWORD flags = limits.BasicLimitInformation.LimitFlags;
    return {true, (flags & (JOB_OBJECT_LIMIT_BREAKAWAY_OK | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK)) != 0};
}

bool Win32LaunchPlatform::shellRunning() { return ShellProcessId() != 0; }

bool Win32LaunchPlatform::startAsSessionUser(std::uint32_t session, bool breakaway) {
    HANDLE userToken = nullptr;
    if (!WTSQueryUserToken(session, &userToken)) return false;
    UniqueHandle token{userToken};
    void* block = nullptr;
    if (!CreateEnvironmentBlock(&block, token.get(), FALSE)) return false;
    std::unique_ptr<void, EnvironmentFree> environment{block};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<LPWSTR>(L"winsta0\\default");
    std::wstring commandLine = CommandLine();
    ProcessHandles process;
    return CreateProcessAsUserW(token.get(), nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                CREATE_UNICODE_ENVIRONMENT | CreationFlags(breakaway), environment.get(),
                                Folder(), &startup, &process.info) != FALSE;
}

bool Win32LaunchPlatform::startUnderShell() {
    // A child whose parent is the shell gets the shell's token (the user's,
    // unelevated, as from the Startup folder) and the shell's job, not ours.
    // It keeps this process's environment, which VANTROK does not read.
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
    std::wstring commandLine = CommandLine();
    ProcessHandles process;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                          EXTENDED_STARTUPINFO_PRESENT | CreationFlags(false), nullptr, Folder(),
                          &startup.StartupInfo, &process.info) != FALSE;
}

bool Win32LaunchPlatform::startDirectly(bool breakaway) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (window_ == Window::Hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    std::wstring commandLine = CommandLine();
    ProcessHandles process;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CreationFlags(breakaway),
                          nullptr, Folder(), &startup, &process.info) != FALSE;
}

bool Win32LaunchPlatform::startByTask(std::uint32_t session, const std::wstring& user) {
    return RunOnceAsTask({program_, arguments_, folder_}, {user, false, false, session});
}

bool Win32LaunchPlatform::startByTaskAsSelf() {
    if (account() == Account::System) return RunOnceAsTask({program_, arguments_, folder_}, {L"SYSTEM", true, true, {}});
    std::uint32_t own = OwnSessionId();
    return RunOnceAsTask({program_, arguments_, folder_},
                         {OwnAccount(), false, true, own == 0 ? std::nullopt : std::optional<std::uint32_t>{own}});
}

// The program quoted for the spaces of Program Files, then its arguments as
// the caller wrote them.
std::wstring Win32LaunchPlatform::CommandLine() const {
    std::wstring line = L"\"" + program_ + L"\"";
    if (!arguments_.empty()) line += L" " + arguments_;
    return line;
}

// No folder of its own (a bare command's name): ours.
const wchar_t* Win32LaunchPlatform::Folder() const { return folder_.empty() ? nullptr : folder_.c_str(); }

unsigned long Win32LaunchPlatform::CreationFlags(bool breakaway) const {
    DWORD flags = breakaway ? CREATE_BREAKAWAY_FROM_JOB : 0;
    // A console program detached here shows no console window.
    if (window_ == Window::Hidden) flags |= CREATE_NO_WINDOW;
    return flags;
}

}  // namespace vantrok::installer
