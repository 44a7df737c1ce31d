// What identifies a file's bytes for the setup: their count and CRC-32, as
// ZIP archives keep them.
#pragma once

#include <windows.h>

struct FileDigest {
  DWORD size;
  DWORD crc;
};

// The CRC-32 of size bytes at data, continuing crc (0 to begin).
DWORD Crc32(DWORD crc, const BYTE* data, DWORD size);

// Sets *digest to that of the bytes the open file holds from where it is read
// next. FALSE, with the system's reason as the last error, when it cannot be
// read.
BOOL DigestHandle(HANDLE file, FileDigest* digest);

// Sets *digest to that of the file at path. ERROR_SUCCESS, or the reason it
// cannot be opened or read.
DWORD DigestPath(const char* path, FileDigest* digest);

inline BOOL SameDigest(const FileDigest& first, const FileDigest& second) {
  return first.size == second.size && first.crc == second.crc;
}
