#include "sim/tds/EncryptionSetting.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace vantrok::sim::tds {

namespace {

constexpr std::array<std::pair<EncryptionPolicy, std::string_view>, 3> names = {{
    {EncryptionPolicy::Offer, "offer"},
    {EncryptionPolicy::Refuse, "refuse"},
    {EncryptionPolicy::Force, "force"},
}};

std::string settingFile(const std::string& stationDir) { return stationDir + "/encryption"; }

}  // namespace

std::string_view policyName(EncryptionPolicy policy) {
    for (const auto& [each, name] : names)
        if (each == policy) return name;
    return "offer";
}

std::optional<EncryptionPolicy> policyNamed(std::string_view name) {
    for (const auto& [policy, each] : names)
        if (each == name) return policy;
    return std::nullopt;
}

EncryptionPolicy readEncryptionPolicy(const std::string& stationDir) {
    std::ifstream in(settingFile(stationDir));
    std::string word;
    if (!(in >> word)) return EncryptionPolicy::Offer;
    return policyNamed(word).value_or(EncryptionPolicy::Offer);
}

void writeEncryptionPolicy(const std::string& stationDir, EncryptionPolicy policy) {
    const std::string file = settingFile(stationDir), next = file + ".new";
    {
        std::ofstream out(next, std::ios::trunc);
        out << policyName(policy) << "\n";
        if (!out.flush()) throw std::runtime_error("cannot write " + next);
    }
    std::filesystem::rename(next, file);
}

}  // namespace vantrok::sim::tds
