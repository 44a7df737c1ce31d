// Hardening the process against what lies beside it and against system boxes.
#pragma once

#include "common/common.h"

// Lets libraries load only from the system folder, never from the folder the
// program was started from, where a download may have left anything.
void RestrictDllSearchToSystem();

// What the program does first: restricts the library search as above, and
// turns off the system's critical-error boxes, keeping the rest of its mode.
void HardenProcess();
