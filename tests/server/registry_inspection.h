// Registry access for the registration tests: keys and values read in a chosen view
// (0 for the process's own, KEY_WOW64_32KEY or KEY_WOW64_64KEY), whole subtrees taken
// as snapshots for before-and-after comparisons, and the programs that register.
#pragma once

#include <windows.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct RegistryValue {
    DWORD type;
    std::string data;  // REG_SZ without its terminator; other types as raw bytes
    bool operator==(const RegistryValue& other) const {
        return type == other.type && data == other.data;
    }
};

// For GoogleTest's failure messages.
inline void PrintTo(const RegistryValue& value, std::ostream* out) {
    if (value.type == REG_SZ) {
        *out << "REG_SZ \"" << value.data << '"';
    } else {
        *out << "type " << value.type << ", " << value.data.size() << " bytes";
    }
}

// Value name ("" for the default value) -> value.
using RegistryValues = std::map<std::string, RegistryValue>;
// Key path relative to the snapshot's root ("" for the root itself) -> its values.
using RegistryTree = std::map<std::string, RegistryValues>;

RegistryValue stringValue(const std::string& data);

bool keyExists(HKEY root, const std::string& path, REGSAM view = 0);
// The key's values; empty when it has none or does not exist.
RegistryValues valuesOf(HKEY root, const std::string& path, REGSAM view = 0);
std::vector<std::string> subkeysOf(HKEY root, const std::string& path, REGSAM view = 0);
// The key and everything beneath it; empty when the key does not exist.
RegistryTree snapshot(HKEY root, const std::string& path, REGSAM view = 0);
std::string describe(const RegistryTree& tree);

// Creates the key (and its parents) and, when `valueName` is given, sets a string.
bool writeString(HKEY root, const std::string& path, const char* valueName,
                 const std::string& value, REGSAM view = 0);
void deleteTree(HKEY root, const std::string& path, REGSAM view = 0);

// Runs a command line to its end; its exit code, or ~0u when it could not start.
DWORD runToEnd(const std::string& commandLine);
// regsvr32 of this process's architecture, and of the other one on a 64-bit system.
std::string nativeRegsvr32();
std::string otherArchitectureRegsvr32();

// A Unix path as Wine's drive Z: sees it.
std::string windowsPathOf(const std::string& unixPath);
std::string shortPathOf(const std::string& path);
