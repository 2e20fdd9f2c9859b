// An in-memory registry behind the RegistryAccess seam: the installer rows are listed
// against it, and the native tests and the fuzzer run the interpreter on it. It keeps
// the Win32 rules the registry script code meets: names compared without regard to case
// in the code page given, an empty name meaning the key itself, access rights checked
// per handle, no deletion of a key that has subkeys, handles to deleted keys going
// stale. Paths are written "HKCR\A\B" with the short root names.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "registry_script/registry_access.h"

// The names along `path` ("HKCR\A\B" gives "HKCR", "A" and "B"), stepped one character at a
// time in `codePage`, so that a double-byte character's second byte is never taken for a
// backslash.
std::vector<std::string> splitRegistryPath(const CodePage& codePage, const std::string& path);

// The roots, by the short names that paths begin with.
struct MemoryRegistryRoot {
    const char* name;
    RegistryKey key;
};

inline constexpr MemoryRegistryRoot kMemoryRegistryRoots[] = {
    {"HKCR", kClassesRoot},     {"HKCU", kCurrentUser},   {"HKLM", kLocalMachine}, {"HKU", kUsers},
    {"HKPD", kPerformanceData}, {"HKCC", kCurrentConfig}, {"HKDD", kDynData},
};

class MemoryRegistry : public RegistryAccess {
public:
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> data;
    };

    explicit MemoryRegistry(const CodePage& codePage);
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    // Inspecting.
    bool hasKey(const std::string& path) const;
    std::optional<Value> value(const std::string& path, const std::string& name) const;
    std::vector<std::string> subKeyNames(const std::string& path) const;
    // The key's values, named ("" for the default value), in the order first written.
    std::vector<std::pair<std::string, Value>> valuesOf(const std::string& path) const;

    // RegistryAccess.
    long openKey(RegistryKey parent, const char* name, std::uint32_t access,
                 RegistryKey* key) override;
    long createKey(RegistryKey parent, const char* name, std::uint32_t access,
                   RegistryKey* key) override;
    long closeKey(RegistryKey key) override;
    long setValue(RegistryKey key, const char* name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override;
    long deleteKey(RegistryKey parent, const char* name) override;
    long deleteValue(RegistryKey key, const char* name) override;
    long enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override;
    long enumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override;
    long queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) override;

private:
    struct Node;
    struct NameLess {
        const CodePage* codePage;
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Node {
        std::string path;
        std::weak_ptr<Node> parent;
        std::map<std::string, std::shared_ptr<Node>, NameLess> children;
        std::vector<std::pair<std::string, Value>> values;
        bool deleted = false;
        explicit Node(std::string nodePath, const CodePage* codePage)
            : path(std::move(nodePath)), children(NameLess{codePage}) {}
    };
    struct Handle {
        std::shared_ptr<Node> node;
        std::uint32_t access;
    };

    // The node a handle refers to, with the access it grants; null and a status when
    // the handle is not usable.
    Node* resolve(RegistryKey key, std::uint32_t* access, long* status);
    std::string childPath(const Node& parent, const char* name) const;
    RegistryKey newHandle(const std::shared_ptr<Node>& node, std::uint32_t access);
    std::shared_ptr<Node> find(const std::string& path) const;
    std::shared_ptr<Node> findChild(const Node& parent, const std::string& name) const;
    bool sameName(const std::string& a, const std::string& b) const;

    const CodePage& codePage_;
    std::vector<std::pair<RegistryKey, std::shared_ptr<Node>>> roots_;
    std::map<std::uintptr_t, Handle> handles_;
    std::uintptr_t nextHandle_ = 0x100;
};
