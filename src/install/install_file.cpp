#include "install/install.h"
#include "install/leftovers.h"
#include "install/prompts.h"
#include "install/receipt.h"

namespace {

// Of the temporary file beside each target, whichever package it installs.
constexpr char kTempPrefix[] = "nsp";

// Makes each missing level of targetDir below targetRoot, which must exist. A
// level that another process made first, or that was there all along, counts
// as made.
DWORD MakeMissingFolders(const char* targetDir, const char* targetRoot) {
  int end = 0;
  while (targetRoot[end] != '\0') {
    ++end;
  }
  if (targetDir[end] == '\0') {
    return ERROR_SUCCESS;
  }
  char level[kPathSize];
  do {
    ++end;
    if (targetDir[end] == '\\' || targetDir[end] == '\0') {
      CopyText(level, end + 1, targetDir);
      if (!CreateDirectoryA(level, nullptr)) {
        // A check that cannot tell whether the folder is there has the reason.
        DWORD error = GetLastError();
        DWORD probe = ProbeFolder(level);
        if (probe != ERROR_SUCCESS) {
          return IsAbsent(probe) ? error : probe;
        }
      }
    }
  } while (targetDir[end] != '\0');
  return ERROR_SUCCESS;
}

// Lets a read-only file be replaced once the user has agreed to it.
DWORD AllowReplacing(const char* target) {
  DWORD attributes = GetFileAttributesA(target);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return IsAbsent(error) ? ERROR_SUCCESS : error;  // one that is gone is the move's business
  }
  if (!(attributes & FILE_ATTRIBUTE_READONLY) ||
      SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return ERROR_SUCCESS;
  }
  return GetLastError();
}

DWORD FlushToDisk(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  // Some network redirectors do not implement flushing; there the copy is as
  // safe as any other.
  DWORD error = FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  return error == ERROR_INVALID_FUNCTION ? ERROR_SUCCESS : error;
}

// Flushes temp and moves it to target, replacing a file there only when
// replace is set, with quiet retries while something holds it. Returns the
// first attempt's reason: a later one may only say that a move whose reply
// was lost took the file away.
DWORD SettleInPlace(const char* temp, const char* target, BOOL replace) {
  DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  DWORD first = ERROR_SUCCESS;
  for (int attempt = 1;; ++attempt) {
    DWORD error = FlushToDisk(temp);
    if (error == ERROR_SUCCESS && !MoveFileExA(temp, target, flags)) {
      error = GetLastError();
    }
    if (first == ERROR_SUCCESS) {
      first = error;
    }
    if (error == ERROR_SUCCESS || attempt == kQuietAttempts) {
      return error == ERROR_SUCCESS ? error : first;
    }
    Sleep(kQuietPauseMs);
  }
}

// The system answers a rename over a file that another program holds open
// with "access denied", as it does a real lack of rights; an open that shares
// nothing tells the two apart.
DWORD ReasonForTarget(const char* target, DWORD error) {
  if (error != ERROR_ACCESS_DENIED) {
    return error;
  }
  HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
    return ERROR_SHARING_VIOLATION;
  }
  return error;
}

// What a file placed whole holds: the package's file name, at source, or size
// bytes of text.
struct Content {
  const char* name;
  const char* source;
  const char* text;
  DWORD size;
};

DWORD Fill(const Content& content, const char* temp) {
  if (content.text == nullptr) {
    // The copy takes the source's attributes; a read-only one would be
    // read-only when installed and could not be replaced later.
    return CopySource(content.name, content.source, temp) &&
                   SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL)
               ? ERROR_SUCCESS
               : GetLastError();
  }
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written;
  DWORD error = file != INVALID_HANDLE_VALUE && WriteFile(file, content.text, content.size,
                                                          &written, nullptr)
                    ? ERROR_SUCCESS
                    : GetLastError();
  CloseHandle(file);
  return error;
}

