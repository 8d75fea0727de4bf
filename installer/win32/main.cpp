// vantrok-launch "C:\...\VANTROK.exe": starts the installed VANTROK as the
// interactive user, or not at all. The installer runs it from its temporary
// folder after an install or upgrade; it is not installed. Exit codes:
//   0 started, 1 nobody logged on (nothing started), 2 the start failed,
//   3 wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "installer/launch/Launch.h"
#include "installer/win32/Win32LaunchPlatform.h"

namespace {

struct ArgumentsFree {
    void operator()(LPWSTR* arguments) const noexcept { LocalFree(arguments); }
};

int ExitCode(vantrok::installer::LaunchOutcome outcome) {
    using vantrok::installer::LaunchOutcome;
    switch (outcome) {
        case LaunchOutcome::Started: return 0;
        case LaunchOutcome::NobodyLoggedOn: return 1;
        case LaunchOutcome::StartFailed: return 2;
    }
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    std::unique_ptr<LPWSTR, ArgumentsFree> arguments{CommandLineToArgvW(GetCommandLineW(), &count)};
    if (!arguments || count != 2) return 3;
    vantrok::installer::Win32LaunchPlatform platform{arguments.get()[1]};
    return ExitCode(vantrok::installer::Launch(platform));
}
