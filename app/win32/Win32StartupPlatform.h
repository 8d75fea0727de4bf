#pragma once

#include "app/StartupPlatform.h"

namespace vantrok {
class Bridge;
}

namespace vantrok::ui {
class MainWindow;
}

namespace vantrok::app {

// Start-up's requests answered by Windows, the bridge and the main window.
class Win32StartupPlatform final : public StartupPlatform {
public:
    Win32StartupPlatform(Bridge& bridge, ui::MainWindow& window) : bridge_(bridge), window_(window) {}

    long countProcesses(std::string_view imageName) override;
    int readShortDatePattern(char* buffer, int size) override;
    int showMessage(const std::string& text, const std::string& title, unsigned style) override;
    void launch(const std::string& commandLine, int showMode) noexcept override;
    db::DateTime now() override;
    void sleepFor(std::chrono::milliseconds duration) override;
    void openConnections() override;
    void setGallonFactor(double factor) override;
    void showMainWindow() override;

private:
    Bridge& bridge_;
    ui::MainWindow& window_;
};

}  // namespace vantrok::app
