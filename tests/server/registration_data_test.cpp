// The registration data that tovak.dll carries: its registry script, byte for byte as
// the source file and item for item as the class needs it, and the version resource's
// self-registration mark.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/server/registry_reader.h"
#include "tovak_version.h"

namespace {

std::string distDll() { return windowsPathOf(TOVAK_DIST_DIR "/tovak.dll"); }

std::string readFile(const std::string& path) {
    std::string data;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return data;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, n);
    std::fclose(file);
    return data;
}

// The registry script resource of the shipped DLL, in language 0x0409.
std::string registryScript(bool& found) {
    found = false;
    HMODULE dll = LoadLibraryExA(distDll().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, dll) << "LoadLibraryEx(" << distDll() << ") failed, error "
                            << GetLastError();
    if (!dll) return std::string();
    std::string script;
    HRSRC resource = FindResourceExA(dll, "REGISTRY", MAKEINTRESOURCEA(101),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (resource) {
        HGLOBAL loaded = LoadResource(dll, resource);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (data) {
            script.assign(static_cast<const char*>(data), SizeofResource(dll, resource));
            found = true;
        }
    }
    FreeLibrary(dll);
    return script;
}

// Splits the script into its tokens: words, braces, '=' and quoted strings (kept with
// their quotes), whatever the layout.
std::vector<std::string> tokens(const std::string& script) {
    std::vector<std::string> result;
    std::size_t i = 0;
    while (i < script.size()) {
        const char c = script[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '{' && (i + 1 >= script.size() || script[i + 1] == '\r' ||
                                script[i + 1] == ' ' || script[i + 1] == '\t')) {
            result.emplace_back("{");
            ++i;
        } else if (c == '}' || c == '=') {
            result.emplace_back(1, c);
            ++i;
        } else if (c == '\'') {
            std::size_t end = i + 1;
            while (end < script.size() && script[end] != '\'') ++end;
            result.push_back(script.substr(i, end + 1 - i));
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < script.size() && script[end] != ' ' && script[end] != '\t' &&
                   script[end] != '\r' && script[end] != '\n') {
                ++end;
            }
            result.push_back(script.substr(i, end - i));
            i = end;
        }
    }
    return result;
}

#define GOTOLIST "{73616E24-6788-4341-9EBC-F422B4988BDC}"

std::vector<std::string> handlerItem(const std::vector<std::string>& parents) {
    std::vector<std::string> item;
    for (const std::string& parent : parents) {
        item.insert(item.end(), {"NoRemove", parent, "{"});
    }
    item.insert(item.end(), {"ForceRemove", GOTOLIST});
    item.insert(item.end(), parents.size(), "}");
    return item;
}

std::vector<std::string> expectedTokens() {
    // clang-format off
    std::vector<std::string> expected = {
        "HKCR", "{",
        "Dunvoro.GotoList.1", "=", "s", "'Tovak'", "{",
            "CLSID", "=", "s", "'" GOTOLIST "'",
        "}",
        "Dunvoro.GotoList", "=", "s", "'Tovak'", "{",
            "CLSID", "=", "s", "'" GOTOLIST "'",
            "CurVer", "=", "s", "'Tovak.1'",
        "}",
        "NoRemove", "CLSID", "{",
            "ForceRemove", GOTOLIST, "=", "s", "'Tovak Dunvoro'", "{",
                "ProgID", "=", "s", "'Tovak.1'",
                "VersionIndependentProgID", "=", "s", "'Tovak'",
                "ForceRemove", "'Programmable'",
                "InprocServer32", "=", "s", "'%MODULE%'", "{",
                    "val", "ThreadingModel", "=", "s", "'Apartment'",
                "}",
                "'TypeLib'", "=", "s", "'{5AE522FE-2AA7-4E0C-BFCB-E083599D5648}'",
            "}",
        "}",
    };
    // clang-format on
    for (const auto& parents : std::vector<std::vector<std::string>>{
             {"*", "Shellex", "ContextMenuHandlers"},
             {"*", "Background", "Shellex", "ContextMenuHandlers"},
             {"Directory", "Shellex", "ContextMenuHandlers"},
             {"Directory", "Background", "Shellex", "ContextMenuHandlers"}}) {
        const std::vector<std::string> item = handlerItem(parents);
        expected.insert(expected.end(), item.begin(), item.end());
    }
    expected.emplace_back("}");
    return expected;
}

TEST(RegistrationData, ScriptResourceIsTheSourceFileUnchanged) {
    bool found = false;
    const std::string script = registryScript(found);
    ASSERT_TRUE(found) << "no REGISTRY 101 in language 0x0409";
    const std::string source = readFile(windowsPathOf(TOVAK_SOURCE_DIR "/resources/tovak.rgs"));
    ASSERT_FALSE(source.empty());
    EXPECT_EQ(source, script);
}

TEST(RegistrationData, ScriptIsAsciiWithCrLfLinesAndNoTerminator) {
    bool found = false;
    const std::string script = registryScript(found);
    ASSERT_TRUE(found);
    ASSERT_GE(script.size(), 3u);
    for (std::size_t i = 0; i < script.size(); ++i) {
        const auto c = static_cast<unsigned char>(script[i]);
        ASSERT_TRUE(c != 0 && c < 0x80) << "byte " << int(c) << " at " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && script[i - 1] == '\r') << "bare LF at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < script.size() && script[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    EXPECT_EQ("}\r\n", script.substr(script.size() - 3));
    // Indented with both tabs and spaces.
    EXPECT_NE(std::string::npos, script.find("\r\n\t"));
    EXPECT_NE(std::string::npos, script.find("\r\n "));
}

TEST(RegistrationData, ScriptHoldsTheItemsWithTheirSpellings) {
    bool found = false;
    const std::string script = registryScript(found);
    ASSERT_TRUE(found);
    EXPECT_EQ(expectedTokens(), tokens(script));
}

TEST(RegistrationData, VersionResourceMarksSelfRegistration) {
    const std::string dll = distDll();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    ASSERT_NE(0u, size) << "error " << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));
    void* value = nullptr;
    UINT length = 99;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\OLESelfRegister", &value,
                               &length));
    EXPECT_LE(length, 1u);
}

// The shipped, stripped DLL still carries its version resource, with the product's
// version in the numbers and in both texts.
TEST(RegistrationData, VersionResourceCarriesTheProductVersion) {
    const std::string dll = distDll();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    ASSERT_NE(0u, size) << "error " << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(TOVAK_VERSION_MINOR, TOVAK_VERSION_MAJOR)),
              fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(TOVAK_VERSION_BUILD, TOVAK_VERSION_PATCH)),
              fixed->dwProductVersionLS);
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_STREQ(TOVAK_VERSION_RESOURCE_TEXT, text) << name;
    }
}

}  // namespace
