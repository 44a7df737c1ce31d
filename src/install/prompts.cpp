#include "install/package.h"
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

// Writes length bytes of text and a line end to caller, in the OEM code page.
// A line that cannot be converted goes as it is: one too long for the frame,
// which stays within one page of stack (none of the program's lines is).
void WriteLine(HANDLE caller, const char* text, int length) {
  WCHAR wide[kMessageSize];
  char oem[kMessageSize + kMessageSize / 2];
  int count = MultiByteToWideChar(CP_ACP, 0, text, length, wide, kMessageSize);
  // A UTF-8 OEM code page refuses the flag; the ANSI one is UTF-8 too then.
  count = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, count, oem, sizeof oem, nullptr,
                              nullptr);
  DWORD written;
  if (count > 0 || length == 0) {
    WriteFile(caller, oem, static_cast<DWORD>(count), &written, nullptr);
  } else {
    WriteFile(caller, text, static_cast<DWORD>(length), &written, nullptr);
  }
  WriteFile(caller, "\r\n", 2, &written, nullptr);
}

int ShowMessage(HWND owner, const char* format, const char* first, const char* second,
                const char* third, UINT flags) {
  char message[kMessageSize];
  wsprintfA(message, format, first, second, third);
  if (!g_unattended) {
    return MessageBoxA(owner, message, g_package->title, flags);
  }
  UINT buttons = flags & MB_TYPEMASK;
  if (buttons == MB_YESNOCANCEL) {
    return IDYES;  // "Replace it?"
  }
  TellCaller(STD_ERROR_HANDLE, message);
  return buttons == MB_YESNO ? IDNO : IDCANCEL;
}

}  // namespace

void AnswerUnattended(BOOL unattended) {
  g_unattended = unattended;
}

BOOL IsUnattended() {
  return g_unattended;
}

void TellCaller(DWORD stream, const char* text) {
  HANDLE caller = GetStdHandle(stream);
  if (caller == nullptr || caller == INVALID_HANDLE_VALUE) {
    return;
  }
  for (const char* line = text;; ++line) {
    const char* end = line;
    while (*end != '\0' && *end != '\n') {
      ++end;
    }
    WriteLine(caller, line, static_cast<int>(end - line));
    if (*end == '\0') {
      return;
    }
    line = end;
  }
}

void TellAboutPath(DWORD stream, const char* path, const char* what) {
  if (g_unattended) {
    char line[kMessageSize];
    wsprintfA(line, "%s: %s", path, what);
    TellCaller(stream, line);
  }
}

void TellDone(const char* target, const char* what) {
  TellAboutPath(STD_OUTPUT_HANDLE, target, what);
}

void ShowProblem(const char* text) {
  ShowMessage(nullptr, "%s", text, nullptr, nullptr, MB_ICONERROR);
}

void ShowPathProblem(const char* path, const char* what) {
  ShowMessage(nullptr, "%s: %s", path, what, nullptr, MB_ICONERROR);
}

BOOL AskToSkipMissing(HWND owner, const char* source) {
  if (g_unattended) {  // nobody is there to answer
    TellAboutPath(STD_ERROR_HANDLE, source, "missing from the package");
    return FALSE;
  }
  return AskAboutPath(owner, source, g_package->missing,
                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDNO;
}

int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags) {
  return ShowMessage(owner, "%s\n\n%s", path, text, nullptr, flags);
}

int AskAfterFailedCopy(HWND owner, const char* source, const char* target, DWORD error) {
  char text[kMessageSize];
  wsprintfA(text, "From: %s\nTo: %s", source, target);
  // An unattended run's line names the target alone, for a log search to find.
  return AskToRetry(owner, g_unattended ? target : text, "File could not be copied.", error);
}

int AskToRetry(HWND owner, const char* path, const char* what, DWORD error) {
  char reason[kReasonSize];
  DescribeError(error, reason, kReasonSize);
  if (g_unattended) {
    TellAboutPath(STD_ERROR_HANDLE, path, reason);
    return IDCANCEL;
  }
  return ShowMessage(owner, "%s\n\n%s\n%s", path, what, reason, MB_RETRYCANCEL | MB_ICONERROR);
}

void ShowDone(HWND owner, const char* text) {
  if (g_unattended) {
    TellCaller(STD_OUTPUT_HANDLE, text);
  } else {
    MessageBoxA(owner, text, g_package->title, MB_ICONINFORMATION);
  }
}

BOOL ShowAborted(HWND owner) {
  if (!g_unattended) {  // an unattended run ends with its own last line
    MessageBoxA(owner, kAborted, g_package->title, MB_ICONWARNING);
  }
  return FALSE;
}

BOOL ShowPathTooLong(HWND owner, const char* partialPath) {
  if (g_unattended) {  // its last line says that the installation was aborted
    TellAboutPath(STD_ERROR_HANDLE, partialPath, "the path is too long");
    return FALSE;
  }
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
