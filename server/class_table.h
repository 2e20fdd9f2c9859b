// The module's class table: one row per COM class, ended by a row with a null CLSID.
#pragma once

#include "server/class_entry.h"

ClassEntry* moduleClassTable();
