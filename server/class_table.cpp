#include "server/class_table.h"

ClassEntry* moduleClassTable() {
    static ClassEntry table[] = {
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return table;
}
