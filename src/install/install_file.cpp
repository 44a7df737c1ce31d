#include "install/install.h"
#include "install/prompts.h"

namespace {

// A file that was just written may be held for a moment by a virus scanner.
constexpr int kMoveAttempts = 5;
constexpr DWORD kMovePauseMs = 100;

// Makes each missing level of targetDir below targetRoot, which must exist.
BOOL MakeMissingFolders(const char* targetDir, const char* targetRoot) {
  int end = 0;
  while (targetRoot[end] != '\0') {
    ++end;
  }
  if (targetDir[end] == '\0') {
    return TRUE;
  }
  char level[kPathSize];
  do {
    ++end;
    if (targetDir[end] == '\\' || targetDir[end] == '\0') {
      CopyText(level, end + 1, targetDir);
      if (!FolderExists(level) && !CreateDirectoryA(level, nullptr)) {
        return FALSE;
      }
    }
  } while (targetDir[end] != '\0');
  return TRUE;
}

BOOL FlushToDisk(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  // Some network redirectors do not implement flushing; there the copy is as
  // safe as any other.
  BOOL flushed = FlushFileBuffers(file) || GetLastError() == ERROR_INVALID_FUNCTION;
  CloseHandle(file);
  return flushed;
}

BOOL MoveIntoPlace(const char* temp, const char* target) {
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return TRUE;
    }
    if (attempt == kMoveAttempts) {
      return FALSE;
    }
    Sleep(kMovePauseMs);
  }
}

// Puts a whole copy of source at target, through a temporary file in
// targetDir, so that a copy that fails half-way leaves whatever was at target
// as it was. Returns 0, or the system's error for the step that failed.
DWORD CopyWhole(const char* source, const char* target, const char* targetDir) {
  char temp[kPathSize];
  if (!GetTempFileNameA(targetDir, "tav", 0, temp)) {
    return GetLastError();
  }
  // The copy takes the source's attributes; a read-only one would be read-only
  // when installed and could not be replaced later.
  if (CopyFileA(source, temp, FALSE) && SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL) &&
      FlushToDisk(temp) && MoveIntoPlace(temp, target)) {
    return ERROR_SUCCESS;
  }
  DWORD error = GetLastError();
  if (!DeleteFileA(temp)) {
    MoveFileExA(temp, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  return error;
}

// Makes the target's folders and copies source to target, offering Retry for
// as long as that fails.
BOOL PlaceWithRetry(HWND owner, const char* source, const char* target, const char* targetDir,
                    const char* targetRoot) {
  for (;;) {
    DWORD error = MakeMissingFolders(targetDir, targetRoot) ? CopyWhole(source, target, targetDir)
                                                            : GetLastError();
    if (error == ERROR_SUCCESS) {
      return TRUE;
    }
    if (AskAfterFailedCopy(owner, source, target, error) != IDRETRY) {
      return ShowAborted(owner);
    }
  }
}

// Lets a read-only file be replaced once the user has agreed to it.
void AllowReplacing(const char* target) {
  DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

}  // namespace

BOOL InstallFile(HWND owner, const char* sourceDir, const char* fileName, const char* targetDir,
                 const char* targetRoot) {
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
  if (FileExists(target)) {
    if (SameFile(source, target)) {
      return TRUE;  // the package lies inside NSIS: the file is its own target
    }
    switch (AskAboutPath(owner, target, "File already exists. Replace it?",
                         MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDNO:
        return TRUE;
      case IDYES:
        AllowReplacing(target);
        break;
      default:
        return ShowAborted(owner);
    }
  }
  return PlaceWithRetry(owner, source, target, targetDir, targetRoot);
}
