#pragma once

#include <string>

#include "installer/launch/LaunchPlatform.h"

namespace vantrok::installer {

// Starts one program in the ways LaunchPlatform names, with Win32: VANTROK.exe
// with no arguments, or (hidden) the command line a caller detaches.
class Win32LaunchPlatform : public LaunchPlatform {
public:
    enum class Window { Shown, Hidden };
    Win32LaunchPlatform(std::wstring program, std::wstring arguments, Window window);

    Account account() override;
    std::uint32_t ownSession() override;
    std::optional<std::uint32_t> consoleSession() override;
    std::vector<Session> sessions() override;
    Job job() override;
    bool shellRunning() override;

    bool startAsSessionUser(std::uint32_t session, bool breakaway) override;
    bool startUnderShell() override;
    bool startDirectly(bool breakaway) override;
    bool startByTask(std::uint32_t session, const std::wstring& user) override;
    bool startByTaskAsSelf() override;

private:
    std::wstring CommandLine() const;
    const wchar_t* Folder() const;
    unsigned long CreationFlags(bool breakaway) const;

    std::wstring program_;
    std::wstring arguments_;
    std::wstring folder_;
    Window window_;
};

}  // namespace vantrok::installer
