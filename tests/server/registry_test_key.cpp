#include "tests/server/registry_test_key.h"

#include <shlwapi.h>

#include <cstring>

#include "tests/common/registry_key.h"

namespace {

// An open key of HKEY_CURRENT_USER, closed with its scope.
class ReadKey {
public:
    explicit ReadKey(const std::string& path) {
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key_.receive());
    }
    HKEY get() const { return key_.get(); }

private:
    RegistryKeyHandle key_;
};

}  // namespace

void deleteTestKeys() {
    for (const std::string& name : subKeyNames("Software")) {
        if (name.rfind("TovakTest.Interp", 0) == 0) {
            SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + name).c_str());
        }
    }
}

bool keyExists(const std::string& path) { return ReadKey(path).get() != nullptr; }

std::vector<std::string> subKeyNames(const std::string& path) {
    std::vector<std::string> names;
    const ReadKey key(path);
    if (!key.get()) return names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<RegistryValue> queryValue(const std::string& path, const char* name) {
    const ReadKey key(path);
    if (!key.get()) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue value{type, std::vector<unsigned char>(size)};
    if (RegQueryValueExA(key.get(), name, nullptr, &type, value.data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    return value;
}

std::optional<std::string> queryString(const std::string& path, const char* name) {
    const auto value = queryValue(path, name);
    if (!value || value->type != REG_SZ || value->data.empty() || value->data.back() != 0) {
        return std::nullopt;
    }
    return std::string(value->data.begin(), value->data.end() - 1);
}
