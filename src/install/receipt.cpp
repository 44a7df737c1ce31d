#include "install/install.h"
#include "install/receipt.h"
#include "res/resource.h"

namespace {

constexpr char kHeader[] =
    "; The files this setup wrote: /REMOVE deletes each while unchanged.\r\n"
    "Package=%s\r\nVersion=" SETUP_VERSION_TEXT "\r\n";
constexpr char kFileKey[] = "File=";
constexpr char kFileLine[] = "File=%lu %08lX %s\r\n";
constexpr int kFileKeyLength = sizeof kFileKey - 1;

// The text of a whole receipt: its header and a line for each file.
constexpr int kReceiptTextSize = sizeof kHeader + kNameSize + kMaxReceiptFiles * (kPathSize + 32);

ReceiptFile g_files[kMaxReceiptFiles];
int g_count;
BOOL g_changed;
char g_text[kReceiptTextSize + 1];

// Reads a number in base up to the next blank or the end; FALSE when there is
// none there, or it does not fit a DWORD.
BOOL TakeNumber(const char** at, DWORD base, DWORD* value) {
  const char* c = *at;
  *value = 0;
  for (; *c != ' ' && *c != '\0'; ++c) {
    DWORD lower = static_cast<DWORD>(*c | 0x20);
    DWORD digit = *c >= '0' && *c <= '9' ? static_cast<DWORD>(*c - '0')
                  : base == 16 && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10
                                                               : base;
    if (digit >= base || *value > (0xFFFFFFFF - digit) / base) {
      return FALSE;
    }
    *value = *value * base + digit;
  }
  BOOL taken = c != *at;
  *at = *c == ' ' ? c + 1 : c;
  return taken;
}

// TRUE when path names a file below one of the folders an install writes
// to, by plain names: no empty part, no "." or "..", no drive or stream.
BOOL IsClaimable(const char* path) {
  int part = 0;
  for (const char* c = path;; c = CharNextA(c)) {
    if (*c == '\\' || *c == '\0') {
      if (part == 0 || (part <= 2 && c[-1] == '.' && c[-part] == '.')) {
        return FALSE;
      }
      part = 0;
    } else if (*c == ':' || *c == '/') {
      return FALSE;
    } else {
      part += static_cast<int>(CharNextA(c) - c);
    }
    if (*c == '\0') {
      break;
    }
  }
  char folder[kPathSize];
  CopyText(folder, kPathSize, path);
  return CutName(folder) &&
         (IsUnder(folder, "Include") || IsUnder(folder, "Plugins") || IsPackageFolder(folder));
}

// Takes one line of a receipt: a file's, or one of the header's, which
// removal needs none of. FALSE when a file's line is not as the setup writes it.
BOOL TakeLine(const char* line) {
  for (int i = 0; i < kFileKeyLength; ++i) {
    if (line[i] != kFileKey[i]) {
      return TRUE;
    }
  }
  FileDigest digest;
  const char* at = line + kFileKeyLength;
  if (!TakeNumber(&at, 10, &digest.size) || !TakeNumber(&at, 16, &digest.crc) ||
      lstrlenA(at) >= kPathSize || !IsClaimable(at)) {
    return FALSE;
  }
  Claim(at, digest);
  return TRUE;
}

DWORD ReadText(const char* path, DWORD* size) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  // One byte more than a receipt holds tells one that is too large.
  DWORD error = ReadFile(file, g_text, kReceiptTextSize + 1, size, nullptr) ? ERROR_SUCCESS
                                                                            : GetLastError();
  CloseHandle(file);
  return error == ERROR_SUCCESS && *size > static_cast<DWORD>(kReceiptTextSize)
             ? ERROR_INVALID_DATA
             : error;
}

}  // namespace

BOOL IsPackageFolder(const char* folder) {
  char docs[kPathSize];
  char examples[kPathSize];
  FormPath(docs, "Docs", g_package->name);
  FormPath(examples, "Examples", g_package->name);
  return IsUnder(folder, docs) || IsUnder(folder, examples);
}

BOOL FormReceiptPath(const char* nsisDir, char* path, char* folder) {
  BOOL fits = FormPath(path, nsisDir, "Docs");
  fits = FormPath(folder, path, g_package->name) && fits;
  return FormPath(path, folder, kReceiptName) && fits;
}

DWORD ReadReceipt(const char* nsisDir) {
  char path[kPathSize];
  char folder[kPathSize];
  g_count = 0;
  DWORD size = 0;
  DWORD error = FormReceiptPath(nsisDir, path, folder) ? ReadText(path, &size)
                                                       : ERROR_FILENAME_EXCED_RANGE;
  g_text[size] = '\0';
  for (char* line = g_text; error == ERROR_SUCCESS && line < g_text + size;) {
    char* end = line;
    while (*end != '\n' && *end != '\0') {
      ++end;
    }
    BOOL nul = *end == '\0' && end < g_text + size;  // inside the text: not one written
    char* next = end + 1;
    if (end > line && end[-1] == '\r') {
      --end;
    }
    *end = '\0';
    if (nul || !TakeLine(line)) {
      error = ERROR_INVALID_DATA;
    }
    line = next;
  }
  if (error != ERROR_SUCCESS) {
    g_count = 0;
  }
  g_changed = FALSE;
  return error;
}

const ReceiptFile* ReceiptFiles(int* count) {
  *count = g_count;
  return g_files;
}

void Claim(const char* path, const FileDigest& digest) {
  int i = 0;
  while (i < g_count && lstrcmpiA(g_files[i].path, path) != 0) {
    ++i;
  }
  if (i == kMaxReceiptFiles) {
    return;  // left to the user: never taken out unasked
  }
  if (i == g_count) {
    CopyText(g_files[i].path, kPathSize, path);
    ++g_count;
  } else if (SameDigest(g_files[i].digest, digest)) {
    return;
  }
  g_files[i].digest = digest;
  g_changed = TRUE;
}

DWORD SaveReceipt(const char* nsisDir) {
  if (!g_changed) {
    return ERROR_SUCCESS;
  }
  char path[kPathSize];
  char folder[kPathSize];
  FormReceiptPath(nsisDir, path, folder);  // checked before the first file was copied
  int length = wsprintfA(g_text, kHeader, g_package->name);
  for (int i = 0; i < g_count; ++i) {
    length += wsprintfA(g_text + length, kFileLine, g_files[i].digest.size, g_files[i].digest.crc,
                        g_files[i].path);
  }
  DWORD error = WriteWhole(path, folder, nsisDir, g_text, static_cast<DWORD>(length));
  g_changed = error != ERROR_SUCCESS;
  return error;
}
