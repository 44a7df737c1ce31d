#include "common/common.h"

BOOL AppendText(char* buffer, int size, const char* text) {
  int length = 0;
  while (length < size - 1 && buffer[length] != '\0') {
    ++length;
  }
  while (length < size - 1 && *text != '\0') {
    buffer[length++] = *text++;
  }
  buffer[length] = '\0';
  return *text == '\0';
}

BOOL FormPath(char* path, const char* folder, const char* name) {
  path[0] = '\0';
  // Evaluate all three so that a cut-short path still shows as much as fits.
  BOOL fits = AppendText(path, kPathSize, folder);
  fits = AppendText(path, kPathSize, "\\") && fits;
  return AppendText(path, kPathSize, name) && fits;
}
