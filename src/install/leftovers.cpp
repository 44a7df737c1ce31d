#include "install/install.h"
#include "install/leftovers.h"

namespace {

// Temporary files that a holder kept from being deleted, to be deleted again.
constexpr int kLeftoverSlots = 8;
char g_leftovers[kLeftoverSlots][kPathSize];

// Only on a local drive can the system delete a file at restart.
void DeleteAtRestart(const char* path) {
  char root[kPathSize];
  if (GetVolumePathNameA(path, root, kPathSize)) {
    UINT type = GetDriveTypeA(root);
    if (type == DRIVE_FIXED || type == DRIVE_REMOVABLE) {
      MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }
}

// TRUE when path is gone; a read-only copy is made deletable first.
BOOL DeleteTemp(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path) || IsAbsent(GetLastError());
}

}  // namespace

void Discard(const char* temp) {
  if (DeleteTemp(temp)) {
    return;
  }
  for (char* slot : g_leftovers) {
    if (slot[0] == '\0') {
      CopyText(slot, kPathSize, temp);
      return;
    }
  }
  DeleteAtRestart(temp);  // every slot is taken
}

BOOL DeleteRemembered(BOOL last) {
  BOOL none = TRUE;
  for (char* slot : g_leftovers) {
    if (slot[0] != '\0' && !DeleteTemp(slot)) {
      if (!last) {
        none = FALSE;
        continue;
      }
      DeleteAtRestart(slot);  // the last resort
    }
    slot[0] = '\0';
  }
  return none;
}

void DeleteLeftovers() {
  for (int attempt = 1; attempt < kQuietAttempts && !DeleteRemembered(FALSE); ++attempt) {
    Sleep(kQuietPauseMs);
  }
  DeleteRemembered(TRUE);
}
