// Cost of self-registration: DllRegisterServer followed by DllUnregisterServer of the
// shipped tovak.dll, set beside the cost of starting regsvr32 once without a DLL, which
// every registration by the setup tool pays anyway.
//
//   registration_bench [path of tovak.dll] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using RegistrationFunction = HRESULT(WINAPI*)();

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// One start of regsvr32 that names no DLL, to its end.
bool startRegsvr32WithoutDll(double& elapsedMs) {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    std::string line = "\"" + std::string(directory) + "\\regsvr32.exe\" /s";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = nowMs();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    elapsedMs = nowMs() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dllPath = argc > 1 ? argv[1] : "tovak.dll";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    HMODULE dll = LoadLibraryA(dllPath);
    if (!dll) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", dllPath, GetLastError());
        return 1;
    }
    auto registerServer = reinterpret_cast<RegistrationFunction>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unregisterServer = reinterpret_cast<RegistrationFunction>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    if (!registerServer || !unregisterServer) {
        std::fprintf(stderr, "%s lacks the registration exports\n", dllPath);
        return 1;
    }

    // One round unmeasured, so that both sides start warm.
    HRESULT hr = registerServer();
    unregisterServer();
    if (FAILED(hr)) {
        std::fprintf(stderr, "DllRegisterServer failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    double ignored = 0;
    if (!startRegsvr32WithoutDll(ignored)) {
        std::fprintf(stderr, "cannot start regsvr32 (error %lu)\n", GetLastError());
        return 1;
    }

    std::vector<double> registration;
    for (int i = 0; i < rounds; ++i) {
        const double start = nowMs();
        hr = registerServer();
        const HRESULT unregistered = unregisterServer();
        registration.push_back(nowMs() - start);
        if (FAILED(hr) || unregistered != S_OK) {
            std::fprintf(stderr, "round %d failed: 0x%08lX / 0x%08lX\n", i,
                         static_cast<unsigned long>(hr), static_cast<unsigned long>(unregistered));
            return 1;
        }
    }
    std::vector<double> starts;
    for (int i = 0; i < std::max(3, rounds / 4); ++i) {
        double elapsed = 0;
        if (!startRegsvr32WithoutDll(elapsed)) return 1;
        starts.push_back(elapsed);
    }
    FreeLibrary(dll);

    const double registrationMs = median(registration);
    const double startMs = median(starts);
    std::printf("DllRegisterServer + DllUnregisterServer: %8.3f ms (median of %d)\n",
                registrationMs, static_cast<int>(registration.size()));
    std::printf("regsvr32 start without a DLL:            %8.3f ms (median of %d)\n", startMs,
                static_cast<int>(starts.size()));
    std::printf("ratio registration / regsvr32 start:     %8.3f\n", registrationMs / startMs);
    return 0;
}
