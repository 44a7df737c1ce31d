// Drives the setup program through each of its windows for scripts/pictures.
// At each window worth a picture it prints "SHOT name x y width height" and
// waits for a line on its input, so the caller can take the picture first.
// Usage: picture_driver SETUP_EXE
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "common/common.h"
#include "support/nsis_key.h"
#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

constexpr int kBrowse = 1005;

void Shot(const char* name, HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  std::printf("SHOT %s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  std::fflush(stdout);
  std::string taken;
  std::getline(std::cin, taken);
}

// One run of the program on a fresh package and NSIS folder; prepare changes
// them first, and drive does the rest.
template <typename Prepare, typename Drive>
void Scenario(const std::string& setupExe, Prepare prepare, Drive drive) {
  ScratchDir scratch("C:", "Tavrick");  // the same names in every run's pictures
  std::string package = scratch / "TavrickPackage";
  std::string nsis = scratch / "NSIS";
  LayOutPackage(package);
  LayOutNsis(nsis);
  CopyFileA(setupExe.c_str(), (package / "TavrickSetup.exe").c_str(), FALSE);
  prepare(package, nsis);
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  SetupProcess setup(package / "TavrickSetup.exe", "", package);
  HWND dialog = setup.WaitForWindow(SETUP_TITLE);
  if (dialog == nullptr) {
    std::fprintf(stderr, "picture_driver: the dialog did not appear\n");
    std::exit(1);
  }
  drive(setup, dialog);
  setup.WaitForExit();
}

void Nothing(const std::string&, const std::string&) {}

void Installed(const std::string&, const std::string& nsis) {
  MarkInstalled(nsis);
}

// Shoots the next box, then answers it.
void ShootBox(SetupProcess& setup, HWND dialog, const char* name, int button) {
  HWND box = setup.WaitForWindow(SETUP_TITLE, dialog);
  Shot(name, box);
  setup.Answer(dialog, button);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  std::string exe = argv[1];
  Scenario(exe, Nothing, [](SetupProcess&, HWND dialog) {
    Shot("setup-dialog", dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Scenario(exe, Nothing, [](SetupProcess& setup, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, kBrowse, 0);
    HWND browser = setup.WaitForWindow("Browse for Folder", dialog);
    if (browser == nullptr) {
      browser = setup.WaitForWindow("", dialog);
    }
    Shot("folder-browser", browser);
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Scenario(
      exe,
      [](const std::string& package, const std::string&) {
        DeleteFileA((package / "Readme.txt").c_str());
      },
      [](SetupProcess& setup, HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ShootBox(setup, dialog, "prompt-missing-source", IDNO);
      });
  Scenario(exe, Installed, [](SetupProcess& setup, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ShootBox(setup, dialog, "prompt-replace", IDCANCEL);
    ShootBox(setup, dialog, "prompt-aborted", IDOK);
  });
  Scenario(
      exe,
      [](const std::string&, const std::string& nsis) {
        MakeFolder(nsis / "Docs\\Tavrick\\Readme.txt");
      },
      [](SetupProcess& setup, HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        setup.Answer(dialog, IDYES);
        ShootBox(setup, dialog, "prompt-copy-failed", IDCANCEL);
        setup.Answer(dialog, IDOK);
      });
  Scenario(exe, Nothing, [](SetupProcess& setup, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ShootBox(setup, dialog, "prompt-completed", IDOK);
  });
  return 0;
}
