#include "common/file_digest.h"

namespace {

DWORD g_crcTable[256];

// Read a piece at a time: a file mapped cannot be deleted, nor replaced.
constexpr DWORD kChunkSize = 16384;
BYTE g_chunk[kChunkSize];

}  // namespace

DWORD Crc32(DWORD crc, const BYTE* data, DWORD size) {
  if (g_crcTable[1] == 0) {
    for (DWORD n = 0; n < 256; ++n) {
      DWORD c = n;
      for (int k = 0; k < 8; ++k) {
        c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
      }
      g_crcTable[n] = c;
    }
  }
  crc = ~crc;
  for (DWORD i = 0; i < size; ++i) {
    crc = g_crcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

BOOL DigestHandle(HANDLE file, FileDigest* digest) {
  digest->size = 0;
  digest->crc = 0;
  for (;;) {
    DWORD read;
    if (!ReadFile(file, g_chunk, kChunkSize, &read, nullptr)) {
      return FALSE;
    }
    if (read == 0) {
      return TRUE;
    }
    digest->crc = Crc32(digest->crc, g_chunk, read);
    digest->size += read;
  }
}

DWORD DigestPath(const char* path, FileDigest* digest) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  DWORD error = DigestHandle(file, digest) ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  return error;
}
