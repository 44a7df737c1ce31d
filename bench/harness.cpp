// Times the setup program against its baselines under Wine, alternating runs,
// and prints the medians. Usage: harness BUILD_DIR PACKAGE_DIR PEER_EXE RUNS
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

void CopyOrFail(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    Fail("cannot copy " + from);
  }
}

// The package (prepared by bench/run, so that the peer carries the same
// files), the programs beside it, and an NSIS folder the registry names.
void LayOut(const std::string& buildDir, const std::string& package, const std::string& peer) {
  for (const std::string& folder :
       {kRoot, kPackage, kPackage + "\\Example", kPackage + "\\Include", kPackage + "\\Plugin",
        kNsis, kNsis + "\\Docs", kNsis + "\\Examples", kNsis + "\\Include", kNsis + "\\Plugins"}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  for (const char* file :
       {"Readme.txt", "Example\\TavrickTest.nsi", "Include\\Tavrick.nsh", "Plugin\\Tavrick.dll"}) {
    CopyOrFail(package + "\\" + file, kPackage + "\\" + file);
  }
  Write(kNsis + "\\makensis.exe", "MZ");
  for (const char* exe : {"TavrickSetup.exe", "PluginSetup.exe", "bench\\baseline_copies.exe",
                          "bench\\baseline_dialog.exe", "bench\\baseline_same_dialog.exe",
                          "bench\\baseline_empty.exe"}) {
    std::string name = std::string(exe).substr(std::string(exe).find_last_of('\\') + 1);
    CopyOrFail(buildDir + "\\" + exe, kPackage + "\\" + name);
  }
  CopyOrFail(peer, kPackage + "\\peer_setup.exe");
  // PluginSetup.exe with the same package, described, under the same caption.
  Write(kPackage + "\\PluginSetup.ini",
        "[Package]\r\nName=Tavrick\r\nTitle=" + std::string(SETUP_TITLE) +
            "\r\n[Files]\r\nDocs\\Tavrick\\Readme.txt=Readme.txt\r\n"
            "Examples\\Tavrick\\TavrickTest.nsi=Example\\TavrickTest.nsi\r\n"
            "Include\\Tavrick.nsh=Include\\Tavrick.nsh\r\n"
            "Plugins\\x86-ansi\\Tavrick.dll=Plugin\\Tavrick.dll\r\n");
  // The same, packed into one file by the program itself.
  SetupProcess pack(std::wstring(kPackage.begin(), kPackage.end()) + L"\\PluginSetup.exe",
                    "/PACK=" + kPackage + "\\PackedSetup.exe", kPackage);
  if (pack.WaitForExit() != 0) {
    Fail("PluginSetup.exe /PACK= failed");
  }
  HKEY key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NSIS", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                  nullptr);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNsis.c_str()),
                 static_cast<DWORD>(kNsis.size() + 1));
  RegCloseKey(key);
}

// Where an installation puts the package's files.
constexpr const char* kTargets[] = {"\\Docs\\Tavrick\\Readme.txt",
                                    "\\Examples\\Tavrick\\TavrickTest.nsi",
                                    "\\Include\\Tavrick.nsh", "\\Plugins\\Tavrick.dll"};

