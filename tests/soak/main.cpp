// vantrok-soak: runs the bridge against a temporary simulated station over
// simulated days with faults and poison rows, and prints the figures.
// Exit 0 when nothing was lost or duplicated, 1 when something was, 2 on bad
// arguments.
#include <charconv>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "tests/soak/Soak.h"
#include "tests/soak/SoakReport.h"

namespace {

class StderrEcho final : public vantrok::Trace {
public:
    void write(std::string_view line) override { std::cerr << line << '\n'; }
};

template <class Number>
Number number(std::string_view option, const char* text) {
    Number value{};
    const std::string_view digits(text);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size())
        throw std::invalid_argument(std::string(option) + " takes a whole number, not '" + std::string(digits) + "'");
    return value;
}

constexpr const char* usage =
    "usage: vantrok-soak [--seed N] [--days N] [--ticks N] [--from YYYY-MM-DD] [--time-outs N] [--trace]\n"
    "  --ticks: import ticks over all days (backup ticks come on their own schedule)\n"
    "  --time-outs: about this many backups outlast the command time-out (30 s each)\n"
    "  --trace: every error the ticks caught, on standard error\n";

}  // namespace

int main(int argc, char** argv) {
    vantrok::soak::SoakPlan plan;
    bool trace = false;
    int timeOuts = 0;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view option = argv[i];
            if (option == "--trace") {
                trace = true;
                continue;
            }
            if (i + 1 >= argc) throw std::invalid_argument(std::string(option) + " needs a value");
            const char* value = argv[++i];
            if (option == "--seed") plan.seed = number<std::uint64_t>(option, value);
            else if (option == "--days") plan.days = number<int>(option, value);
            else if (option == "--ticks") plan.importTicks = number<int>(option, value);
            else if (option == "--from") plan.firstDay = value;
            else if (option == "--time-outs") timeOuts = number<int>(option, value);
            else throw std::invalid_argument("unknown option " + std::string(option));
        }
        vantrok::soak::checkPlan(plan);
        plan.faults.backupTimeOut = timeOuts / vantrok::soak::expectedBackupTicks(plan);
    } catch (const std::exception& error) {
        std::cerr << "vantrok-soak: " << error.what() << "\n" << usage;
        return 2;
    }
    try {
        vantrok::testing::TestStation station;
        StderrEcho echo;
        const auto figures = vantrok::soak::runSoak(plan, station, trace ? &echo : nullptr);
        std::cout << vantrok::soak::report(plan, figures);
        return figures.sound() ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "vantrok-soak: " << error.what() << "\n";
        return 1;
    }
}
