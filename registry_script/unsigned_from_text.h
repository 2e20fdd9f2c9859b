// VarUI4FromStr (locale 0, flags 0): text to an unsigned 32-bit number. A failure
// HRESULT when the text is no such number.
#pragma once

#include <cstdint>

#include "common/hresult.h"

HRESULT unsignedFromText(const char16_t* text, std::uint32_t* value);
