#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "shell/setup_dir.h"

HINSTANCE g_hInstance;
char g_szSetupDir[kPathSize];

BOOL SetupDirFromModulePath(WCHAR* path, DWORD length) {
  if (length >= static_cast<DWORD>(kPathSize)) {
    path[0] = L'\0';  // cut short, and perhaps not terminated: not a path to use
    return FALSE;
  }
  DWORD end = length;
  while (end > 0 && path[end] != L'\\') {
    --end;
  }
  path[end] = L'\0';
  return TRUE;
}

BOOL UseSetupDir(WCHAR* modulePath, DWORD length, BOOL needsFiles) {
  const char* problem = nullptr;
  // A package the program carries needs nothing of its folder: it runs from
  // one whose name the code page cannot hold, too.
  if (!SetupDirFromModulePath(modulePath, length)) {
    problem = kPathTooLong;
  } else if (!LoadCarriedPackage()) {
    return FALSE;  // it has told why
  } else if (!AnsiPathFromWide(modulePath, g_szSetupDir) && !IsCarried()) {
    problem = g_package->unusableFolder;
  } else if (!IsCarried() && !LoadPackage(modulePath, modulePath + lstrlenW(modulePath) + 1)) {
    return FALSE;  // the description has told its problem
  } else if (needsFiles && !PackageIsPresent(g_szSetupDir)) {
    problem = g_package->notFound;
  }
  if (problem != nullptr) {
    ShowProblem(problem);
    return FALSE;
  }
  return TRUE;
}
