// The files and folders that NSIS 3 itself installs, which no plug-in package
// may replace or share.
#pragma once

#include "common/common.h"

// TRUE when name, in folder (Include, or one of the Plugins folders), is one
// of NSIS's own headers or plug-ins, compared as Windows compares names.
BOOL IsNsisFile(const char* folder, const char* name);

// TRUE when name is one of the folders of NSIS's own Docs or Examples.
BOOL IsNsisFolder(const char* name);
