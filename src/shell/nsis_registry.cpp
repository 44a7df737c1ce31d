#include "common/ansi_path.h"
#include "shell/setup_dialog.h"

namespace {

constexpr char kNsisKey[] = "SOFTWARE\\NSIS";
constexpr DWORD kRawBytes = kPathSize * sizeof(WCHAR);

// Reads the key's default value when it is a string that fits with its
// terminator; raw is left empty otherwise.
DWORD QueryDefaultString(HKEY key, WCHAR* raw) {
  DWORD type = REG_NONE;
  DWORD size = kRawBytes;
  if (RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > kRawBytes ||
      (size == kRawBytes && raw[kPathSize - 1] != L'\0')) {
    raw[0] = L'\0';  // not a string, or one whose terminator does not fit
    return REG_NONE;
  }
  if (size < kRawBytes) {
    raw[size / sizeof(WCHAR)] = L'\0';  // stored strings need not carry their terminator
  }
  return type;
}

}  // namespace

void ReadNsisDirFromRegistry(char* buffer) {
  buffer[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNsisKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  WCHAR raw[kPathSize];
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
