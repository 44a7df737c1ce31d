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

namespace {

BOOL IdentifyFile(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  BOOL known = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return known;
}

}  // namespace

BOOL SameFile(const char* first, const char* second) {
  BY_HANDLE_FILE_INFORMATION a;
  BY_HANDLE_FILE_INFORMATION b;
  return IdentifyFile(first, &a) && IdentifyFile(second, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}
