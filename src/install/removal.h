// Removing what an install wrote: the files its receipt lists, while they are
// unchanged, and nothing else.
#pragma once

#include "common/common.h"

// How a removal ended; each is the program's exit code for it.
enum Removal { kRemovalDone = 0, kRemovalCancelled = 1, kRemovalFailed = 2 };

// Takes out of nsisDir each file that the package's receipt lists and whose
// size and CRC-32 still match, then the receipt, then the folders below
// Docs\<Name> and Examples\<Name> that are left empty. Nothing is deleted
// until every file to go can be: one that cannot is named, with Retry and
// Cancel. Tells of each file whether it was removed, kept as changed since,
// or gone already, and ends with the completion, which names those kept.
Removal RunRemoval(HWND owner, const char* nsisDir);
