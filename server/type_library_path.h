// The paths used when registering the module's type library: where a separate ".tlb"
// file is looked for, and the help directory given with the registration.
#pragma once

#include <string>

// The module path with everything from its last '.' replaced by ".tlb". The '.' may lie
// anywhere in the path, a directory name included; a path without '.' gets ".tlb"
// appended.
std::u16string typeLibFallbackPath(const std::u16string& modulePath);

// The directory of a loaded type library path with its trailing separator: the path cut
// right after its last '\', '/' or ':'; empty when it has none of them.
std::u16string typeLibHelpDirectory(const std::u16string& loadedPath);