// Puts a whole file of content at target, through a temporary file in
// targetDir, so that a copy that fails half-way leaves whatever was at target
// as it was. Where claim is given, sets *written to what it wrote, and *claim
// to whether target held other bytes, or none, before. Returns 0, or the
// system's error for the step that failed.
DWORD PutWhole(const Content& content, const char* target, const char* targetDir, BOOL replace,
               FileDigest* written, BOOL* claim) {
  char temp[kPathSize];
  if (!GetTempFileNameA(targetDir, kTempPrefix, 0, temp)) {
    return GetLastError();
  }
  DWORD error = Fill(content, temp);
  if (error == ERROR_SUCCESS && claim != nullptr) {
    error = DigestPath(temp, written);
    FileDigest before;
    *claim = DigestPath(target, &before) != ERROR_SUCCESS || !SameDigest(before, *written);
  }
  if (error == ERROR_SUCCESS) {
    error = ReasonForTarget(target, SettleInPlace(temp, target, replace));
  }
  if (error != ERROR_SUCCESS) {
    Discard(temp);
  }
  return error;
}

// One whole attempt at the file: its folders, the agreed replacement's
// attribute, and the copy.
DWORD Place(const Content& content, const char* target, const char* targetDir,
            const char* targetRoot, BOOL replace, FileDigest* written, BOOL* claim) {
  DWORD error = MakeMissingFolders(targetDir, targetRoot);
  if (error == ERROR_SUCCESS && replace) {
    error = AllowReplacing(target);
  }
  // An unattended run's consent covers a file that another run put there
  // after the probe.
  return error == ERROR_SUCCESS ? PutWhole(content, target, targetDir, replace || IsUnattended(),
                                           written, claim)
                                : error;
}

}  // namespace

BOOL InstallFile(HWND owner, const char* sourceDir, const char* sourceName, const char* targetDir,
                 const char* targetName, const char* targetRoot) {
  char source[kPathSize];
  char target[kPathSize];
  if (!FormPath(source, sourceDir, sourceName)) {
    return ShowPathTooLong(owner, source);
  }
  if (!FormPath(target, targetDir, targetName)) {
    return ShowPathTooLong(owner, target);
  }
  // Retry repeats the whole step, both probes included: a package file found
  // missing is asked about, and a target that appeared meanwhile is asked
  // about, never replaced unasked.
  BOOL replace = FALSE;
  for (;;) {
    // A package file that is there but cannot be searched for is not missing:
    // the copy tells the real reason.
    if (IsAbsent(ProbeSource(sourceName, source))) {
      return AskToSkipMissing(owner, source);
    }
    DWORD error = ProbePath(target);
    if (error == ERROR_SUCCESS && !replace) {
      if (SameFile(source, target)) {
        TellDone(target, "already in place");  // the package lies inside NSIS
        return TRUE;
      }
      switch (AskAboutPath(owner, target, "File already exists. Replace it?",
                           MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDNO:
          return TRUE;
        case IDYES:
          replace = TRUE;
          break;
        default:
          return ShowAborted(owner);
      }
    }
    FileDigest written;
    BOOL claim = FALSE;
    if (error == ERROR_SUCCESS || IsAbsent(error)) {
      error = Place({sourceName, source, nullptr, 0}, target, targetDir, targetRoot, replace,
                    &written, &claim);
    }
    if (error == ERROR_SUCCESS) {
      // A file that held these bytes before is not the setup's to take out.
      if (claim) {
        Claim(target + lstrlenA(targetRoot) + 1, written);
      }
      TellDone(target, replace ? "replaced" : "installed");
      return TRUE;
    }
    int answer = AskAfterFailedCopy(owner, source, target, error);
    DeleteRemembered(FALSE);  // whatever held them may have let go meanwhile
    if (answer != IDRETRY) {
      return ShowAborted(owner);
    }
  }
}

DWORD WriteWhole(const char* target, const char* targetDir, const char* targetRoot,
                 const char* text, DWORD size) {
  return Place({nullptr, nullptr, text, size}, target, targetDir, targetRoot, TRUE, nullptr,
               nullptr);
}
