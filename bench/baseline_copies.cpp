// The floor for an unattended install: a process that makes the same four
// copies with bare CopyFileA calls into folders that are there, and exits.
#include <windows.h>

namespace {

constexpr const char* kCopies[][2] = {
    {"C:\\tavrick-bench\\package\\Readme.txt",
     "C:\\tavrick-bench\\NSIS\\Docs\\Tavrick\\Readme.txt"},
    {"C:\\tavrick-bench\\package\\Example\\TavrickTest.nsi",
     "C:\\tavrick-bench\\NSIS\\Examples\\Tavrick\\TavrickTest.nsi"},
    {"C:\\tavrick-bench\\package\\Include\\Tavrick.nsh",
     "C:\\tavrick-bench\\NSIS\\Include\\Tavrick.nsh"},
    {"C:\\tavrick-bench\\package\\Plugin\\Tavrick.dll",
     "C:\\tavrick-bench\\NSIS\\Plugins\\Tavrick.dll"},
};

}  // namespace

extern "C" void SetupEntry() {
  for (const auto& copy : kCopies) {
    CopyFileA(copy[0], copy[1], FALSE);
  }
  ExitProcess(0);
}
