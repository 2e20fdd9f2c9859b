// Whether the package is registered, through fakes of kernel32's two calls: registered,
// not registered, calls missing or failing; and the Publisher an unsigned module gives.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "extension/package_presence.h"
#include "extension/signer_publisher.h"

namespace {

// What the fakes answer and what they were asked.
struct FakeKernel {
    LONG familyResult = ERROR_SUCCESS;
    LONG packagesResult = ERROR_SUCCESS;
    UINT32 count = 0;
    std::wstring askedName, askedPublisher, askedFamily;
    UINT32 askedArchitecture = 0;
    int familyCalls = 0, packagesCalls = 0;
};
FakeKernel fake;

constexpr wchar_t kFakeFamily[] = L"TovakLite_fakefamily1";

LONG WINAPI fakeFamilyNameFromId(const PackageId* id, UINT32* length, PWSTR familyName) {
    ++fake.familyCalls;
    fake.askedName = id->name ? id->name : L"(null)";
    fake.askedPublisher = id->publisher ? id->publisher : L"(null)";
    fake.askedArchitecture = id->processorArchitecture;
    if (fake.familyResult != ERROR_SUCCESS) return fake.familyResult;
    const UINT32 needed = sizeof kFakeFamily / sizeof kFakeFamily[0];
    if (*length < needed) {
        *length = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    wcscpy(familyName, kFakeFamily);
    *length = needed;
    return ERROR_SUCCESS;
}

LONG WINAPI fakePackagesByFamily(PCWSTR familyName, UINT32* count, PWSTR* fullNames,
                                 UINT32* bufferLength, WCHAR* buffer) {
    ++fake.packagesCalls;
    fake.askedFamily = familyName;
    // Asked for the count alone: no room for any name.
    EXPECT_EQ(nullptr, fullNames);
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(0u, *count);
    EXPECT_EQ(0u, *bufferLength);
    *count = fake.count;
    *bufferLength = fake.count * 64;
    return fake.packagesResult;
}

TEST(PackagePresence, AnswersFromTheTwoCallsAndTakesMissingOnesAsNotRegistered) {
    const struct {
        const char* label;
        bool familyCall, packagesCall;
        LONG familyResult, packagesResult;
        UINT32 count;
        bool registered;
    } cases[] = {
        {"registered", true, true, ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER, 1, true},
        {"two packages", true, true, ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER, 2, true},
        {"not registered", true, true, ERROR_SUCCESS, ERROR_SUCCESS, 0, false},
        {"no family name", true, true, ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER, 1,
         false},
        {"packages call fails", true, true, ERROR_SUCCESS, ERROR_ACCESS_DENIED, 1, false},
        {"family call missing", false, true, ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER, 1, false},
        {"packages call missing", true, false, ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER, 1, false},
        {"both missing", false, false, ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER, 1, false},
    };
    for (const auto& c : cases) {
        fake = FakeKernel{};
        fake.familyResult = c.familyResult;
        fake.packagesResult = c.packagesResult;
        fake.count = c.count;
        PackageCalls calls{};
        if (c.familyCall) calls.familyNameFromId = fakeFamilyNameFromId;
        if (c.packagesCall) calls.packagesByFamily = fakePackagesByFamily;
        EXPECT_EQ(c.registered, packageRegistered(calls, u"CN=Signer, O=Tovak, C=JP")) << c.label;
        const bool asked = c.familyCall && c.packagesCall;
        EXPECT_EQ(asked ? 1 : 0, fake.familyCalls) << c.label;
        EXPECT_EQ(asked && c.familyResult == ERROR_SUCCESS ? 1 : 0, fake.packagesCalls) << c.label;
        if (!asked) continue;
        EXPECT_EQ(L"TovakLite", fake.askedName) << c.label;
        EXPECT_EQ(L"CN=Signer, O=Tovak, C=JP", fake.askedPublisher) << c.label;
        EXPECT_EQ(11u, fake.askedArchitecture) << c.label << ": PROCESSOR_ARCHITECTURE_NEUTRAL";
        if (fake.packagesCalls) {
            EXPECT_EQ(kFakeFamily, fake.askedFamily) << c.label;
        }
    }
}

// Wine 8 has neither call; wherever the system has them, no such package is registered in
// the test's prefix.
TEST(PackagePresence, TheSystemsCallsFindNoPackageHere) {
    const PackageCalls calls = kernel32PackageCalls();
    EXPECT_FALSE(packageRegistered(calls, std::u16string(kUnsignedPublisher)));
    EXPECT_FALSE(modulePackageRegistered(GetModuleHandleW(nullptr)));
}

// The test program carries no signature.
TEST(SignerPublisher, AnUnsignedOrMissingFileHasNoSignerSubject) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    for (const wchar_t* file : {static_cast<const wchar_t*>(self), L"C:\\no\\such\\file.dll"}) {
        std::u16string subject = u"untouched";
        EXPECT_FALSE(authenticodeSignerSubject(file, subject));
        EXPECT_EQ(u"untouched", subject);
    }
    EXPECT_EQ(u"CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1",
              kUnsignedPublisher);
}

}  // namespace
