#include <windows.h>
#include <dpapi.h>
#include <sddl.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "db/DatabaseError.h"
#include "db/LoginEntry.h"
#include "db/MachineLoginVault.h"

namespace vantrok::db {

namespace {

constexpr const char* keyPath = "SOFTWARE\\VANTROK";
constexpr const char* valueName = "StationLogin";
// The 64-bit view from a 32-bit program too: one entry per machine.
constexpr REGSAM view = KEY_WOW64_64KEY;
// Administrators and SYSTEM may change the key; users may read it, as
// VANTROK runs in the user's session. Not inherited from SOFTWARE.
constexpr const char* keyAcl = "D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)(A;OICI;KR;;;BU)";
// The program's own entropy: another program of the machine cannot unprotect
// the entry with DPAPI alone.
constexpr char entropyBytes[] = "VANTROK/station-login/7f3a9c21e4b8";

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

std::string windowsError(const std::string& what, DWORD code) {
    return what + " (Windows error " + std::to_string(code) + ")";
}

DATA_BLOB blobOf(const std::string& bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

DATA_BLOB programEntropy() {
    return DATA_BLOB{sizeof entropyBytes - 1, reinterpret_cast<BYTE*>(const_cast<char*>(entropyBytes))};
}

std::string protect(const std::string& plain) {
    DATA_BLOB in = blobOf(plain);
    DATA_BLOB entropy = programEntropy();
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"VANTROK station login", &entropy, nullptr, nullptr,
                          CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw std::runtime_error(windowsError("cannot protect the login", GetLastError()));
    std::unique_ptr<BYTE, LocalFreer> owned(out.pbData);
    return std::string(reinterpret_cast<const char*>(out.pbData), out.cbData);
}

// Throws DatabaseError: a stored entry that cannot be used stops the connection.
std::string unprotect(const std::string& stored) {
    DATA_BLOB in = blobOf(stored);
    DATA_BLOB entropy = programEntropy();
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        throw unreadableStoredLogin(windowsError("it cannot be unprotected on this PC, or was changed", GetLastError()));
    std::unique_ptr<BYTE, LocalFreer> owned(out.pbData);
    std::string plain(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    return plain;
}

class RegistryLoginVault final : public LoginVault {
public:
    std::optional<StationLogin> load() const override {
        std::optional<LoginEntry> entry = read();
        if (!entry) return std::nullopt;
        return entry->login;
    }

    std::optional<StoredLoginInfo> info() const override {
        std::optional<LoginEntry> entry = read();
        if (!entry) return std::nullopt;
        return StoredLoginInfo{entry->login.name, entry->setAt};
    }

    void store(const StationLogin& login, const std::string& setAt) override {
        const std::string blob = protect(encodeLoginEntry({login, setAt}));
        Key key = openForChange();
        const LSTATUS status = RegSetValueExA(key.get(), valueName, 0, REG_BINARY,
                                              reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()));
        if (status != ERROR_SUCCESS) throw std::runtime_error(windowsError("cannot store the login", status));
    }

    void clear() override {
        HKEY raw = nullptr;
        LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE | view, &raw);
        if (status == ERROR_FILE_NOT_FOUND) return;
        if (status != ERROR_SUCCESS) throw std::runtime_error(windowsError("cannot open VANTROK's key", status));
        Key key(raw);
        status = RegDeleteValueA(key.get(), valueName);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            throw std::runtime_error(windowsError("cannot remove the login", status));
    }

private:
    static std::optional<LoginEntry> read() {
        HKEY raw = nullptr;
        LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | view, &raw);
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS) throw unreadableStoredLogin(windowsError("VANTROK's key cannot be opened", status));
        Key key(raw);
        DWORD type = 0;
        DWORD size = 0;
        status = RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS || type != REG_BINARY || size == 0)
            throw unreadableStoredLogin(windowsError("the entry is not one VANTROK wrote", status));
        std::string stored(size, '\0');
        status = RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(stored.data()), &size);
        if (status != ERROR_SUCCESS) throw unreadableStoredLogin(windowsError("the entry cannot be read", status));
        stored.resize(size);
        try {
            return decodeLoginEntry(unprotect(stored));
        } catch (const std::invalid_argument&) {
            throw unreadableStoredLogin("the entry is not one VANTROK wrote");
        }
    }

    // Creates the key with its ACL, or sets the ACL on a key that was there.
    static Key openForChange() {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(keyAcl, SDDL_REVISION_1, &descriptor, nullptr))
            throw std::runtime_error(windowsError("cannot build the key's access list", GetLastError()));
        std::unique_ptr<void, LocalFreer> ownedDescriptor(descriptor);
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        HKEY raw = nullptr;
        LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE | WRITE_DAC | view, &attributes, &raw, nullptr);
        if (status != ERROR_SUCCESS)
            throw std::runtime_error(windowsError("cannot write VANTROK's key (run as an administrator)", status));
        Key key(raw);
        status = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
        if (status != ERROR_SUCCESS) throw std::runtime_error(windowsError("cannot set the key's access list", status));
        return key;
    }
};

}  // namespace

std::unique_ptr<LoginVault> machineLoginVault() { return std::make_unique<RegistryLoginVault>(); }

}  // namespace vantrok::db
