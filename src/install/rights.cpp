#include "install/install.h"

namespace {

// Made and deleted again in each folder the installation writes to.
constexpr char kProbeName[] = "tavrick.tmp";

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
// denies this process a new file. Cuts folder back to the one it probed.
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
  char probe[kPathSize];
  if (!FormPath(probe, folder, kProbeName)) {
    return FALSE;
  }
  HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  CloseHandle(file);
  return FALSE;
}

}  // namespace

BOOL NeedsElevation(const char* nsisDir) {
  if (IsElevated()) {
    return FALSE;
  }
  BOOL nsis3 = FALSE;
  ProbeNsis3(nsisDir, &nsis3);
  char folder[kPathSize];
  for (const InstallItem& item : InstallManifest) {
    if (FormTargetFolder(item, nsisDir, nsis3, folder) && DeniesNewFiles(folder)) {
      return TRUE;
    }
  }
  return FALSE;
}
