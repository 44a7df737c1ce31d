#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "shell/setup_dir.h"

HINSTANCE g_hInstance;
char g_szSetupDir[kPathSize];

namespace {

constexpr char kUnusableFolderName[] =
    "The name of the package's folder holds characters that this system cannot use here.\n\n"
    "Move the package to a folder with a plain name, such as C:\\Tavrick, and start the setup "
    "again.";

// Opened from inside a zip, the program alone is extracted to a temporary
// folder; run elevated, it cannot see the user's mapped network drives.
constexpr char kPackageNotFound[] =
    "The package's files cannot be found beside TavrickSetup.exe.\n\n"
    "Extract the whole package, with its Example, Include and Plugin folders, to a folder on "
    "this computer and start the setup from there. A network drive is not visible to a setup "
    "that runs as administrator.";

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
  } else if (!PackageIsPresent(g_szSetupDir)) {
    problem = kPackageNotFound;
  }
  if (problem != nullptr) {
    ShowProblem(problem);
    return FALSE;
  }
  return TRUE;
}
