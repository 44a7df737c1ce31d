// Baseline for the install time: the four copies and nothing else, from the
// package beside the program into an NSIS folder beside the package, built
// the same way as the setup.
#include <windows.h>

namespace {

constexpr const char* kCopies[][2] = {
    {"Readme.txt", "..\\NSIS\\Docs\\Tavrick\\Readme.txt"},
    {"Example\\TavrickTest.nsi", "..\\NSIS\\Examples\\Tavrick\\TavrickTest.nsi"},
    {"Include\\Tavrick.nsh", "..\\NSIS\\Include\\Tavrick.nsh"},
    {"Plugin\\Tavrick.dll", "..\\NSIS\\Plugins\\Tavrick.dll"},
};

}  // namespace

extern "C" void SetupEntry() {
  char folder[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
  while (length > 0 && folder[length - 1] != '\\') {
    --length;
  }
  folder[length] = '\0';
  SetCurrentDirectoryA(folder);
  for (const auto& copy : kCopies) {
    CopyFileA(copy[0], copy[1], FALSE);
  }
  ExitProcess(0);
}
