#include "common/ansi_path.h"
#include "shell/nsis_registry.h"

namespace {

constexpr char kNsisKey[] = "SOFTWARE\\NSIS";
constexpr DWORD kRawBytes = kPathSize * sizeof(WCHAR);

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

}  // namespace

void ReadNsisDirFromRegistry(char* buffer) {
  buffer[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNsisKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
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
