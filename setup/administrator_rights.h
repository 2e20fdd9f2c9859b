// Whether the setup tool runs with administrator rights, so that regsvr32 may register
// the extension for every user.
#pragma once

#include "setup/framework/platform_calls.h"

// The token's elevation where the system has it (Windows Vista and later); before that,
// membership of the Administrators group; true on a system that has neither (Windows 95,
// 98 and Me, where every program may write everywhere).
bool runsWithAdministratorRights(PlatformCalls& platform);
