#include "install/install.h"

namespace {

// The package's name: its sub-folder under NSIS's Docs and Examples.
constexpr char kPackageName[] = "Tavrick";

// The plug-in folders that only NSIS 3 has; any one of them tells it.
constexpr const char* kNsis3PluginFolders[] = {"Plugins\\x86-ansi", "Plugins\\x86-unicode",
                                               "Plugins\\amd64-unicode"};

}  // namespace

// NSIS 3 looks for plug-ins of 8-bit scripts in Plugins\x86-ansi only, which
// its installer may have left out; older versions use Plugins itself.
const InstallItem InstallManifest[kInstallItemCount] = {
    {nullptr, "Readme.txt", "Docs", kPackageName, FALSE},
    {"Example", "TavrickTest.nsi", "Examples", kPackageName, FALSE},
    {"Include", "Tavrick.nsh", "Include", nullptr, FALSE},
    {"Plugin", "Tavrick.dll", "Plugins", "x86-ansi", TRUE},
};

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
