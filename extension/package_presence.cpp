#include "extension/package_presence.h"

#include <new>
#include <string>

#include "common/module_path.h"
#include "extension/signer_publisher.h"

namespace {

constexpr UINT32 kNeutralArchitecture = 11;         // PROCESSOR_ARCHITECTURE_NEUTRAL
constexpr UINT32 kPackageFamilyNameMaxLength = 64;  // with its terminator

// The answer for the module's Publisher. Throws std::bad_alloc only.
bool workOutModuleAnswer(HMODULE module, PackageCalls (*calls)()) {
    std::u16string path;
    if (FAILED(modulePath(module, path))) return false;
    std::u16string publisher;
    if (!authenticodeSignerSubject(reinterpret_cast<const wchar_t*>(path.c_str()), publisher)) {
        publisher = kUnsignedPublisher;
    }
    return packageRegistered(calls(), publisher);
}

}  // namespace

PackageCalls kernel32PackageCalls() {
    PackageCalls calls{};
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (!kernel32) return calls;
    calls.familyNameFromId = reinterpret_cast<decltype(calls.familyNameFromId)>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "PackageFamilyNameFromId")));
    calls.packagesByFamily = reinterpret_cast<decltype(calls.packagesByFamily)>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "GetPackagesByPackageFamily")));
    return calls;
}

bool packageRegistered(const PackageCalls& calls, const std::u16string& publisher) {
    if (!calls.familyNameFromId || !calls.packagesByFamily) return false;
    // The call only reads the two texts.
    PackageId id{};
    id.processorArchitecture = kNeutralArchitecture;
    id.name = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(kPackageName));
    id.publisher = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(publisher.c_str()));
    wchar_t family[kPackageFamilyNameMaxLength + 1] = {};
    UINT32 length = kPackageFamilyNameMaxLength + 1;
    if (calls.familyNameFromId(&id, &length, family) != ERROR_SUCCESS) return false;
    // Asked with no room for the names: ERROR_INSUFFICIENT_BUFFER and the count when
    // there are some, ERROR_SUCCESS and 0 when there are none.
    UINT32 count = 0, bufferLength = 0;
    const LONG result = calls.packagesByFamily(family, &count, nullptr, &bufferLength, nullptr);
    return (result == ERROR_SUCCESS || result == ERROR_INSUFFICIENT_BUFFER) && count > 0;
}

bool modulePackageRegistered(HMODULE module, PackageCalls (*calls)()) {
    try {
        // Made once, by the first question that gets through: one that runs out of memory
        // leaves it to the next.
        static const bool answer = workOutModuleAnswer(module, calls);
        return answer;
    } catch (...) {
        return false;  // the classic items stay this time
    }
}
