#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/install.h"
#include "res/resource.h"
#include "shell/elevation.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "support/expect.h"
#include "support/message_boxes.h"
#include "support/nsis_key.h"
#include "support/planted_faults.h"
#include "support/scratch.h"

namespace {

std::string FieldText() {
  char text[400] = "";
  GetWindowTextA(g_hwndNsisDir, text, sizeof text);
  return text;
}

bool QuitPosted() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Delivers a key press the way the program's message loop does.
void PressKey(HWND dialog, WPARAM key) {
  MSG msg = {GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
  IsDialogMessageA(dialog, &msg);
}

class SetupDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    LayOutPackage(setup);
    LayOutNsis(nsis);
    g_hInstance = GetModuleHandleA(nullptr);
    lstrcpyA(g_szSetupDir, setup.c_str());
  }
  void TearDown() override {
    if (IsWindow(dialog)) {
      DestroyWindow(dialog);
    }
    QuitPosted();
  }
  void Open(const Arguments* arguments = nullptr) {
    dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc,
                                reinterpret_cast<LPARAM>(arguments));
    ASSERT_NE(dialog, nullptr);
  }
  void Type(const std::string& text) {
    SendMessageA(g_hwndNsisDir, EM_SETSEL, 0, -1);
    SendMessageA(g_hwndNsisDir, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void DeleteLastCharacter() {
    int length = GetWindowTextLengthA(g_hwndNsisDir);
    SendMessageA(g_hwndNsisDir, EM_SETSEL, length - 1, length);
    SendMessageA(g_hwndNsisDir, WM_CLEAR, 0, 0);
  }
  bool InstallEnabled() {
    return IsWindowEnabled(g_hwndInstall) != FALSE;
  }

  ScratchDir scratch;
  std::string setup = scratch / "package";
  std::string nsis = scratch / "NSIS";
  HWND dialog = nullptr;
};

// What the field and Install show at start, for each kind of registry value.
struct StartCase {
  const char* name;
  DWORD type;        // REG_NONE: no key at all
  std::string data;  // "@" stands for the NSIS folder
  std::string field;
  bool installEnabled;
  // Where else the NSIS folder is named: "view" for the registry's other
  // view, or an environment variable that names it (NSISDIR) or its parent.
  const char* elsewhere = nullptr;
};

// Sets an environment variable for as long as the object lives.
class Variable {
 public:
  Variable(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, old, MAX_PATH);
    had_ = length > 0 && length < MAX_PATH;
    old_ = had_ ? old : "";
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~Variable() {
    SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr);
  }

 private:
  std::string name_;
  std::string old_;
  bool had_;
};

class StartTest : public SetupDialogTest, public testing::WithParamInterface<StartCase> {
 protected:
  std::string Expand(std::string text) {
    size_t at = text.find('@');
    return at == std::string::npos ? text : text.replace(at, 1, nsis);
  }
};

TEST_P(StartTest, FieldAndInstallFollowTheRegistry) {
  const StartCase& c = GetParam();
  SetEnvironmentVariableA("TAVRICK_TEST_NSIS", nsis.c_str());
  MakeFolder(scratch / "plain");
  LayOutNsis(scratch / "other");
  std::unique_ptr<NsisKey> key;
  if (c.type == REG_NONE) {
    key = std::make_unique<NsisKey>();
  } else {
    key = std::make_unique<NsisKey>(c.type, Expand(c.data));
  }
  std::unique_ptr<NsisKey> otherKey;
  std::unique_ptr<Variable> variable;
  if (c.elsewhere != nullptr && std::string(c.elsewhere) == "view") {
    otherKey = std::make_unique<NsisKey>(REG_SZ, NsisKey::Sz(nsis), NsisKey::kOtherView);
  } else if (c.elsewhere != nullptr) {
    bool folderItself = std::string(c.elsewhere) == "NSISDIR";
    variable = std::make_unique<Variable>(c.elsewhere, folderItself ? nsis : scratch.path());
  }
  MessageBoxScript script;
  Open();
  EXPECT_EQ(FieldText(), Expand(c.field));
  EXPECT_EQ(InstallEnabled(), c.installEnabled);
  EXPECT_TRUE(script.shown().empty());
}

const std::string k259(259, 'x');

