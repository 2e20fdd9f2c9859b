// Times applyText on generated scripts of 1,000 and 10,000 keys, registering and then
// unregistering, against the in-memory registry in code pages 1252 and 932, and prints
// the ratio of the two sizes (about 10 when the time grows linearly). The in-memory
// registry finds keys in sorted maps, which adds a logarithmic factor of its own; the
// same scripts against a registry that stores nothing time the interpreter alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "common/emulated_code_page.h"
#include "registry_script/memory_registry.h"
#include "registry_script/registry_script_interpreter.h"
#include "registry_script/task_memory.h"

namespace {

std::string generateScript(int keys) {
    std::string script = "HKCR\n{\n  NoRemove Bench\n  {\n";
    char line[160];
    for (int i = 0; i < keys; ++i) {
        std::snprintf(line, sizeof line,
                      "    ForceRemove Key%05d = s 'Value of %%MODULE%%' { val Number = d '%d' "
                      "val Bytes = b '0aFf' }\n",
                      i, i);
        script += line;
    }
    return script + "  }\n}\n";
}

// Every call succeeds at once; keys have neither subkeys nor values.
class NullRegistry final : public RegistryAccess {
public:
    explicit NullRegistry(const CodePage&) {}
    long openKey(RegistryKey, const char*, std::uint32_t, RegistryKey* key) override {
        *key = static_cast<RegistryKey>(0x100);
        return 0;
    }
    long createKey(RegistryKey parent, const char* name, std::uint32_t access,
                   RegistryKey* key) override {
        return openKey(parent, name, access, key);
    }
    long closeKey(RegistryKey) override { return 0; }
    long setValue(RegistryKey, const char*, std::uint32_t, const unsigned char*,
                  std::uint32_t) override {
        return 0;
    }
    long deleteKey(RegistryKey, const char*) override { return 0; }
    long deleteValue(RegistryKey, const char*) override { return 0; }
    long enumKey(RegistryKey, std::uint32_t, char*, std::uint32_t) override { return 259; }
    long enumValue(RegistryKey, std::uint32_t, char*, std::uint32_t) override { return 259; }
    long queryInfo(RegistryKey, std::uint32_t* subKeys, std::uint32_t* values) override {
        *subKeys = 0;
        *values = 0;
        return 0;
    }
};

struct Timing {
    double registerSeconds;
    double unregisterSeconds;
};

template <typename Registry>
Timing measure(const CodePage& codePage, const std::string& script) {
    Timing best{1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
        Registry registry(codePage);
        RegistryScriptInterpreter interpreter(registry, codePage, processTaskMemory());
        interpreter.substitutions().add(u"Module", u"C:\\Program Files\\Tovak\\tovak.dll");
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        const HRESULT registered = interpreter.applyText(script.c_str(), true);
        const auto middle = Clock::now();
        const HRESULT unregistered = interpreter.applyText(script.c_str(), false);
        const auto end = Clock::now();
        if (registered != S_OK || unregistered != S_OK) {
            std::printf("applyText failed: 0x%08X 0x%08X\n", static_cast<unsigned>(registered),
                        static_cast<unsigned>(unregistered));
        }
        best.registerSeconds =
            std::min(best.registerSeconds, std::chrono::duration<double>(middle - start).count());
        best.unregisterSeconds =
            std::min(best.unregisterSeconds, std::chrono::duration<double>(end - middle).count());
    }
    return best;
}

void report(const char* registry, unsigned codePage, const char* mode, double small, double large) {
    std::printf("%-9s code page %4u %-10s 1,000 keys %8.2f ms  10,000 keys %8.2f ms  ratio %.1f\n",
                registry, codePage, mode, small * 1e3, large * 1e3, large / small);
}

template <typename Registry>
void run(const char* name, unsigned id, const std::string& small, const std::string& large) {
    const EmulatedCodePage codePage(id);
    const Timing a = measure<Registry>(codePage, small), b = measure<Registry>(codePage, large);
    report(name, id, "register", a.registerSeconds, b.registerSeconds);
    report(name, id, "unregister", a.unregisterSeconds, b.unregisterSeconds);
}

}  // namespace

int main() {
    const std::string small = generateScript(1000), large = generateScript(10000);
    for (const unsigned id : {1252u, 932u}) {
        run<MemoryRegistry>("in-memory", id, small, large);
        run<NullRegistry>("null", id, small, large);
    }
    return 0;
}
