#include "install/install.h"

namespace {

// The plug-in folders that only NSIS 3 has; any one of them tells it.
constexpr const char* kNsis3PluginFolders[] = {kAnsiPlugins, kUnicodePlugins, kAmd64Plugins};

// NSIS 3 looks for plug-ins of 8-bit scripts in Plugins\x86-ansi only, which
// its installer may have left out; older versions use Plugins itself.
constexpr InstallItem InstallManifest[] = {
    {"Readme.txt", "Docs\\Tavrick", "Readme.txt"},
    {"Example\\TavrickTest.nsi", "Examples\\Tavrick", "TavrickTest.nsi"},
    {"Include\\Tavrick.nsh", "Include", "Tavrick.nsh"},
    {"Plugin\\Tavrick.dll", kAnsiPlugins, "Tavrick.dll"},
};

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

const Package kTavrickPackage = {"Tavrick",
                                 SETUP_TITLE,
                                 "Installation complite",
                                 "File does not exists. Continue?",
                                 kPackageNotFound,
                                 kUnusableFolderName,
                                 sizeof InstallManifest / sizeof InstallManifest[0],
                                 InstallManifest};

BOOL IsUnder(const char* folder, const char* top) {
  char head[kPathSize];
  int length = lstrlenA(top);
  CopyText(head, length + 1, folder);
  return lstrcmpiA(head, top) == 0 && (folder[length] == '\0' || folder[length] == '\\');
}

BOOL PackageHas(const char* folder) {
  for (const InstallItem& item : g_package) {
    if (lstrcmpiA(item.folder, folder) == 0) {
      return TRUE;
    }
  }
  return FALSE;
}

DWORD ProbeNsis3(const char* nsisDir, BOOL* nsis3) {
  char folder[kPathSize];
  for (const char* name : kNsis3PluginFolders) {
    DWORD probe = FormPath(folder, nsisDir, name) ? ProbeFolder(folder) : ERROR_FILE_NOT_FOUND;
    *nsis3 = probe == ERROR_SUCCESS;
    if (!IsAbsent(probe)) {
      return probe;
    }
  }
  return ERROR_SUCCESS;
}
