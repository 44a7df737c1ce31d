#include "install/install.h"
#include "install/prompts.h"

namespace {

// Copies source over target, offering Retry for as long as the copy fails.
BOOL CopyWithRetry(HWND owner, const char* source, const char* target) {
  while (!CopyFileA(source, target, FALSE)) {
    if (AskAfterFailedCopy(owner, source, target, GetLastError()) != IDRETRY) {
      return ShowAborted(owner);
    }
  }
  return TRUE;
}

}  // namespace

BOOL InstallFile(HWND owner, const char* sourceDir, const char* fileName, const char* targetDir) {
  char source[kPathSize];
  if (!FormPath(source, sourceDir, fileName)) {
    return ShowPathTooLong(owner, source);
  }
  if (!FileExists(source)) {
    return AskAboutPath(owner, source, "File does not exists. Continue?",
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDNO;
  }

  char target[kPathSize];
  if (!FormPath(target, targetDir, fileName)) {
    return ShowPathTooLong(owner, target);
  }
  if (!FolderExists(targetDir)) {
    CreateDirectoryA(targetDir, nullptr);
  }
  if (FileExists(target)) {
    if (SameFile(source, target)) {
      return TRUE;  // the package lies inside NSIS: the file is its own target
    }
    switch (AskAboutPath(owner, target, "File already exists. Replace it?",
                         MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDNO:
        return TRUE;
      case IDYES:
        break;
      default:
        return ShowAborted(owner);
    }
  }
  return CopyWithRetry(owner, source, target);
}
