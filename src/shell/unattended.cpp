#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "shell/completion.h"
#include "shell/nsis_registry.h"
#include "shell/setup_dir.h"
#include "shell/unattended.h"

namespace {

BOOL IsBlank(WCHAR c) {
  return c == L' ' || c == L'\t';
}

// The end of the argument at, where quotes keep blanks inside it.
const WCHAR* SkipArgument(const WCHAR* at) {
  BOOL quoted = FALSE;
  for (; *at != L'\0' && (quoted || !IsBlank(*at)); ++at) {
    quoted ^= *at == L'"';
  }
  return at;
}

}  // namespace

BOOL ReadArguments(const WCHAR* commandLine, char* folder, const char** given) {
  *given = nullptr;
  BOOL unattended = FALSE;
  for (const WCHAR* at = SkipArgument(commandLine);;) {  // the program's own name first
    while (IsBlank(*at)) {
      ++at;
    }
    if (at[0] == L'/' && at[1] == L'D' && at[2] == L'=') {
      AnsiPathFromWide(at + 3, folder);
      *given = folder;
      return unattended;
    }
    const WCHAR* end = SkipArgument(at);
    if (end == at) {
      return unattended;
    }
    unattended |= end - at == 2 && at[0] == L'/' && at[1] == L'S';
    at = end;
  }
}

UINT RunUnattended(BOOL ready, const char* nsisDir) {
  char found[kPathSize];
  if (nsisDir == nullptr) {
    FindNsisDir(found);
    nsisDir = found;
  }
  BOOL completed = FALSE;
  if (!ready) {
    // the setup directory has told its problem
  } else if (!IsNsisDir(nsisDir)) {
    AskAboutPath(nullptr, nsisDir, "This folder holds no makensis.exe.", MB_ICONERROR);
  } else {
    completed = PackageIsWhole(g_szSetupDir) && RunInstallation(nullptr, g_szSetupDir, nsisDir);
  }
  DeleteLeftovers();
  if (!completed) {
    TellCaller(STD_ERROR_HANDLE, kAborted);
    return kExitFailed;
  }
  // The advice first, so that the result is the last line.
  char text[kCompletionSize];
  DescribeCompletion(nsisDir, text);
  const char* advice = text + sizeof kCompleted - 1;
  if (*advice != '\0') {
    TellCaller(STD_OUTPUT_HANDLE, advice + 2);  // after the blank line
  }
  TellCaller(STD_OUTPUT_HANDLE, kCompleted);
  return kExitSucceeded;
}
