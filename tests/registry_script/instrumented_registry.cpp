#include "tests/registry_script/instrumented_registry.h"

#include <cstdio>
#include <stdexcept>

namespace {

namespace status = registry_status;

bool writes(std::uint32_t access) { return (access & ~registry_access::kRead) != 0; }

}  // namespace

const char* operationName(InstrumentedRegistry::Operation operation) {
    switch (operation) {
        case InstrumentedRegistry::Operation::kOpen:
            return "open";
        case InstrumentedRegistry::Operation::kCreate:
            return "create";
        case InstrumentedRegistry::Operation::kClose:
            return "close";
        case InstrumentedRegistry::Operation::kSetValue:
            return "set value";
        case InstrumentedRegistry::Operation::kDeleteKey:
            return "delete key";
        case InstrumentedRegistry::Operation::kDeleteValue:
            return "delete value";
        case InstrumentedRegistry::Operation::kEnumerate:
            return "enumerate";
        case InstrumentedRegistry::Operation::kQueryInfo:
            return "query info";
    }
    return "?";
}

RegistryKey InstrumentedRegistry::createPath(const std::string& path) {
    const std::vector<std::string> parts = splitRegistryPath(codePage_, path);
    RegistryKey key = kNoRegistryKey;
    for (const MemoryRegistryRoot& root : kMemoryRegistryRoots) {
        if (sameName(root.name, parts[0])) key = root.key;
    }
    if (key == kNoRegistryKey) throw std::invalid_argument("no such root: " + path);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        RegistryKey child = kNoRegistryKey;
        const long result =
            MemoryRegistry::createKey(key, parts[i].c_str(), registry_access::kAllAccess, &child);
        MemoryRegistry::closeKey(key);  // a root is not closed by this
        if (result != status::kSuccess) throw std::runtime_error("cannot create " + path);
        key = child;
    }
    return key;
}

void InstrumentedRegistry::addKey(const std::string& path) {
    MemoryRegistry::closeKey(createPath(path));
}

void InstrumentedRegistry::addValue(const std::string& path, const std::string& name,
                                    std::uint32_t type, const std::vector<unsigned char>& data) {
    const RegistryKey key = createPath(path);
    const long result = MemoryRegistry::setValue(key, name.c_str(), type, data.data(),
                                                 static_cast<std::uint32_t>(data.size()));
    MemoryRegistry::closeKey(key);
    if (result != status::kSuccess) throw std::runtime_error("cannot set a value of " + path);
}

void InstrumentedRegistry::addString(const std::string& path, const std::string& name,
                                     const std::string& text) {
    std::vector<unsigned char> data(text.begin(), text.end());
    data.push_back(0);
    addValue(path, name, registry_type::kString, data);
}

void InstrumentedRegistry::dumpKey(const std::string& path, std::string& out) const {
    out += path + "\n";
    for (const auto& value : valuesOf(path)) {
        out += path + " [" + value.first + "] " + std::to_string(value.second.type) + ":";
        for (unsigned char byte : value.second.data) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            out += hex;
        }
        out += "\n";
    }
    for (const std::string& child : subKeyNames(path)) dumpKey(path + "\\" + child, out);
}

std::string InstrumentedRegistry::dump() const {
    std::string out;
    for (const MemoryRegistryRoot& root : kMemoryRegistryRoots) dumpKey(root.name, out);
    return out;
}

void InstrumentedRegistry::makeReadOnly(const std::string& path) {
    addKey(path);
    readOnly_.push_back(path);
}

std::size_t InstrumentedRegistry::calls(Operation operation) const {
    const auto found = calls_.find(operation);
    return found == calls_.end() ? 0 : found->second;
}

bool InstrumentedRegistry::sameName(const std::string& a, const std::string& b) const {
    return codePage_.CompareNoCase(a.c_str(), b.c_str()) == 0;
}

bool InstrumentedRegistry::pathOf(RegistryKey key, std::string& path) {
    for (const MemoryRegistryRoot& root : kMemoryRegistryRoots) {
        if (root.key == key) {
            path = root.name;
            return true;
        }
    }
    const auto found = paths_.find(key);
    if (found == paths_.end()) {
        ++invalidHandleUses_;
        return false;
    }
    path = found->second;
    return true;
}

std::string InstrumentedRegistry::childPath(const std::string& parent, const char* name) {
    return *name ? parent + "\\" + name : parent;
}

long InstrumentedRegistry::injected(Operation operation, const std::string& path) {
    ++calls_[operation];
    for (const Failure& failure : failures_) {
        if (failure.operation == operation && sameName(failure.path, path)) return failure.status;
    }
    return status::kSuccess;
}

