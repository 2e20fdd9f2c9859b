// The Windows 11 package step of install and uninstall, with the platform calls faked:
// which children start, in which order, with which command lines, and what is said.
#include <windows.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "resources/setup_resource.h"
#include "setup/setup_app.h"
#include "setup/setup_dialog.h"
#include "tests/setup/ansi_text.h"
#include "tests/setup/fake_platform_calls.h"

namespace {

// A zip's central directory and its end record, naming `entries`: what the tool reads.
std::string zipListing(const std::vector<std::string>& entries) {
    std::string directory;
    auto put = [](std::string& to, unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) to += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    for (const std::string& name : entries) {
        put(directory, 0x02014b50, 4);
        directory.append(24, '\0');
        put(directory, static_cast<unsigned>(name.size()), 2);
        directory.append(16, '\0');
        directory += name;
    }
    std::string zip = "PK\3\4 local entries " + directory;
    put(zip, 0x06054b50, 4);
    zip.append(4, '\0');
    put(zip, static_cast<unsigned>(entries.size()), 2);
    put(zip, static_cast<unsigned>(entries.size()), 2);
    put(zip, static_cast<unsigned>(directory.size()), 4);
    put(zip, static_cast<unsigned>(zip.size() - directory.size() - 16), 4);
    put(zip, 0, 2);
    return zip;
}

const std::string kUnsigned = zipListing({"AppxManifest.xml", "AppxBlockMap.xml"});
const std::string kSigned =
    zipListing({"AppxManifest.xml", "AppxBlockMap.xml", "AppxSignature.p7x"});
const char kPowerShell[] = "C:\\WINDOWS\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
const char kSysnative[] = "C:\\WINDOWS\\Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe";
const char kOptions[] = "\" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"";
const char kRemove[] = "Get-AppxPackage -Name TovakLite | Remove-AppxPackage\"";
const char kAdded[] =
    u8"Windows 11 のエクスプローラのメニューに Tovak "
    u8"を追加しました。\nエクスプローラを再起動するか、"
    u8"サインインし直すと表示されます。";
const char kNotAdded[] =
    u8"Windows 11 のエクスプローラのメニューに Tovak を追加できませんでした。\n「その他のオプション"
    u8"を確認」のメニューで Tovak をご利用ください。\n\n";
const char kNotRemoved[] =
    u8"Windows 11 のエクスプローラのメニューから Tovak を削除できませんでした。\n\n";
const char kStarted[] = u8"「 DllRegisterServer";
const char kUnregisterStarted[] = u8"「 DllUnregisterServer";

TEST(Windows11Package, CommandLinesAndMessagesForEachCase) {
    using Version = std::optional<std::pair<DWORD, DWORD>>;
    const std::string here = "C:\\Tovak\\TovakSetup.exe";
    const std::string quoted = "C:\\Users\\O'Brien\\Tovak's\\TovakSetup.exe";
    const std::string addHere =
        "Add-AppxPackage -Path 'C:\\Tovak\\TovakLite.msix' "
        "-ExternalLocation 'C:\\Tovak'";
    const struct Row {
        const char* what;
        Version version;
        bool wow64;
        std::string program;
        const std::string* package;  // beside the program, or none
        bool runStarts;
        DWORD runExitCode;
        const char* runOutput;   // UTF-8
        std::string powerShell;  // empty: no package step
        std::string add;         // the -Command text that adds
        std::string failure;     // UTF-8; empty: PowerShell succeeds
    } rows[] = {
        {"Windows 10 22H2", Version({10, 19045}), false, here, &kSigned, true, 0, "", "", "", ""},
        {"build 21999", Version({10, 21999}), false, here, &kUnsigned, true, 0, "", "", "", ""},
        {"no RtlGetVersion", std::nullopt, false, here, &kUnsigned, true, 0, "", "", "", ""},
        {"Windows 11 without the package", Version({10, 22000}), false, here, nullptr, true, 0, "",
         "", "", ""},
        {"Windows 11, unsigned", Version({10, 22000}), false, here, &kUnsigned, true, 0, "",
         kPowerShell, addHere + " -AllowUnsigned\"", ""},
        {"Windows 11 24H2, signed", Version({10, 26100}), false, here, &kSigned, true, 0, "",
         kPowerShell, addHere + "\"", ""},
        {"32-bit tool on 64-bit Windows 11", Version({10, 22631}), true, here, &kSigned, true, 0,
         "", kSysnative, addHere + "\"", ""},
        {"a folder with quotes", Version({10, 22000}), false, quoted, &kUnsigned, true, 0, "",
         kPowerShell,
         "Add-AppxPackage -Path 'C:\\Users\\O''Brien\\Tovak''s\\TovakLite.msix' "
         "-ExternalLocation 'C:\\Users\\O''Brien\\Tovak''s' -AllowUnsigned\"",
         ""},
        {"PowerShell reports an error", Version({10, 22000}), false, here, &kSigned, true, 1,
         u8"Add-AppxPackage : 展開に失敗しました。\r\n", kPowerShell, addHere + "\"",
         u8"Add-AppxPackage : 展開に失敗しました。"},
        {"PowerShell ends silently with a status", Version({10, 22000}), false, here, &kSigned,
         true, 0xC0000135, "", kPowerShell, addHere + "\"",
         u8"PowerShell の終了コード: 0xC0000135"},
        {"PowerShell does not start", Version({10, 22000}), false, here, &kSigned, false, 2,
         "File not found.", kPowerShell, addHere + "\"",
         std::string(u8"PowerShell を起動できませんでした。\n") + kPowerShell +
             "\nFile not found."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakePlatformCalls fake;
        fake.windowsVersion = row.version;
        fake.wow64 = row.wow64;
        fake.programPath = row.program;
        if (row.package) {
            fake.files[row.program.substr(0, row.program.rfind('\\')) + "\\TovakLite.msix"] =
                *row.package;
        }
        fake.runStarts = row.runStarts;
        fake.runExitCode = row.runExitCode;
        fake.runOutput = ansiFromUtf8(row.runOutput);
        SetupApp app;
        app.SetPlatform(fake);
        app.Run();
        SetupDialog dialog(app.MainDialogContext());
        LRESULT result = -1;
        fake.answers = {IDYES};
        dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0, result);
        fake.answers = {IDYES};
        dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_UNINSTALL, BN_CLICKED), 0, result);