INSTANTIATE_TEST_SUITE_P(
    Values, StartTest,
    testing::Values(
        StartCase{"NsisFolder", REG_SZ, NsisKey::Sz("@"), "@", true},
        StartCase{"NoTerminator", REG_SZ, "@", "@", true},
        StartCase{"Expandable", REG_EXPAND_SZ, NsisKey::Sz("%TAVRICK_TEST_NSIS%"), "@", true},
        StartCase{"FolderWithoutMakensis", REG_SZ, NsisKey::Sz("@\\..\\plain"), "@\\..\\plain",
                  false},
        StartCase{"NoKey", REG_NONE, "", "", false},
        StartCase{"OtherView", REG_SZ, NsisKey::Sz("@\\..\\plain"), "@", true, "view"},
        StartCase{"NsisDirVariable", REG_NONE, "", "@", true, "NSISDIR"},
        StartCase{"NsisDirFirst", REG_SZ, NsisKey::Sz("@\\..\\other"), "@", true, "NSISDIR"},
        StartCase{"ProgramFiles", REG_NONE, "", "@", true, "ProgramFiles"},
        StartCase{"ProgramFilesX86", REG_NONE, "", "@", true, "ProgramFiles(x86)"},
        StartCase{"ProgramW6432", REG_NONE, "", "@", true, "ProgramW6432"},
        StartCase{"Number", REG_DWORD, std::string("\x01\x02\x03\x04", 4), "", false},
        StartCase{"Binary", REG_BINARY, "@", "", false},
        StartCase{"MultiString", REG_MULTI_SZ, "@" + std::string(2, '\0'), "", false},
        StartCase{"LongestThatFits", REG_SZ, NsisKey::Sz(k259), k259, false},
        StartCase{"LongestWithoutTerminator", REG_SZ, k259, k259, false},
        StartCase{"TooLong", REG_SZ, NsisKey::Sz(k259 + "y"), "", false},
        StartCase{"TooLongWithoutTerminator", REG_SZ, k259 + "y", "", false}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// A value with characters outside the code page is taken only in a form that
// names the same folder exactly: its short form, or nothing.
struct WideValueCase {
  const char* name;
  std::wstring path;  // under the scratch folder, which holds NSIS and plain
  bool makeNsis;      // make the folder, with makensis.exe in it
  bool shown;
};

class WideValueTest : public SetupDialogTest, public testing::WithParamInterface<WideValueCase> {};

TEST_P(WideValueTest, FieldNamesTheSameFolderOrNothing) {
  const WideValueCase& c = GetParam();
  MakeFolder(scratch / "plain");
  std::wstring folder = Widen(scratch.path()) + c.path;
  if (c.makeNsis) {
    MakeNsisFolderW(folder);
  }
  NsisKey key(folder);
  Open();
  std::string field = FieldText();
  EXPECT_EQ(field.empty(), !c.shown) << field;
  EXPECT_EQ(field.find('?'), std::string::npos) << field;
  EXPECT_EQ(InstallEnabled(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WideValueTest,
    testing::Values(WideValueCase{"Cyrillic", L"\\\u041f\u0451\u0442\u0440", true, true},
                    WideValueCase{"CyrillicMissing", L"\\\u041f\u0451\u0442\u0440", false, false},
                    // A best fit would read "plain\..\NSIS", the real NSIS folder.
                    WideValueCase{"LookAlike", L"\\plain\\\uff0e\uff0e\\NSIS", false, false}),
    [](const testing::TestParamInfo<WideValueCase>& info) { return std::string(info.param.name); });

TEST_F(SetupDialogTest, KeyWithoutDefaultValueLeavesTheFieldEmpty) {
  NsisKey key{NsisKey::NoDefault{}};
  Open();
  EXPECT_EQ(FieldText(), "");
}

TEST_F(SetupDialogTest, InstallFollowsTheTextAsItIsTyped) {
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  Open();
  ASSERT_TRUE(InstallEnabled());
  DeleteLastCharacter();
  EXPECT_FALSE(InstallEnabled());
  SendMessageA(g_hwndNsisDir, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(&nsis.back()));
  EXPECT_EQ(FieldText(), nsis);
  EXPECT_TRUE(InstallEnabled());
}

TEST_F(SetupDialogTest, TrailingBackslashIsKeptAndStillFindsMakensis) {
  NsisKey key;
  Open();
  Type(nsis + "\\");
  EXPECT_EQ(FieldText(), nsis + "\\");
  EXPECT_TRUE(InstallEnabled());  // "...\NSIS\\makensis.exe" names the same file
}

// Typing past every limit leaves no more than a read of the field can take.
// Without horizontal scrolling the field's width stops typing (and pasting)
// long before its text limit, so that limit itself cannot be reached here.
TEST_F(SetupDialogTest, TypingStopsBeforeAReadWouldCutTheText) {
  NsisKey key;
  Open();
  EXPECT_EQ(GetWindowLongA(g_hwndNsisDir, GWL_STYLE) & ES_AUTOHSCROLL, 0);
  Type(std::string(kPathSize + 40, 'x'));
  EXPECT_LE(FieldText().size(), size_t{kPathSize - 1});
}

// An NSIS 3 folder (any of its plug-in folders tells it) gets the plug-in in
// x86-ansi and the line a script needs; %NSISDIR% naming another folder, which
// makensis would read instead, is named. Nothing goes into a Unicode folder.
struct CompletionCase {
  const char* name;
  const char* pluginFolder;  // under Plugins, or nullptr: NSIS 2
  const char* nsisDir;       // %NSISDIR% under the scratch folder ("": empty), or nullptr: not set
  const char* installedDll;
  bool advice;
  bool note;
  bool unusable = false;  // %NSISDIR% names no folder: makensis cannot use it
};

class CompletionTest : public SetupDialogTest,
                       public testing::WithParamInterface<CompletionCase> {};

TEST_P(CompletionTest, InstallClosesTheDialogBeforeItReportsCompletion) {
  const CompletionCase& c = GetParam();
  if (c.pluginFolder != nullptr) {
    MakeFolder(nsis / "Plugins" / c.pluginFolder);
  }
  MakeFolder(scratch / "other");  // another NSIS, which makensis would read
  std::unique_ptr<Variable> variable;
  if (c.nsisDir != nullptr) {
    variable = std::make_unique<Variable>("NSISDIR", *c.nsisDir ? scratch / c.nsisDir : "");
  }
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  Open();
  Type(nsis);  // the NSIS folder as the user spells it, whatever the field showed
  bool dialogGone = false;
  MessageBoxScript script{Answer{IDOK, [&](HWND) { dialogGone = !IsWindow(dialog); }}};
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(script.shown().size(), 1u);
  const ShownBox& box = script.shown()[0];
  EXPECT_EQ(box.flags, UINT{MB_ICONINFORMATION});
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text.rfind("Installation complite", 0), 0u);
  EXPECT_EQ(box.text == "Installation complite", !c.advice && !c.note && !c.unusable) << box.text;
  EXPECT_EQ(box.text.find("\n\nTavrick is an ANSI plug-in: a script that uses it needs the line "
                          "\"Target x86-ansi\"") != std::string::npos,
            c.advice)
      << box.text;
  EXPECT_EQ(box.text.find("from " + scratch / "other" + ", not from") != std::string::npos, c.note)
      << box.text;
  EXPECT_EQ(box.text.find("which makensis cannot use") != std::string::npos, c.unusable)
      << box.text;
  EXPECT_TRUE(dialogGone);
  EXPECT_TRUE(QuitPosted());
  EXPECT_EQ(ReadFile(nsis / c.installedDll), "Plugin\\Tavrick.dll");
  EXPECT_FALSE(Exists(nsis / "Plugins\\x86-unicode\\Tavrick.dll"));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CompletionTest,
    testing::Values(
        CompletionCase{"Nsis2", nullptr, nullptr, "Plugins\\Tavrick.dll", false, false},
        CompletionCase{"Nsis3", "x86-unicode", nullptr, "Plugins\\x86-ansi\\Tavrick.dll", true,
                       false},
        CompletionCase{"Nsis3Amd64", "amd64-unicode", nullptr, "Plugins\\x86-ansi\\Tavrick.dll",
                       true, false},
        CompletionCase{"NsisDirElsewhere", nullptr, "other", "Plugins\\Tavrick.dll", false, true},
        CompletionCase{"NsisDirInOtherCase", nullptr, "nsis", "Plugins\\Tavrick.dll", false, false},
        CompletionCase{"NsisDirEmpty", nullptr, "", "Plugins\\Tavrick.dll", false, false},
        CompletionCase{"NsisDirWithTrailingBackslash", nullptr, "NSIS\\", "Plugins\\Tavrick.dll",
                       false, false},
        CompletionCase{"NsisDirNamesMakensis", nullptr, "NSIS\\makensis.exe",
                       "Plugins\\Tavrick.dll", false, false, true}),
    [](const testing::TestParamInfo<CompletionCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(SetupDialogTest, StoppedInstallationEndsWithoutCompletion) {
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  DeleteFileA((setup / "Readme.txt").c_str());
  Open();
  MessageBoxScript script{IDNO};
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(script.shown().size(), 1u);
  EXPECT_EQ(Describe(script.shown()[0]), MissingBox(setup / "Readme.txt"));
  EXPECT_EQ(script.shown()[0].owner, dialog);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(QuitPosted());
}

// A scanner that still held a temporary file when the user stopped lets go
// later: the setup deletes the file as it ends.
TEST_F(SetupDialogTest, TemporaryFileHeldPastTheBoxIsDeletedAsTheSetupEnds) {
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  std::string docs = nsis / "Docs\\Tavrick";
  WriteFile(docs / "Readme.txt", "old");
  HANDLE viewer = OpenForReading(docs / "Readme.txt");
  TempFileHolder scanner(docs);
  Open();
  MessageBoxScript script{IDYES, IDCANCEL, Answer{IDOK, [&](HWND) { scanner.Release(); }}};
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  CloseHandle(viewer);
  EXPECT_EQ(script.shown().size(), 3u);
  EXPECT_EQ(FolderContents(docs), std::vector<std::string>{"Readme.txt"});
}

// The dialog manager delivers Enter as Install even while the button is
// disabled (Windows does; Wine holds it back), so the command itself must
// not install into a folder without makensis.exe.
TEST_F(SetupDialogTest, InstallCommandDoesNothingWhileInstallIsDisabled) {
  NsisKey key;
  Open();
  ASSERT_FALSE(InstallEnabled());
  MessageBoxScript script;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_FALSE(QuitPosted());
  EXPECT_TRUE(script.shown().empty());
  EXPECT_FALSE(Exists(nsis / "Docs\\Tavrick"));
}

// Cancel, Esc and the close box all end the program at once.
struct EndCase {
  const char* name;
  void (*end)(HWND dialog);
};

class EndTest : public SetupDialogTest, public testing::WithParamInterface<EndCase> {};

TEST_P(EndTest, DestroysTheDialogAndQuits) {
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  Open();
  MessageBoxScript script;
  GetParam().end(dialog);
  // The close box arrives as a posted command; deliver what is queued.
  MSG msg;
  DWORD deadline = GetTickCount() + 5000;
  while (IsWindow(dialog) && GetTickCount() < deadline &&
         PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(0);
      break;
    }
    DispatchMessageA(&msg);
  }
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(QuitPosted());
  EXPECT_TRUE(script.shown().empty());
  EXPECT_FALSE(Exists(nsis / "Docs\\Tavrick"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndTest,
    testing::Values(EndCase{"Cancel", [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
                    EndCase{"Esc",
                            [](HWND d) {
                              SetFocus(g_hwndNsisDir);
                              PressKey(d, VK_ESCAPE);
                            }},
                    EndCase{"CloseBox",
                            [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// Install where the folder needs rights this process lacks: the program starts
// itself again elevated, through the system's prompt, and the dialog follows
// what becomes of that.
struct ElevationCase {
  const char* name;
  std::vector<Fault> faults;  // how the folder's probes fail
  bool elevates;              // the shield shows and Install starts the program elevated
  DWORD error;                // the start fails so, or 0: the program starts and ends with exitCode
  DWORD exitCode;             // also the code the dialog ends the program with, at most 2
  const char* boxEnd;         // how the one box shown ends, or nullptr: none
  UINT driveType = DRIVE_FIXED;  // what the system calls the folder's drive
  bool installed = false;        // the folder holds the package already
  bool relative = false;         // the folder is typed relative to the current one
  bool removes = false;          // the dialog removes; the elevated program tells the result
};

const Fault kDenied = {"CreateFileA", "nsp-probe.tmp", ERROR_ACCESS_DENIED};

struct ElevatedStart {
  DWORD error;
  DWORD exitCode;
  HWND owner;
  std::wstring verb, file, parameters;
} g_start;

BOOL WINAPI FakeShellExecuteEx(SHELLEXECUTEINFOW* info) {
  g_start.owner = info->hwnd;
  g_start.verb = info->lpVerb;
  g_start.file = info->lpFile;
  g_start.parameters = info->lpParameters;
  if (g_start.error != 0) {
    SetLastError(g_start.error);
    return FALSE;
  }
  // A stand-in for the elevated program: it ends with the row's exit code.
  std::wstring line = L"cmd.exe /c exit " + std::to_wstring(static_cast<int>(g_start.exitCode));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                 &startup, &process);
  CloseHandle(process.hThread);
  info->hProcess = process.hProcess;
  return TRUE;
}

UINT WINAPI RemoteDrive(LPCSTR) {
  return DRIVE_REMOTE;
}

BOOL WINAPI NotElevated(HANDLE, TOKEN_INFORMATION_CLASS, void* information, DWORD, DWORD*) {
  static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = FALSE;
  return TRUE;
}

WNDPROC g_installProc;
LPARAM g_shield = -1;  // what the last BCM_SETSHIELD said

LRESULT CALLBACK ShieldSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BCM_SETSHIELD) {
    g_shield = lParam;
  }
  return CallWindowProcA(g_installProc, window, message, wParam, lParam);
}

class ElevationTest : public SetupDialogTest, public testing::WithParamInterface<ElevationCase> {};

TEST_P(ElevationTest, InstallStartsTheProgramElevatedWhenTheFolderNeedsIt) {
  const ElevationCase& c = GetParam();
  std::string folder = scratch / "N S";  // typed whole: the field does not scroll
  LayOutNsis(folder);
  if (c.installed) {
    MarkInstalled(folder);
  }
  g_start = {c.error, c.exitCode, nullptr, L"", L"", L""};
  PlantedFaults denied(c.faults);
  PlantedImport token("GetTokenInformation", reinterpret_cast<void*>(NotElevated));
  std::optional<PlantedImport> drive;
  if (c.driveType == DRIVE_REMOTE) {
    drive.emplace("GetDriveTypeA", reinterpret_cast<void*>(RemoteDrive));
  }
  PlantedImport shell("ShellExecuteExW", reinterpret_cast<void*>(FakeShellExecuteEx));
  Arguments arguments = {};
  arguments.remove = c.removes;
  Open(&arguments);
  g_installProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(g_hwndInstall, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShieldSpy)));
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(scratch.path().c_str());
  Type(c.relative ? "N S" : folder);
  EXPECT_EQ(g_shield, c.elevates);
  MessageBoxScript script{IDOK};
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(!g_start.verb.empty(), c.elevates);
  if (c.elevates) {
    EXPECT_EQ(g_start.verb, L"runas");
    EXPECT_EQ(g_start.owner, dialog);
    EXPECT_EQ(g_start.file, self);
    // The folder last, spaces and all.
    EXPECT_EQ(g_start.parameters, (c.removes ? L"/REMOVE /E /D=" : L"/E /D=") + Widen(folder));
  }
  SetCurrentDirectoryA(current);
  ASSERT_EQ(script.shown().size(), c.boxEnd ? 1u : 0u);
  if (c.boxEnd != nullptr) {
    const std::string& text = script.shown()[0].text;
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), strlen(c.boxEnd))), c.boxEnd);
    if (c.error != 0) {  // the program that did not start, not the folder
      EXPECT_EQ(Widen(text.substr(0, text.find('\n'))), self);
    }
  }
  bool stays = c.error != 0;
  EXPECT_EQ(IsWindow(dialog) != FALSE, stays);
  MSG quit;
  EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, !stays);
  if (!stays) {
    EXPECT_EQ(quit.wParam, std::min<DWORD>(c.exitCode, 2));  // a crash is a stop
  }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, ElevationTest,
    testing::Values(
        ElevationCase{"NotNeeded", {}, false, 0, 0, "Installation complite"},
        ElevationCase{"Declined", {kDenied}, true, ERROR_CANCELLED, 0, nullptr},
        ElevationCase{"NotStarted", {kDenied}, true, ERROR_FILE_NOT_FOUND, 0, "File not found."},
        ElevationCase{"Completed", {kDenied}, true, 0, 0, "Installation complite"},
        ElevationCase{"Stopped", {kDenied}, true, 0, 2, nullptr},
        ElevationCase{"Crashed", {kDenied}, true, 0, 0xC0000005, nullptr},
        ElevationCase{"Removal", {kDenied}, true, 0, 0, nullptr, DRIVE_FIXED, false, false, true},
        // A file server judges the user, whatever the token: the copy tells its reason.
        ElevationCase{
            "OnANetworkDrive", {kDenied}, false, 0, 0, "Installation complite", DRIVE_REMOTE},
        // A taken name answers nothing; a name of the run's own is denied.
        ElevationCase{"StrayNameInAProtectedFolder",
                      {{"CreateFileA", "nsp-probe.tmp", ERROR_FILE_EXISTS},
                       {"CreateFileA", ".tmp", ERROR_ACCESS_DENIED}},
                      true,
                      0,
                      0,
                      "Installation complite"},
        // New files may be made, but another account's may not be replaced.
        ElevationCase{"TargetNotReplaceable",
                      {{"CreateFileA", "Tavrick.nsh", ERROR_ACCESS_DENIED}},
                      true,
                      0,
                      0,
                      "Installation complite",
                      DRIVE_FIXED,
                      true},
        // The elevated program's current folder is not the dialog's.
        ElevationCase{"TypedRelative",
                      {kDenied},
                      true,
                      0,
                      0,
                      "Installation complite",
                      DRIVE_FIXED,
                      false,
                      true}),
    [](const testing::TestParamInfo<ElevationCase>& info) { return std::string(info.param.name); });

// Where a probe is denied and the token is not elevated, elevation still does
// not help: a file server judges the user whatever the token, and a read-only
// file is the copy's to clear, not a question of rights.
struct NoElevationCase {
  const char* name;
  const char* folder;  // "" for the scratch folder, as NSIS with the package in it
  Fault denied;
};

class NoElevationTest : public testing::TestWithParam<NoElevationCase> {};

TEST_P(NoElevationTest, IsNotAsked) {
  ScratchDir scratch;
  std::string folder = *GetParam().folder ? GetParam().folder : scratch.path();
  if (folder == scratch.path()) {
    MarkInstalled(folder);
    SetFileAttributesA((folder / kInstalledFiles[2]).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  PlantedFaults denied({GetParam().denied});
  PlantedImport token("GetTokenInformation", reinterpret_cast<void*>(NotElevated));
  EXPECT_FALSE(NeedsElevation(folder.c_str()));
}

INSTANTIATE_TEST_SUITE_P(
    Rights, NoElevationTest,
    testing::Values(NoElevationCase{"ServerShare", "\\\\server\\share\\NSIS", kDenied},
                    NoElevationCase{
                        "ReadOnlyTarget", "", {"CreateFileA", "Tavrick.nsh", ERROR_ACCESS_DENIED}}),
    [](const testing::TestParamInfo<NoElevationCase>& info) {
      return std::string(info.param.name);
    });

// The program the elevated start names: from a mapped network drive by the
// share's name, which the elevated program can see; none where the system
// gives no such name (as Wine does), and the setup installs in its own process.
struct FolderCase {
  const char* name;
  UINT driveType;
  const wchar_t* finalPath;  // what the system calls the opened folder
  const wchar_t* folder;     // nullptr: none can be formed; "": the program's path as it is
};

const FolderCase* g_folderCase;

UINT WINAPI PlantedDriveType(LPCSTR) {
  return g_folderCase->driveType;
}

DWORD WINAPI PlantedFinalPath(HANDLE, LPWSTR path, DWORD size, DWORD) {
  lstrcpynW(path, g_folderCase->finalPath, static_cast<int>(size));
  return static_cast<DWORD>(lstrlenW(g_folderCase->finalPath));
}

class ElevatedFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ElevatedFolderTest, IsTheOneTheElevatedProgramCanSee) {
  g_folderCase = &GetParam();
  PlantedImport driveType("GetDriveTypeA", reinterpret_cast<void*>(PlantedDriveType));
  PlantedImport finalPath("GetFinalPathNameByHandleW", reinterpret_cast<void*>(PlantedFinalPath));
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  WCHAR program[MAX_PATH];
  BOOL formed = ProgramForElevated(program);
  ASSERT_EQ(formed != FALSE, GetParam().folder != nullptr);
  if (formed) {
    EXPECT_EQ(std::wstring(program), *GetParam().folder ? GetParam().folder : self);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Drives, ElevatedFolderTest,
    testing::Values(FolderCase{"Local", DRIVE_FIXED, L"", L""},
                    FolderCase{"MappedShare", DRIVE_REMOTE, L"\\\\?\\UNC\\server\\tools\\Setup.exe",
                               L"\\\\server\\tools\\Setup.exe"},
                    FolderCase{"MappedWithoutShareName", DRIVE_REMOTE, L"\\\\?\\Z:\\NSIS",
                               nullptr}),
    [](const testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

}  // namespace
