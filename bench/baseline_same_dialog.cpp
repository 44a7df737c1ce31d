// Baseline at the real limit: the program's own dialog template, icon and
// manifest, shown by a dialog procedure that does nothing else. Its Install
// makes the four copies and nothing more, then closes the dialog and shows a
// box, as the setup does. Built the same way as the setup.
#include <windows.h>

#include "common/common.h"
#include "resource.h"

namespace {

constexpr const char* kCopies[][2] = {
    {"Readme.txt", "..\\NSIS\\Docs\\Tavrick\\Readme.txt"},
    {"Example\\TavrickTest.nsi", "..\\NSIS\\Examples\\Tavrick\\TavrickTest.nsi"},
    {"Include\\Tavrick.nsh", "..\\NSIS\\Include\\Tavrick.nsh"},
    {"Plugin\\Tavrick.dll", "..\\NSIS\\Plugins\\Tavrick.dll"},
};

// The copies, from the package beside the program into the NSIS folder
// beside the package.
void CopyPackage() {
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
}

INT_PTR CALLBACK BaselineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextA(hwnd, SETUP_TITLE);  // the harness finds both programs by it
    return TRUE;
  }
  if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) {
    return FALSE;
  }
  if (LOWORD(wParam) == IDOK) {
    CopyPackage();
  }
  DestroyWindow(hwnd);
  if (LOWORD(wParam) == IDOK) {
    MessageBoxA(nullptr, "done", SETUP_TITLE, MB_ICONINFORMATION);
  }
  PostQuitMessage(0);
  return TRUE;
}

}  // namespace

extern "C" void SetupEntry() {
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), nullptr,
                                   BaselineProc, 0);
  MSG msg;
  while (dialog != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  ExitProcess(0);
}
