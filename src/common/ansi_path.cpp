#include "common/ansi_path.h"

int AnsiFromWide(const WCHAR* wide, int length, char* text, int size) {
  // A UTF-8 code page holds every character, and takes neither flag.
  BOOL utf8 = GetACP() == CP_UTF8;
  BOOL defaulted = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide,
                                  length, text, size, nullptr, utf8 ? nullptr : &defaulted);
  return defaulted ? 0 : bytes;
}

BOOL AnsiPathFromWide(const WCHAR* wide, char* path) {
  if (AnsiFromWide(wide, -1, path, kPathSize) > 0) {
    return TRUE;
  }
  WCHAR shortPath[kPathSize];
  DWORD length = GetShortPathNameW(wide, shortPath, kPathSize);
  if (length > 0 && length < static_cast<DWORD>(kPathSize) &&
      AnsiFromWide(shortPath, -1, path, kPathSize) > 0) {
    return TRUE;
  }
  path[0] = '\0';
  return FALSE;
}
