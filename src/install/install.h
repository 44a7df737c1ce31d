// Installing the package's files into an NSIS directory.
#pragma once

#include "common/common.h"
#include "install/package.h"

// Sets *nsis3 to whether nsisDir is laid out as NSIS 3 lays it out: with
// x86-ansi, x86-unicode or amd64-unicode in its Plugins folder. Returns
// ERROR_SUCCESS, or the reason a probe failed for anything but absence.
DWORD ProbeNsis3(const char* nsisDir, BOOL* nsis3);

// TRUE when item is installed into an NSIS directory that nsis3 says is or is
// not NSIS 3: NSIS 2 loads ANSI plug-ins only.
BOOL Installs(const InstallItem& item, BOOL nsis3);

// Forms into folder (kPathSize bytes) the folder under nsisDir that item goes
// into: an ANSI plug-in goes into Plugins itself where nsis3 says that nsisDir
// is not NSIS 3. FALSE when that does not fit.
BOOL FormTargetFolder(const InstallItem& item, const char* nsisDir, BOOL nsis3, char* folder);

// TRUE when installing into nsisDir needs rights this process lacks: it is not
// elevated, and it may not create files in one of the folders the
// installation writes to (for one that is missing, its nearest existing
// parent). Only "access denied" counts; the probe leaves nothing behind.
BOOL NeedsElevation(const char* nsisDir);

// Copies sourceDir\sourceName to targetDir\targetName, making the levels of
// targetDir below targetRoot (where it lies, and which must exist) that are
// missing. The file appears under its name only whole; a failed copy leaves
// what was there before. A file it writes that held other bytes, or none,
// before is claimed in the receipt held. Asks before it skips a missing source or replaces an
// existing target, and offers Retry when a probe, a folder or the copy fails;
// Retry repeats the whole step. Every box is owned by owner. Returns TRUE to
// go on with the next file, FALSE to stop.
BOOL InstallFile(HWND owner, const char* sourceDir, const char* sourceName, const char* targetDir,
                 const char* targetName, const char* targetRoot);

// Puts size bytes of text whole at target, in targetDir below targetRoot,
// replacing what is there, as InstallFile puts a file. ERROR_SUCCESS, or the
// reason it could not.
DWORD WriteWhole(const char* target, const char* targetDir, const char* targetRoot,
                 const char* text, DWORD size);

// Deletes the temporary files that something held when their copy failed,
// retrying quietly for a moment; those that still remain are registered for
// deletion at restart where their drive is local. Called as the program ends.
void DeleteLeftovers();

// TRUE when setupDir holds any of the package's files but its documents: a
// readme alone may be anybody's.
BOOL PackageIsPresent(const char* setupDir);

// TRUE when setupDir holds all of the package's files. Asks about the first
// that is not found whether to go on without it.
BOOL PackageIsWhole(const char* setupDir);

// Installs the package's files from setupDir into nsisDir in order, stopping
// at the first file that refuses. TRUE when all went through. An NSIS 2
// directory takes none of the Unicode plug-ins, and a package that has no ANSI
// one is refused there before anything is written.
BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir);
