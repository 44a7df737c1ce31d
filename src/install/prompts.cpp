#include "install/prompts.h"

namespace {

// wsprintfA writes at most this many bytes; every text formatted here is
// shorter: two whole paths, the longest fixed text and a reason.
constexpr int kMessageSize = 1024;
static_assert(2 * kPathSize + kReasonSize + 64 < kMessageSize, "a message must fit");

constexpr int kErrorNumberSize = 17;  // "Error 4294967295" and its terminator

BOOL IsTrailingSpace(char c) {
  return c == '\r' || c == '\n' || c == ' ';
}

BOOL g_unattended;

int ShowMessage(HWND owner, const char* format, const char* first, const char* second,
                const char* third, UINT flags) {
  char message[kMessageSize];
  wsprintfA(message, format, first, second, third);
  if (!g_unattended) {
    return MessageBoxA(owner, message, SETUP_TITLE, flags);
  }
  UINT buttons = flags & MB_TYPEMASK;
  if (buttons == MB_YESNOCANCEL) {
    return IDYES;  // "Replace it?"
  }
  TellCaller(STD_ERROR_HANDLE, message);
  return buttons == MB_YESNO ? IDNO : IDCANCEL;
}

}  // namespace

void AnswerUnattended() {
  g_unattended = TRUE;
}

void TellCaller(DWORD stream, const char* text) {
  HANDLE caller = GetStdHandle(stream);
  if (caller == nullptr || caller == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written;
  for (const char* line = text;; ++line) {
    const char* end = line;
    while (*end != '\0' && *end != '\n') {
      ++end;
    }
    WriteFile(caller, line, static_cast<DWORD>(end - line), &written, nullptr);
    WriteFile(caller, "\r\n", 2, &written, nullptr);
    if (*end == '\0') {
      return;
    }
    line = end;
  }
}

void TellDone(const char* target, const char* what) {
  if (g_unattended) {
    char line[kMessageSize];
    wsprintfA(line, "%s: %s", target, what);
    TellCaller(STD_OUTPUT_HANDLE, line);
  }
}

void ShowProblem(const char* text) {
  ShowMessage(nullptr, "%s", text, nullptr, nullptr, MB_ICONERROR);
}

BOOL AskToSkipMissing(HWND owner, const char* source) {
  return AskAboutPath(owner, source, "File does not exists. Continue?",
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDNO;
}

int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags) {
  return ShowMessage(owner, "%s\n\n%s", path, text, nullptr, flags);
}

int AskAfterFailedCopy(HWND owner, const char* source, const char* target, DWORD error) {
  char reason[kReasonSize];
  DescribeError(error, reason, kReasonSize);
  return ShowMessage(owner, "From: %s\nTo: %s\n\nFile could not be copied.\n%s", source, target,
                     reason, MB_RETRYCANCEL | MB_ICONERROR);
}

BOOL ShowAborted(HWND owner) {
  if (!g_unattended) {  // an unattended run ends with its own last line
    MessageBoxA(owner, kAborted, SETUP_TITLE, MB_ICONWARNING);
  }
  return FALSE;
}

BOOL ShowPathTooLong(HWND owner, const char* partialPath) {
  ShowMessage(owner, "%s...\n\n%s", partialPath, kPathTooLong, nullptr, MB_ICONERROR);
  return FALSE;
}

void DescribeError(DWORD error, char* text, int size) {
  // The system's own buffer takes a text of any length; it is cut to fit here.
  char* system = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&system), 0, nullptr);
  if (length == 0) {
    char number[kErrorNumberSize];
    wsprintfA(number, "Error %lu", error);
    CopyText(text, size, number);
    return;
  }
  while (length > 0 && IsTrailingSpace(system[length - 1])) {
    system[--length] = '\0';
  }
  CopyText(text, size, system);
  LocalFree(system);
}
