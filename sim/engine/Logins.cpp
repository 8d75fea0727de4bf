#include "sim/engine/Logins.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/StationFiles.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

constexpr std::array<std::pair<Permission, std::string_view>, 4> permissionNames = {{
    {Permission::Select, "SELECT"},
    {Permission::Insert, "INSERT"},
    {Permission::Update, "UPDATE"},
    {Permission::Execute, "EXECUTE"},
}};

}  // namespace

std::optional<std::string> stationObject(std::string_view database, std::string_view name) {
    std::vector<std::string_view> objects;
    if (database == controllerDatabase) {
        for (const TableDef& table : controllerTables()) objects.push_back(table.name);
    } else if (database == salesDatabase) {
        for (const TableDef& table : salesTables()) objects.push_back(table.name);
        objects.push_back(dailySaleProcedure);
        objects.push_back(backupProcedure);
    }
    for (std::string_view object : objects)
        if (equalsIgnoreCase(object, name)) return std::string(object);
    return std::nullopt;
}

namespace {

// Not a protection of its own (the station is a test fixture): it keeps the
// password out of the station's files, as the server keeps only a hash.
std::string passwordHash(std::string_view salt, std::string_view password) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::string_view part : {salt, std::string_view("\n"), password})
        for (unsigned char c : part) hash = (hash ^ c) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string newSalt() {
    std::random_device random;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", random(), random());
    return text;
}

std::string loginsFile(const std::string& stationDir) { return stationDir + "/logins"; }

// One line per login: name, salt, hash and its grants, separated by tabs.
struct StoredLogin {
    std::string name;
    std::string salt;
    std::string hash;
    std::vector<Grant> grants;
};

std::vector<StoredLogin> readLogins(const std::string& stationDir) {
    std::vector<StoredLogin> logins;
    std::ifstream in(loginsFile(stationDir));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        StoredLogin login;
        if (!std::getline(fields, login.name, '\t') || !std::getline(fields, login.salt, '\t') ||
            !std::getline(fields, login.hash, '\t'))
            continue;
        std::string grant;
        while (std::getline(fields, grant, '\t'))
            if (!grant.empty()) login.grants.push_back(parseGrant(grant));
        logins.push_back(std::move(login));
    }
    return logins;
}

void writeLogins(const std::string& stationDir, const std::vector<StoredLogin>& logins) {
    const std::string path = loginsFile(stationDir);
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const StoredLogin& login : logins) {
            out << login.name << '\t' << login.salt << '\t' << login.hash;
            for (const Grant& grant : login.grants) out << '\t' << grantText(grant);
            out << '\n';
        }
        if (!out.flush()) throw std::runtime_error("cannot write " + temporary);
    }
    // Connections read the file while a login is added: they see it whole or not at all.
    std::filesystem::rename(temporary, path);
}

}  // namespace

std::string_view permissionName(Permission permission) {
    for (const auto& [known, name] : permissionNames)
        if (known == permission) return name;
    return {};
}

Grant parseGrant(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::size_t dot = text.find('.', colon == std::string_view::npos ? 0 : colon);
    if (colon == std::string_view::npos || dot == std::string_view::npos)
        throw std::invalid_argument("a grant reads PERMISSION:DATABASE.OBJECT, not '" + std::string(text) + "'");
    const std::string_view permissionText = text.substr(0, colon);
    const auto permission = std::find_if(permissionNames.begin(), permissionNames.end(),
                                         [&](const auto& known) { return equalsIgnoreCase(known.second, permissionText); });
    if (permission == permissionNames.end())
        throw std::invalid_argument("no permission " + std::string(permissionText) +
                                    " (SELECT, INSERT, UPDATE or EXECUTE)");
    const std::string_view databaseText = text.substr(colon + 1, dot - colon - 1);
    const std::string_view objectText = text.substr(dot + 1);
    const std::optional<std::string> database = stationDatabase(databaseText);
    const std::optional<std::string> object = database ? stationObject(*database, objectText) : std::nullopt;
    if (!object)
        throw std::invalid_argument("the station has no object " + std::string(objectText) + " in database " +
                                    std::string(databaseText));
    return Grant{permission->first, *database, *object};
}

std::string grantText(const Grant& grant) {
    return std::string(permissionName(grant.permission)) + ":" + grant.database + "." + grant.object;
}

std::vector<Grant> stationGrants() {
    const std::string controller(controllerDatabase);
    const std::string sales(salesDatabase);
    return {
        {Permission::Select, controller, "Hose_Delivery"},
        {Permission::Select, controller, "Hoses"},
        {Permission::Select, sales, "D17_DailySale"},
        {Permission::Update, sales, "D17_DailySale"},
        {Permission::Select, sales, "D10_Hose"},
        {Permission::Select, sales, "d1_fueltype"},
        {Permission::Select, sales, "d9_tank"},
        {Permission::Execute, sales, std::string(dailySaleProcedure)},
        {Permission::Execute, sales, std::string(backupProcedure)},
    };
}

LoginRights LoginRights::sysadmin(std::string name) {
    LoginRights rights(std::move(name), {});
    rights.sysadmin_ = true;
    return rights;
}

LoginRights::LoginRights(std::string name, std::vector<Grant> grants)
    : name_(std::move(name)), grants_(std::move(grants)) {}

bool LoginRights::hasUser(std::string_view database) const {
    return sysadmin_ ||
           std::any_of(grants_.begin(), grants_.end(), [&](const Grant& g) { return equalsIgnoreCase(g.database, database); });
}

bool LoginRights::has(Permission permission, std::string_view database, std::string_view object) const {
    return sysadmin_ || std::any_of(grants_.begin(), grants_.end(), [&](const Grant& g) {
               return g.permission == permission && equalsIgnoreCase(g.database, database) &&
                      equalsIgnoreCase(g.object, object);
           });
}

void LoginRights::require(Permission permission, std::string_view database, std::string_view object) const {
    if (!hasUser(database)) throw errors::noDatabaseAccess(name_, database);
    if (!has(permission, database, object)) throw errors::permissionDenied(permissionName(permission), object, database);
}

void addLogin(const std::string& stationDir, const std::string& name, const std::string& password,
              const std::vector<Grant>& grants) {
    if (name.empty() || name.size() > 128 || name.find_first_of("\t\r\n") != std::string::npos)
        throw std::invalid_argument("a login name has 1 to 128 characters and no tabs or line breaks");
    if (equalsIgnoreCase(name, "sa")) throw std::invalid_argument("sa is the station's own login");
    if (password.empty()) throw std::invalid_argument("a login needs a password");
    std::vector<StoredLogin> logins = readLogins(stationDir);
    std::erase_if(logins, [&](const StoredLogin& l) { return equalsIgnoreCase(l.name, name); });
    std::vector<Grant> kept = grants;
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    const std::string salt = newSalt();
    logins.push_back({name, salt, passwordHash(salt, password), std::move(kept)});
    writeLogins(stationDir, logins);
}

std::optional<LoginRights> authenticate(const std::string& stationDir, std::string_view name,
                                        std::string_view password) {
    for (StoredLogin& login : readLogins(stationDir))
        if (equalsIgnoreCase(login.name, name) && login.hash == passwordHash(login.salt, password))
            return LoginRights(std::move(login.name), std::move(login.grants));
    return std::nullopt;
}

}  // namespace vantrok::sim
