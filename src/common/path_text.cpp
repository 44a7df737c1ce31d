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

BOOL CopyText(char* buffer, int size, const char* text) {
  buffer[0] = '\0';
  return AppendText(buffer, size, text);
}

BOOL FormPath(char* path, const char* folder, const char* name) {
  // Evaluate all three so that a cut-short path still shows as much as fits.
  BOOL fits = CopyText(path, kPathSize, folder);
  fits = AppendText(path, kPathSize, "\\") && fits;
  return AppendText(path, kPathSize, name) && fits;
}

void TakeSlashes(char* path) {
  for (char* c = path; *c != '\0'; c = CharNextA(c)) {
    if (*c == '/') {
      *c = '\\';
    }
  }
}

char* LastSeparator(char* path) {
  char* last = nullptr;
  for (char* c = path; *c != '\0'; c = CharNextA(c)) {
    if (*c == '\\') {
      last = c;
    }
  }
  return last;
}

BOOL CutName(char* path) {
  char* last = LastSeparator(path);
  if (last != nullptr) {
    *last = '\0';
  }
  return last != nullptr;
}
