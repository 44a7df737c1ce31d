#include "install/install.h"
#include "install/prompts.h"
#include "install/removal.h"
#include "res/resource.h"
#include <commctrl.h>

#include "shell/completion.h"
#include "shell/elevation.h"
#include "shell/exit_codes.h"
#include "shell/folder_browser.h"
#include "shell/nsis_registry.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "shell/unattended.h"

HWND g_hwndInstall;
HWND g_hwndNsisDir;

namespace {

BOOL g_removing;

// arguments: the command line's, with the folder it names (nullptr: find one)
// and whether to remove; nullptr for neither.
BOOL OnInitDialog(HWND hwnd, const Arguments* arguments) {
  static constexpr Arguments kNone = {};
  if (arguments == nullptr) {
    arguments = &kNone;
  }
  char buffer[kPathSize];
  g_hwndInstall = GetDlgItem(hwnd, IDOK);
  g_hwndNsisDir = GetDlgItem(hwnd, IDC_NSIS_DIR);
  if (arguments->folder != nullptr) {
    CopyText(buffer, kPathSize, arguments->folder);
  } else {
    FindNsisDir(buffer);
  }
  g_removing = arguments->remove;
  char caption[kPathSize];
  CopyText(caption, kPathSize, g_package->title);
  if (g_removing) {
    AppendText(caption, kPathSize, ": Remove");
    SetWindowTextA(g_hwndInstall, "&Remove");
  }
  SetWindowTextA(hwnd, caption);
  SendMessageA(hwnd, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_SETUP))));
  // Every read of the field takes kPathSize - 1 characters, so typing stops there.
  SendMessageA(g_hwndNsisDir, EM_LIMITTEXT, kPathSize - 1, 0);
  // Its change notification runs the NSIS check and so sets the Install button.
  SetWindowTextA(g_hwndNsisDir, buffer);
  return TRUE;
}

void CheckNsisDir() {
  char buffer[kPathSize];
  GetWindowTextA(g_hwndNsisDir, buffer, kPathSize);
  BOOL nsis = IsNsisDir(buffer);
  EnableWindow(g_hwndInstall, nsis);
  // The shield tells that Install asks for administrator rights.
  SendMessageA(g_hwndInstall, BCM_SETSHIELD, 0, nsis && NeedsElevation(buffer));
}

void Cancel(HWND hwnd) {
  DestroyWindow(hwnd);
  PostQuitMessage(kExitCancelled);
}

void Install(HWND hwnd) {
  // Enter reaches the dialog as Install even while the button is disabled.
  if (!IsWindowEnabled(g_hwndInstall)) {
    return;
  }
  char typed[kPathSize];
  GetWindowTextA(g_hwndNsisDir, typed, kPathSize);
  // The folder in full: the elevated program's current folder is not this one's.
  char buffer[kPathSize];
  DWORD length = GetFullPathNameA(typed, kPathSize, buffer, nullptr);
  WCHAR program[kPathSize];
  UINT code = kExitFailed;
  if (length == 0 || length >= static_cast<DWORD>(kPathSize)) {
    ShowPathTooLong(hwnd, typed);
    DestroyWindow(hwnd);
  } else if (NeedsElevation(buffer) && ProgramForElevated(program)) {
    HANDLE elevated = StartElevated(hwnd, program, buffer, g_removing);
    if (elevated == nullptr) {
      return;  // declined, or told why: the dialog stays
    }
    DestroyWindow(hwnd);
    code = WaitForExitCode(elevated);
  } else if (g_removing) {
    code = static_cast<UINT>(RunRemoval(hwnd, buffer));
    DestroyWindow(hwnd);
  } else {
    code = RunInstallation(hwnd, g_szSetupDir, buffer) ? kExitSucceeded : kExitFailed;
    DestroyWindow(hwnd);
  }
  // The completion's notes are about this user's NSISDIR, which an elevated
  // program may not see. A removal has shown its own.
  if (code == kExitSucceeded && !g_removing) {
    char text[kCompletionSize];
    DescribeCompletion(buffer, text);
    ShowDone(nullptr, text);
  }
  DeleteLeftovers();
  PostQuitMessage(code);
}

}  // namespace

INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    return OnInitDialog(hwnd, reinterpret_cast<const Arguments*>(lParam));
  }
  if (uMsg != WM_COMMAND) {
    return FALSE;
  }
  switch (LOWORD(wParam)) {
    case IDC_NSIS_DIR:
      CheckNsisDir();
      return TRUE;
    case IDOK:
      Install(hwnd);
      return TRUE;
    case IDCANCEL:
      Cancel(hwnd);
      return TRUE;
    case IDC_BROWSE:
      BrowseForNsisDir(hwnd);
      return TRUE;
    default:
      return FALSE;
  }
}
