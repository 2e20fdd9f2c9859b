#include "setup/administrator_rights.h"

bool runsWithAdministratorRights(PlatformCalls& platform) {
    bool elevated = false;
    if (platform.queryTokenElevation(&elevated)) return elevated;
    bool member = false;
    if (platform.queryAdministratorsMembership(&member)) return member;
    return true;
}
