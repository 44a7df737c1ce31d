// The installer's message boxes. Each is captioned with the setup's title.
#pragma once

#include "common/common.h"

// Shows "path", a blank line and text, and returns the button chosen.
int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags);

// Shows "Installation aborted" and returns FALSE, so callers can stop with it.
BOOL ShowAborted(HWND owner);

// Tells the user that the path beginning with partialPath is too long to be
// used, and returns FALSE: the installation stops.
BOOL ShowPathTooLong(HWND owner, const char* partialPath);

// Puts the system's description of error into text (size bytes), or makes
// text empty when the system has none.
void DescribeError(DWORD error, char* text, int size);
