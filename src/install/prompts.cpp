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

int ShowMessage(HWND owner, const char* format, const char* first, const char* second,
                const char* third, UINT flags) {
  char message[kMessageSize];
  wsprintfA(message, format, first, second, third);
  return MessageBoxA(owner, message, SETUP_TITLE, flags);
}

}  // namespace

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
  MessageBoxA(owner, "Installation aborted", SETUP_TITLE, MB_ICONWARNING);
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
