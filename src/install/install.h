// Installing the package's four files into an NSIS directory.
#pragma once

#include "common/common.h"

// One file of the package and where it goes.
struct InstallItem {
  const char* sourceFolder;  // under the setup directory, or nullptr for the directory itself
  const char* fileName;      // the same at the source and at the target
  const char* targetFolder;  // under the NSIS directory
  const char* targetChild;   // a further level under targetFolder, or nullptr
  BOOL childOnlyOnNsis3;     // take targetChild only in an NSIS 3 folder
};

constexpr int kInstallItemCount = 4;
extern const InstallItem InstallManifest[kInstallItemCount];

// Sets *nsis3 to whether nsisDir is laid out as NSIS 3 lays it out: with
// x86-ansi, x86-unicode or amd64-unicode in its Plugins folder. Returns
// ERROR_SUCCESS, or the reason a probe failed for anything but absence.
DWORD ProbeNsis3(const char* nsisDir, BOOL* nsis3);

// Forms into folder (kPathSize bytes) the folder under nsisDir that item goes
// into; its optional child is taken when the item always has it, or nsis3 says
// that nsisDir is NSIS 3. FALSE when that does not fit.
BOOL FormTargetFolder(const InstallItem& item, const char* nsisDir, BOOL nsis3, char* folder);

// TRUE when installing into nsisDir needs rights this process lacks: it is not
// elevated, and it may not create files in one of the folders the
// installation writes to (for one that is missing, its nearest existing
// parent). Only "access denied" counts; the probe leaves nothing behind.
BOOL NeedsElevation(const char* nsisDir);

// Copies sourceDir\fileName to targetDir\fileName, making the levels of
// targetDir below targetRoot (where it lies, and which must exist) that are
// missing. The file appears under its name only whole; a failed copy leaves
// what was there before. Asks before it skips a missing source or replaces an
// existing target, and offers Retry when a probe, a folder or the copy fails;
// Retry repeats the whole step. Every box is owned by owner. Returns TRUE to
// go on with the next file, FALSE to stop.
BOOL InstallFile(HWND owner, const char* sourceDir, const char* fileName, const char* targetDir,
                 const char* targetRoot);

// Deletes the temporary files that something held when their copy failed,
// retrying quietly for a moment; those that still remain are registered for
// deletion at restart where their drive is local. Called as the program ends.
void DeleteLeftovers();

// TRUE when setupDir holds any of the files that only the package has: those
// in its sub-folders. A readme alone may be anybody's.
BOOL PackageIsPresent(const char* setupDir);

// TRUE when setupDir holds all of the package's files. Asks about the first
// that is not found whether to go on without it.
BOOL PackageIsWhole(const char* setupDir);

// Installs the manifest's files from setupDir into nsisDir in order, stopping
// at the first file that refuses. TRUE when all four went through.
BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir);
