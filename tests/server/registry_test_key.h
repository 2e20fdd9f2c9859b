// Helpers for tests against the real registry: every key they touch lies beneath
// HKCU\Software and is named TovakTest.Interp..., removed before and after each test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The test keys beneath HKCU\Software, for a fixture to clear in SetUp and TearDown.
void deleteTestKeys();

bool keyExists(const std::string& path);  // beneath HKEY_CURRENT_USER
std::vector<std::string> subKeyNames(const std::string& path);

struct RegistryValue {
    DWORD type;
    std::vector<unsigned char> data;
};
std::optional<RegistryValue> queryValue(const std::string& path, const char* name);
// A REG_SZ value without its terminator.
std::optional<std::string> queryString(const std::string& path, const char* name = nullptr);
