// Text that reaches the program as UTF-16 (its own file, the registry, the
// folder browser, a description) and the 8-bit code page it works in.
#pragma once

#include "common/common.h"

// Puts the length characters at wide (-1: up to and with its terminator) into
// text (size bytes) in the ANSI code page, only when every character converts
// exactly: no best-fit look-alikes, no default character. Returns the bytes
// written, or 0 when the text does not convert exactly or does not fit.
int AnsiFromWide(const WCHAR* wide, int length, char* text, int size);

// Puts wide into path (kPathSize bytes) in the ANSI code page, only when every
// character converts exactly. When the long form does not, the short (8.3)
// form of an existing path is tried. Returns FALSE, with path empty, when
// neither converts exactly.
BOOL AnsiPathFromWide(const WCHAR* wide, char* path);
