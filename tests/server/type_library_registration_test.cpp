// Registration of a module's type library: embedded or from a ".tlb" file found by the
// module's path, with the help directory; unregistration through the function looked
// up at run time; and the order in which self-registration runs the class table's
// registration routines and the type library.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "server/class_table.h"
#include "server/server_module.h"
#include "server/type_library_registration.h"
#include "tests/server/registry_reader.h"

namespace {

const char kLibraryKey[] = "TypeLib\\{0E2F6C4A-7B1D-4E39-9A51-3C8D2B6F7E10}";
const char kVersionKey[] = "TypeLib\\{0E2F6C4A-7B1D-4E39-9A51-3C8D2B6F7E10}\\1.0";
#ifdef _WIN64
const char kPathKey[] = "TypeLib\\{0E2F6C4A-7B1D-4E39-9A51-3C8D2B6F7E10}\\1.0\\0\\win64";
#else
const char kPathKey[] = "TypeLib\\{0E2F6C4A-7B1D-4E39-9A51-3C8D2B6F7E10}\\1.0\\0\\win32";
#endif

std::string moduleFileName(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

std::string directoryOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string registeredPath() {
    const RegistryValues values = valuesOf(HKEY_CLASSES_ROOT, kPathKey);
    const auto found = values.find("");
    return found == values.end() ? std::string("(none)") : found->second.data;
}

std::string registeredHelpDirectory() {
    const RegistryValues values =
        valuesOf(HKEY_CLASSES_ROOT, std::string(kVersionKey) + "\\HELPDIR");
    const auto found = values.find("");
    return found == values.end() ? std::string("(none)") : found->second.data;
}

std::string narrow(BSTR text) {
    std::string result;
    for (const OLECHAR* p = text; p && *p; ++p) result += static_cast<char>(*p);
    return result;
}

// A scratch folder under the temporary directory, removed with its files at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name;
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
            if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
        }
        RemoveDirectoryA(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string makeFolder(const std::string& name) {
        const std::string folder = path_ + "\\" + name;
        CreateDirectoryA(folder.c_str(), nullptr);
        files_.push_back(folder);
        return folder;
    }
    // Copies a file of the test programs' folder to `name` inside the scratch folder.
    std::string copy(const std::string& programFile, const std::string& name) {
        const std::string target = path_ + "\\" + name;
        const std::string source = directoryOf(moduleFileName(nullptr)) + programFile;
        EXPECT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE))
            << "copying " << source << " to " << target << " failed, error " << GetLastError();
        files_.push_back(target);
        return target;
    }

private:
    std::string path_;
    std::vector<std::string> files_;
};

class LoadedModule {
public:
    explicit LoadedModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
        EXPECT_NE(nullptr, module_)
            << "LoadLibrary(" << path << ") failed, error " << GetLastError();
    }
    ~LoadedModule() {
        if (module_) FreeLibrary(module_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

class TypeLibraryRegistration : public ::testing::Test {
protected:
    void SetUp() override { deleteTree(HKEY_CLASSES_ROOT, kLibraryKey); }
    void TearDown() override { deleteTree(HKEY_CLASSES_ROOT, kLibraryKey); }
};

TEST_F(TypeLibraryRegistration, LoadGivesTheModulePathAndTheLibrary) {
    LoadedModule module("typelib_module.dll");
    BSTR path = reinterpret_cast<BSTR>(static_cast<std::uintptr_t>(0xDEADBEEF));
    ITypeLib* typeLib = reinterpret_cast<ITypeLib*>(static_cast<std::uintptr_t>(0xDEADBEEF));
    HRESULT hr = LoadModuleTypeLib(module.get(), &path, &typeLib);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(moduleFileName(module.get()), narrow(path));
    ASSERT_NE(nullptr, typeLib);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, typeLib->GetLibAttr(&attributes));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    typeLib->ReleaseTLibAttr(attributes);
    EXPECT_EQ(0u, typeLib->Release());
    SysFreeString(path);

    hr = LoadModuleTypeLib(module.get(), nullptr, &typeLib);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, typeLib);
    path = reinterpret_cast<BSTR>(static_cast<std::uintptr_t>(0xDEADBEEF));
    hr = LoadModuleTypeLib(module.get(), &path, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, path);
}

