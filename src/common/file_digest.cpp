#include "common/file_digest.h"

namespace {

DWORD g_crcTable[256];

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

const BYTE* MapHandle(HANDLE file, DWORD* size) {
  *size = GetFileSize(file, nullptr);
  HANDLE mapping =
      *size != 0 ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
  if (mapping == nullptr) {
    return nullptr;
  }
  const BYTE* view = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  CloseHandle(mapping);  // the view keeps it
  return view;
}

const BYTE* MapForReading(HANDLE file, DWORD* size) {
  const BYTE* view = MapHandle(file, size);
  CloseHandle(file);
  return view;
}

BOOL DigestHandle(HANDLE file, FileDigest* digest) {
  const BYTE* view = MapHandle(file, &digest->size);
  if (view == nullptr) {
    digest->crc = 0;
    return digest->size == 0;  // empty, or unreadable
  }
  digest->crc = Crc32(0, view, digest->size);
  UnmapViewOfFile(view);
  return TRUE;
}

BOOL DigestPath(const char* path, FileDigest* digest) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  BOOL read = DigestHandle(file, digest);
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return read;
}
