#include <stdexcept>

#include "db/MachineLoginVault.h"

namespace vantrok::db {

namespace {

class NoMachineVault final : public LoginVault {
public:
    std::optional<StationLogin> load() const override { return std::nullopt; }
    std::optional<StoredLoginInfo> info() const override { return std::nullopt; }
    void store(const StationLogin&, const std::string&) override {
        throw std::runtime_error("a station login is stored only on Windows");
    }
    void clear() override {}
};

}  // namespace

std::unique_ptr<LoginVault> machineLoginVault() { return std::make_unique<NoMachineVault>(); }

}  // namespace vantrok::db
