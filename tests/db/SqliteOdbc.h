#pragma once

#include <filesystem>
#include <string>

namespace vantrok::test {

// Debian's SQLite ODBC driver, registered in a private odbcinst.ini so the
// real driver manager loads it. The registration is made once per process,
// before the first ODBC call; every call gives a new, empty database file.
class SqliteOdbc {
public:
    static const std::filesystem::path& folder();
    // A connection text for a fresh database file in the private folder.
    static std::string newDatabase();
    static std::string connectionText(const std::filesystem::path& database);
};

}  // namespace vantrok::test
