#include "registry_script/memory_registry.h"

#include <cstring>

namespace {

using registry_access::kCreateSubKey;
using registry_access::kEnumerateSubKeys;
using registry_access::kQueryValue;
using registry_access::kSetValue;
namespace status = registry_status;

constexpr std::uint32_t kFullAccess = 0xFFFFFFFFu;

}  // namespace

bool MemoryRegistry::NameLess::operator()(const std::string& a, const std::string& b) const {
    return codePage->CompareNoCase(a.c_str(), b.c_str()) < 0;
}

MemoryRegistry::MemoryRegistry(const CodePage& codePage) : codePage_(codePage) {
    for (const MemoryRegistryRoot& root : kMemoryRegistryRoots) {
        roots_.emplace_back(root.key, std::make_shared<Node>(root.name, &codePage_));
    }
}

MemoryRegistry::~MemoryRegistry() = default;

bool MemoryRegistry::sameName(const std::string& a, const std::string& b) const {
    return codePage_.CompareNoCase(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> splitRegistryPath(const CodePage& codePage, const std::string& path) {
    std::vector<std::string> parts(1);
    for (const char* p = path.c_str(); *p;) {
        const char* next = codePage.Next(p);
        if (*p == '\\') {
            parts.emplace_back();
        } else {
            parts.back().append(p, static_cast<std::size_t>(next - p));
        }
        p = next;
    }
    return parts;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::findChild(const Node& parent,
                                                                const std::string& name) const {
    const auto found = parent.children.find(name);
    return found == parent.children.end() ? nullptr : found->second;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::find(const std::string& path) const {
    const std::vector<std::string> parts = splitRegistryPath(codePage_, path);
    std::shared_ptr<Node> node;
    for (const auto& root : roots_) {
        if (sameName(root.second->path, parts[0])) node = root.second;
    }
    for (std::size_t i = 1; node && i < parts.size(); ++i) node = findChild(*node, parts[i]);
    return node;
}

bool MemoryRegistry::hasKey(const std::string& path) const { return find(path) != nullptr; }

std::optional<MemoryRegistry::Value> MemoryRegistry::value(const std::string& path,
                                                           const std::string& name) const {
    const std::shared_ptr<Node> node = find(path);
    if (!node) return std::nullopt;
    for (const auto& value : node->values) {
        if (sameName(value.first, name)) return value.second;
    }
    return std::nullopt;
}

std::vector<std::string> MemoryRegistry::subKeyNames(const std::string& path) const {
    std::vector<std::string> names;
    if (const std::shared_ptr<Node> node = find(path)) {
        for (const auto& child : node->children) names.push_back(child.first);
    }
    return names;
}

std::vector<std::pair<std::string, MemoryRegistry::Value>> MemoryRegistry::valuesOf(
    const std::string& path) const {
    const std::shared_ptr<Node> node = find(path);
    return node ? node->values : std::vector<std::pair<std::string, Value>>();
}

MemoryRegistry::Node* MemoryRegistry::resolve(RegistryKey key, std::uint32_t* access,
                                              long* result) {
    for (const auto& root : roots_) {
        if (root.first == key) {
            *access = kFullAccess;
            *result = status::kSuccess;
            return root.second.get();
        }
    }
    const auto found = handles_.find(static_cast<std::uintptr_t>(key));
    if (found == handles_.end()) {
        *result = status::kInvalidHandle;
        return nullptr;
    }
    if (found->second.node->deleted) {
        *result = status::kKeyDeleted;
        return nullptr;
    }
    *access = found->second.access;
    *result = status::kSuccess;
    return found->second.node.get();
}

std::string MemoryRegistry::childPath(const Node& parent, const char* name) const {
    return *name ? parent.path + "\\" + name : parent.path;
}

RegistryKey MemoryRegistry::newHandle(const std::shared_ptr<Node>& node, std::uint32_t access) {
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(value, Handle{node, access});
    return static_cast<RegistryKey>(value);
}

long MemoryRegistry::openKey(RegistryKey parent, const char* name, std::uint32_t access,
                             RegistryKey* key) {
    if (!key || !name) return status::kInvalidParameter;
    *key = kNoRegistryKey;
    std::uint32_t parentAccess = 0;
    long result = status::kSuccess;
    Node* parentNode = resolve(parent, &parentAccess, &result);
    if (!parentNode) return result;
    std::shared_ptr<Node> node;
    if (*name) {
        node = findChild(*parentNode, name);
    } else {
        node = find(parentNode->path);  // the key itself
    }
    if (!node) return status::kFileNotFound;
    *key = newHandle(node, access);
    return status::kSuccess;
}

long MemoryRegistry::createKey(RegistryKey parent, const char* name, std::uint32_t access,
                               RegistryKey* key) {
    if (!key || !name) return status::kInvalidParameter;
    *key = kNoRegistryKey;
    std::uint32_t parentAccess = 0;
    long result = status::kSuccess;
    Node* parentNode = resolve(parent, &parentAccess, &result);
    if (!parentNode) return result;
    std::shared_ptr<Node> node = *name ? findChild(*parentNode, name) : find(parentNode->path);
    if (!node) {
        if ((parentAccess & kCreateSubKey) == 0) return status::kAccessDenied;
        node = std::make_shared<Node>(childPath(*parentNode, name), &codePage_);
        node->parent = find(parentNode->path);
        parentNode->children.emplace(name, node);
    }
    *key = newHandle(node, access);
    return status::kSuccess;
}

long MemoryRegistry::closeKey(RegistryKey key) {
    for (const auto& root : roots_) {
        if (root.first == key) return status::kSuccess;
    }
    const auto found = handles_.find(static_cast<std::uintptr_t>(key));
    if (found == handles_.end()) {
        return status::kInvalidHandle;
    }
    handles_.erase(found);
    return status::kSuccess;
}

long MemoryRegistry::setValue(RegistryKey key, const char* name, std::uint32_t type,
                              const unsigned char* data, std::uint32_t size) {
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* node = resolve(key, &access, &result);
    if (!node) return result;
    if ((access & kSetValue) == 0) return status::kAccessDenied;
    if (size && !data) return status::kInvalidParameter;
    const std::string valueName = name ? name : "";
    std::vector<unsigned char> bytes(data, data + size);
    for (auto& value : node->values) {
        if (sameName(value.first, valueName)) {
            value.second = Value{type, bytes};
            return status::kSuccess;
        }
    }
    node->values.emplace_back(valueName, Value{type, bytes});
    return status::kSuccess;
}

long MemoryRegistry::deleteKey(RegistryKey parent, const char* name) {
    if (!name) return status::kInvalidParameter;
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* parentNode = resolve(parent, &access, &result);
    if (!parentNode) return result;
    std::shared_ptr<Node> node = *name ? findChild(*parentNode, name) : find(parentNode->path);
    if (!node) return status::kFileNotFound;
    if (!node->children.empty()) return status::kAccessDenied;
    // An empty name deletes the key the handle refers to; a root cannot go.
    const std::shared_ptr<Node> owner = node->parent.lock();
    if (!owner) return status::kAccessDenied;
    for (auto child = owner->children.begin(); child != owner->children.end(); ++child) {
        if (child->second == node) {
            owner->children.erase(child);
            break;
        }
    }
    node->deleted = true;
    return status::kSuccess;
}

long MemoryRegistry::deleteValue(RegistryKey key, const char* name) {
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* node = resolve(key, &access, &result);
    if (!node) return result;
    if ((access & kSetValue) == 0) return status::kAccessDenied;
    const std::string valueName = name ? name : "";
    for (auto value = node->values.begin(); value != node->values.end(); ++value) {
        if (sameName(value->first, valueName)) {
            node->values.erase(value);
            return status::kSuccess;
        }
    }
    return status::kFileNotFound;
}

long MemoryRegistry::enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) {
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* node = resolve(key, &access, &result);
    if (!node) return result;
    if ((access & kEnumerateSubKeys) == 0) return status::kAccessDenied;
    if (index >= node->children.size()) return status::kNoMoreItems;
    auto child = node->children.begin();
    std::advance(child, index);
    if (child->first.size() + 1 > size) return status::kMoreData;
    std::memcpy(name, child->first.c_str(), child->first.size() + 1);
    return status::kSuccess;
}

long MemoryRegistry::enumValue(RegistryKey key, std::uint32_t index, char* name,
                               std::uint32_t size) {
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* node = resolve(key, &access, &result);
    if (!node) return result;
    if ((access & kQueryValue) == 0) return status::kAccessDenied;
    if (index >= node->values.size()) return status::kNoMoreItems;
    const std::string& valueName = node->values[index].first;
    if (valueName.size() + 1 > size) return status::kMoreData;
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    return status::kSuccess;
}

long MemoryRegistry::queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) {
    std::uint32_t access = 0;
    long result = status::kSuccess;
    Node* node = resolve(key, &access, &result);
    if (!node) return result;
    if ((access & kQueryValue) == 0) return status::kAccessDenied;
    if (subKeys) *subKeys = static_cast<std::uint32_t>(node->children.size());
    if (values) *values = static_cast<std::uint32_t>(node->values.size());
    return status::kSuccess;
}
