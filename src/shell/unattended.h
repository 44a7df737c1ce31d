// The setup run from a script: its command line and the run without a window.
#pragma once

#include "common/common.h"
#include "shell/exit_codes.h"

// What the command line asks for.
struct Arguments {
  BOOL unattended;      // /S
  BOOL elevated;        // /E: the elevated program that the dialog's Install started
  BOOL remove;          // /REMOVE: take out what the receipt lists instead
  const char* folder;   // /D='s folder, or nullptr without /D=
  const char* problem;  // why /D='s folder cannot be used, or nullptr
  const WCHAR* pack;    // /PACK='s file, to the line's end, or nullptr
};

// Reads the command line as NSIS installers do. A quoted program name ends at
// its closing quote. /S, a whole argument, asks for an unattended run, /E
// for the elevated install, and /REMOVE for removal; /PACK= (PluginSetup.exe), the last argument, the
// file to pack the setup into, up to the line's end; /D=,
// the last argument, names the NSIS folder up to the line's end, spaces and
// all, without quotes, and loses trailing blanks and backslashes (a drive's
// root keeps its own); it must be a full path. The folder goes into folder
// (kPathSize bytes), empty when it cannot be held exactly.
Arguments ReadArguments(const WCHAR* commandLine, char* folder);

// TRUE when the package may be installed into nsisDir: problem (why the
// command line's folder cannot be used) is nullptr, the folder holds
// makensis.exe, and this process has the rights it needs there. Otherwise
// tells why, in a box or, in an unattended run, a line, and returns FALSE.
BOOL CanInstallInto(const char* nsisDir, const char* problem);

// With arguments.remove, removes the package (see install/removal.h) from that
// folder instead, writing a line for each file it lists. Otherwise installs
// the package from g_szSetupDir, when ready says that UseSetupDir
// found it, into the folder that arguments name, or into the one the dialog
// would have found, with no window and no box: every file is replaced, and
// only a whole package goes into a folder that holds makensis.exe. Writes a
// line for each file and a last one with the result to the caller's standard
// handles, and returns the exit code.
UINT RunUnattended(BOOL ready, const Arguments& arguments);
