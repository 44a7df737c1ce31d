#include "support/setup_process.h"

#include <vector>

#include "common/common.h"

namespace {

constexpr DWORD kDeadlineMs = SetupProcess::kDeadlineMs;
constexpr DWORD kPollMs = 1;  // fine enough for bench/run to time windows by

struct Search {
  DWORD processId;
  std::string caption;
  HWND besides;
  HWND found;
  HWND other;  // a visible window of the process that is neither
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  Search* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->besides || !IsWindowVisible(window)) {
    return TRUE;
  }
  char caption[256] = "";
  GetWindowTextA(window, caption, sizeof caption);
  (search->caption == caption ? search->found : search->other) = window;
  return search->found == nullptr;
}

// The setup dialog has the path field; its message boxes have the same caption.
bool IsSetupDialog(HWND window) {
  return GetDlgItem(window, 1004) != nullptr;
}

std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(length > 0 ? length - 1 : 0);
  return wide;
}

std::string ControlText(HWND control) {
  char text[1024] = "";
  DWORD_PTR ignored;
  SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, kDeadlineMs, &ignored);
  return text;
}

}  // namespace

SetupProcess::SetupProcess(const std::string& exe, const std::string& arguments,
                           const std::string& workingDir)
    : SetupProcess(Widen(exe), arguments, workingDir) {}

SetupProcess::SetupProcess(const std::wstring& exe, const std::string& arguments,
                           const std::string& workingDir, HANDLE output, HANDLE errors,
                           HANDLE token) {
  std::wstring commandLine =
      L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + Widen(arguments));
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = errors;
  }
  PROCESS_INFORMATION info = {};
  BOOL inherit = output != nullptr;
  std::wstring folder = Widen(workingDir);
  if (token != nullptr ? CreateProcessAsUserW(token, exe.c_str(), writable.data(), nullptr, nullptr,
                                              inherit, 0, nullptr, folder.c_str(), &startup, &info)
                       : CreateProcessW(exe.c_str(), writable.data(), nullptr, nullptr, inherit, 0,
                                        nullptr, folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

SetupProcess::~SetupProcess() {
  if (process_ != nullptr) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
  }
}

HWND SetupProcess::WaitForWindow(const std::string& caption, HWND besides, DWORD deadlineMs) {
  DWORD start = GetTickCount();
  do {
    Search search = {id_, caption, besides, nullptr, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || search.other != nullptr) {
      return search.found;
    }
    if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) {
      return nullptr;
    }
  } while (GetTickCount() - start < deadlineMs);
  return nullptr;
}

HWND SetupProcess::WaitForDialog() {
  HWND window = WaitForWindow(SETUP_TITLE);
  return window != nullptr && IsSetupDialog(window) ? window : nullptr;
}

std::string SetupProcess::Answer(HWND dialog, int button, const char* caption) {
  HWND box = WaitForWindow(caption ? caption : SETUP_TITLE, dialog);
  if (box == nullptr || IsSetupDialog(box)) {
    return "";
  }
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && text.empty()) {
      text = ControlText(child);
    }
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  // The next box may only be looked for once this one is gone.
  DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < kDeadlineMs) {
    WaitForSingleObject(process_, kPollMs);
  }
  return text;
}

int SetupProcess::WaitForExit() {
  if (process_ == nullptr || WaitForSingleObject(process_, kDeadlineMs) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

HANDLE LimitedToken() {
  HANDLE own = nullptr;
  TOKEN_LINKED_TOKEN linked = {};
  HANDLE primary = nullptr;
  DWORD size;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
      GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
    DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                     TokenPrimary, &primary);
    CloseHandle(linked.LinkedToken);
  }
  if (own != nullptr) {
    CloseHandle(own);
  }
  return primary;
}

std::string TestProgramFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\') {
    --length;
  }
  return std::string(path, length > 0 ? length - 1 : 0);
}
