// Lists the registry entries that tovak.dll's self-registration writes, so that an
// installer package can write exactly these itself instead of running the DLL:
//
//   msi_registry_rows <registry script> <type library> <module short path> <module path>
//
// The registry script is applied by the DLL's own interpreter, with the same "Module"
// variable, to an in-memory registry, once in register mode and once in register and then
// unregister mode: what the first leaves is what registering writes, what the second
// leaves is what unregistering keeps. The type library's entries are made from the
// library's own data by the rules of RegisterTypeLib, given the path the DLL registers it
// under (the module path) and the help directory the DLL gives (that path's folder).
//
// One row per line, tab-separated, sorted: view, kind, key (beneath the classes root),
// value name ("" for the default value), value type, value.
//   view  "own"   the registering module's own registry view;
//         "other" the opposite view (RegisterTypeLib registers interfaces in both views
//                 of a 64-bit system, whichever the caller's bitness);
//   kind  "value" a value, removed by unregistering;
//         "key"   a key without values that registering makes and unregistering removes;
//         "keep"  a key that registering makes where missing and unregistering keeps.
//   type  "sz" (text), "dword" (decimal), "binary" (hex digits); empty for keys.
// Exit status 1, with the reason on standard error, when the script fails or registers
// something that these rows cannot express.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/emulated_code_page.h"
#include "registry_script/memory_registry.h"
#include "registry_script/registry_script_interpreter.h"
#include "server/type_library_path.h"
#include "tools/msi/type_library_file.h"

namespace {

struct Row {
    std::string view, kind, key, name, type, value;
    bool operator<(const Row& other) const {
        return std::tie(view, kind, key, name) <
               std::tie(other.view, other.kind, other.key, other.name);
    }
};

const char kClassesRoot[] = "HKCR";
// The typelib marshaler, and the dispatch marshaler for pure dispinterfaces.
const char kOleAutomationProxy[] = "{00020424-0000-0000-C000-000000000046}";
const char kDispatchProxy[] = "{00020420-0000-0000-C000-000000000046}";

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string hex(unsigned number) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", number);
    return text;
}

// The value as the row's type and text; false for a type the rows do not carry.
bool describeValue(const MemoryRegistry::Value& value, std::string& type, std::string& text) {
    const std::vector<unsigned char>& data = value.data;
    switch (value.type) {
        case registry_type::kString:
            type = "sz";
            text.assign(data.begin(), data.end());
            if (!text.empty() && text.back() == '\0') text.pop_back();
            return text.find('\0') == std::string::npos;
        case registry_type::kDword:
            if (data.size() != 4) return false;
            type = "dword";
            text = std::to_string(data[0] | data[1] << 8 | data[2] << 16 |
                                  static_cast<unsigned long>(data[3]) << 24);
            return true;
        case registry_type::kBinary:
            type = "binary";
            text.clear();
            for (unsigned char byte : data) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02x", byte);
                text += digits;
            }
            return true;
        default:
            return false;
    }
}

// Every key beneath `path` (relative to the classes root), parents before children.
void collectKeys(const MemoryRegistry& registry, const std::string& path,
                 std::vector<std::string>& keys) {
    for (const std::string& name : registry.subKeyNames(path)) {
        const std::string child = path + "\\" + name;
        keys.push_back(child.substr(sizeof kClassesRoot));
        collectKeys(registry, child, keys);
    }
}

class ScriptRows {
public:
    explicit ScriptRows(const CodePage& codePage)
        : codePage_(codePage), registered_(codePage), unregistered_(codePage) {}

    bool apply(const std::vector<unsigned char>& script, const std::string& modulePath,
               std::string& error) {
        std::string text(script.begin(), script.end());
        text = text.c_str();  // the script ends at its first NUL, if it has one
        // The DLL inserts its short path with every single quote doubled.
        std::string quoted;
        for (char c : modulePath) {
            quoted += c;
            if (c == '\'') quoted += c;
        }
        std::u16string module;
        if (!codePage_.ToWide(quoted, module)) {
            error = "the module path cannot be converted";
            return false;
        }
        const struct {
            MemoryRegistry& registry;
            bool unregister;
        } runs[] = {{registered_, false}, {unregistered_, true}};
        for (const auto& run : runs) {
            for (bool registering : {true, false}) {
                if (!registering && !run.unregister) continue;
                RegistryScriptInterpreter interpreter(run.registry, codePage_, processTaskMemory());
                HRESULT hr = interpreter.substitutions().add(u"Module", module.c_str());
                if (SUCCEEDED(hr)) hr = interpreter.applyText(text.c_str(), registering);
                if (FAILED(hr)) {
                    char code[16];
                    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
                    error = std::string(registering ? "registering" : "unregistering") +
                            " with the script failed: " + code;
                    return false;
                }
            }
        }
        return true;
    }

