// The registry script interpreter against the real registry (beneath
// HKCU\Software\TovakTest.Interp...), scripts read from module resources, and the
// module's own registration with its short path as "Module", also from a folder whose
// name holds a single quote.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/code_page.h"
#include "registry_script/registry_script_interpreter.h"
#include "registry_script/task_memory.h"
#include "server/registration_script.h"
#include "server/server_module.h"
#include "server/registry_access_win32.h"
#include "tests/server/registry_test_key.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

const char kRoot[] = "Software\\TovakTest.Interp";

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

std::string thisProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string shortPathOf(const std::string& path) {
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length && length < MAX_PATH ? std::string(shortPath, length) : std::string();
}

std::u16string wide(const std::string& ansi) {
    std::u16string out;
    ansiCodePage().ToWide(ansi, out);
    return out;
}

class RegistryScriptWineTest : public ::testing::Test {
protected:
    void SetUp() override { deleteTestKeys(); }
    void TearDown() override { deleteTestKeys(); }

    HRESULT apply(const std::string& script, bool registering) {
        Win32Registry registry;
        RegistryScriptInterpreter interpreter(registry, ansiCodePage(), processTaskMemory());
        interpreter.substitutions().add(u"Module", u"C:\\it''s\\tovak.dll");
        return interpreter.applyText(script.c_str(), registering);
    }

    // The script's items within HKCU { NoRemove Software { ... } }.
    static std::string inSoftware(const std::string& items) {
        return "HKCU { NoRemove Software { " + items + " } }";
    }

    static void createKey(const std::string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr))
            << path;
        RegCloseKey(key);
    }
    static void setString(const std::string& path, const char* name, const char* text) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ,
                                                 text, static_cast<DWORD>(strlen(text) + 1)));
    }
};

TEST_F(RegistryScriptWineTest, RegisterWritesEveryTypeAndUnregisterRemovesIt) {
    const std::string script = inSoftware(
        "ForceRemove TovakTest.Interp = s 'it''s' { InprocServer32 = s '%MODULE%' { "
        "val ThreadingModel = s Apartment } val Ten = d '10' val Bytes = b '0aFf' "
        "val Zero = b 'zz' val Empty = B '' Upper = S 'x' }");
    HRESULT hr = apply(script, true);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ("it's", queryString(kRoot));
    EXPECT_EQ("C:\\it's\\tovak.dll", queryString(std::string(kRoot) + "\\InprocServer32"));
    EXPECT_EQ("Apartment", queryString(std::string(kRoot) + "\\InprocServer32", "ThreadingModel"));
    const auto ten = queryValue(kRoot, "Ten");
    ASSERT_TRUE(ten);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), ten->type);
    EXPECT_EQ((Bytes{10, 0, 0, 0}), ten->data);
    const auto bytes = queryValue(kRoot, "Bytes");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), bytes->type);
    EXPECT_EQ((Bytes{0x0A, 0xFF}), bytes->data);
    EXPECT_EQ((Bytes{0x00}), queryValue(kRoot, "Zero")->data);
    EXPECT_EQ(Bytes{}, queryValue(kRoot, "Empty")->data);
    EXPECT_EQ("x", queryString(std::string(kRoot) + "\\Upper"));

    hr = apply(script, false);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(kRoot));
    EXPECT_TRUE(keyExists("Software"));
}

TEST_F(RegistryScriptWineTest, FailuresAreReportedAndTheRootBlockUndone) {
    struct Case {
        const char* items;
        HRESULT expected;
    };
    const Case cases[] = {
        {"TovakTest.Interp { A = sz 'x' }", DISP_E_EXCEPTION},
        {"TovakTest.Interp { A = b 'abc' }", E_FAIL},
        {"TovakTest.Interp { A = d 'ten' }", DISP_E_EXCEPTION},
        {"TovakTest.Interp { val N 'x' }", DISP_E_EXCEPTION},
        {"TovakTest.Interp { 'A\\B' }", DISP_E_EXCEPTION},
        {"TovakTest.Interp { A = s 'x' } %Unknown%", DISP_E_EXCEPTION},
    };
    for (const Case& c : cases) {
        const HRESULT hr = apply(inSoftware(c.items), true);
        EXPECT_EQ(c.expected, hr) << c.items << ": " << std::hex << hr;
        EXPECT_FALSE(keyExists(kRoot)) << c.items;
    }
}

