// Installs the package into an NSIS folder with the real setup program, as a
// user does: Install, then the completion box, whose text it prints.
// Usage: install_driver SETUP_EXE PACKAGE_DIR NSIS_DIR PLUGIN_DLL
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/common.h"
#include "support/nsis_key.h"
#include "support/scratch.h"
#include "support/setup_process.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: install_driver SETUP_EXE PACKAGE_DIR NSIS_DIR PLUGIN_DLL\n");
    return 2;
  }
  std::string package = argv[2];
  std::string nsis = argv[3];
  LayOutPackage(package);
  std::string exe = package / "TavrickSetup.exe";
  if (!CopyFileA(argv[1], exe.c_str(), FALSE) ||
      !CopyFileA(argv[4], (package / "Plugin\\Tavrick.dll").c_str(), FALSE)) {
    std::fprintf(stderr, "install_driver: cannot lay out the package\n");
    return 1;
  }
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  SetupProcess setup(exe, "", package);
  HWND dialog = setup.WaitForWindow(SETUP_TITLE);
  if (dialog == nullptr) {
    std::fprintf(stderr, "install_driver: the dialog did not appear\n");
    return 1;
  }
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  std::printf("%s\n", setup.Answer(dialog, IDOK).c_str());
  return setup.WaitForExit();
}
