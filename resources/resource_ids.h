// Resource identifiers of tovak.dll.
#pragma once

#define IDI_ICON_CLIP 201

// The registry script that DllRegisterServer and DllUnregisterServer apply (type "REGISTRY").
#define IDR_GOTOLIST_SCRIPT 101