TEST_F(TypeLibraryRegistration, EmbeddedLibraryIsRegisteredWithTheModuleFolderAsHelpDirectory) {
    LoadedModule module("typelib_module.dll");
    const std::string path = moduleFileName(module.get());

    HRESULT hr = RegisterModuleTypeLib(module.get());
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(path, registeredPath());
    EXPECT_EQ(directoryOf(path), registeredHelpDirectory())
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    EXPECT_EQ(stringValue("Tovak test type library"), valuesOf(HKEY_CLASSES_ROOT, kVersionKey)[""]);

    hr = UnregisterModuleTypeLib(module.get());
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kVersionKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
}

TEST_F(TypeLibraryRegistration, ModuleWithoutLibraryFallsBackToTheTlbBesideIt) {
    ScratchFolder folder("tovak-tlb-beside");
    const std::string dll = folder.copy("plain_module.dll", "tovak.dll");
    const std::string tlb = folder.copy("test_library.tlb", "tovak.tlb");
    LoadedModule module(dll);

    BSTR path = nullptr;
    ITypeLib* typeLib = nullptr;
    HRESULT hr = LoadModuleTypeLib(module.get(), &path, &typeLib);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(tlb, narrow(path));
    SysFreeString(path);
    if (typeLib) typeLib->Release();

    hr = RegisterModuleTypeLib(module.get());
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(tlb, registeredPath());
    EXPECT_EQ(folder.path() + "\\", registeredHelpDirectory());
    hr = UnregisterModuleTypeLib(module.get());
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kVersionKey));
}

TEST_F(TypeLibraryRegistration, FallBackCutsAtADotInAFolderName) {
    ScratchFolder folder("tovak-tlb-dotted");
    folder.makeFolder("a.b");
    // "name." loads a file that has no extension.
    const std::string dll = folder.copy("plain_module.dll", "a.b\\tovak");
    const std::string tlb = folder.copy("test_library.tlb", "a.tlb");
    LoadedModule module(dll + ".");
    ASSERT_EQ(dll, moduleFileName(module.get()));

    BSTR path = nullptr;
    ITypeLib* typeLib = nullptr;
    const HRESULT hr = LoadModuleTypeLib(module.get(), &path, &typeLib);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(tlb, narrow(path));
    SysFreeString(path);
    if (typeLib) typeLib->Release();
}

TEST_F(TypeLibraryRegistration, NoLibraryAnywhereGivesTheErrorOfTheSecondLoad) {
    ScratchFolder folder("tovak-tlb-none");
    const std::string dll = folder.copy("plain_module.dll", "tovak.dll");
    LoadedModule module(dll);
    const std::string tlb = folder.path() + "\\tovak.tlb";
    std::wstring wideTlb(tlb.begin(), tlb.end());
    ITypeLib* direct = nullptr;
    const HRESULT expected = LoadTypeLib(wideTlb.c_str(), &direct);
    ASSERT_TRUE(FAILED(expected)) << std::hex << expected;

    BSTR path = reinterpret_cast<BSTR>(static_cast<std::uintptr_t>(0xDEADBEEF));
    ITypeLib* typeLib = reinterpret_cast<ITypeLib*>(static_cast<std::uintptr_t>(0xDEADBEEF));
    HRESULT hr = LoadModuleTypeLib(module.get(), &path, &typeLib);
    EXPECT_EQ(expected, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, path);
    EXPECT_EQ(nullptr, typeLib);
    hr = RegisterModuleTypeLib(module.get());
    EXPECT_EQ(expected, hr) << std::hex << hr;
    hr = UnregisterModuleTypeLib(module.get());
    EXPECT_EQ(expected, hr) << std::hex << hr;
}

TEST_F(TypeLibraryRegistration, UnregisterWithoutTheFunctionLeavesTheRegistration) {
    LoadedModule module("typelib_module.dll");
    HRESULT hr = RegisterModuleTypeLib(module.get());
    ASSERT_EQ(S_OK, hr) << std::hex << hr;

    hr = unregisterModuleTypeLibWithFunction(module.get(), "oleaut32.dll", "NoSuchFunction");
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kPathKey));
    hr = unregisterModuleTypeLibWithFunction(module.get(), "no_such_library.dll",
                                             "UnRegisterTypeLib");
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kPathKey));

    hr = UnregisterModuleTypeLib(module.get());
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kPathKey));
}

