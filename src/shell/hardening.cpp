#include "shell/hardening.h"

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

void HardenProcess() {
  RestrictDllSearchToSystem();
  // A probe of an empty removable drive then fails quietly instead of raising
  // the system's "no disk" box; whatever the system had set is kept.
  SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
}
