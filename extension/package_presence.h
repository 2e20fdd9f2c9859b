// Whether the package that puts the Explorer commands into Windows 11's first-level menu
// is registered for the current user. Where it is, "Show more options" lists its verbs
// already, and the classic context-menu items would show them twice, so the classic
// handler adds none. The two kernel32 calls that tell are found at run time: before
// Windows 8 (and in some Wine versions) they are missing, and the package is then taken
// as not registered.
#pragma once

#include <windows.h>

#include <string>

// kernel32's PACKAGE_ID (appmodel.h), of which the family name reads only `name` and
// `publisher`.
struct PackageId {
    UINT32 reserved;
    UINT32 processorArchitecture;
    UINT64 version;
    PWSTR name;
    PWSTR publisher;
    PWSTR resourceId;
    PWSTR publisherId;
};

// The two calls, each null where the system has none.
struct PackageCalls {
    LONG(WINAPI* familyNameFromId)(const PackageId* id, UINT32* length, PWSTR familyName);
    LONG(WINAPI* packagesByFamily)
    (PCWSTR familyName, UINT32* count, PWSTR* fullNames, UINT32* bufferLength, WCHAR* buffer);
};

// The package's Identity Name.
inline constexpr const char16_t* kPackageName = u"TovakLite";

// kernel32's PackageFamilyNameFromId and GetPackagesByPackageFamily, as far as it has them.
PackageCalls kernel32PackageCalls();

// True when at least one package of the family of kPackageName and `publisher` is
// registered for the current user. False when a call is missing or fails.
bool packageRegistered(const PackageCalls& calls, const std::u16string& publisher);

// The answer for the package of `module`'s Publisher (signer_publisher.h), worked out at
// the first question with the calls `calls` gives (kernel32's, unless a test program asks
// first with others) and kept for the module's life: the signature is read once, never on
// each right-click (unless memory ran out, when the next question tries again). Explorer itself
// picks up a newly registered package only when it restarts. Safe from any thread; throws nothing.
bool modulePackageRegistered(HMODULE module, PackageCalls (*calls)() = kernel32PackageCalls);
