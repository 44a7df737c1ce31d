// The installer's message boxes. Each is captioned with the setup's title.
#pragma once

#include "common/common.h"

// Room for a system error description, cut to fit.
constexpr int kReasonSize = 256;

// Shows "path", a blank line and text, and returns the button chosen.
int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags);

// Tells the user that copying source to target failed with error and offers
// Retry or Cancel; returns the button chosen.
int AskAfterFailedCopy(HWND owner, const char* source, const char* target, DWORD error);

// Shows "Installation aborted" and returns FALSE, so callers can stop with it.
BOOL ShowAborted(HWND owner);

// Tells the user that the path beginning with partialPath is too long to be
// used, and returns FALSE: the installation stops.
BOOL ShowPathTooLong(HWND owner, const char* partialPath);

// Puts the system's description of error into text (size bytes),
// cut to fit, or "Error N" when the system has none.
void DescribeError(DWORD error, char* text, int size);
