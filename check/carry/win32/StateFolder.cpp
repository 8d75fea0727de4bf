#include <shlobj.h>
#include <windows.h>

#include <stdexcept>

#include "check/carry/JournalFolder.h"

namespace vantrok::check {

std::filesystem::path programStateFolder() {
    PWSTR folder = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder))) {
        CoTaskMemFree(folder);
        throw std::runtime_error("cannot find the program data folder");
    }
    std::filesystem::path path(folder);
    CoTaskMemFree(folder);
    return path / L"VANTROK";
}

}  // namespace vantrok::check
