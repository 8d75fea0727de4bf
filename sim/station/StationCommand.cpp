#include "sim/station/StationCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "sim/engine/Faults.h"
#include "sim/engine/Logins.h"
#include "sim/engine/StationFiles.h"
#include "sim/station/FreeTdsRoad.h"
#include "sim/station/Station.h"
#include "sim/station/Traffic.h"
#include "sim/tds/EncryptionSetting.h"
#include "sim/tds/Endpoint.h"

namespace vantrok::sim::station {

namespace {

constexpr const char* usage =
    "usage: vantrok-station COMMAND DIR ...\n"
    "  init DIR [--lenient]\n"
    "  register DIR [--driver PATH] [--trace]\n"
    "  register DIR --freetds [--port N] [--driver PATH] [--trace]\n"
    "  serve DIR [--port N]          TDS on 127.0.0.1 (default port 1433; 0 picks a free one)\n"
    "  encryption DIR [offer|refuse|force]   what the endpoint says of encryption (default offer)\n"
    "  exec DIR -- COMMAND [ARG...]  runs COMMAND as a client of the station as registered\n"
    "  delivery DIR --type T (--pump P --hose H | --hose-id N) --volume L --price U --value V\n"
    "           [--completed \"YYYY-MM-DD HH:MM:SS\"] [--cleared \"YYYY-MM-DD HH:MM:SS\" | --uncleared]\n"
    "           [--id N] [--meter-volume X --meter-value Y]      (a decimal may be null)\n"
    "  sales DIR\n"
    "  log DIR\n"
    "  fault DIR [NAME on|off|N]   refuse-connections, break-connections, proc-fails, backup-fails,\n"
    "                              backup-seconds N, hold-after-sale, clock YYYY-MM-DDTHH:MM:SS\n"
    "  traffic DIR --every SECONDS [--count N] [--seed S]\n"
    "  hose DIR --pump P --hose H (--fuel CODE | --null-fuel)\n"
    "  sql DIR DATABASE \"SQLITE STATEMENTS\"\n"
    "  login add DIR NAME (--password P | --password-stdin) --grant RIGHTS [--without RIGHTS]\n"
    "                              RIGHTS: PERMISSION:DATABASE.OBJECT,... or station (what\n"
    "                              docs/station-login.sql grants)\n";

class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// "--name value" options and "--flag" switches after the fixed arguments.
class Options {
public:
    Options(const std::vector<std::string>& args, std::size_t first, const std::set<std::string>& valued,
            const std::set<std::string>& flags) {
        for (std::size_t i = first; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (flags.count(a)) {
                if (!flags_.insert(a).second) throw UsageError(a + " is given twice");
            } else if (valued.count(a)) {
                if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
                if (!values_.emplace(a, args[++i]).second) throw UsageError(a + " is given twice");
            } else {
                throw UsageError("unknown argument '" + a + "'");
            }
        }
    }
    bool flag(const std::string& name) const { return flags_.count(name) > 0; }
    bool has(const std::string& name) const { return values_.count(name) > 0; }
    std::optional<std::string> text(const std::string& name) const {
        auto it = values_.find(name);
        return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::string required(const std::string& name) const {
        auto v = text(name);
        if (!v) throw UsageError(name + " is required");
        return *v;
    }
    std::optional<int> number(const std::string& name) const {
        auto v = text(name);
        if (!v) return std::nullopt;
        std::size_t used = 0;
        long n = 0;
        try {
            n = std::stol(*v, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != v->size() || v->empty() || n < -2147483648L || n > 2147483647L)
            throw UsageError(name + " takes a whole number, not '" + *v + "'");
        return static_cast<int>(n);
    }
    // A decimal text, or NULL when written "null".
    std::optional<std::string> decimal(const std::string& name) const {
        std::string v = required(name);
        if (v == "null" || v == "NULL") return std::nullopt;
        return v;
    }

private:
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
};

void noOptions(const std::vector<std::string>& args) { Options(args, 2, {}, {}); }

void requireCount(const std::vector<std::string>& args, std::size_t count, const std::string& shape) {
    if (args.size() < count) throw UsageError(args[0] + " takes " + shape);
}

int delivery(const std::vector<std::string>& args, std::ostream& out) {
    Options o(args, 2,
              {"--type", "--pump", "--hose", "--hose-id", "--volume", "--price", "--value", "--completed",
               "--cleared", "--id", "--meter-volume", "--meter-value"},
              {"--uncleared"});
    Delivery d;
    auto type = o.number("--type");
    if (!type) throw UsageError("--type is required");
    d.type = *type;
    d.pump = o.number("--pump");
    d.hose = o.number("--hose");
    d.hoseId = o.number("--hose-id");
    if (d.hoseId && (d.pump || d.hose)) throw UsageError("give --pump and --hose, or --hose-id, not both");
    if (!d.hoseId && !(d.pump && d.hose)) throw UsageError("--pump and --hose (or --hose-id) are required");
    d.volume = o.decimal("--volume");
    d.price = o.decimal("--price");
    d.value = o.decimal("--value");
    d.completed = o.text("--completed");
    d.cleared = o.text("--cleared");
    d.uncleared = o.flag("--uncleared");
    if (d.uncleared && d.cleared) throw UsageError("give --cleared or --uncleared, not both");
    d.id = o.number("--id");
    if (o.has("--meter-volume") != o.has("--meter-value"))
        throw UsageError("--meter-volume and --meter-value go together");
    if (o.has("--meter-volume")) {
        d.meterGiven = true;
        d.meterVolume = o.decimal("--meter-volume");
        d.meterValue = o.decimal("--meter-value");
    }
    out << addDelivery(args[1], d) << "\n";
    return 0;
}

int fault(const std::vector<std::string>& args, std::ostream& out) {
    requireStation(args[1]);
    if (args.size() == 2) {
        FaultState s = readFaults(args[1]);
        auto onOff = [](bool b) { return b ? "on" : "off"; };
        out << "refuse-connections " << onOff(s.refuseConnections) << "\nbreak-connections "
            << onOff(s.breakConnections) << "\nproc-fails " << onOff(s.procFails) << "\nbackup-fails "
            << onOff(s.backupFails) << "\nbackup-seconds " << s.backupSeconds << "\nhold-after-sale "
            << onOff(s.holdAfterSale) << "\nclock " << (s.clock.empty() ? "off" : s.clock) << "\n";
        return 0;
    }
    if (args.size() != 4) throw UsageError("fault takes DIR NAME on|off|N|YYYY-MM-DDTHH:MM:SS");
    try {
        switchFault(args[1], args[2], args[3]);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    return 0;
}

int traffic(const std::vector<std::string>& args, std::ostream& out, const std::atomic<bool>& stop) {
    Options o(args, 2, {"--every", "--count", "--seed"}, {});
    std::string every = o.required("--every");
    double seconds = 0;
    std::size_t used = 0;
    try {
        seconds = std::stod(every, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != every.size() || !(seconds > 0) || seconds > 86400)
        throw UsageError("--every takes a number of seconds greater than 0, not '" + every + "'");
    TrafficPlan plan;
    plan.every = std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000));
    if (auto count = o.number("--count")) {
        if (*count < 1) throw UsageError("--count takes a number of deliveries from 1");
        plan.count = *count;
    }
    plan.seed = static_cast<std::uint32_t>(o.number("--seed").value_or(static_cast<int>(std::time(nullptr))));
    runTraffic(args[1], plan, stop, out);
    return 0;
}

int registerDriver(const std::vector<std::string>& args, const std::string& simulatorDriver) {
    Options o(args, 2, {"--driver", "--port"}, {"--trace", "--freetds"});
    const bool freeTds = o.flag("--freetds");
    if (!freeTds && o.has("--port")) throw UsageError("--port goes with --freetds");
    const std::string driver = o.text("--driver").value_or(freeTds ? defaultFreeTdsDriver() : simulatorDriver);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(driver, ec))
        throw StationError("no ODBC driver at " + driver +
                           (freeTds ? " (Debian's package tdsodbc installs it)" : " (it is built by the target vantrok_sim_odbc)"));
    if (!freeTds) {
        registerStation(args[1], driver, o.flag("--trace"));
        return 0;
    }
    requireStation(args[1]);
    const int port = o.number("--port").value_or(1433);
    if (port < 1 || port > 65535) throw UsageError("--port takes a port number from 1 to 65535");
    writeFreeTdsRegistration(args[1], driver, static_cast<std::uint16_t>(port), o.flag("--trace"));
    return 0;
}

// Replaces this process with the client: the registration's environment,
// and for FreeTDS "(LOCAL)" mapped to the loopback for it alone.
int execClient(const std::vector<std::string>& args) {
    if (args.size() < 4 || args[2] != "--") throw UsageError("exec takes DIR -- COMMAND [ARG...]");
    requireStation(args[1]);
    const std::string dir = std::filesystem::absolute(args[1]).string();
    if (std::optional<std::uint16_t> port = registeredTdsPort(dir)) {
        setFreeTdsEnvironment(dir, *port);
        mapLocalToLoopback(dir);
    } else {
        ::setenv("ODBCSYSINI", dir.c_str(), 1);
    }
    std::vector<char*> argv;
    for (std::size_t i = 3; i < args.size(); ++i) argv.push_back(const_cast<char*>(args[i].c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    throw StationError("cannot run " + args[3] + ": " + std::strerror(errno));
}

int serve(const std::vector<std::string>& args, std::ostream& out, const std::atomic<bool>& stop) {
    Options o(args, 2, {"--port"}, {});
    const int port = o.number("--port").value_or(1433);
    if (port < 0 || port > 65535) throw UsageError("--port takes a port number from 0 to 65535");
    requireStation(args[1]);
    tds::Endpoint endpoint(std::filesystem::absolute(args[1]).string(), static_cast<std::uint16_t>(port));
    out << "listening on 127.0.0.1:" << endpoint.port() << std::endl;
    endpoint.serve(stop);
    return 0;
}

int encryption(const std::vector<std::string>& args, std::ostream& out) {
    requireStation(args[1]);
    if (args.size() == 2) {
        out << tds::policyName(tds::readEncryptionPolicy(args[1])) << "\n";
        return 0;
    }
    if (args.size() != 3) throw UsageError("encryption takes DIR [offer|refuse|force]");
    std::optional<tds::EncryptionPolicy> policy = tds::policyNamed(args[2]);
    if (!policy) throw UsageError("encryption takes offer, refuse or force, not '" + args[2] + "'");
    tds::writeEncryptionPolicy(args[1], *policy);
    return 0;
}

int hose(const std::vector<std::string>& args) {
    Options o(args, 2, {"--pump", "--hose", "--fuel"}, {"--null-fuel"});
    if (o.has("--fuel") == o.flag("--null-fuel")) throw UsageError("give --fuel CODE or --null-fuel");
    auto pump = o.number("--pump");
    auto number = o.number("--hose");
    if (!pump || !number) throw UsageError("--pump and --hose are required");
    setHoseFuel(args[1], *pump, *number, o.text("--fuel"));
    return 0;
}

// "station" stands for the rights the station login script grants.
std::vector<Grant> grantList(const std::string& list) {
    std::vector<Grant> grants;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        const std::size_t end = std::min(list.find(',', begin), list.size());
        const std::string item = list.substr(begin, end - begin);
        if (item == "station") {
            for (Grant& grant : stationGrants()) grants.push_back(std::move(grant));
        } else {
            try {
                grants.push_back(parseGrant(item));
            } catch (const std::invalid_argument& e) {
                throw UsageError(e.what());
            }
        }
        begin = end + 1;
    }
    return grants;
}

// The line given on standard input, without its line break.
std::string passwordFromInput() {
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

int addLoginCommand(const std::vector<std::string>& args) {
    if (args.size() < 3 || args[1] != "add") throw UsageError("login takes add DIR NAME ...");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    requireCount(rest, 3, "add DIR NAME");
    Options o(rest, 3, {"--password", "--grant", "--without"}, {"--password-stdin"});
    if (o.has("--password") == o.flag("--password-stdin")) throw UsageError("give --password P or --password-stdin");
    std::vector<Grant> grants = grantList(o.required("--grant"));
    if (auto without = o.text("--without"))
        for (const Grant& dropped : grantList(*without)) std::erase(grants, dropped);
    requireStation(rest[1]);
    const std::string password = o.flag("--password-stdin") ? passwordFromInput() : o.required("--password");
    try {
        addLogin(rest[1], rest[2], password, grants);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    return 0;
}

int dispatch(const std::vector<std::string>& args, const std::string& driverPath, std::ostream& out,
             const std::atomic<bool>& stop) {
    const std::string& command = args[0];
    requireCount(args, 2, "a station folder DIR");
    if (command == "login") return addLoginCommand(args);
    const std::string& dir = args[1];
    if (command == "init") {
        Options o(args, 2, {}, {"--lenient"});
        initStation(dir, o.flag("--lenient") ? Strictness::Lenient : Strictness::Strict);
        return 0;
    }
    if (command == "register") return registerDriver(args, driverPath);
    if (command == "exec") return execClient(args);
    if (command == "delivery") return delivery(args, out);
    if (command == "sales") {
        noOptions(args);
        out << salesCsv(dir);
        return 0;
    }
    if (command == "log") {
        noOptions(args);
        requireStation(dir);
        // As stored: one line per statement, its tabs and line breaks escaped.
        std::ifstream log(statementLogFile(dir));
        if (log.peek() != std::ifstream::traits_type::eof()) out << log.rdbuf();
        return 0;
    }
    if (command == "fault") return fault(args, out);
    if (command == "traffic") return traffic(args, out, stop);
    if (command == "serve") return serve(args, out, stop);
    if (command == "encryption") return encryption(args, out);
    if (command == "hose") return hose(args);
    if (command == "sql") {
        if (args.size() != 4) throw UsageError("sql takes DIR DATABASE \"STATEMENTS\"");
        out << runSql(dir, args[2], args[3]);
        return 0;
    }
    throw UsageError("unknown command '" + command + "'");
}

}  // namespace

int runStationCommand(const std::vector<std::string>& args, const std::string& driverPath, std::ostream& out,
                      std::ostream& err, const std::atomic<bool>& stop) {
    if (args.empty()) {
        err << usage;
        return 2;
    }
    try {
        return dispatch(args, driverPath, out, stop);
    } catch (const UsageError& e) {
        err << "vantrok-station: " << e.what() << "\n" << usage;
        return 2;
    } catch (const std::exception& e) {
        err << "vantrok-station " << args[0] << ": " << e.what() << "\n";
        return 1;
    }
}

}  // namespace vantrok::sim::station
