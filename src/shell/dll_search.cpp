#include "shell/setup_dialog.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

}  // namespace

void RestrictDllSearchToSystem() {
  // Absent before Windows 8 unless update KB2533623 is installed.
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (found != nullptr) {
    reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(found))(
        LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}
