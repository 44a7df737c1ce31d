#include "shell/setup_dialog.h"

namespace {

constexpr char kNsisKey[] = "SOFTWARE\\NSIS";

// Reads the key's default value when it is a string that fits with its
// terminator; raw is left empty otherwise.
DWORD QueryDefaultString(HKEY key, char* raw) {
  DWORD type = REG_NONE;
  DWORD size = kPathSize;
  if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > static_cast<DWORD>(kPathSize) ||
      (size == static_cast<DWORD>(kPathSize) && raw[kPathSize - 1] != '\0')) {
    raw[0] = '\0';  // not a string, or one whose terminator does not fit
    return REG_NONE;
  }
  if (size < static_cast<DWORD>(kPathSize)) {
    raw[size] = '\0';  // stored strings need not carry their terminator
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
  char raw[kPathSize];
  DWORD type = QueryDefaultString(key, raw);
  RegCloseKey(key);
  if (type == REG_SZ) {
    CopyText(buffer, kPathSize, raw);
  } else if (type == REG_EXPAND_SZ) {
    DWORD needed = ExpandEnvironmentStringsA(raw, buffer, kPathSize);
    if (needed == 0 || needed > static_cast<DWORD>(kPathSize)) {
      buffer[0] = '\0';
    }
  }
}