// For the current user the type library goes through "RegisterTypeLibForUser", found at
// run time; without it nothing is registered and the missing function is the result.
TEST_F(TypeLibraryRegistration, ForTheUserThroughRegisterTypeLibForUser) {
    LoadedModule module("typelib_module.dll");
    HRESULT hr = registerModuleTypeLibWithFunction(module.get(), "oleaut32.dll", "NoSuchFunction");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryKey));

    hr = RegisterModuleTypeLib(module.get(), RegistrationScope::User);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(moduleFileName(module.get()), registeredPath());
    hr = UnregisterModuleTypeLib(module.get(), RegistrationScope::User);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kPathKey));
}

// Self-registration: the rows' registration routines first, then the type library.
std::vector<bool> routineCalls;
HRESULT routineResult = S_OK;
HRESULT recordingRegistration(bool registering, RegistrationScope) {
    routineCalls.push_back(registering);
    return routineResult;
}

const CLSID kFirstClsid = {
    0x1D9A44B0, 0x6F3E, 0x4B8C, {0x90, 0x21, 0x5E, 0x7A, 0x13, 0xC4, 0x88, 0x01}};
const CLSID kSecondClsid = {
    0x1D9A44B0, 0x6F3E, 0x4B8C, {0x90, 0x21, 0x5E, 0x7A, 0x13, 0xC4, 0x88, 0x02}};

class SelfRegistration : public TypeLibraryRegistration {
protected:
    void SetUp() override {
        TypeLibraryRegistration::SetUp();
        routineCalls.clear();
        routineResult = S_OK;
    }
    ClassEntry table_[3] = {
        {&kFirstClsid, recordingRegistration, nullptr, nullptr, nullptr},
        {&kSecondClsid, recordingRegistration, nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
};

TEST_F(SelfRegistration, RegistersEveryRowThenTheTypeLibrary) {
    LoadedModule library("typelib_module.dll");
    ServerModule module;
    module.Init(library.get(), table_);
    HRESULT hr = module.RegisterServer();
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<bool>{true, true}), routineCalls);
    EXPECT_EQ(moduleFileName(library.get()), registeredPath());

    routineCalls.clear();
    hr = module.UnregisterServer();
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<bool>{false, false}), routineCalls);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kPathKey));
    module.Term();
}

TEST_F(SelfRegistration, FailingScriptStopsBeforeTheTypeLibrary) {
    LoadedModule library("typelib_module.dll");
    ServerModule module;
    module.Init(library.get(), table_);
    routineResult = DISP_E_EXCEPTION;
    const HRESULT hr = module.RegisterServer();
    EXPECT_EQ(DISP_E_EXCEPTION, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<bool>{true}), routineCalls);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryKey));
    module.Term();
}

TEST_F(SelfRegistration, TypeLibraryFailureIsTheResultOfRegisteringOnly) {
    ScratchFolder folder("tovak-self-registration");
    LoadedModule library(folder.copy("plain_module.dll", "tovak.dll"));
    ServerModule module;
    module.Init(library.get(), table_);
    HRESULT hr = module.RegisterServer();
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ((std::vector<bool>{true, true}), routineCalls);

    // Unregistering reports nothing, neither the script's failure nor the library's.
    routineResult = E_ACCESSDENIED;
    hr = module.UnregisterServer();
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<bool>{true, true, false, false}), routineCalls);
    module.Term();
}

// The module's own class table applying a registry script that fails half-way: the
// script's error is the result, what the failed block made is walked away again, and
// the type library is not registered.
TEST_F(SelfRegistration, FailingRegistryScriptIsUndoneAndReported) {
    const char progId[] = "TovakTest.Failing.1";
    const char classKey[] = "CLSID\\{1D9A44B0-6F3E-4B8C-9021-5E7A13C48803}";
    deleteTree(HKEY_CLASSES_ROOT, progId);
    deleteTree(HKEY_CLASSES_ROOT, classKey);
    LoadedModule library("typelib_module.dll");
    ServerModule& module = serverModule();
    module.Init(library.get(), moduleClassTable());

    const HRESULT hr = module.RegisterServer();
    EXPECT_EQ(DISP_E_EXCEPTION, hr) << std::hex << hr;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, progId))
        << describe(snapshot(HKEY_CLASSES_ROOT, progId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    module.Term();
    deleteTree(HKEY_CLASSES_ROOT, progId);
    deleteTree(HKEY_CLASSES_ROOT, classKey);
}

}  // namespace
