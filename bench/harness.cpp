// Times the setup program against its baselines under Wine, alternating runs,
// and prints the medians. Usage: harness BUILD_DIR RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/common.h"
#include "support/setup_process.h"

namespace {

const std::string kRoot = "C:\\tavrick-bench";
const std::string kPackage = kRoot + "\\package";
const std::string kNsis = kRoot + "\\NSIS";

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

void Write(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

void LayOut(const std::string& buildDir) {
  for (const std::string& folder :
       {kRoot, kPackage, kPackage + "\\Example", kPackage + "\\Include", kPackage + "\\Plugin",
        kNsis, kNsis + "\\Docs", kNsis + "\\Examples", kNsis + "\\Include", kNsis + "\\Plugins"}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  // Package files of realistic sizes: a readme, a script, a header and a DLL.
  Write(kPackage + "\\Readme.txt", std::string(4000, 'r'));
  Write(kPackage + "\\Example\\TavrickTest.nsi", std::string(2000, 'e'));
  Write(kPackage + "\\Include\\Tavrick.nsh", std::string(3000, 'h'));
  Write(kPackage + "\\Plugin\\Tavrick.dll", std::string(24000, 'd'));
  Write(kNsis + "\\makensis.exe", "MZ");
  for (const char* exe : {"TavrickSetup.exe", "bench\\baseline_dialog.exe",
                          "bench\\baseline_copy.exe", "bench\\baseline_empty.exe"}) {
    std::string name = std::string(exe).substr(std::string(exe).find_last_of('\\') + 1);
    if (!CopyFileA((buildDir + "\\" + exe).c_str(), (kPackage + "\\" + name).c_str(), FALSE)) {
      Fail("cannot copy " + std::string(exe));
    }
  }
  HKEY key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NSIS", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                  nullptr);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNsis.c_str()),
                 static_cast<DWORD>(kNsis.size() + 1));
  RegCloseKey(key);
}

// Removes what an installation left, so each run installs afresh.
void ClearTargets(bool keepPackageFolders) {
  for (const char* file : {"\\Docs\\Tavrick\\Readme.txt", "\\Examples\\Tavrick\\TavrickTest.nsi",
                           "\\Include\\Tavrick.nsh", "\\Plugins\\Tavrick.dll"}) {
    DeleteFileA((kNsis + file).c_str());
  }
  for (const char* folder : {"\\Docs\\Tavrick", "\\Examples\\Tavrick"}) {
    if (keepPackageFolders) {
      CreateDirectoryA((kNsis + folder).c_str(), nullptr);
    } else {
      RemoveDirectoryA((kNsis + folder).c_str());
    }
  }
}

// A process of the program under test, started from the package folder.
struct Process : SetupProcess {
  explicit Process(const std::string& exe) : SetupProcess(exe, "", kPackage) {
    if (!started()) {
      Fail("cannot start " + exe);
    }
  }
  HWND Window(const char* caption, HWND besides = nullptr) {
    HWND window = WaitForWindow(caption, besides);
    if (window == nullptr) {
      Fail(std::string("no window \"") + caption + "\" appeared");
    }
    return window;
  }
  void End() {
    if (WaitForExit() != 0) {
      Fail("a process did not end well");
    }
  }
};

double TimeStartUp(const std::string& exe, const char* caption) {
  double start = NowMs();
  Process process(kPackage + "\\" + exe);
  HWND dialog = process.Window(caption);
  double elapsed = NowMs() - start;
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  process.End();
  return elapsed;
}

// A whole run of the setup: start, Install, the completion box answered, exit.
double TimeSetupInstall(double* clickToBox) {
  ClearTargets(false);
  double start = NowMs();
  Process process(kPackage + "\\TavrickSetup.exe");
  HWND dialog = process.Window(SETUP_TITLE);
  double click = NowMs();
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = process.Window(SETUP_TITLE, dialog);
  *clickToBox = NowMs() - click;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  process.End();
  return NowMs() - start;
}

double TimeRun(const char* exe) {
  double start = NowMs();
  Process process(kPackage + "\\" + exe);
  process.End();
  return NowMs() - start;
}

double TimeBaselineInstall() {
  ClearTargets(true);
  return TimeRun("baseline_copy.exe");
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Row(const char* what, const std::vector<double>& setup, const std::vector<double>& baseline) {
  double a = Median(setup), b = Median(baseline);
  std::printf("| %-30s | %9.1f ms | %9.1f ms | %5.2fx |\n", what, a, b, a / b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    Fail("usage: harness BUILD_DIR RUNS");
  }
  LayOut(argv[1]);
  int runs = std::atoi(argv[2]);
  std::vector<double> setupStart, baseStart, setupInstall, baseInstall, clickToBox, empty;
  TimeStartUp("TavrickSetup.exe", SETUP_TITLE);  // warm Wine's caches before measuring
  TimeStartUp("baseline_dialog.exe", "");
  for (int i = 0; i < runs; ++i) {
    setupStart.push_back(TimeStartUp("TavrickSetup.exe", SETUP_TITLE));
    baseStart.push_back(TimeStartUp("baseline_dialog.exe", ""));
    double click = 0;
    setupInstall.push_back(TimeSetupInstall(&click));
    clickToBox.push_back(click);
    baseInstall.push_back(TimeBaselineInstall());
    empty.push_back(TimeRun("baseline_empty.exe"));
  }
  std::printf("| %-30s | %12s | %12s | %6s |\n", ("median of " + std::to_string(runs)).c_str(),
              "setup", "baseline", "ratio");
  std::printf("|%s|%s|%s|%s|\n", std::string(32, '-').c_str(), std::string(14, '-').c_str(),
              std::string(14, '-').c_str(), std::string(8, '-').c_str());
  Row("start to dialog visible", setupStart, baseStart);
  Row("Install to completion box", clickToBox, baseInstall);
  std::printf("| %-30s | %9.1f ms | %12s | %6s |\n", "whole run, start to exit",
              Median(setupInstall), "", "");
  std::printf("| %-30s | %12s | %9.1f ms | %6s |\n", "empty program, start to exit", "",
              Median(empty), "");
  return 0;
}
