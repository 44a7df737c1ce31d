#include "shell/setup_dialog.h"

HINSTANCE g_hInstance;
char g_szSetupDir[kPathSize];

BOOL SetupDirFromModulePath(char* path, DWORD length) {
  if (length >= static_cast<DWORD>(kPathSize)) {
    path[0] = '\0';  // cut short, and perhaps not terminated: not a path to use
    return FALSE;
  }
  DWORD end = length;
  while (end > 0 && path[end] != '\\') {
    --end;
  }
  path[end] = '\0';
  return TRUE;
}
