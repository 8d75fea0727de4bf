#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "db/DateTime.h"

namespace vantrok::app {

// What start-up asks of the operating system. VANTROK.exe answers with Win32;
// the tests answer with fakes.
class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;

    // Running processes with this image name, this one included. Throws when
    // the process list cannot be read.
    virtual long countProcesses(std::string_view imageName) = 0;
    // The user's short date pattern into buffer, GetLocaleInfoA style: the
    // count of characters written including the terminating zero, 0 on failure.
    virtual int readShortDatePattern(char* buffer, int size) = 0;
    // A modal message box; returns the button that dismissed it.
    virtual int showMessage(const std::string& text, const std::string& title,
                            unsigned style) = 0;
    // Starts a program without waiting for it; any failure is ignored.
    virtual void launch(const std::string& commandLine, int showMode) noexcept = 0;

    // The local date and time of day.
    virtual db::DateTime now() = 0;
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;

    // Both database connections, sales first. Throws db::DatabaseError.
    virtual void openConnections() = 0;
    virtual void setGallonFactor(double factor) = 0;
    // Shows the main window, creating it on first use. Throws on failure.
    virtual void showMainWindow() = 0;
};

}  // namespace vantrok::app
