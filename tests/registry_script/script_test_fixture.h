// What the registry script tests share: an interpreter over the in-memory registry in
// one of the emulated code pages (the test parameter, 1252 or 932), and the checks run
// after every test: no handle left open or used after its close, no memory kept.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/emulated_code_page.h"
#include "tests/registry_script/instrumented_registry.h"
#include "registry_script/registry_script_interpreter.h"
#include "tests/registry_script/counting_task_memory.h"

// The HRESULT as 0x... in a failure message; EXPECT_HR compares two of them so.
inline std::string hex(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

#define EXPECT_HR(expected, actual) EXPECT_EQ(hex(expected), hex(actual))
#define ASSERT_HR(expected, actual) ASSERT_EQ(hex(expected), hex(actual))

class ScriptTest : public ::testing::TestWithParam<unsigned> {
protected:
    ScriptTest()
        : codePage_(GetParam()),
          registry_(codePage_),
          interpreter_(registry_, codePage_, memory_) {}

    void TearDown() override {
        EXPECT_EQ(0u, registry_.openHandles()) << "a key was left open";
        EXPECT_EQ(0u, registry_.invalidHandleUses()) << "a closed or invalid handle was used";
        interpreter_.substitutions().clear();
        EXPECT_EQ(0, memory_.outstanding()) << "task memory was not given back";
    }

    HRESULT registerText(const std::string& text) {
        return interpreter_.applyText(text.c_str(), true);
    }
    HRESULT unregisterText(const std::string& text) {
        return interpreter_.applyText(text.c_str(), false);
    }
    void addVariable(const std::u16string& name, const std::u16string& value) {
        ASSERT_EQ(S_OK, interpreter_.substitutions().add(name.c_str(), value.c_str()));
    }

    // The text of a REG_SZ value without its terminator; nothing when the value is
    // missing, not a string or not terminated.
    std::optional<std::string> text(const std::string& path, const std::string& name = "") const {
        const auto value = registry_.value(path, name);
        if (!value || value->type != registry_type::kString || value->data.empty() ||
            value->data.back() != 0) {
            return std::nullopt;
        }
        return std::string(value->data.begin(), value->data.end() - 1);
    }

    EmulatedCodePage codePage_;
    InstrumentedRegistry registry_;
    CountingTaskMemory memory_;
    RegistryScriptInterpreter interpreter_;
};

inline std::string codePageName(const ::testing::TestParamInfo<unsigned>& info) {
    return "cp" + std::to_string(info.param);
}

#define TOVAK_SCRIPT_TEST_SUITE(suite) \
    INSTANTIATE_TEST_SUITE_P(CodePages, suite, ::testing::Values(1252u, 932u), codePageName)
