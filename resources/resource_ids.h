// Resource identifiers of tovak.dll.
#pragma once

#define IDI_ICON_CLIP 201
