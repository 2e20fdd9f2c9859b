// The type library embedded in tovak.dll as TYPELIB 1, compared point by point with
// what HALVINTLib must describe, and the clipboard icon embedded and shipped beside it.
#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "halvint.h"
#include "resources/resource_ids.h"
#include "common/com_ref.h"
#include "tests/common/module_path.h"

namespace {

constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
const GUID kStdOle = {0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::wstring text(BSTR value) {
    std::wstring copy = value ? std::wstring(value, SysStringLen(value)) : std::wstring();
    SysFreeString(value);
    return copy;
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring path = besideProgram(L"tovak.dll");
        const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library_.Receive());
        ASSERT_EQ(S_OK, hr) << "LoadTypeLibEx failed, hr " << std::hex << hr;
    }

    ComRef<ITypeLib> library_;
};

TEST_F(TypeLibrary, LibraryAttributes) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library_->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(LIBID_HALVINTLib, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(0u, attributes->lcid);
    EXPECT_EQ(kSysKind, attributes->syskind);
    // Loading from a file adds LIBFLAG_FHASDISKIMAGE; the library itself carries none.
    EXPECT_EQ(0, attributes->wLibFlags & ~LIBFLAG_FHASDISKIMAGE);
    library_->ReleaseTLibAttr(attributes);

    BSTR name = nullptr, doc = nullptr, helpFile = nullptr;
    DWORD helpContext = 99;
    ASSERT_EQ(S_OK, library_->GetDocumentation(-1, &name, &doc, &helpContext, &helpFile));
    EXPECT_EQ(L"HALVINTLib", text(name));
    EXPECT_EQ(L"Halvint 1.0 Type Library", text(doc));
    EXPECT_EQ(L"", text(helpFile));
    EXPECT_EQ(0u, helpContext);
    EXPECT_EQ(2u, library_->GetTypeInfoCount());
    for (UINT index = 0; index < 2; ++index) {
        BSTR typeName = nullptr;
        ASSERT_EQ(S_OK, library_->GetDocumentation(static_cast<INT>(index), &typeName, nullptr,
                                                   nullptr, nullptr));
        TYPEKIND kind = TKIND_MAX;
        ASSERT_EQ(S_OK, library_->GetTypeInfoType(index, &kind));
        EXPECT_EQ(kind == TKIND_COCLASS ? L"GotoList" : L"IGotoList", text(typeName));
    }
}

TEST_F(TypeLibrary, GotoListClass) {
    ComRef<ITypeInfo> info;
    ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(CLSID_GotoList, info.Receive()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
    EXPECT_EQ(TYPEFLAG_FCANCREATE, attributes->wTypeFlags);
    EXPECT_EQ(0, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(1, attributes->cImplTypes);
    info->ReleaseTypeAttr(attributes);

    BSTR doc = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr));
    EXPECT_EQ(L"GotoList Class", text(doc));

    INT flags = 0;
    ASSERT_EQ(S_OK, info->GetImplTypeFlags(0, &flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
    HREFTYPE reference = 0;
    ComRef<ITypeInfo> implemented;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(0, &reference));
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(reference, implemented.Receive()));
    ASSERT_EQ(S_OK, implemented->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(IID_IGotoList, attributes->guid));
    implemented->ReleaseTypeAttr(attributes);
}