        // Started and left to run, or run to the end: (program, command line, waited for).
        using Child = std::tuple<std::string, std::string, bool>;
        std::vector<Child> expected = {
            {"C:\\WINDOWS\\system32\\regsvr32.exe", "regsvr32 /c tovak.dll", false},
            {"C:\\WINDOWS\\system32\\regsvr32.exe", "regsvr32 /c /u tovak.dll", false}};
        // The question, then what each command says, in order: the start of the texts
        // that are not this step's, the whole of those that are.
        struct Box {
            std::string text;
            UINT style;
            bool whole;
        };
        std::vector<Box> boxes = {{u8"TovakLite をインストール", 0x24, false},
                                  {kStarted, 0x40, false},
                                  {u8"TovakLite をアンインストール", 0x24, false},
                                  {kUnregisterStarted, 0x40, false}};
        if (!row.powerShell.empty()) {
            const std::string line = "\"" + row.powerShell + kOptions;
            expected.insert(expected.begin() + 1, {row.powerShell, line + row.add, true});
            expected.insert(expected.begin() + 2, {row.powerShell, line + kRemove, true});
            if (row.failure.empty()) {
                boxes.insert(boxes.begin() + 2, {kAdded, 0x40, true});
            } else {
                boxes.insert(boxes.begin() + 2, {kNotAdded + row.failure, 0x30, true});
                boxes.insert(boxes.begin() + 4, {kNotRemoved + row.failure, 0x30, true});
            }
        }
        std::vector<Child> actual;
        for (const FakePlatformCalls::ProcessCall& child : fake.processes) {
            actual.emplace_back(child.applicationName, child.commandLine, child.waitedFor);
        }
        EXPECT_EQ(expected, actual);
        ASSERT_EQ(boxes.size(), fake.messageBoxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::string text = ansiFromUtf8(boxes[i].text.c_str());
            const std::string& shown = fake.messageBoxes[i].text;
            EXPECT_EQ(text, boxes[i].whole ? shown : shown.substr(0, text.size())) << "box " << i;
            EXPECT_EQ(boxes[i].style, fake.messageBoxes[i].style) << "box " << i;
        }
    }
}

}  // namespace
