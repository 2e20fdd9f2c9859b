#include "extension/package_presence.h"

#include <new>
#include <string>

#include "common/module_path.h"
#include "extension/signer_publisher.h"

namespace {

constexpr UINT32 kNeutralArchitecture = 11;         // PROCESSOR_ARCHITECTURE_NEUTRAL
constexpr UINT32 kPackageFamilyNameMaxLength = 64;  // with its terminator

INIT_ONCE moduleAnswerOnce = INIT_ONCE_STATIC_INIT;
bool moduleAnswer = false;

struct Question {
    HMODULE module;
    PackageCalls (*calls)();
};

BOOL CALLBACK workOutModuleAnswer(PINIT_ONCE, PVOID parameter, PVOID*) {
    const auto* question = static_cast<const Question*>(parameter);
    try {
        std::u16string path;
        if (FAILED(modulePath(question->module, path))) return TRUE;
        const std::u16string publisher =
            packagePublisherFor(reinterpret_cast<const wchar_t*>(path.c_str()));
        moduleAnswer = packageRegistered(question->calls(), publisher);
    } catch (...) {
        // Memory ran out: the classic items stay this time, and the next question tries
        // again.
        return FALSE;
    }
    return TRUE;
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

bool packageRegistered(const PackageCalls& calls, std::u16string_view publisher) {
    if (!calls.familyNameFromId || !calls.packagesByFamily) return false;
    std::u16string name(kPackageName), publisherText(publisher);
    PackageId id{};
    id.processorArchitecture = kNeutralArchitecture;
    id.name = reinterpret_cast<PWSTR>(&name[0]);
    id.publisher = reinterpret_cast<PWSTR>(&publisherText[0]);
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
    Question question{module, calls};
    if (!InitOnceExecuteOnce(&moduleAnswerOnce, workOutModuleAnswer, &question, nullptr)) {
        return false;
    }
    return moduleAnswer;
}
