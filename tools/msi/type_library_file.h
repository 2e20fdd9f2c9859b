// What a compiled type library file (the "MSFT" format that widl and MIDL write, and that
// LoadTypeLib reads) says about itself: the library's attributes and, for each type
// description, its kind, flags, GUID and name. Read on any platform, without OLE
// Automation, so that a build machine can list what registering the library writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TypeLibraryFile {
    // TYPEKIND and the type flags that decide which types are registered.
    enum Kind : int { kEnum, kRecord, kModule, kInterface, kDispatch, kCoclass, kAlias, kUnion };
    static constexpr std::uint32_t kFlagDual = 0x40;             // TYPEFLAG_FDUAL
    static constexpr std::uint32_t kFlagOleAutomation = 0x100;   // TYPEFLAG_FOLEAUTOMATION
    static constexpr std::uint16_t kLibraryHasDiskImage = 0x08;  // LIBFLAG_FHASDISKIMAGE

    struct Type {
        int kind = 0;
        std::uint32_t flags = 0;
        std::string guid;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case
        std::string name;
    };

    std::string guid;  // the LIBID, as above
    std::uint32_t lcid = 0;
    int syskind = 0;  // SYS_WIN16 0, SYS_WIN32 1, SYS_MAC 2, SYS_WIN64 3
    std::uint16_t majorVersion = 0;
    std::uint16_t minorVersion = 0;
    std::uint16_t flags = 0;  // as stored, without LIBFLAG_FHASDISKIMAGE
    std::string name;
    std::string helpString;  // empty when the library has none
    std::vector<Type> types;
};

// Reads the library from the bytes of a ".tlb" file. False, with `error` saying why, when
// the bytes are no type library of this format or a table points outside them.
bool readTypeLibraryFile(const std::vector<unsigned char>& bytes, TypeLibraryFile& library,
                         std::string& error);
