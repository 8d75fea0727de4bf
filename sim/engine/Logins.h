#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrok::sim {

// The object permissions the station checks, as SQL Server names them.
enum class Permission { Select, Insert, Update, Execute };

std::string_view permissionName(Permission permission);

// A permission on one object of one database, by the station's own names.
struct Grant {
    Permission permission;
    std::string database;
    std::string object;

    bool operator==(const Grant&) const = default;
    auto operator<=>(const Grant&) const = default;
};

// A table or procedure of one of the station's databases by its stored name
// (names compare case-insensitively), or nullopt.
std::optional<std::string> stationObject(std::string_view database, std::string_view name);

// "PERMISSION:DATABASE.OBJECT" ("SELECT:torvane.D17_DailySale"), names in any
// case; throws std::invalid_argument for a permission, database or object the
// station does not have.
Grant parseGrant(std::string_view text);
std::string grantText(const Grant& grant);

// Exactly what VANTROK and vantrok-check use, as docs/station-login.sql grants it.
std::vector<Grant> stationGrants();

// What a login may do once it has logged in. sa is sysadmin: it passes every check.
class LoginRights {
public:
    static LoginRights sysadmin(std::string name);
    LoginRights(std::string name, std::vector<Grant> grants);

    const std::string& name() const { return name_; }
    // A login has a user in each database it holds a right in.
    bool hasUser(std::string_view database) const;
    bool has(Permission permission, std::string_view database, std::string_view object) const;
    // Throws SimError 916 without a user in the database, 229 without the right.
    void require(Permission permission, std::string_view database, std::string_view object) const;

private:
    std::string name_;
    bool sysadmin_ = false;
    std::vector<Grant> grants_;
};

// The station's logins besides sa, kept in its folder: the password as a
// salted hash, so no station file holds it in clear. Adding a login that
// exists replaces its password and rights. Throws std::invalid_argument for a
// name the station cannot take.
void addLogin(const std::string& stationDir, const std::string& name, const std::string& password,
              const std::vector<Grant>& grants);
// The rights of a login whose password matches (SQL Server authentication:
// the name compares case-insensitively, the password exactly); nullopt otherwise.
std::optional<LoginRights> authenticate(const std::string& stationDir, std::string_view name,
                                        std::string_view password);

}  // namespace vantrok::sim
