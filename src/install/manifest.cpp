#include "install/install.h"

namespace {

// The package's name: its sub-folder under NSIS's Docs and Examples.
constexpr char kPackageName[] = "Tavrick";

}  // namespace

// NSIS 3 looks for plug-ins of 8-bit scripts in Plugins\x86-ansi only; older
// versions use Plugins itself.
const InstallItem InstallManifest[kInstallItemCount] = {
    {nullptr, "Readme.txt", "Docs", kPackageName, FALSE},
    {"Example", "TavrickTest.nsi", "Examples", kPackageName, FALSE},
    {"Include", "Tavrick.nsh", "Include", nullptr, FALSE},
    {"Plugin", "Tavrick.dll", "Plugins", "x86-ansi", TRUE},
};
