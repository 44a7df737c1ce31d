// The folder browser behind the dialog's "..." button.
#pragma once

#include "common/common.h"

// Puts the full path of the field's text into path (kPathSize bytes) in the
// form the folder browser can select: relative parts resolved, forward slashes
// turned, the long-path and device prefixes dropped. Empty when there is none
// that fits.
void BrowserStartPath(const char* text, char* path);

// Lets the user choose the NSIS directory in the shell's folder browser.
void BrowseForNsisDir(HWND dialog);
int CALLBACK NsisBrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
