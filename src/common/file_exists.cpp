#include "common/common.h"

BOOL FileExists(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  FindClose(search);
  return TRUE;
}

BOOL FolderExists(const char* folder) {
  char pattern[kPathSize];
  return FormPath(pattern, folder, "*.*") && FileExists(pattern);
}

BOOL IsNsisDir(const char* folder) {
  char candidate[kPathSize];
  return FormPath(candidate, folder, "makensis.exe") && FileExists(candidate);
}
