// The in-memory registry as the registry script tests drive it: keys and values set up by
// path, the whole registry as text for before/after comparisons; any operation on a given
// key can be made to fail, keys can be made read-only, and it counts the calls made, the
// handles still open and the uses of handles that were never valid or already closed.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "registry_script/memory_registry.h"

class InstrumentedRegistry final : public MemoryRegistry {
public:
    enum class Operation {
        kOpen,
        kCreate,
        kClose,
        kSetValue,
        kDeleteKey,
        kDeleteValue,
        kEnumerate,
        kQueryInfo,
    };

    explicit InstrumentedRegistry(const CodePage& codePage)
        : MemoryRegistry(codePage), codePage_(codePage) {}

    // Setting up, through the registry's own calls (neither failed nor counted).
    void addKey(const std::string& path);  // with its missing parents
    void addValue(const std::string& path, const std::string& name, std::uint32_t type,
                  const std::vector<unsigned char>& data);
    void addString(const std::string& path, const std::string& name, const std::string& text);
    // Every key and value beneath the roots, one line each.
    std::string dump() const;

    // Failing on demand. For open, create and delete-key the path is that of the key
    // opened, created or deleted; for the other operations that of the key the handle
    // refers to. A close made to fail still gives the handle up: nobody can retry it.
    void fail(Operation operation, const std::string& path,
              long status = registry_status::kAccessDenied) {
        failures_.push_back(Failure{operation, path, status});
    }
    void clearFailures() { failures_.clear(); }
    // A read-only key: opening it for more than reading, creating beneath it and
    // deleting it are denied.
    void makeReadOnly(const std::string& path);

    // Handles that were opened or created and not closed yet.
    std::size_t openHandles() const { return paths_.size(); }
    // Calls made with a handle that was never valid or already closed.
    std::size_t invalidHandleUses() const { return invalidHandleUses_; }
    // Calls of `operation` made with a usable handle.
    std::size_t calls(Operation operation) const;

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
    struct Failure {
        Operation operation;
        std::string path;
        long status;
    };

    // The key `path`, created with its missing parents and open for all access.
    RegistryKey createPath(const std::string& path);
    void dumpKey(const std::string& path, std::string& out) const;
    // The path of a root or of an open handle; false (and the use counted) for any
    // other key.
    bool pathOf(RegistryKey key, std::string& path);
    static std::string childPath(const std::string& parent, const char* name);
    // Counts the call; the status the call is made to fail with, else success.
    long injected(Operation operation, const std::string& path);
    bool isReadOnly(const std::string& path) const;
    bool sameName(const std::string& a, const std::string& b) const;
    // Records a handle the registry handed out.
    long opened(long status, RegistryKey* key, const std::string& path);

    const CodePage& codePage_;
    std::map<RegistryKey, std::string> paths_;
    std::vector<Failure> failures_;
    std::vector<std::string> readOnly_;
    std::size_t invalidHandleUses_ = 0;
    std::map<Operation, std::size_t> calls_;
};

const char* operationName(InstrumentedRegistry::Operation operation);
