#include "install/prompts.h"
#include "res/resource.h"
#include "shell/hardening.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "shell/unattended.h"

extern "C" void SetupEntry() {
  HardenProcess();
  g_hInstance = GetModuleHandleA(nullptr);
  char folder[kPathSize];
  const char* nsisDir;
  BOOL unattended = ReadArguments(GetCommandLineW(), folder, &nsisDir);
  if (unattended) {
    AnswerUnattended();
  }
  WCHAR modulePath[kPathSize];
  BOOL ready = UseSetupDir(modulePath, GetModuleFileNameW(nullptr, modulePath, kPathSize));
  if (unattended) {
    ExitProcess(RunUnattended(ready, nsisDir));
  }
  if (!ready) {
    ExitProcess(0);
  }

  // The dialog shows /D='s folder, when there is one, in place of the one it finds.
  HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc,
                                   reinterpret_cast<LPARAM>(nsisDir));
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
