#include "setup/administrator_rights.h"

bool runsWithAdministratorRights(PlatformCalls& platform) {
    bool elevated = false;
    if (platform.QueryTokenElevation(&elevated)) return elevated;
    bool member = false;
    if (platform.QueryAdministratorsMembership(&member)) return member;
    return true;
}
