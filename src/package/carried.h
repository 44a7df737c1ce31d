// The package a setup carries in its own file: a stored ZIP archive after the
// program's image (and before the certificate table that a signature appends),
// whose description is the entry setup.ini at its root.
#pragma once

#include "common/file_digest.h"
#include "install/package.h"

// The carried archive's description, at its root, and how many entries it
// holds at most: the package's files and the description.
inline constexpr char kCarriedDescription[] = "setup.ini";
constexpr int kMaxCarriedEntries = kMaxItems + 1;

// What ReadCarriedPackage found.
enum Carried { kCarriesNone, kCarriedTaken, kCarriedRefused };

// Reads the program's own file. When it carries a package, checks the archive
// whole (each entry's place, size and CRC-32, that it is stored and named by
// the description inside) and makes it the package, its description checked
// as one beside the program is. kCarriedRefused after telling why.
Carried ReadCarriedPackage();

// Maps the open file for reading, closes it, and returns its bytes, with their
// count in *size; nullptr (and *size 0 for an empty file) when it cannot.
const BYTE* MapForReading(HANDLE file, DWORD* size);

// Maps the program's own file for reading and returns it, with the size of its
// image (headers and sections, not what follows them) in *imageSize, or
// nullptr.
const BYTE* MapOwnFile(DWORD* fileSize, DWORD* imageSize);

// ERROR_SUCCESS when the package file name is in the archive.
DWORD ProbeCarried(const char* name);

// Writes the package file name from the archive into temp, which exists.
// FALSE, with the system's reason as the last error, when it cannot.
BOOL CopyCarried(const char* name, const char* temp);
