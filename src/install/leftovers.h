// The installer's temporary files that something held when their copy
// failed: remembered, and deleted again later.
#pragma once

#include "common/common.h"

// A file that was just written may be held for a moment by a virus scanner,
// an indexer or a sync client.
constexpr int kQuietAttempts = 5;
constexpr DWORD kQuietPauseMs = 100;

// Deletes the temporary file temp, or remembers it to be deleted later when
// something holds it.
void Discard(const char* temp);

// Deletes each remembered temporary file that can be deleted now; on the last
// pass, one that cannot is left to the system's restart. TRUE when none remains.
BOOL DeleteRemembered(BOOL last);