TEST_F(RegistryScriptWineTest, KeyThatCannotBeCreatedUndoesTheRootBlock) {
    const std::string tooLong(300, 'k');
    const HRESULT hr = apply(
        inSoftware("TovakTest.Interp.Made = s 'x' { Deep } TovakTest.Interp { " + tooLong + " }"),
        true);
    EXPECT_EQ(DISP_E_EXCEPTION, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(std::string(kRoot) + ".Made"));
    EXPECT_FALSE(keyExists(kRoot));
    EXPECT_TRUE(keyExists("Software"));
}

TEST_F(RegistryScriptWineTest, ForceRemoveReplacesAnExistingSubtree) {
    createKey(std::string(kRoot) + "\\Old\\Deeper\\Deepest");
    setString(kRoot, "Stale", "x");
    const HRESULT hr = apply(inSoftware("ForceRemove TovakTest.Interp { New }"), true);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(Names{"New"}, subKeyNames(kRoot));
    EXPECT_FALSE(queryValue(kRoot, "Stale"));
}

TEST_F(RegistryScriptWineTest, ForceRemoveAndDeleteSpareProtectedNames) {
    createKey(std::string(kRoot) + "\\CLSID\\{x}");
    createKey(std::string(kRoot) + "\\TypeLib\\{y}");
    createKey(std::string(kRoot) + "\\Gone\\Child");
    const HRESULT hr = apply(
        inSoftware("TovakTest.Interp { ForceRemove CLSID Delete typelib Delete Gone }"), true);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((Names{"CLSID", "TypeLib"}), subKeyNames(kRoot));
    EXPECT_TRUE(keyExists(std::string(kRoot) + "\\CLSID\\{x}"));
    EXPECT_TRUE(keyExists(std::string(kRoot) + "\\TypeLib\\{y}"));
}

TEST_F(RegistryScriptWineTest, UnregisterKeepsWhatTheScriptDoesNotOwn) {
    const std::string root = kRoot;
    setString(root + "\\DefaultOnly", nullptr, "x");
    createKey(root + "\\Shared\\Theirs");
    createKey(root + "\\Shared\\Mine");
    createKey(root + "\\Kept");
    createKey(root + "\\AlsoKept");
    const HRESULT hr =
        apply(inSoftware("NoRemove TovakTest.Interp { DefaultOnly = s 'x' Shared { Mine } "
                         "NoRemove Kept AlsoKept }"),
              false);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((Names{"AlsoKept", "Kept", "Shared"}), subKeyNames(root));
    EXPECT_EQ(Names{"Theirs"}, subKeyNames(root + "\\Shared"));
}

TEST_F(RegistryScriptWineTest, UnregisterSkipsAfterAMissingKeyForOneBlock) {
    const std::string root = kRoot;
    createKey(root + "\\Skipped\\Child");
    createKey(root + "\\Removed");
    createKey(root + "\\Emptied");
    createKey(root + "\\After");
    HRESULT hr = apply(inSoftware("NoRemove TovakTest.Interp { Missing Skipped { Child } Removed "
                                  "Emptied { Gone { Deeper } } After }"),
                       false);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(Names{"Skipped"}, subKeyNames(root));
    EXPECT_EQ(Names{"Child"}, subKeyNames(root + "\\Skipped"));
    // Keys that are all missing: nothing changes.
    hr = apply(inSoftware("TovakTest.Interp.None { A { B } } TovakTest.Interp { X Y { Z } }"),
               false);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(Names{"Skipped"}, subKeyNames(root));
}

class ResourceTest : public RegistryScriptWineTest {
protected:
    HRESULT applyResource(const std::u16string& file, std::uint16_t id, const std::u16string& type,
                          bool registering) {
        Win32Registry registry;
        RegistryScriptInterpreter interpreter(registry, ansiCodePage(), processTaskMemory());
        interpreter.substitutions().add(u"Module", u"C:\\it''s\\tovak.dll");
        return applyScriptResource(interpreter, processTaskMemory(), file.c_str(), id, type.c_str(),
                                   registering);
    }
};

TEST_F(ResourceTest, AppliesTheScriptOfAModuleResource) {
    const std::string key = "Software\\TovakTest.Interp.Resource";
    HRESULT hr = applyResource(wide(thisProgram()), 1, u"REGISTRY", true);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ("from a resource", queryString(key));
    EXPECT_EQ("C:\\it's\\tovak.dll", queryString(key + "\\InprocServer32"));
    EXPECT_EQ((Bytes{10, 0, 0, 0}), queryValue(key, "Number")->data);
    hr = applyResource(wide(thisProgram()), 1, u"registry", false);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(key));
}

