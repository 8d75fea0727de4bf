#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/StartupPlatform.h"

namespace vantrok::app::test {

// Records every request in order; the clock moves only when start-up sleeps.
class FakeStartupPlatform : public StartupPlatform {
public:
    using Moment = std::chrono::sys_time<std::chrono::milliseconds>;

    struct Message {
        std::string text;
        std::string title;
        unsigned style;
    };

    // Settings a test changes before running start-up.
    long processCount = 1;
    bool processQueryFails = false;
    std::string shortDatePattern = "dd/MM/yyyy";
    bool localeCallFails = false;
    int messageAnswer = 1;
    int connectionFailures = 0;  // how many opens fail before one succeeds
    int unusableLoginFailures = 0;  // then how many fail on the stored login
    int windowFailures = 0;
    Moment clock;

    // What start-up did.
    std::vector<std::string> calls;
    std::vector<Message> messages;
    std::vector<std::pair<std::string, int>> launches;
    std::vector<double> gallonFactors;
    int windowsShown = 0;
    std::chrono::milliseconds slept{0};
    Moment shortDateReadAt;

    static Moment at(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);
    static db::DateTime toDateTime(Moment moment);

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
    void record(const std::string& call);
};

}  // namespace vantrok::app::test
