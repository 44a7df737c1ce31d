#include "res/resource.h"
#include "shell/hardening.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"

extern "C" void SetupEntry() {
  HardenProcess();
  g_hInstance = GetModuleHandleA(nullptr);
  WCHAR modulePath[kPathSize];
  if (!UseSetupDir(modulePath, GetModuleFileNameW(nullptr, modulePath, kPathSize))) {
    ExitProcess(0);
  }

  HWND dialog =
      CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc, 0);
  if (dialog == nullptr) {
    ExitProcess(0);  // no window could ever post the quit message
  }
  ShowWindow(dialog, SW_SHOW);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  ExitProcess(0);
}
