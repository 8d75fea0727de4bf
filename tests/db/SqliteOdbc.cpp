#include "SqliteOdbc.h"

#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <stdexcept>

namespace vantrok::test {
namespace {

constexpr const char* driverLibrary = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

struct Registration {
    std::filesystem::path folder;

    Registration() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrok-db-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        folder = pattern;
        std::ofstream(folder / "odbcinst.ini") << "[SQLite3]\nDriver=" << driverLibrary << "\n";
        setenv("ODBCSYSINI", folder.c_str(), 1);
    }
    ~Registration() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

}  // namespace

const std::filesystem::path& SqliteOdbc::folder() {
    static Registration registration;
    return registration.folder;
}

std::string SqliteOdbc::newDatabase() {
    static std::atomic<int> next{0};
    return connectionText(folder() / ("db" + std::to_string(next++) + ".sqlite"));
}

std::string SqliteOdbc::connectionText(const std::filesystem::path& database) {
    return "driver=SQLite3;database=" + database.string();
}

}  // namespace vantrok::test
