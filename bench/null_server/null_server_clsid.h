// The class of the benchmark's do-nothing context-menu handler.
#pragma once

#include <windows.h>

// {5E7C0B1A-3F2D-4C6B-9A41-0D8E2B7F6C35}
const CLSID kNullHandlerClsid = {
    0x5E7C0B1A, 0x3F2D, 0x4C6B, {0x9A, 0x41, 0x0D, 0x8E, 0x2B, 0x7F, 0x6C, 0x35}};
