#include "install/install.h"
#include "install/prompts.h"
#include "shell/elevation.h"
#include "shell/setup_dir.h"

#include <shellapi.h>

namespace {

constexpr WCHAR kUncPrefix[] = L"\\\\?\\UNC\\";  // as the system names a share's files
constexpr int kUncPrefixLength = sizeof kUncPrefix / sizeof(WCHAR) - 1;

// The elevated program's switch, and the folder last, as NSIS installers take it.
constexpr WCHAR kElevatedArguments[] = L"/E /D=";
constexpr int kArgumentsSize = kPathSize + sizeof kElevatedArguments / sizeof(WCHAR);

}  // namespace

BOOL FolderForElevated(const char* nsisDir, WCHAR* folder) {
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, nsisDir, -1, folder, kPathSize) == 0) {
    return FALSE;
  }
  char root[] = {nsisDir[0], ':', '\\', '\0'};
  if (nsisDir[1] != ':' || GetDriveTypeA(root) != DRIVE_REMOTE) {
    return TRUE;
  }
  HANDLE handle = CreateFileA(nsisDir, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  WCHAR final[kPathSize];
  DWORD length = GetFinalPathNameByHandleW(handle, final, kPathSize, VOLUME_NAME_DOS);
  CloseHandle(handle);
  if (length == 0 || length >= static_cast<DWORD>(kPathSize)) {
    return FALSE;
  }
  for (int i = 0; i < kUncPrefixLength; ++i) {
    if (final[i] != kUncPrefix[i]) {
      return FALSE;
    }
  }
  // \\?\UNC\server\share\... is \\server\share\..., and no longer than it
  folder[0] = L'\\';
  folder[1] = L'\\';
  int at = 2;
  for (const WCHAR* c = final + kUncPrefixLength; (folder[at++] = *c) != L'\0'; ++c) {
  }
  return TRUE;
}

HANDLE StartElevated(HWND dialog, const char* nsisDir, const WCHAR* folder) {
  WCHAR program[kPathSize];
  WCHAR arguments[kArgumentsSize];
  GetModuleFileNameW(nullptr, program, kPathSize);  // it fitted at start
  int at = 0;
  for (const WCHAR* c = kElevatedArguments; *c != L'\0'; ++c) {
    arguments[at++] = *c;
  }
  for (const WCHAR* c = folder; (arguments[at++] = *c) != L'\0'; ++c) {
  }
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = dialog;
  info.lpVerb = L"runas";
  info.lpFile = program;
  info.lpParameters = arguments;
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) {
    return info.hProcess;
  }
  DWORD error = GetLastError();
  if (error != ERROR_CANCELLED) {  // the user said No to the prompt
    char reason[kReasonSize];
    DescribeError(error, reason, kReasonSize);
    AskAboutPath(dialog, nsisDir, reason, MB_ICONERROR);
  }
  return nullptr;
}

UINT WaitForExitCode(HANDLE process) {
  DWORD code = kExitFailed;
  WaitForSingleObject(process, INFINITE);
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

UINT RunElevatedInstall(BOOL ready, const Arguments& arguments) {
  BOOL completed = ready && arguments.folder != nullptr && arguments.problem == nullptr &&
                   RunInstallation(nullptr, g_szSetupDir, arguments.folder);
  DeleteLeftovers();
  return completed ? kExitSucceeded : kExitFailed;
}
