// Whether a package file carries a signature: its zip central directory lists
// AppxSignature.p7x, the entry a signed MSIX package holds.
#pragma once

#include <string_view>

// False for a package without the entry and for bytes that are no readable zip.
bool packageIsSigned(std::string_view zip);
