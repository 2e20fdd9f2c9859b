// Stands in for tovak.dll in the current directory of a TovakSetup.exe run: each
// registration export appends "<program that loaded it>|<its command line>" to the file
// named by TOVAK_REGSVR32_RECORD and succeeds, so the test sees which regsvr32 ran and
// with which command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HRESULT record() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOVAK_REGSVR32_RECORD", path, MAX_PATH)) return E_FAIL;
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    FILE* file = std::fopen(path, "ab");
    if (!file) return E_FAIL;
    std::fprintf(file, "%s|%s\n", program, GetCommandLineA());
    std::fclose(file);
    return S_OK;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() { return record(); }
extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() { return record(); }
