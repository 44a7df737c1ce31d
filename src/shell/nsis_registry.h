// Where NSIS is: the registry value its installer records, and the places a
// zip, Scoop or a 64-bit build leave it without that value.
#pragma once

#include "common/common.h"

// Puts the NSIS directory that NSIS's installer recorded in the given view of
// the registry (0: the program's own) into buffer (kPathSize bytes), or
// leaves it empty when there is no usable string.
void ReadNsisDirFromRegistry(char* buffer, REGSAM view);

// Puts the folder that %NSISDIR% names into folder (kPathSize bytes) when the
// variable is set and the folder converts exactly and fits; FALSE otherwise.
BOOL ReadNsisDirVariable(char* folder);

// Puts into buffer (kPathSize bytes) the first folder that holds makensis.exe
// of: %NSISDIR%, which every makensis reads when it is set, the registry's
// NSIS directory, the same value in the registry's other view, and NSIS under
// %ProgramFiles%, %ProgramFiles(x86)% and %ProgramW6432%. When none does, the
// registry's text as it is, or nothing.
void FindNsisDir(char* buffer);
