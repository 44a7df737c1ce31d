#include "common/ansi_path.h"
#include "shell/nsis_registry.h"

namespace {

constexpr char kNsisKey[] = "SOFTWARE\\NSIS";
constexpr DWORD kRawBytes = kPathSize * sizeof(WCHAR);

// A 64-bit NSIS writes its key where a 32-bit program does not look unless
// asked, and the other way round.
#ifdef _WIN64
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

// The folder every makensis reads its plug-ins and headers from when the
// variable is set, whichever makensis.exe runs. Each template begins with its
// variable, so that one left unexpanded (not set) is told by its '%'.
constexpr WCHAR kNsisDirTemplate[] = L"%NSISDIR%";

// Where NSIS may be when the registry does not say: NSIS under each Program
// Files folder.
constexpr const WCHAR* kFolderTemplates[] = {
    L"%ProgramFiles%\\NSIS",
    L"%ProgramFiles(x86)%\\NSIS",
    L"%ProgramW6432%\\NSIS",
};

// Reads the key's default value into raw (kPathSize + 1 characters) when it is
// a string; raw is left empty otherwise. A string that fills the query's
// kPathSize characters is too long for any path buffer, and its conversion
// refuses it.
DWORD QueryDefaultString(HKEY key, WCHAR* raw) {
  DWORD type = REG_NONE;
  DWORD size = kRawBytes;
  if (RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    raw[0] = L'\0';
    return REG_NONE;
  }
  raw[size / sizeof(WCHAR)] = L'\0';  // stored strings need not carry their terminator
  return type;
}

// Puts the folder that folderTemplate names into folder when its variable is
// set, not empty, and the folder converts exactly and fits; FALSE otherwise.
BOOL FolderFromTemplate(const WCHAR* folderTemplate, char* folder) {
  WCHAR wide[kPathSize];
  DWORD length = ExpandEnvironmentStringsW(folderTemplate, wide, kPathSize);
  return length > 1 && length <= static_cast<DWORD>(kPathSize) && wide[0] != L'%' &&
         AnsiPathFromWide(wide, folder);
}

// Copies candidate into folder when it is an NSIS directory.
BOOL TakeIfNsis(const char* candidate, char* folder) {
  if (candidate[0] == '\0' || !IsNsisDir(candidate)) {
    return FALSE;
  }
  return CopyText(folder, kPathSize, candidate);
}

}  // namespace

void ReadNsisDirFromRegistry(char* buffer, REGSAM view) {
  buffer[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNsisKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return;
  }
  WCHAR raw[kPathSize + 1];
  DWORD type = QueryDefaultString(key, raw);
  RegCloseKey(key);
  WCHAR expanded[kPathSize];
  const WCHAR* folder = raw;
  if (type == REG_EXPAND_SZ) {
    DWORD needed = ExpandEnvironmentStringsW(raw, expanded, kPathSize);
    if (needed == 0 || needed > static_cast<DWORD>(kPathSize)) {
      return;
    }
    folder = expanded;
  }
  if (type != REG_NONE) {
    AnsiPathFromWide(folder, buffer);  // a value it cannot hold exactly counts as none
  }
}

BOOL ReadNsisDirVariable(char* folder) {
  return FolderFromTemplate(kNsisDirTemplate, folder);
}

void FindNsisDir(char* buffer) {
  char candidate[kPathSize];
  if (ReadNsisDirVariable(candidate) && TakeIfNsis(candidate, buffer)) {
    return;
  }
  ReadNsisDirFromRegistry(buffer, 0);
  if (buffer[0] != '\0' && IsNsisDir(buffer)) {
    return;  // the common case pays for nothing more
  }
  ReadNsisDirFromRegistry(candidate, kOtherView);
  if (TakeIfNsis(candidate, buffer)) {
    return;
  }
  for (const WCHAR* folderTemplate : kFolderTemplates) {
    if (FolderFromTemplate(folderTemplate, candidate) && TakeIfNsis(candidate, buffer)) {
      return;
    }
  }
}
