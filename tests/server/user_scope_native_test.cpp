// Registering for the current user alone, in the portable logic: which DllInstall command
// lines name which scope, and the class's own registry script run with HKCR standing for
// HKCU\Software\Classes, against the in-memory registry.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "server/classes_root_redirect.h"
#include "server/registration_scope.h"
#include "server/registry_script_interpreter.h"
#include "tests/common/emulated_code_page.h"
#include "tests/server/counting_task_memory.h"
#include "tests/server/memory_registry.h"

namespace {

TEST(RegistrationScope, CommandLines) {
    const struct {
        const char16_t* line;
        bool accepted;
        RegistrationScope scope;
    } cases[] = {
        {nullptr, true, RegistrationScope::Machine},
        {u"", true, RegistrationScope::Machine},
        {u"user", true, RegistrationScope::User},
        {u"USER", true, RegistrationScope::User},
        {u"User", true, RegistrationScope::User},
        {u"uSeR", true, RegistrationScope::User},
        {u"users", false, {}},
        {u"use", false, {}},
        {u" user", false, {}},
        {u"user ", false, {}},
        {u"/i:user", false, {}},
        {u"machine", false, {}},
        {u"\u0130ser", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line
                         ? std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line))
                         : std::string("(null)"));
        // A refused line leaves the scope as it was.
        RegistrationScope scope = RegistrationScope(42);
        EXPECT_EQ(c.accepted, registrationScopeOf(c.line, scope));
        EXPECT_EQ(c.accepted ? c.scope : RegistrationScope(42), scope);
    }
}

std::string classScript() {
    std::ifstream file(TOVAK_SOURCE_DIR "/resources/tovak.rgs", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The lines of a registry dump beneath `root`, with `root` written as "<classes>".
std::string beneath(const std::string& dump, const std::string& root) {
    std::istringstream lines(dump);
    std::string line, out;
    while (std::getline(lines, line)) {
        if (line.compare(0, root.size(), root) != 0) continue;
        const std::string rest = line.substr(root.size());
        if (rest.empty() || rest[0] == '\\' || rest[0] == ' ') out += "<classes>" + rest + "\n";
    }
    return out;
}

class UserScopeScript : public ::testing::TestWithParam<unsigned> {
protected:
    UserScopeScript() : codePage_(GetParam()), machine_(codePage_), user_(codePage_) {}

    // Applies the class's script to the machine's registry as it is, and to the user's
    // through the redirect.
    void apply(bool registering) {
        const std::string script = classScript();
        ASSERT_FALSE(script.empty());
        {
            RegistryScriptInterpreter interpreter(machine_, codePage_, memory_);
            ASSERT_EQ(S_OK, interpreter.substitutions().add(u"Module", u"C:\\PROGRA~1\\tovak.dll"));
            const HRESULT hr = interpreter.applyText(script.c_str(), registering);
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        }
        // The in-memory registry opens one level at a time.
        RegistryKey software = kNoRegistryKey, classes = kNoRegistryKey;
        ASSERT_EQ(0,
                  user_.openKey(kCurrentUser, "Software", registry_access::kAllAccess, &software));
        ASSERT_EQ(0, user_.openKey(software, "Classes", registry_access::kAllAccess, &classes));
        EXPECT_EQ(0, user_.closeKey(software));
        ClassesRootRedirect redirect(user_, classes);
        {
            RegistryScriptInterpreter interpreter(redirect, codePage_, memory_);
            ASSERT_EQ(S_OK, interpreter.substitutions().add(u"Module", u"C:\\PROGRA~1\\tovak.dll"));
            const HRESULT hr = interpreter.applyText(script.c_str(), registering);
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        }
        EXPECT_EQ(0, user_.closeKey(classes));
        EXPECT_EQ(0u, user_.openHandles()) << "a key was left open";
        EXPECT_EQ(0u, user_.invalidHandleUses());
        EXPECT_EQ(0, memory_.outstanding());
    }

    EmulatedCodePage codePage_;
    CountingTaskMemory memory_;
    MemoryRegistry machine_;
    MemoryRegistry user_;
};

TEST_P(UserScopeScript, WritesAndRemovesUnderTheUsersClassesWhatTheMachineGetsInHkcr) {
    user_.addKey("HKCU\\Software\\Classes");
    user_.addKey("HKLM\\Software\\Classes");
    machine_.addKey("HKCR");
    const std::string untouched = beneath(user_.dump(), "HKLM") + beneath(user_.dump(), "HKCR");

    apply(true);
    const std::string registered = beneath(machine_.dump(), "HKCR");
    EXPECT_NE(std::string::npos, registered.find("<classes>\\CLSID\\{73616E24-6788-4341-9EBC-"
                                                 "F422B4988BDC}\\InprocServer32 [ThreadingModel]"));
    EXPECT_EQ(registered, beneath(user_.dump(), "HKCU\\Software\\Classes"));
    EXPECT_EQ(untouched, beneath(user_.dump(), "HKLM") + beneath(user_.dump(), "HKCR"))
        << "nothing beneath the machine's classes";

    apply(false);
    const std::string left = beneath(machine_.dump(), "HKCR");
    EXPECT_EQ(std::string::npos, left.find("73616E24")) << left;
    EXPECT_NE(std::string::npos, left.find("<classes>\\Directory\\Background\\Shellex\\"
                                           "ContextMenuHandlers\n"));
    EXPECT_EQ(left, beneath(user_.dump(), "HKCU\\Software\\Classes"));
}

INSTANTIATE_TEST_SUITE_P(CodePages, UserScopeScript, ::testing::Values(1252u, 932u));

}  // namespace