    bool rows(std::set<Row>& out, std::string& error) const {
        std::vector<std::string> keys;
        collectKeys(registered_, kClassesRoot, keys);
        for (const std::string& key : keys) {
            const std::string path = std::string(kClassesRoot) + "\\" + key;
            const bool kept = unregistered_.hasKey(path);
            const auto values = registered_.valuesOf(path);
            for (const auto& value : values) {
                Row row{"own", "value", key, value.first, "", ""};
                if (!describeValue(value.second, row.type, row.value)) {
                    error = key + ": a value of a type these rows do not carry";
                    return false;
                }
                if (unregistered_.value(path, value.first)) {
                    error = key + ": a value that unregistering keeps";
                    return false;
                }
                out.insert(row);
            }
            if (kept) {
                out.insert(Row{"own", "keep", key, "", "", ""});
            } else if (values.empty()) {
                // Removed with everything beneath it: only a key without subkeys can be
                // handed to an installer that way.
                if (!registered_.subKeyNames(path).empty()) {
                    error = key + ": an empty key with subkeys that unregistering removes";
                    return false;
                }
                out.insert(Row{"own", "key", key, "", "", ""});
            }
        }
        return true;
    }

private:
    const CodePage& codePage_;
    MemoryRegistry registered_;
    MemoryRegistry unregistered_;
};

// What RegisterTypeLib writes for `library`, registered under `path` with `helpDirectory`.
void typeLibraryRows(const TypeLibraryFile& library, const std::string& path,
                     const std::string& helpDirectory, std::set<Row>& out) {
    const std::string version = hex(library.majorVersion) + "." + hex(library.minorVersion);
    const std::string key = "TypeLib\\" + library.guid + "\\" + version;
    static const char* const kSystems[] = {"win16", "win32", "", "win64"};
    auto value = [&](const std::string& view, const std::string& at, const std::string& name,
                     const std::string& text) {
        out.insert(Row{view, "value", at, name, "sz", text});
    };
    value("own", key, "", library.helpString.empty() ? library.name : library.helpString);
    value("own", key + "\\" + hex(library.lcid) + "\\" + kSystems[library.syskind & 3], "", path);
    // A library loaded from its file reports that it has a disk image.
    value("own", key + "\\FLAGS", "",
          std::to_string(library.flags | TypeLibraryFile::kLibraryHasDiskImage));
    value("own", key + "\\HELPDIR", "", helpDirectory);
    for (const TypeLibraryFile::Type& type : library.types) {
        const bool dispatch = type.kind == TypeLibraryFile::kDispatch;
        const bool interface = type.kind == TypeLibraryFile::kInterface;
        if (!dispatch && !(interface && (type.flags & TypeLibraryFile::kFlagOleAutomation))) {
            continue;
        }
        const std::string proxy = interface || (type.flags & TypeLibraryFile::kFlagDual)
                                      ? kOleAutomationProxy
                                      : kDispatchProxy;
        const std::string at = "Interface\\" + type.guid;
        for (const char* view : {"own", "other"}) {
            value(view, at, "", type.name);
            value(view, at + "\\ProxyStubClsid", "", proxy);
            value(view, at + "\\ProxyStubClsid32", "", proxy);
            value(view, at + "\\TypeLib", "", library.guid);
            value(view, at + "\\TypeLib", "Version", version);
        }
    }
}

int fail(const std::string& what) {
    std::fprintf(stderr, "msi_registry_rows: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        return fail(
            "usage: msi_registry_rows <registry script> <type library> <module short path> "
            "<module path>");
    }
    std::vector<unsigned char> script, typeLibrary;
    if (!readFile(argv[1], script)) return fail(std::string("cannot read ") + argv[1]);
    if (!readFile(argv[2], typeLibrary)) return fail(std::string("cannot read ") + argv[2]);
    TypeLibraryFile library;
    std::string error;
    if (!readTypeLibraryFile(typeLibrary, library, error)) return fail(argv[2] + (": " + error));

    // The paths are given as the package will write them; what the code page is matters
    // only for characters outside ASCII.
    const EmulatedCodePage codePage(1252);
    std::set<Row> rows;
    ScriptRows scriptRows(codePage);
    if (!scriptRows.apply(script, argv[3], error) || !scriptRows.rows(rows, error)) {
        return fail(error);
    }
    const std::string modulePath = argv[4];
    std::u16string widePath;
    std::string helpDirectory;
    if (!codePage.ToWide(modulePath, widePath) ||
        !codePage.FromWide(typeLibHelpDirectory(widePath), helpDirectory)) {
        return fail("the module path cannot be converted");
    }
    typeLibraryRows(library, modulePath, helpDirectory, rows);

    for (const Row& row : rows) {
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", row.view.c_str(), row.kind.c_str(), row.key.c_str(),
                    row.name.c_str(), row.type.c_str(), row.value.c_str());
    }
    return 0;
}
