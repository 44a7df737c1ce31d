// Installing with administrator rights: the program started again, elevated,
// for a folder that the user's own rights do not reach.
#pragma once

#include "common/common.h"
#include "shell/unattended.h"

// Rewrites path (kPathSize characters) as an elevated program can see it: a
// path on a mapped network drive by its \\server\share name, as the drive's
// letter belongs to the user's logon session alone. FALSE when that name
// cannot be formed or does not fit.
BOOL ReachableWhenElevated(WCHAR* path);

// Puts the program's own path into program (kPathSize characters) as an
// elevated program can reach it; FALSE when it cannot.
BOOL ProgramForElevated(WCHAR* program);

// Starts program (as ProgramForElevated gives it) again through the system's
// elevation prompt, owned by dialog, to install into nsisDir, a full path, or
// with remove to remove from it, and
// returns its process. nullptr when the user declined, or when the start
// failed, which a box owned by dialog tells, naming the program.
HANDLE StartElevated(HWND dialog, const WCHAR* program, const char* nsisDir, BOOL remove);

// Waits for process to end, closes it, and returns its exit code; one that is
// not an installer's (a program ended from Task Manager, or one that crashed)
// counts as a stop.
UINT WaitForExitCode(HANDLE process);

// The elevated program's run: installs the package from g_szSetupDir, when
// ready says that UseSetupDir found it, into the folder that arguments name,
// after the checks of an unattended run, with the usual boxes but no dialog
// and no completion box, and returns the exit code. With /REMOVE it removes
// instead, and shows the removal's completion itself: it alone knows what was kept.
UINT RunElevatedInstall(BOOL ready, const Arguments& arguments);
