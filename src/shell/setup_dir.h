// Where the program is: its module and the setup directory that holds its file.
#pragma once

#include "common/common.h"

extern HINSTANCE g_hInstance;         // the program's module
extern char g_szSetupDir[kPathSize];  // the folder that holds the program's file

// Cuts the module path in path (length characters, as GetModuleFileNameW
// reported them) to its folder, with no trailing backslash; the program's file
// name still follows the folder's terminator. Returns FALSE, and
// leaves path empty, when the module path did not fit kPathSize characters.
BOOL SetupDirFromModulePath(WCHAR* path, DWORD length);

// Sets g_szSetupDir to the folder of the module path in modulePath (length
// characters, as GetModuleFileNameW reported them), and loads the program's
// package. When that folder is too long, its name cannot be held exactly in
// the ANSI code page, the package's description cannot be used, or, where
// needsFiles says that they are, the folder holds none of the package's files, tells the user and returns FALSE: the
// setup cannot go on.
BOOL UseSetupDir(WCHAR* modulePath, DWORD length, BOOL needsFiles);
