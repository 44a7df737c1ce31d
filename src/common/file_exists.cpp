#include "common/common.h"

DWORD ProbePath(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  FindClose(search);
  return ERROR_SUCCESS;
}

BOOL IsAbsent(DWORD probe) {
  // Some file servers answer a search that matches nothing with "no more files".
  return probe == ERROR_FILE_NOT_FOUND || probe == ERROR_PATH_NOT_FOUND ||
         probe == ERROR_NO_MORE_FILES;
}

BOOL FileExists(const char* path) {
  return ProbePath(path) == ERROR_SUCCESS;
}

DWORD ProbeFolder(const char* folder) {
  DWORD attributes = GetFileAttributesA(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return GetLastError();
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

BOOL FolderExists(const char* folder) {
  return ProbeFolder(folder) == ERROR_SUCCESS;
}

namespace {

BOOL IsSeparator(char c) {
  return c == '\\' || c == '/';
}

BOOL IsLetter(char c, char lower) {
  return (c | 0x20) == lower;
}

// TRUE when candidate begins with two separators, as a server's name does,
// but lacks the server or the share below it (a name always follows: the
// candidate ends in makensis.exe). A search for it would look up a server
// that is not there, which on a network takes seconds, and find nothing.
// \\?\UNC\ and \\.\UNC\ lead to a server as \\ does; other \\?\ and \\.\ forms
// name a local device or path. The text is read by character: in a
// double-byte code page a trail byte may be a backslash.
BOOL IsShortOfAShare(const char* candidate) {
  if (!IsSeparator(candidate[0]) || !IsSeparator(candidate[1])) {
    return FALSE;
  }
  const char* at = candidate + 2;
  if ((at[0] == '?' || at[0] == '.') && IsSeparator(at[1])) {
    if (!IsLetter(at[2], 'u') || !IsLetter(at[3], 'n') || !IsLetter(at[4], 'c') ||
        !IsSeparator(at[5])) {
      return FALSE;
    }
    at += 6;
  }
  for (int part = 0; part < 2; ++part) {  // the server, then the share
    const char* start = at;
    while (*at != '\0' && !IsSeparator(*at)) {
      at = CharNextA(at);
    }
    if (at == start || *at++ == '\0') {
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

BOOL IsOnNetwork(const char* path) {
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\?\C:\ and \\.\C:\ name a drive's path; anything else a server's.
    if ((path[2] != '?' && path[2] != '.') || !IsSeparator(path[3]) || path[4] == '\0' ||
        path[5] != ':') {
      return TRUE;
    }
    path += 4;
  }
  char root[] = {path[0], ':', '\\', '\0'};
  return path[1] == ':' && GetDriveTypeA(root) == DRIVE_REMOTE;
}

BOOL IsNsisDir(const char* folder) {
  char candidate[kPathSize];
  return FormPath(candidate, folder, "makensis.exe") && !IsShortOfAShare(candidate) &&
         FileExists(candidate);
}

namespace {

// Puts the file's volume and its 128-bit ID there into id where the system
// has them (Windows 8 and later), or its volume serial and 64-bit file index.
// FALSE when either is unknown: some file systems give every file index 0,
// and Wine gives volumes without a drive letter serial 0.
BOOL IdentifyFile(const char* path, FILE_ID_INFO* id) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  *id = {};
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandleEx(file, FileIdInfo, id, sizeof *id) &&
      GetFileInformationByHandle(file, &info)) {
    id->VolumeSerialNumber = info.dwVolumeSerialNumber;
    CopyMemory(id->FileId.Identifier, &info.nFileIndexHigh, 2 * sizeof(DWORD));
  }
  CloseHandle(file);
  BYTE known = 0;
  for (BYTE part : id->FileId.Identifier) {
    known |= part;
  }
  return known != 0 && id->VolumeSerialNumber != 0;
}

}  // namespace

BOOL SameFile(const char* first, const char* second) {
  FILE_ID_INFO a;
  FILE_ID_INFO b;
  if (!IdentifyFile(first, &a) || !IdentifyFile(second, &b)) {
    return FALSE;
  }
  const BYTE* x = reinterpret_cast<const BYTE*>(&a);
  const BYTE* y = reinterpret_cast<const BYTE*>(&b);
  for (size_t i = 0; i < sizeof a; ++i) {
    if (x[i] != y[i]) {
      return FALSE;
    }
  }
  return TRUE;
}
