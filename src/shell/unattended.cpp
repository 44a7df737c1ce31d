#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "install/removal.h"
#include "shell/completion.h"
#include "shell/nsis_registry.h"
#include "shell/setup_dir.h"
#include "shell/unattended.h"

namespace {

constexpr char kNoNsisFound[] = "No folder that holds makensis.exe was found: name it with /D=.";
constexpr char kEmptyFolder[] = "/D= names no folder.";
constexpr char kUnusableFolder[] =
    "/D= names a folder that is too long or holds characters this system cannot use.";
constexpr char kQuotedFolder[] = "/D= takes the folder without quotes.";
constexpr char kRelativeFolder[] =
    "/D= takes a full path, such as C:\\NSIS or \\\\server\\share\\NSIS.";
constexpr char kNamesAFile[] = "names a file, not the NSIS folder";
constexpr char kRemovalAborted[] = "Removal aborted";
constexpr char kNoMakensis[] = "This folder holds no makensis.exe.";
constexpr char kNeedsRights[] =
    "administrator rights are needed to install here: run the setup from an elevated prompt";

BOOL IsBlank(WCHAR c) {
  return c == L' ' || c == L'\t';
}

// TRUE when text begins with word, in the same case.
BOOL Begins(const WCHAR* text, const WCHAR* word) {
  while (*word != L'\0' && *text == *word) {
    ++text;
    ++word;
  }
  return *word == L'\0';
}

BOOL IsSeparator(WCHAR c) {
  return c == L'\\' || c == L'/';
}

// TRUE for a drive's path (C:\...) or a server's (\\server\...): what a
// process started elsewhere reads as the same folder.
BOOL IsFullPath(const WCHAR* path) {
  WCHAR letter = static_cast<WCHAR>(path[0] | 0x20);
  if (IsSeparator(path[0])) {
    return IsSeparator(path[1]);
  }
  return letter >= L'a' && letter <= L'z' && path[1] == L':' && IsSeparator(path[2]);
}

// The end of the argument at, where quotes keep blanks inside it.
const WCHAR* SkipArgument(const WCHAR* at) {
  BOOL quoted = FALSE;
  for (; *at != L'\0' && (quoted || !IsBlank(*at)); ++at) {
    quoted ^= *at == L'"';
  }
  return at;
}

// The end of the program's name, which begins the line: a quoted one ends at
// its closing quote, whatever follows it.
const WCHAR* SkipProgramName(const WCHAR* at) {
  if (*at != L'"') {
    return SkipArgument(at);
  }
  do {
    ++at;
  } while (*at != L'\0' && *at != L'"');
  return *at == L'\0' ? at : at + 1;
}

// Puts /D='s text into folder without its trailing blanks and backslashes, as
// NSIS does, and returns why that folder cannot be used, or nullptr.
const char* TakeFolder(const WCHAR* text, char* folder) {
  int end = 0;
  while (text[end] != L'\0') {
    ++end;
  }
  while (end > 0 && (IsBlank(text[end - 1]) || text[end - 1] == L'\\')) {
    --end;
  }
  if (end == 2 && text[1] == L':' && text[2] == L'\\') {
    ++end;  // a drive's root keeps its backslash
  }
  WCHAR wide[kPathSize];
  folder[0] = '\0';
  BOOL held = end < kPathSize;
  if (held) {
    for (int i = 0; i < end; ++i) {
      wide[i] = text[i];
    }
    wide[end] = L'\0';
    held = AnsiPathFromWide(wide, folder);
  }
  if (text[0] == L'"') {
    return kQuotedFolder;
  }
  if (end == 0) {
    return kEmptyFolder;
  }
  if (!held) {
    return kUnusableFolder;
  }
  return IsFullPath(text) ? nullptr : kRelativeFolder;
}

}  // namespace

Arguments ReadArguments(const WCHAR* commandLine, char* folder) {
  Arguments arguments = {FALSE, FALSE, FALSE, nullptr, nullptr, nullptr};
  for (const WCHAR* at = SkipProgramName(commandLine);;) {
    while (IsBlank(*at)) {
      ++at;
    }
    if (Begins(at, L"/PACK=")) {
      arguments.pack = at + 6;
      return arguments;
    }
    if (Begins(at, L"/D=")) {
      arguments.folder = folder;
      arguments.problem = TakeFolder(at + 3, folder);
      return arguments;
    }
    const WCHAR* end = SkipArgument(at);
    if (end == at) {
      return arguments;
    }
    if (end - at == 2 && at[0] == L'/') {
      arguments.unattended |= at[1] == L'S';
      arguments.elevated |= at[1] == L'E';
    }
    arguments.remove |= end - at == 7 && Begins(at, L"/REMOVE");
    at = end;
  }
}

BOOL CanInstallInto(const char* nsisDir, const char* problem) {
  if (problem != nullptr) {
    ShowProblem(problem);
    return FALSE;
  }
  if (!IsNsisDir(nsisDir)) {
    DWORD attributes = GetFileAttributesA(nsisDir);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ShowPathProblem(nsisDir, kNamesAFile);
    } else {
      AskAboutPath(nullptr, nsisDir, kNoMakensis, MB_ICONERROR);
    }
    return FALSE;
  }
  if (NeedsElevation(nsisDir)) {  // neither run asks
    ShowPathProblem(nsisDir, kNeedsRights);
    return FALSE;
  }
  return TRUE;
}

UINT RunUnattended(BOOL ready, const Arguments& arguments) {
  char found[kPathSize];
  const char* nsisDir = arguments.folder;
  const char* problem = arguments.problem;
  if (nsisDir == nullptr) {
    FindNsisDir(found);
    nsisDir = found;
    if (!IsNsisDir(found)) {
      problem = kNoNsisFound;
    }
  }
  // Without its package the setup directory has told its problem.
  BOOL usable = ready && CanInstallInto(nsisDir, problem);
  if (arguments.remove) {
    UINT code = usable ? static_cast<UINT>(RunRemoval(nullptr, nsisDir)) : kExitFailed;
    if (code != kExitSucceeded) {
      TellCaller(STD_ERROR_HANDLE, kRemovalAborted);
    }
    return code;
  }
  BOOL completed =
      usable && PackageIsWhole(g_szSetupDir) && RunInstallation(nullptr, g_szSetupDir, nsisDir);
  DeleteLeftovers();
  if (!completed) {
    TellCaller(STD_ERROR_HANDLE, kAborted);
    return kExitFailed;
  }
  // The advice first, so that the result is the last line.
  char text[kCompletionSize];
  DescribeCompletion(nsisDir, text);
  const char* advice = text + lstrlenA(g_package->completed);
  if (*advice != '\0') {
    TellCaller(STD_OUTPUT_HANDLE, advice + 2);  // after the blank line
  }
  TellCaller(STD_OUTPUT_HANDLE, g_package->completed);
  return kExitSucceeded;
}
