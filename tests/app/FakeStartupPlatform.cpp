#include "FakeStartupPlatform.h"

#include <cstring>
#include <system_error>

#include "db/DatabaseError.h"
#include "db/StationLogin.h"

namespace vantrok::app::test {

using namespace std::chrono;

FakeStartupPlatform::Moment FakeStartupPlatform::at(int y, int mo, int d, int h, int mi, int s, int ms) {
    return sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

db::DateTime FakeStartupPlatform::toDateTime(Moment moment) {
    const auto days = floor<std::chrono::days>(moment);
    const year_month_day date{days};
    const hh_mm_ss time{moment - days};
    return {int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count()),
            int(time.subseconds().count()) * 1'000'000};
}

void FakeStartupPlatform::record(const std::string& call) {
    // Consecutive clock reads and sleeps are one "wait" in the call log.
    if (call == "wait" && !calls.empty() && calls.back() == "wait") return;
    calls.push_back(call);
}

long FakeStartupPlatform::countProcesses(std::string_view imageName) {
    record("count " + std::string(imageName));
    if (processQueryFails) throw std::system_error(std::make_error_code(std::errc::io_error), "query");
    return processCount;
}

int FakeStartupPlatform::readShortDatePattern(char* buffer, int size) {
    record("short date");
    shortDateReadAt = clock;
    if (localeCallFails || static_cast<int>(shortDatePattern.size()) >= size) return 0;
    std::memcpy(buffer, shortDatePattern.c_str(), shortDatePattern.size() + 1);
    return static_cast<int>(shortDatePattern.size()) + 1;
}

int FakeStartupPlatform::showMessage(const std::string& text, const std::string& title, unsigned style) {
    record("message");
    messages.push_back({text, title, style});
    return messageAnswer;
}

void FakeStartupPlatform::launch(const std::string& commandLine, int showMode) noexcept {
    record("launch");
    launches.emplace_back(commandLine, showMode);
}

db::DateTime FakeStartupPlatform::now() {
    record("wait");
    return toDateTime(clock);
}

void FakeStartupPlatform::sleepFor(milliseconds duration) {
    record("wait");
    clock += duration;
    slept += duration;
}

void FakeStartupPlatform::openConnections() {
    record("connect");
    if (connectionFailures > 0) {
        --connectionFailures;
        throw db::DatabaseError("opening the connection", {{"08001", 17, "server does not exist"}});
    }
    if (unusableLoginFailures > 0) {
        --unusableLoginFailures;
        throw db::unreadableStoredLogin("it was changed");
    }
}

void FakeStartupPlatform::setGallonFactor(double factor) {
    record("gallon factor");
    gallonFactors.push_back(factor);
}

void FakeStartupPlatform::showMainWindow() {
    record("window");
    if (windowFailures > 0) {
        --windowFailures;
        throw std::system_error(std::make_error_code(std::errc::not_enough_memory), "window");
    }
    ++windowsShown;
}

}  // namespace vantrok::app::test