bool InstrumentedRegistry::isReadOnly(const std::string& path) const {
    for (const std::string& readOnly : readOnly_) {
        if (sameName(readOnly, path)) return true;
    }
    return false;
}

long InstrumentedRegistry::opened(long result, RegistryKey* key, const std::string& path) {
    if (result == status::kSuccess) paths_[*key] = path;
    return result;
}

long InstrumentedRegistry::openKey(RegistryKey parent, const char* name, std::uint32_t access,
                                   RegistryKey* key) {
    std::string parentPath;
    if (!key || !name || !pathOf(parent, parentPath)) {
        return MemoryRegistry::openKey(parent, name, access, key);
    }
    const std::string path = childPath(parentPath, name);
    if (const long failure = injected(Operation::kOpen, path)) {
        *key = kNoRegistryKey;
        return failure;
    }
    const long result = MemoryRegistry::openKey(parent, name, access, key);
    if (result == status::kSuccess && isReadOnly(path) && writes(access)) {
        MemoryRegistry::closeKey(*key);
        *key = kNoRegistryKey;
        return status::kAccessDenied;
    }
    return opened(result, key, path);
}

long InstrumentedRegistry::createKey(RegistryKey parent, const char* name, std::uint32_t access,
                                     RegistryKey* key) {
    std::string parentPath;
    if (!key || !name || !pathOf(parent, parentPath)) {
        return MemoryRegistry::createKey(parent, name, access, key);
    }
    const std::string path = childPath(parentPath, name);
    if (const long failure = injected(Operation::kCreate, path)) {
        *key = kNoRegistryKey;
        return failure;
    }
    const bool exists = hasKey(path);
    if ((!exists && isReadOnly(parentPath)) || (exists && isReadOnly(path) && writes(access))) {
        *key = kNoRegistryKey;
        return status::kAccessDenied;
    }
    return opened(MemoryRegistry::createKey(parent, name, access, key), key, path);
}

// Closing a root closes nothing and is not counted, as for the predefined keys themselves.
long InstrumentedRegistry::closeKey(RegistryKey key) {
    const auto found = paths_.find(key);
    if (found == paths_.end()) {
        std::string root;
        pathOf(key, root);  // counts a use of a handle that is no root
        return MemoryRegistry::closeKey(key);
    }
    const std::string path = found->second;
    paths_.erase(found);
    const long result = MemoryRegistry::closeKey(key);
    const long failure = injected(Operation::kClose, path);
    return failure ? failure : result;
}

long InstrumentedRegistry::setValue(RegistryKey key, const char* name, std::uint32_t type,
                                    const unsigned char* data, std::uint32_t size) {
    std::string path;
    if (pathOf(key, path)) {
        if (const long failure = injected(Operation::kSetValue, path)) return failure;
        if (isReadOnly(path)) return status::kAccessDenied;
    }
    return MemoryRegistry::setValue(key, name, type, data, size);
}

long InstrumentedRegistry::deleteKey(RegistryKey parent, const char* name) {
    std::string parentPath;
    if (name && pathOf(parent, parentPath)) {
        const std::string path = childPath(parentPath, name);
        if (const long failure = injected(Operation::kDeleteKey, path)) return failure;
        if (isReadOnly(path)) return status::kAccessDenied;
    }
    return MemoryRegistry::deleteKey(parent, name);
}

long InstrumentedRegistry::deleteValue(RegistryKey key, const char* name) {
    std::string path;
    if (pathOf(key, path)) {
        if (const long failure = injected(Operation::kDeleteValue, path)) return failure;
        if (isReadOnly(path)) return status::kAccessDenied;
    }
    return MemoryRegistry::deleteValue(key, name);
}

long InstrumentedRegistry::enumKey(RegistryKey key, std::uint32_t index, char* name,
                                   std::uint32_t size) {
    std::string path;
    if (pathOf(key, path)) {
        if (const long failure = injected(Operation::kEnumerate, path)) return failure;
    }
    return MemoryRegistry::enumKey(key, index, name, size);
}

long InstrumentedRegistry::enumValue(RegistryKey key, std::uint32_t index, char* name,
                                     std::uint32_t size) {
    std::string path;
    if (pathOf(key, path)) {
        if (const long failure = injected(Operation::kEnumerate, path)) return failure;
    }
    return MemoryRegistry::enumValue(key, index, name, size);
}

long InstrumentedRegistry::queryInfo(RegistryKey key, std::uint32_t* subKeys,
                                     std::uint32_t* values) {
    std::string path;
    if (pathOf(key, path)) {
        if (const long failure = injected(Operation::kQueryInfo, path)) return failure;
    }
    return MemoryRegistry::queryInfo(key, subKeys, values);
}