// Removes what an installation left, so each run installs afresh.
void ClearTargets(bool keepPackageFolders) {
  for (const char* file : kTargets) {
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

// A time counts only for a run that did its work: every file is in place.
double Installed(const char* exe, double elapsed) {
  for (const char* file : kTargets) {
    if (GetFileAttributesA((kNsis + file).c_str()) == INVALID_FILE_ATTRIBUTES) {
      Fail(std::string(exe) + " did not install " + file);
    }
  }
  return elapsed;
}

// A process of the program under test, started from the package folder.
struct Process : SetupProcess {
  explicit Process(const std::string& exe, const std::string& arguments = "",
                   HANDLE output = nullptr)
      : SetupProcess(std::wstring(kPackage.begin(), kPackage.end()) + L"\\" +
                         std::wstring(exe.begin(), exe.end()),
                     arguments, kPackage, output, output),
        exe(exe) {
    if (!started()) {
      Fail("cannot start " + exe + ", error " + std::to_string(GetLastError()));
    }
  }
  HWND Window(const char* caption, HWND besides = nullptr) {
    HWND window = WaitForWindow(caption, besides);
    if (window == nullptr) {
      Fail(exe + " showed no window \"" + caption + "\"");
    }
    return window;
  }
  std::string exe;
  void End() {
    if (WaitForExit() == -1) {
      Fail("a process did not end");
    }
  }
};

// NSIS names its window after the page it shows first.
const std::string kPeerCaption = std::string(SETUP_TITLE) + ": Installation Folder";

// Start to first window visible; then the window is cancelled.
double TimeStartUp(const char* exe) {
  double start = NowMs();
  Process process(exe);
  HWND window =
      process.Window(std::string(exe) == "peer_setup.exe" ? kPeerCaption.c_str() : SETUP_TITLE);
  double elapsed = NowMs() - start;
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  process.End();
  return elapsed;
}

struct InstallTimes {
  double clickToBox;   // Install pressed to the completion box visible
  double startToExit;  // the whole run, with Install pressed and the box answered at once
};

// A whole run of a program with the setup's dialog: start, Install as soon as
// the dialog shows, the completion box answered as soon as it shows, exit.
InstallTimes TimeInstall(const char* exe) {
  ClearTargets(std::string(exe) != "TavrickSetup.exe");  // the baseline makes no folders
  InstallTimes times;
  double start = NowMs();
  Process process(exe);
  HWND dialog = process.Window(SETUP_TITLE);
  double click = NowMs();
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = process.Window(SETUP_TITLE, dialog);
  times.clickToBox = NowMs() - click;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  process.End();
  times.startToExit = Installed(exe, NowMs() - start);
  return times;
}

double TimeRun(const char* exe, const std::string& arguments = "", HANDLE output = nullptr) {
  double start = NowMs();
  Process process(exe, arguments, output);
  process.End();
  return NowMs() - start;
}

// An install with no window, start to exit, its lines written to NUL, as a
// deployment tool that keeps no log starts it; the baseline makes no folders.
double TimeUnattended(const char* exe) {
  ClearTargets(std::string(exe) == "baseline_copies.exe");
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE nul =
      CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
  double elapsed = TimeRun(exe, std::string(exe) == "baseline_copies.exe" ? "" : "/S", nul);
  CloseHandle(nul);
  return std::string(exe) == "peer_setup.exe" ? elapsed : Installed(exe, elapsed);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Row(const char* what, const std::vector<double>& setup, const char* baselineName,
         const std::vector<double>& baseline, const char* goal) {
  double a = Median(setup), b = Median(baseline);
  std::printf("| %s | %.1f ms | %s | %.1f ms | %.2fx | %s |\n", what, a, baselineName, b, a / b,
              goal);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    Fail("usage: harness BUILD_DIR PACKAGE_DIR PEER_EXE RUNS");
  }
  LayOut(argv[1], argv[2], argv[3]);
  int runs = std::atoi(argv[4]);
  std::vector<double> setupStart, sameStart, emptyStart, peerStart, setupClick, sameClick,
      setupWhole, sameWhole, empty, setupQuiet, copiesQuiet, peerQuiet, setupStartNsisDir,
      sameStartNsisDir, pluginStart, packedStart;
  // Warm Wine's caches before measuring.
  for (const char* exe : {"TavrickSetup.exe", "baseline_same_dialog.exe", "peer_setup.exe"}) {
    TimeStartUp(exe);
  }
  for (int i = 0; i < runs; ++i) {
    setupStart.push_back(TimeStartUp("TavrickSetup.exe"));
    sameStart.push_back(TimeStartUp("baseline_same_dialog.exe"));
    pluginStart.push_back(TimeStartUp("PluginSetup.exe"));
    packedStart.push_back(TimeStartUp("PackedSetup.exe"));
    // As on a machine where Scoop set NSISDIR: the folder is found there first.
    SetEnvironmentVariableA("NSISDIR", kNsis.c_str());
    setupStartNsisDir.push_back(TimeStartUp("TavrickSetup.exe"));
    sameStartNsisDir.push_back(TimeStartUp("baseline_same_dialog.exe"));
    SetEnvironmentVariableA("NSISDIR", nullptr);
    emptyStart.push_back(TimeStartUp("baseline_dialog.exe"));
    peerStart.push_back(TimeStartUp("peer_setup.exe"));
    InstallTimes setup = TimeInstall("TavrickSetup.exe");
    InstallTimes same = TimeInstall("baseline_same_dialog.exe");
    setupClick.push_back(setup.clickToBox);
    sameClick.push_back(same.clickToBox);
    setupWhole.push_back(setup.startToExit);
    sameWhole.push_back(same.startToExit);
    empty.push_back(TimeRun("baseline_empty.exe"));
    setupQuiet.push_back(TimeUnattended("TavrickSetup.exe"));
    copiesQuiet.push_back(TimeUnattended("baseline_copies.exe"));
    peerQuiet.push_back(TimeUnattended("peer_setup.exe"));
  }
  std::printf("| medians of %d alternating runs | setup | against | it | ratio | goal |\n", runs);
  std::printf("|---|---|---|---|---|---|\n");
  Row("start to dialog visible", setupStart, "same dialog, nothing else", sameStart, "1.05x");
  Row("start to dialog visible, NSISDIR set", setupStartNsisDir, "same dialog, nothing else",
      sameStartNsisDir, "1.05x");
  Row("PluginSetup.exe: start to dialog visible", pluginStart, "same dialog, nothing else",
      sameStart, "1.05x");
  Row("PluginSetup.exe packed: start to dialog visible", packedStart, "same dialog, nothing else",
      sameStart, "1.05x");
  Row("PluginSetup.exe packed: start to dialog visible", packedStart,
      "PluginSetup.exe beside its files", pluginStart, "");
  Row("start to dialog visible", setupStart, "empty dialog, no controls", emptyStart, "");
  Row("start to first window", setupStart, "the peer (NSIS script)", peerStart, "");
  Row("Install pressed to completion box", setupClick, "same dialog, four CopyFileA", sameClick,
      "1.2x");
  Row("whole install run, start to exit", setupWhole, "same dialog, four CopyFileA", sameWhole,
      "1.2x");
  Row("unattended install (/S), start to exit", setupQuiet, "four bare CopyFileA, then exit",
      copiesQuiet, "1.3x");
  Row("unattended install (/S), start to exit", setupQuiet, "the peer (NSIS script), /S", peerQuiet,
      "");
  std::printf("| empty program, start to exit | | | %.1f ms | | |\n", Median(empty));
  return 0;
}