TEST_F(TypeLibrary, GotoListInterfaceIsDualOnIDispatch) {
    ComRef<ITypeInfo> info;
    ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(IID_IGotoList, info.Receive()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
    // Wine's GetTypeAttr hides TYPEFLAG_FOLEAUTOMATION on the dispatch side; the flags
    // stored in the library are read through ITypeInfo2::GetTypeFlags below.
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE,
              attributes->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION)
        << std::hex << attributes->wTypeFlags;
    EXPECT_EQ(7, attributes->cFuncs);
    EXPECT_EQ(0, attributes->cVars);
    EXPECT_EQ(0, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(7 * sizeof(void*), attributes->cbSizeVft);
    info->ReleaseTypeAttr(attributes);

    ComRef<ITypeInfo2> info2;
    ASSERT_EQ(S_OK,
              info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(info2.Receive())));
    ULONG flags = 0;
    ASSERT_EQ(S_OK, info2->GetTypeFlags(&flags));
    EXPECT_EQ(0x1140u, flags) << std::hex << flags;
    EXPECT_EQ(static_cast<ULONG>(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE),
              flags);

    BSTR doc = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr));
    EXPECT_EQ(L"IGotoList Interface", text(doc));

    // The interface side of the dual interface derives from IDispatch of stdole2.
    HREFTYPE reference = 0;
    ComRef<ITypeInfo> vtableSide;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(-1, &reference));
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(reference, vtableSide.Receive()));
    ASSERT_EQ(S_OK, vtableSide->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
    EXPECT_EQ(0, attributes->cFuncs);
    EXPECT_EQ(7 * sizeof(void*), attributes->cbSizeVft);
    vtableSide->ReleaseTypeAttr(attributes);

    ComRef<ITypeInfo> base;
    ASSERT_EQ(S_OK, vtableSide->GetRefTypeOfImplType(0, &reference));
    ASSERT_EQ(S_OK, vtableSide->GetRefTypeInfo(reference, base.Receive()));
    ASSERT_EQ(S_OK, base->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(IID_IDispatch, attributes->guid));
    base->ReleaseTypeAttr(attributes);
    ComRef<ITypeLib> baseLibrary;
    UINT index = 0;
    ASSERT_EQ(S_OK, base->GetContainingTypeLib(baseLibrary.Receive(), &index));
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(S_OK, baseLibrary->GetLibAttr(&libraryAttributes));
    EXPECT_TRUE(IsEqualGUID(kStdOle, libraryAttributes->guid));
    EXPECT_EQ(2, libraryAttributes->wMajorVerNum);
    EXPECT_EQ(0, libraryAttributes->wMinorVerNum);
    baseLibrary->ReleaseTLibAttr(libraryAttributes);
}

// The DLL's other resources of this part: the type library's language, and the clipboard
// picture, embedded and beside the DLL, in 256 colours at the small-icon sizes of 96,
// 120, 144, 192 and 288 DPI.
#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;  // a resource's image id; a file's entry has a 32-bit offset instead
};
#pragma pack(pop)

void expectIconsIn256Colours(const BYTE* directory, std::size_t entrySize) {
    const BYTE sizes[] = {16, 20, 24, 32, 48};
    const WORD* header = reinterpret_cast<const WORD*>(directory);
    EXPECT_EQ(0, header[0]);
    EXPECT_EQ(1, header[1]);  // icons
    ASSERT_EQ(5, header[2]);
    for (int i = 0; i < 5; ++i) {
        IconDirEntry entry;
        memcpy(&entry, directory + 6 + i * entrySize, sizeof(entry));
        EXPECT_EQ(sizes[i], entry.width);
        EXPECT_EQ(sizes[i], entry.height);
        EXPECT_EQ(8, entry.bitCount);
        EXPECT_EQ(1, entry.planes);
    }
}

TEST(DllResources, TypeLibraryAndClipboardIcon) {
    HMODULE dll =
        LoadLibraryExW(besideProgram(L"tovak.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, dll) << "error " << GetLastError();
    EXPECT_NE(nullptr, FindResourceExW(dll, L"TYPELIB", MAKEINTRESOURCEW(1),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
    const LPCWSTR groupIcon = MAKEINTRESOURCEW(14);  // RT_GROUP_ICON
    HRSRC group = FindResourceW(dll, MAKEINTRESOURCEW(IDI_ICON_CLIP), groupIcon);
    ASSERT_NE(nullptr, group);
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(dll, group)));
    ASSERT_NE(nullptr, directory);
    expectIconsIn256Colours(directory, 14);
    FreeLibrary(dll);

    HANDLE file = CreateFileW(besideProgram(L"tovak.ico").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    BYTE header[6 + 5 * 16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, header, sizeof(header), &read, nullptr));
    CloseHandle(file);
    ASSERT_EQ(sizeof(header), read);
    expectIconsIn256Colours(header, 16);
}

}  // namespace
