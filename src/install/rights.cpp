#include "install/install.h"

namespace {

// Made and deleted again in each folder the installation writes to; where that
// name is taken, names of this run's own are tried.
constexpr char kProbeName[] = "nsp-probe.tmp";
constexpr char kOwnProbeName[] = "nsp-probe-%lu-%d.tmp";
constexpr int kProbeAttempts = 4;
constexpr int kProbeNameSize = 32;

// TRUE when the process has an administrator's full rights: elevated, an
// administrator with UAC off, or SYSTEM. Windows without UAC cannot tell, and
// has nothing to elevate to.
BOOL IsElevated() {
  TOKEN_ELEVATION elevation = {TRUE};
  HANDLE token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    DWORD size;
    GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
  }
  return elevation.TokenIsElevated;
}

// TRUE when folder, or for one that is missing its nearest existing parent,
// denies this process a new file. Cuts folder back to the one it probed. A
// name that is taken (a stray file or folder) answers nothing, so another is
// tried; any other failure is left to the copy, which tells its reason.
BOOL DeniesNewFiles(char* folder) {
  while (IsAbsent(ProbeFolder(folder))) {
    int end = 0;
    for (int i = 0; folder[i] != '\0'; ++i) {
      if (folder[i] == '\\') {
        end = i;
      }
    }
    if (end == 0) {
      break;
    }
    folder[end] = '\0';
  }
  char name[kProbeNameSize];
  char probe[kPathSize];
  CopyText(name, kProbeNameSize, kProbeName);
  for (int attempt = 1; attempt <= kProbeAttempts; ++attempt) {
    if (!FormPath(probe, folder, name)) {
      return FALSE;
    }
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return FALSE;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED) {
      return TRUE;
    }
    wsprintfA(name, kOwnProbeName, GetCurrentProcessId(), attempt);
  }
  return FALSE;
}

// TRUE when target exists and this process may not replace it: the move over
// it needs to delete it. A read-only attribute (which the copy clears) and a
// file in use are no question of rights.
BOOL DeniesReplacing(const char* target) {
  HANDLE file = CreateFileA(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return FALSE;
  }
  DWORD error = GetLastError();
  DWORD attributes = GetFileAttributesA(target);
  return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

BOOL NeedsElevation(const char* nsisDir) {
  // A file server judges the user's network identity, which elevation does
  // not change.
  if (IsElevated() || IsOnNetwork(nsisDir)) {
    return FALSE;
  }
  BOOL nsis3 = FALSE;
  ProbeNsis3(nsisDir, &nsis3);
  char folder[kPathSize];
  char target[kPathSize];
  for (const InstallItem& item : g_package) {
    if (!FormTargetFolder(item, nsisDir, nsis3, folder)) {
      continue;
    }
    if (FormPath(target, folder, item.name) && DeniesReplacing(target)) {
      return TRUE;
    }
    if (DeniesNewFiles(folder)) {
      return TRUE;
    }
  }
  return FALSE;
}