TEST_F(ResourceTest, MissingModuleOrResourceGivesTheWin32Error) {
    // Windows reports a missing module, Wine the missing file.
    HRESULT hr = applyResource(u"C:\\no such folder\\none.dll", 1, u"REGISTRY", true);
    EXPECT_TRUE(hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) ||
                hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
                hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
        << std::hex << hr;
    hr = applyResource(wide(thisProgram()), 99, u"REGISTRY", true);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND), hr) << std::hex << hr;
    hr = applyResource(wide(thisProgram()), 1, u"NOSUCHTYPE", true);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND), hr) << std::hex << hr;
    Win32Registry registry;
    RegistryScriptInterpreter interpreter(registry, ansiCodePage(), processTaskMemory());
    TaskMemory& memory = processTaskMemory();
    EXPECT_EQ(E_POINTER, applyScriptResource(interpreter, memory, nullptr, 1, u"REGISTRY", true));
    EXPECT_EQ(E_POINTER, applyScriptResource(interpreter, memory, u"x.dll", 1, nullptr, true));
    EXPECT_EQ(E_POINTER, interpreter.applyText(nullptr, true));
    EXPECT_FALSE(keyExists("Software\\TovakTest.Interp.Resource"));
}

// Makes `instance` the module whose registration is applied, for one test.
class ModuleScope {
public:
    explicit ModuleScope(HINSTANCE instance) { serverModule().Init(instance, nullptr); }
    ~ModuleScope() { serverModule().Term(); }
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
};

TEST_F(ResourceTest, RegistrationUsesTheModulesShortPath) {
    const ModuleScope module(GetModuleHandleA(nullptr));
    const std::string key = "Software\\TovakTest.Interp.Resource";
    HRESULT hr = applyRegistrationResource(1, true, nullptr);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(shortPathOf(thisProgram()), queryString(key + "\\InprocServer32"));
    hr = applyRegistrationResource(1, false, nullptr);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(key));
}

TEST_F(ResourceTest, RegistrationTakesExtraSubstitutions) {
    const ModuleScope module(GetModuleHandleA(nullptr));
    const std::string key = "Software\\TovakTest.Interp.Extra";
    HRESULT hr = applyRegistrationResource(2, true, nullptr);
    EXPECT_EQ(DISP_E_EXCEPTION, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(key));
    const RegistrationSubstitution extra[] = {{L"Extra", L"it''s extra"}, {nullptr, nullptr}};
    hr = applyRegistrationResource(2, true, extra);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ("it's extra", queryString(key));
    EXPECT_EQ(shortPathOf(thisProgram()), queryString(key, "Module"));
    const RegistrationSubstitution bad[] = {{L"Extra", nullptr}, {nullptr, nullptr}};
    hr = applyRegistrationResource(2, false, bad);
    EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
    EXPECT_TRUE(keyExists(key));
    hr = applyRegistrationResource(2, false, extra);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(key));
}

TEST_F(ResourceTest, RegistrationFromAFolderWithASingleQuote) {
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    const std::string folder = std::string(temp) + "it's";
    const std::string dll = folder + "\\res.dll";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((folderOf(thisProgram()) + "\\registry_script_resources.dll").c_str(),
                          dll.c_str(), FALSE))
        << "error " << GetLastError();
    HMODULE loaded = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, loaded) << "error " << GetLastError();
    const std::string path = shortPathOf(dll);
    EXPECT_NE(std::string::npos, path.find("it's\\")) << path;
    {
        const ModuleScope module(loaded);
        const std::string key = "Software\\TovakTest.Interp.Resource\\InprocServer32";
        HRESULT hr = applyRegistrationResource(1, true, nullptr);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        EXPECT_EQ(path, queryString(key));
        hr = applyRegistrationResource(1, false, nullptr);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        EXPECT_FALSE(keyExists(key));
    }
    FreeLibrary(loaded);
    DeleteFileA(dll.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(ResourceTest, RegistrationRefusesWhenTheModuleFileNameIsUnknown) {
    const ModuleScope module(reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x10)));
    const HRESULT hr = applyRegistrationResource(1, true, nullptr);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(FACILITY_WIN32, HRESULT_FACILITY(hr)) << std::hex << hr;
    EXPECT_FALSE(keyExists("Software\\TovakTest.Interp.Resource"));
    EXPECT_EQ(E_INVALIDARG, applyRegistrationResource(0x10000, true, nullptr));
}

}  // namespace
