#include "install/prompts.h"

namespace {

// Room for a whole path, the longest fixed text and a system error description.
constexpr int kMessageSize = kPathSize + 256;

}  // namespace

int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags) {
  char message[kMessageSize];
  CopyText(message, kMessageSize, path);
  AppendText(message, kMessageSize, "\n\n");
  AppendText(message, kMessageSize, text);
  return MessageBoxA(owner, message, SETUP_TITLE, flags);
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
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, size, nullptr);
  if (length == 0) {
    text[0] = '\0';  // the system has no words for it
    return;
  }
  while (length > 0 &&
         (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
    text[--length] = '\0';
  }
}
