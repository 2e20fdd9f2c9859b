// libFuzzer target: any bytes as a registry script, applied in register mode and then in
// unregister mode, in code pages 1252 and 932, against the in-memory registry. The
// script ends at the first NUL; bytes after it choose a registry operation that fails
// on one key and an allocation from which on memory runs out. Beyond what the
// sanitizers catch, a run must close every key it opened, use no closed handle, give
// back all task memory and answer with one of the HRESULTs the interpreter knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/emulated_code_page.h"
#include "tests/registry_script/instrumented_registry.h"
#include "registry_script/registry_script_interpreter.h"
#include "tests/registry_script/counting_task_memory.h"

namespace {

const char* const kFailurePaths[] = {
    "HKCR",
    "HKCR\\A",
    "HKCR\\A\\B",
    "HKCR\\CLSID",
    "HKCR\\CLSID\\{73616E24}",
    "HKCU",
    "HKCU\\Software",
    "HKCU\\Software\\Tovak",
};

void check(bool condition) {
    if (!condition) std::abort();
}

bool known(HRESULT hr) {
    return hr == S_OK || hr == DISP_E_EXCEPTION || hr == E_FAIL || hr == E_OUTOFMEMORY;
}

void run(const CodePage& codePage, const std::string& script, const std::uint8_t* extra,
         std::size_t extraSize) {
    InstrumentedRegistry registry(codePage);
    registry.addString("HKCR\\CLSID\\{other}", "", "other");
    registry.addKey("HKCR\\A\\B\\C");
    registry.addString("HKCU\\Software\\Tovak", "Named", "x");
    CountingTaskMemory memory;
    {
        RegistryScriptInterpreter interpreter(registry, codePage, memory);
        check(interpreter.substitutions().add(u"Module", u"C:\\it''s\\\u8868\\tovak.dll") == S_OK);
        check(interpreter.substitutions().add(u"V", u"%%") == S_OK);
        if (extraSize >= 2 && extra[0] % 9 < 8) {
            registry.fail(static_cast<InstrumentedRegistry::Operation>(extra[0] % 9),
                          kFailurePaths[extra[1] % (sizeof kFailurePaths / sizeof *kFailurePaths)]);
        }
        if (extraSize >= 3 && extra[2] != 0) memory.failFrom(extra[2]);
        for (const bool registering : {true, false}) {
            const HRESULT hr = interpreter.applyText(script.c_str(), registering);
            check(known(hr));
            check(registry.openHandles() == 0);
            check(registry.invalidHandleUses() == 0);
        }
    }
    check(memory.outstanding() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const EmulatedCodePage westernEurope(1252), japanese(932);
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t scriptSize = end ? static_cast<std::size_t>(end - data) : size;
    const std::string script(reinterpret_cast<const char*>(data), scriptSize);
    const std::uint8_t* extra = end ? end + 1 : nullptr;
    const std::size_t extraSize = end ? size - scriptSize - 1 : 0;
    run(westernEurope, script, extra, extraSize);
    run(japanese, script, extra, extraSize);
    return 0;
}
