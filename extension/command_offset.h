// Offset of a menu command from the first command identifier the shell granted.
#pragma once

enum CommandOffset : unsigned { CopyNames = 0, CopyPaths = 1, CommandCount = 2 };
