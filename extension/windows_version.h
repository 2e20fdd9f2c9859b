// Which kind of Windows runs this process, as far as the menu cares.
#pragma once

// True on Windows NT 4.0, where menu items are plain text instead of owner-drawn.
bool isWindowsNT4();
