// Installing with administrator rights: the program started again, elevated,
// for a folder that the user's own rights do not reach.
#pragma once

#include "common/common.h"
#include "shell/unattended.h"

// Puts into folder (kPathSize characters) nsisDir as an elevated program can
// see it: a mapped network drive's folder by its \\server\share name, as the
// drive's letter belongs to the user's logon session alone. FALSE when that
// cannot be formed or does not fit.
BOOL FolderForElevated(const char* nsisDir, WCHAR* folder);

// Starts the program again through the system's elevation prompt, owned by
// dialog, to install into folder (nsisDir as FolderForElevated gives it), and
// returns its process. nullptr when the user declined, or when the start
// failed, which a box owned by dialog tells.
HANDLE StartElevated(HWND dialog, const char* nsisDir, const WCHAR* folder);

// Waits for process to end, closes it, and returns its exit code.
UINT WaitForExitCode(HANDLE process);

// The elevated program's run: installs the package from g_szSetupDir, when
// ready says that UseSetupDir found it, into the folder that arguments name,
// with the usual boxes but no dialog and no completion box, and returns the
// exit code.
UINT RunElevatedInstall(BOOL ready, const Arguments& arguments);
