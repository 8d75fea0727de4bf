// vantrok-launch: the installer's helper, run from its temporary folder (it
// is not installed).
//   vantrok-launch --record FILE
//       writes the session of every running VANTROK.exe to FILE, before the
//       installer ends them.
//   vantrok-launch [--ended FILE] [--breakaway-only] "C:\...\VANTROK.exe"
//       starts VANTROK as the interactive user, outside the caller's job:
//       in the sessions FILE names (those that still have a user), or by the
//       session rule when it names none. --breakaway-only: never through the
//       Task Scheduler.
//   vantrok-launch --detach COMMAND-LINE...
//       runs the command line hidden, outside the caller's job, not waiting.
// Exit codes: 0 started (or recorded), 1 nobody logged on (nothing started),
// 2 a start (or the record) failed, 3 wrong command line or unreadable FILE.
#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "installer/launch/CommandLine.h"
#include "installer/launch/Launch.h"
#include "installer/launch/SessionList.h"
#include "installer/win32/RunningProcesses.h"
#include "installer/win32/Win32LaunchPlatform.h"

namespace {

using namespace vantrok::installer;

constexpr int Started = 0;
constexpr int NobodyLoggedOn = 1;
constexpr int Failed = 2;
constexpr int WrongCommandLine = 3;

struct ArgumentsFree {
    void operator()(LPWSTR* arguments) const noexcept { LocalFree(arguments); }
};

int ExitCode(LaunchOutcome outcome) {
    switch (outcome) {
        case LaunchOutcome::Started: return Started;
        case LaunchOutcome::NobodyLoggedOn: return NobodyLoggedOn;
        case LaunchOutcome::StartFailed: return Failed;
    }
    return Failed;
}

int Record(const std::wstring& file) {
    auto running = ProcessesNamed(L"VANTROK.exe");
    if (!running) return Failed;
    std::vector<std::uint32_t> sessions;
    for (const RunningProcess& process : *running) sessions.push_back(process.session);
    std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
    out << FormatSessionList(sessions);
    out.close();
    return out ? Started : Failed;
}

std::optional<std::vector<std::uint32_t>> ReadEnded(const std::wstring& file) {
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return ParseSessionList(text.str());
}

int StartVantrok(const Command& command) {
    LaunchOptions options;
    options.taskAllowed = !command.breakawayOnly;
    if (!command.file.empty()) {
        auto ended = ReadEnded(command.file);
        if (!ended) return WrongCommandLine;
        options.ended = *ended;
    }
    Win32LaunchPlatform platform{command.program, L"", Win32LaunchPlatform::Window::Shown};
    return ExitCode(Launch(platform, options));
}

int RunDetached() {
    auto detached = CommandAfterDetach(GetCommandLineW());
    if (!detached) return WrongCommandLine;
    Win32LaunchPlatform platform{detached->program, detached->arguments, Win32LaunchPlatform::Window::Hidden};
    return Detach(platform) ? Started : Failed;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    std::unique_ptr<LPWSTR, ArgumentsFree> arguments{CommandLineToArgvW(GetCommandLineW(), &count)};
    if (!arguments || count < 1) return WrongCommandLine;
    auto command = ParseArguments(std::vector<std::wstring>(arguments.get() + 1, arguments.get() + count));
    if (!command) return WrongCommandLine;
    switch (command->kind) {
        case Command::Kind::Record: return Record(command->file);
        case Command::Kind::Launch: return StartVantrok(*command);
        case Command::Kind::Detach: return RunDetached();
    }
    return WrongCommandLine;
}
