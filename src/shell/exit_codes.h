// The process's exit codes, as NSIS installers give them.
#pragma once

#include <windows.h>

constexpr UINT kExitSucceeded = 0;  // all four files are in place
constexpr UINT kExitCancelled = 1;  // the user left before anything was installed
constexpr UINT kExitFailed = 2;     // the run stopped
