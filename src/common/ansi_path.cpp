#include "common/ansi_path.h"

namespace {

BOOL ConvertExactly(const WCHAR* wide, char* path) {
  // A UTF-8 code page holds every character, and takes neither flag.
  BOOL utf8 = GetACP() == CP_UTF8;
  BOOL defaulted = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide,
                                  -1, path, kPathSize, nullptr, utf8 ? nullptr : &defaulted);
  return bytes > 0 && !defaulted;
}

}  // namespace

BOOL AnsiPathFromWide(const WCHAR* wide, char* path) {
  if (ConvertExactly(wide, path)) {
    return TRUE;
  }
  WCHAR shortPath[kPathSize];
  DWORD length = GetShortPathNameW(wide, shortPath, kPathSize);
  if (length > 0 && length < static_cast<DWORD>(kPathSize) && ConvertExactly(shortPath, path)) {
    return TRUE;
  }
  path[0] = '\0';
  return FALSE;
}
