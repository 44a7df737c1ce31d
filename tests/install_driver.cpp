// Installs the package with the real setup program, as a user does, into the
// folder its field shows when the registry names NSIS_DIR: Install, then the
// completion box. Prints the field's text on one line, then the box's text.
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
  HWND dialog = setup.WaitForDialog();
  if (dialog == nullptr) {
    std::fprintf(stderr, "install_driver: the dialog did not appear\n");
    return 1;
  }
  char field[MAX_PATH] = "";
  SendMessageA(GetDlgItem(dialog, 1004), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(field));
  std::printf("%s\n", field);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  std::printf("%s\n", setup.Answer(dialog, IDOK).c_str());
  return setup.WaitForExit();
}
