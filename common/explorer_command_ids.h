// The class identifiers of the two Explorer command objects (IExplorerCommand) that
// Windows 11 shows in its first-level context menu: one copies the selection's names, one
// their full paths. The package manifest (tools/msix/manifest.py) reads the text forms
// from this file, so the classes and the package that registers them cannot disagree; a
// class takes its GUID from the initializer beside its text, for example
//     constexpr GUID kClsid = TOVAK_COPY_NAMES_COMMAND_CLSID_INIT;
// The release check (tests/release/check_msix.py) compares each text with its initializer.
#pragma once

#define TOVAK_COPY_NAMES_COMMAND_CLSID_TEXT "{E798A186-4ACC-4C5B-A065-B13C81DF3EBD}"
#define TOVAK_COPY_NAMES_COMMAND_CLSID_INIT                                            \
    {                                                                                  \
        0xE798A186, 0x4ACC, 0x4C5B, { 0xA0, 0x65, 0xB1, 0x3C, 0x81, 0xDF, 0x3E, 0xBD } \
    }

#define TOVAK_COPY_PATHS_COMMAND_CLSID_TEXT "{CAA41F61-5238-4AE4-AD19-C40389F47A97}"
#define TOVAK_COPY_PATHS_COMMAND_CLSID_INIT                                            \
    {                                                                                  \
        0xCAA41F61, 0x5238, 0x4AE4, { 0xAD, 0x19, 0xC4, 0x03, 0x89, 0xF4, 0x7A, 0x97 } \
    }
