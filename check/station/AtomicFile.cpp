#include "check/station/AtomicFile.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace vantrok::check {

void replaceFile(const std::string& path, const std::string& content) {
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("cannot write " + temporary.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("cannot replace " + path + ": " + error.message());
    }
}

}  // namespace vantrok::check
