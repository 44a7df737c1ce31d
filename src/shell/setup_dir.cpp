#include "common/ansi_path.h"
#include "shell/setup_dialog.h"

HINSTANCE g_hInstance;
char g_szSetupDir[kPathSize];

namespace {

constexpr char kUnusableFolderName[] =
    "The name of the package's folder holds characters that this system cannot use here.\n\n"
    "Move the package to a folder with a plain name, such as C:\\Tavrick, and start the setup "
    "again.";

}  // namespace

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

BOOL UseSetupDir(WCHAR* modulePath, DWORD length) {
  const char* problem = nullptr;
  if (!SetupDirFromModulePath(modulePath, length)) {
    problem = kPathTooLong;
  } else if (!AnsiPathFromWide(modulePath, g_szSetupDir)) {
    problem = kUnusableFolderName;
  }
  if (problem != nullptr) {
    MessageBoxA(nullptr, problem, SETUP_TITLE, MB_ICONERROR);
    return FALSE;
  }
  return TRUE;
}
