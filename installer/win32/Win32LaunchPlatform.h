#pragma once

#include <string>

#include "installer/launch/LaunchPlatform.h"

namespace vantrok::installer {

// Starts one program (VANTROK.exe, with no arguments, in its own folder) in
// the ways LaunchPlatform names, with Win32.
class Win32LaunchPlatform : public LaunchPlatform {
public:
    explicit Win32LaunchPlatform(std::wstring program);

    Account account() override;
    std::uint32_t ownSession() override;
    std::optional<std::uint32_t> consoleSession() override;
    std::vector<Session> sessions() override;
    bool shellRunning() override;

    bool startAsSessionUser(std::uint32_t session) override;
    bool startUnderShell() override;
    bool startDirectly() override;

private:
    std::wstring QuotedProgram() const;

    std::wstring program_;
    std::wstring folder_;
};

}  // namespace vantrok::installer
