// The registry script interpreter in the Japanese ANSI code page against the real
// registry: double-byte key names whose second byte is 0x5C, double-byte text inserted
// through "Module", and registration from a folder with a double-byte name and a quote.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "common/code_page.h"
#include "registry_script/registry_script_interpreter.h"
#include "registry_script/task_memory.h"
#include "server/registration_script.h"
#include "server/server_module.h"
#include "server/registry_access_win32.h"
#include "tests/server/registry_test_key.h"

namespace {

// U+8868 and U+30BD: 0x95 0x5C and 0x83 0x5C in code page 932.
const char kHyou[] = "\x95\x5C";
const char kSo[] = "\x83\x5C";

std::wstring queryWideString(const std::wstring& path, const wchar_t* name) {
    wchar_t text[MAX_PATH] = L"";
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return text;
}

bool wideKeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RegistryScriptCp932Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(932u, GetACP());
        deleteTestKeys();
    }
    void TearDown() override { deleteTestKeys(); }

    HRESULT apply(const std::string& script, bool registering, const char16_t* module) {
        Win32Registry registry;
        RegistryScriptInterpreter interpreter(registry, ansiCodePage(), processTaskMemory());
        interpreter.substitutions().add(u"Module", module);
        return interpreter.applyText(script.c_str(), registering);
    }
};

TEST_F(RegistryScriptCp932Test, TrailByte5CInKeyNamesIsNoBackslash) {
    const std::string name = std::string(kHyou) + kSo;
    const std::string script = "HKCU { NoRemove Software { TovakTest.Interp { '" + name +
                               "' = s '" + name + "' { " + kHyou + " } } } }";
    HRESULT hr = apply(script, true, u"");
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_TRUE(wideKeyExists(L"Software\\TovakTest.Interp\\\u8868\u30BD\\\u8868"));
    EXPECT_FALSE(wideKeyExists(L"Software\\TovakTest.Interp\\\u8868"));
    EXPECT_EQ(L"\u8868\u30BD",
              queryWideString(L"Software\\TovakTest.Interp\\\u8868\u30BD", nullptr));
    hr = apply(script, false, u"");
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists("Software\\TovakTest.Interp"));
}

// A legal key name of 150 double-byte characters is 300 bytes: what registering makes
// of it, beside its siblings, unregistering removes again, and unregistering once more
// (every key missing) reads the script over without a failure.
TEST_F(RegistryScriptCp932Test, ThreeHundredByteKeyNameIsUnregisteredLikeItsSiblings) {
    std::string name;
    std::wstring wideName;
    for (int i = 0; i < 75; ++i) {
        name += std::string(kHyou) + "\x82\xA0";
        wideName += L"\u8868\u3042";
    }
    ASSERT_EQ(300u, name.size());
    const std::string script = "HKCU { NoRemove Software { TovakTest.Interp { A = s 'a' '" + name +
                               "' = s 'long' { val V = s 'v' Sub { C } } B { D } } } }";
    HRESULT hr = apply(script, true, u"");
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_TRUE(wideKeyExists(L"Software\\TovakTest.Interp\\" + wideName + L"\\Sub\\C"));
    EXPECT_EQ(L"long", queryWideString(L"Software\\TovakTest.Interp\\" + wideName, nullptr));
    EXPECT_TRUE(keyExists("Software\\TovakTest.Interp\\B\\D"));

    hr = apply(script, false, u"");
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists("Software\\TovakTest.Interp"))
        << "left: " << subKeyNames("Software\\TovakTest.Interp").size() << " subkeys";
    hr = apply(script, false, u"");
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
}

TEST_F(RegistryScriptCp932Test, DoubleByteModulePathIsInsertedOnce) {
    const HRESULT hr = apply(
        "HKCU { NoRemove Software { TovakTest.Interp = s '%Module%' { val Q = s "
        "'%MODULE%' } } }",
        true, u"C:\\\u8868\u30BD\\it''s\\tovak.dll");
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(L"C:\\\u8868\u30BD\\it's\\tovak.dll",
              queryWideString(L"Software\\TovakTest.Interp", nullptr));
    EXPECT_EQ(L"C:\\\u8868\u30BD\\it's\\tovak.dll",
              queryWideString(L"Software\\TovakTest.Interp", L"Q"));
}

TEST_F(RegistryScriptCp932Test, RegistrationFromADoubleByteFolderUsesItsShortPath) {
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    const std::string selfPath(self, length);
    const std::string folder = std::string(temp) + kHyou + "'" + kSo;
    const std::string dll = folder + "\\res.dll";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(
        (selfPath.substr(0, selfPath.rfind('\\')) + "\\registry_script_resources.dll").c_str(),
        dll.c_str(), FALSE))
        << "error " << GetLastError();
    HMODULE loaded = LoadLibraryA(dll.c_str());
    ASSERT_NE(nullptr, loaded) << "error " << GetLastError();
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(dll.c_str(), shortPath, MAX_PATH);
    // Wine's short form of this folder keeps the quote and replaces the double-byte
    // characters; double-byte text in "Module" is covered above.
    EXPECT_NE(nullptr, strchr(shortPath, '\'')) << shortPath;
    serverModule().Init(loaded, nullptr);
    const std::string key = "Software\\TovakTest.Interp.Resource\\InprocServer32";
    HRESULT hr = applyRegistrationResource(1, true, nullptr);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(std::string(shortPath), queryString(key));
    hr = applyRegistrationResource(1, false, nullptr);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(key));
    serverModule().Term();
    FreeLibrary(loaded);
    DeleteFileA(dll.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
