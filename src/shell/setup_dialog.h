// The setup program's shell: its globals, the setup dialog and the folder browser.
#pragma once

#include "common/common.h"

extern HINSTANCE g_hInstance;         // the program's module
extern char g_szSetupDir[kPathSize];  // the folder that holds the program's file
extern HWND g_hwndInstall;            // the dialog's Install button
extern HWND g_hwndNsisDir;            // the dialog's NSIS directory field

// Lets libraries load only from the system folder, never from the folder the
// program was started from, where a download may have left anything.
void RestrictDllSearchToSystem();

// What the program does first: restricts the library search as above, and
// turns off the system's critical-error boxes, keeping the rest of its mode.
void HardenProcess();

// Cuts the module path in path (length characters, as GetModuleFileNameW
// reported them) to its folder, with no trailing backslash. Returns FALSE, and
// leaves path empty, when the module path did not fit kPathSize characters.
BOOL SetupDirFromModulePath(WCHAR* path, DWORD length);

// Sets g_szSetupDir to the folder of the module path in modulePath (length
// characters, as GetModuleFileNameW reported them). When that folder is too
// long, its name cannot be held exactly in the ANSI code page, or it holds
// none of the package's files, tells the user and returns FALSE: the setup
// cannot go on.
BOOL UseSetupDir(WCHAR* modulePath, DWORD length);

// Puts the NSIS directory that NSIS's installer recorded into buffer
// (kPathSize bytes), or leaves it empty when there is no usable string.
void ReadNsisDirFromRegistry(char* buffer);

INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Puts the full path of the field's text into path (kPathSize bytes) in the
// form the folder browser can select: relative parts resolved, forward slashes
// turned, the long-path prefix dropped. Empty when there is none that fits.
void BrowserStartPath(const char* text, char* path);

// Lets the user choose the NSIS directory in the shell's folder browser.
void BrowseForNsisDir(HWND dialog);
int CALLBACK NsisBrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
