// The receipt an install leaves in Docs\<Name>: the files under the NSIS
// folder that it wrote, each with its size and CRC-32 as written, so that
// removal takes out those files alone, and only while they are unchanged.
#pragma once

#include "common/file_digest.h"
#include "install/package.h"

inline constexpr char kReceiptName[] = "setup-receipt.txt";

// Installs that change a package's files add to the receipt they find.
constexpr int kMaxReceiptFiles = 2 * kMaxItems;

struct ReceiptFile {
  char path[kPathSize];  // under the NSIS folder
  FileDigest digest;
};

// Forms nsisDir\Docs\<Name>\<receipt> into path, and the folder it lies in
// into folder (kPathSize bytes each). FALSE when that does not fit.
BOOL FormReceiptPath(const char* nsisDir, char* path, char* folder);

// TRUE when folder is Docs\<Name> or Examples\<Name>, or lies below one.
BOOL IsPackageFolder(const char* folder);

// Reads the receipt in nsisDir. ERROR_SUCCESS, an absent file's reason when
// there is none, ERROR_INVALID_DATA when a line is not one the setup writes,
// or the system's reason; the receipt is then held empty.
DWORD ReadReceipt(const char* nsisDir);

// The files that the receipt held lists, in its order; count in *count.
const ReceiptFile* ReceiptFiles(int* count);

// Lists the file at path under the NSIS folder as written with digest,
// in place of what the receipt held said of it.
void Claim(const char* path, const FileDigest& digest);

// Writes the receipt held, whole, when a claim changed it since it was read.
// ERROR_SUCCESS, or the reason it could not be written.
DWORD SaveReceipt(const char* nsisDir);
