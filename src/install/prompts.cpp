#include "install/prompts.h"

namespace {

// Two whole paths with their labels, the longest fixed text and a reason.
constexpr int kMessageSize = 2 * kPathSize + kReasonSize + 64;

BOOL IsTrailingSpace(char c) {
  return c == '\r' || c == '\n' || c == ' ';
}

constexpr int kDigitsSize = 11;  // 4294967295 and its terminator

// Writes number in decimal at the end of digits (kDigitsSize bytes) and
// returns where it begins.
const char* DecimalText(DWORD number, char* digits) {
  char* at = digits + kDigitsSize - 1;
  *at = '\0';
  do {
    *--at = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  return at;
}

}  // namespace

int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags) {
  char message[kMessageSize];
  CopyText(message, kMessageSize, path);
  AppendText(message, kMessageSize, "\n\n");
  AppendText(message, kMessageSize, text);
  return MessageBoxA(owner, message, SETUP_TITLE, flags);
}

int AskAfterFailedCopy(HWND owner, const char* source, const char* target, DWORD error) {
  char paths[2 * kPathSize + 16];
  CopyText(paths, sizeof paths, "From: ");
  AppendText(paths, sizeof paths, source);
  AppendText(paths, sizeof paths, "\nTo: ");
  AppendText(paths, sizeof paths, target);
  char text[kReasonSize + 32];
  char reason[kReasonSize];
  DescribeError(error, reason, kReasonSize);
  CopyText(text, sizeof text, "File could not be copied.\n");
  AppendText(text, sizeof text, reason);
  return AskAboutPath(owner, paths, text, MB_RETRYCANCEL | MB_ICONERROR);
}

BOOL ShowAborted(HWND owner) {
  MessageBoxA(owner, "Installation aborted", SETUP_TITLE, MB_ICONWARNING);
  return FALSE;
}

BOOL ShowPathTooLong(HWND owner, const char* partialPath) {
  char path[kPathSize + 4];
  CopyText(path, sizeof path, partialPath);
  AppendText(path, sizeof path, "...");
  AskAboutPath(owner, path, kPathTooLong, MB_ICONERROR);
  return FALSE;
}

void DescribeError(DWORD error, char* text, int size) {
  // The system's own buffer takes a text of any length; it is cut to fit here.
  char* system = nullptr;
  char digits[kDigitsSize];
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&system), 0, nullptr);
  if (length == 0) {
    CopyText(text, size, "Error ");
    AppendText(text, size, DecimalText(error, digits));
    return;
  }
  while (length > 0 && IsTrailingSpace(system[length - 1])) {
    system[--length] = '\0';
  }
  CopyText(text, size, system);
  LocalFree(system);
}
