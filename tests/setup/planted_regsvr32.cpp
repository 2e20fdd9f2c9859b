// A program the test plants as regsvr32.exe beside TovakSetup.exe and in its current
// directory, where a search by name would find it first. If it is ever started it
// appends "planted " and its command line to the file named by TOVAK_REGSVR32_RECORD.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOVAK_REGSVR32_RECORD", path, MAX_PATH)) return 1;
    FILE* file = std::fopen(path, "ab");
    if (!file) return 1;
    const char* line = GetCommandLineA();
    std::fputs("planted ", file);
    std::fwrite(line, 1, std::strlen(line), file);
    std::fputc('\n', file);
    std::fclose(file);
    return 0;
}
