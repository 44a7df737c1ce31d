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

// Maps the open file for reading and returns its bytes, with their count in
// *size; nullptr (and *size 0 for an empty file) when it cannot. The handle
// stays open; UnmapViewOfFile lets the bytes go.
const BYTE* MapHandle(HANDLE file, DWORD* size);

// As MapHandle, and closes the file.
const BYTE* MapForReading(HANDLE file, DWORD* size);

// Sets *digest to the open file's, without keeping it mapped: a file mapped
// cannot be deleted. FALSE, with the system's reason as the last error, when
// it cannot be read.
BOOL DigestHandle(HANDLE file, FileDigest* digest);

// Sets *digest to that of the file at path. FALSE when it cannot be opened or
// read.
BOOL DigestPath(const char* path, FileDigest* digest);

inline BOOL SameDigest(const FileDigest& first, const FileDigest& second) {
  return first.size == second.size && first.crc == second.crc;
}
