// Stands in for the browser that opens help.html: appends its command line, in the ANSI
// code page, to the file named by TOVAK_HELP_RECORD, then ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOVAK_HELP_RECORD", path, MAX_PATH)) return 1;
    FILE* file = std::fopen(path, "ab");
    if (!file) return 1;
    const char* line = GetCommandLineA();
    std::fwrite(line, 1, std::strlen(line), file);
    std::fputc('\n', file);
    std::fclose(file);
    return 0;
}
