// The setup run from a script: its command line and the run without a window.
#pragma once

#include "common/common.h"

// Exit codes, as NSIS installers give them.
constexpr UINT kExitSucceeded = 0;
constexpr UINT kExitFailed = 2;

// Reads the command line as NSIS installers do: /S, a whole argument, asks
// for an unattended run, and /D=, the last argument, names the NSIS folder up
// to the line's end, spaces and all, without quotes. Puts that folder into
// folder (kPathSize bytes), empty when it cannot be held exactly, and points
// *given at it; *given is nullptr without /D=. TRUE for an unattended run.
BOOL ReadArguments(const WCHAR* commandLine, char* folder, const char** given);

// Installs the package from g_szSetupDir, when ready says that UseSetupDir
// found it, into nsisDir, or into the folder the dialog would have found when
// that is nullptr, with no window and no box:
// every file is replaced, and only a whole package goes into a folder that
// holds makensis.exe. Writes a line for each file and a last one with the
// result to the caller's standard handles, and returns the exit code.
UINT RunUnattended(BOOL ready, const char* nsisDir);
