#include "tests/server/registry_reader.h"

#include <cstdio>
#include <sstream>

#include "tests/common/registry_key.h"

namespace {

class Key {
public:
    bool open(HKEY root, const std::string& path, REGSAM view) {
        return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, key_.receive()) ==
               ERROR_SUCCESS;
    }
    bool create(HKEY root, const std::string& path, REGSAM view) {
        return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                               key_.receive(), nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_.get(); }

private:
    RegistryKeyHandle key_;
};

std::string joined(const std::string& path, const std::string& name) {
    return path.empty() ? name : path + "\\" + name;
}

void collect(HKEY root, const std::string& base, const std::string& relative, REGSAM view,
             RegistryTree& tree) {
    const std::string path = joined(base, relative);
    if (!keyExists(root, path, view)) return;
    tree[relative] = valuesOf(root, path, view);
    for (const std::string& name : subkeysOf(root, path, view)) {
        collect(root, base, joined(relative, name), view, tree);
    }
}

}  // namespace

RegistryValue stringValue(const std::string& data) { return RegistryValue{REG_SZ, data}; }

bool keyExists(HKEY root, const std::string& path, REGSAM view) {
    Key key;
    return key.open(root, path, view);
}

RegistryValues valuesOf(HKEY root, const std::string& path, REGSAM view) {
    RegistryValues values;
    Key key;
    if (!key.open(root, path, view)) return values;
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD nameLength = sizeof name;
        BYTE data[4096];
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string text(reinterpret_cast<char*>(data), dataLength);
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        values[std::string(name, nameLength)] = RegistryValue{type, text};
    }
    return values;
}

std::vector<std::string> subkeysOf(HKEY root, const std::string& path, REGSAM view) {
    std::vector<std::string> names;
    Key key;
    if (!key.open(root, path, view)) return names;
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, nameLength);
    }
    return names;
}

RegistryTree snapshot(HKEY root, const std::string& path, REGSAM view) {
    RegistryTree tree;
    collect(root, path, "", view, tree);
    return tree;
}

std::string describe(const RegistryTree& tree) {
    std::ostringstream text;
    if (tree.empty()) text << "  (no key)\n";
    for (const auto& key : tree) {
        text << "  [" << key.first << "]\n";
        for (const auto& value : key.second) {
            text << "    " << (value.first.empty() ? "@" : value.first) << " = ";
            if (value.second.type == REG_SZ) {
                text << '"' << value.second.data << "\"\n";
            } else {
                text << "type " << value.second.type << ", " << value.second.data.size()
                     << " bytes\n";
            }
        }
    }
    return text.str();
}

bool writeString(HKEY root, const std::string& path, const char* valueName,
                 const std::string& value, REGSAM view) {
    Key key;
    if (!key.create(root, path, view)) return false;
    if (!valueName) return true;
    return RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

void deleteTree(HKEY root, const std::string& path, REGSAM view) {
    // Children first, so that this works in every view without RegDeleteTree.
    for (const std::string& name : subkeysOf(root, path, view)) {
        deleteTree(root, joined(path, name), view);
    }
    RegDeleteKeyExA(root, path.c_str(), view, 0);
}

DWORD runToEnd(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "CreateProcess(%s) failed: error %lu\n", commandLine.c_str(),
                     GetLastError());
        return ~0u;
    }
    // To its end, however long the machine takes: what it writes is read next. A hang is
    // ended by the test's own time limit.
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::string nativeRegsvr32() {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\regsvr32.exe";
}

std::string otherArchitectureRegsvr32() {
    char directory[MAX_PATH] = {};
#ifdef _WIN64
    GetSystemWow64DirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\regsvr32.exe";
#else
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\sysnative\\regsvr32.exe";
#endif
}

std::string windowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string shortPathOf(const std::string& path) {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return shortPath;
}
