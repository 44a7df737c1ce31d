// Paths that reach the program as UTF-16 (its own file, the registry, the
// folder browser) and the 8-bit code page it works in.
#pragma once

#include "common/common.h"

// Puts wide into path (kPathSize bytes) in the ANSI code page, only when every
// character converts exactly: no best-fit look-alikes, no default character.
// When the long form does not, the short (8.3) form of an existing path is
// tried. Returns FALSE, with path empty, when neither converts exactly.
BOOL AnsiPathFromWide(const WCHAR* wide, char* path);
