#include "install/package.h"
#include "install/prompts.h"
#include "res/resource.h"
#include "shell/elevation.h"
#include "shell/hardening.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "shell/unattended.h"

extern "C" void SetupEntry() {
  HardenProcess();
  ChoosePackage();
  g_hInstance = GetModuleHandleA(nullptr);
  char folder[kPathSize];
  Arguments arguments = ReadArguments(GetCommandLineW(), folder);
  BOOL packs = arguments.pack != nullptr && CanPack();
  if (arguments.unattended || packs) {
    AnswerUnattended(TRUE);
  }
  WCHAR modulePath[kPathSize];
  // Removal needs the package's description, not its files.
  BOOL ready =
      UseSetupDir(modulePath, GetModuleFileNameW(nullptr, modulePath, kPathSize), !arguments.remove);
  if (packs) {
    ExitProcess(ready ? Pack(arguments.pack) : kExitFailed);
  }
  if (arguments.unattended) {
    ExitProcess(RunUnattended(ready, arguments));
  }
  if (arguments.elevated) {
    ExitProcess(RunElevatedInstall(ready, arguments));
  }
  if (!ready) {
    ExitProcess(kExitFailed);
  }

  // The dialog shows /D='s folder, when there is one, in place of the one it
  // finds, and removes with /REMOVE.
  HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc,
                                   reinterpret_cast<LPARAM>(&arguments));
  if (dialog == nullptr) {
    ExitProcess(kExitFailed);  // no window could ever post the quit message
  }
  ShowWindow(dialog, SW_SHOW);

  MSG msg;
  msg.wParam = kExitFailed;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  ExitProcess(static_cast<UINT>(msg.wParam));  // the dialog's result
}
