#include "install/install.h"
#include "install/prompts.h"
#include "install/removal.h"
#include "shell/elevation.h"
#include "shell/setup_dir.h"

#include <shellapi.h>

namespace {

constexpr WCHAR kUncPrefix[] = L"\\\\?\\UNC\\";  // as the system names a share's files
constexpr int kUncPrefixLength = sizeof kUncPrefix / sizeof(WCHAR) - 1;

// The elevated program's switches, and the folder last, as NSIS installers
// take it; removal's begin with /REMOVE.
constexpr WCHAR kElevatedArguments[] = L"/REMOVE /E /D=";
constexpr int kRemoveLength = 8;
constexpr int kElevatedArgumentsLength = sizeof kElevatedArguments / sizeof(WCHAR) - 1;
constexpr int kArgumentsSize = kPathSize + kElevatedArgumentsLength;

constexpr char kNotStarted[] = "This program could not be started with administrator rights.\n%s";
constexpr char kNoFolderGiven[] = "/E is the setup's own switch and needs /D=: scripts use /S.";

}  // namespace

BOOL ReachableWhenElevated(WCHAR* path) {
  char root[] = {static_cast<char>(path[0]), ':', '\\', '\0'};
  if (path[1] != L':' || path[0] > L'z' || GetDriveTypeA(root) != DRIVE_REMOTE) {
    return TRUE;
  }
  HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
  path[0] = L'\\';
  path[1] = L'\\';
  lstrcpynW(path + 2, final + kUncPrefixLength, kPathSize - 2);
  return TRUE;
}

BOOL ProgramForElevated(WCHAR* program) {
  GetModuleFileNameW(nullptr, program, kPathSize);  // it fitted at start
  return ReachableWhenElevated(program);
}

HANDLE StartElevated(HWND dialog, const WCHAR* program, const char* nsisDir, BOOL remove) {
  WCHAR arguments[kArgumentsSize];
  lstrcpynW(arguments, kElevatedArguments, kArgumentsSize);
  MultiByteToWideChar(CP_ACP, 0, nsisDir, -1, arguments + kElevatedArgumentsLength, kPathSize);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = dialog;
  info.lpVerb = L"runas";
  info.lpFile = program;
  info.lpParameters = remove ? arguments : arguments + kRemoveLength;
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) {
    return info.hProcess;
  }
  DWORD error = GetLastError();
  if (error != ERROR_CANCELLED) {  // the user said No to the prompt
    char reason[kReasonSize];
    char text[kReasonSize + sizeof kNotStarted];
    DescribeError(error, reason, kReasonSize);
    wsprintfA(text, kNotStarted, reason);
    char name[kPathSize];  // shown only: a character the code page lacks may differ
    if (!WideCharToMultiByte(CP_ACP, 0, program, -1, name, kPathSize, nullptr, nullptr)) {
      name[0] = '\0';
    }
    AskAboutPath(dialog, name, text, MB_ICONERROR);
  }
  return nullptr;
}

UINT WaitForExitCode(HANDLE process) {
  DWORD code = kExitFailed;
  WaitForSingleObject(process, INFINITE);
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  // Ended from outside, or crashed: files may be half in place.
  return code <= kExitFailed ? code : kExitFailed;
}

UINT RunElevatedInstall(BOOL ready, const Arguments& arguments) {
  const char* problem = arguments.folder == nullptr ? kNoFolderGiven : arguments.problem;
  BOOL usable = ready && CanInstallInto(arguments.folder, problem);
  if (arguments.remove) {
    return usable ? static_cast<UINT>(RunRemoval(nullptr, arguments.folder)) : kExitFailed;
  }
  BOOL completed = usable && RunInstallation(nullptr, g_szSetupDir, arguments.folder);
  DeleteLeftovers();
  return completed ? kExitSucceeded : kExitFailed;
}
