// The package a setup installs: its name, its wording and its files, either
// built into the program or read from the description beside it.
#pragma once

#include "common/common.h"

// A description holds at most this many files.
constexpr int kMaxItems = 32;

// Room for a package's name, its terminator included.
constexpr int kNameSize = 64;

// One file of the package: where it lies and where it goes.
struct InstallItem {
  const char* source;  // under the setup directory
  const char* folder;  // under the NSIS directory: Include, Docs\<Name>, Examples\<Name>,
                       // or Plugins\ and the plug-in's target
  const char* name;    // the file's name there
};

struct Package {
  const char* name;            // names the sub-folders of Docs and Examples
  const char* title;           // the caption of every window
  const char* completed;       // the completion's first line
  const char* missing;         // the question about a missing package file
  const char* notFound;        // why the setup cannot start without its package
  const char* unusableFolder;  // why it cannot start from a folder it cannot name
  int count;
  const InstallItem* items;
};

// The package this program installs.
extern const Package* g_package;

// The package's files, in order: for (const InstallItem& item : g_package).
inline const InstallItem* begin(const Package* package) {
  return package->items;
}
inline const InstallItem* end(const Package* package) {
  return package->items + package->count;
}

// The package built into TavrickSetup.exe, and the wording of a package that
// a description gives.
extern const Package kTavrickPackage;
extern const Package kDescribedWording;

// Makes g_package the program's package, before anything is read or shown:
// the one built in, or the wording of one whose description is still to be
// read.
void ChoosePackage();

// Makes g_package the package the program carries in its own file, when it
// carries one. FALSE, after telling why, when that package cannot be used.
BOOL LoadCarriedPackage();

// Makes g_package the program's package: the one built in, or the one that
// the description beside the program gives, <program's base name>.ini in
// setupDir. FALSE, after telling why in a box or an unattended run's line,
// when that description cannot be used.
BOOL LoadPackage(const WCHAR* setupDir, const WCHAR* programName);

// Reads the description beside the program and makes g_package the package it
// gives, in kDescribedWording. FALSE, after telling which line is at fault and
// why, when it cannot be used; g_package is then left as it was.
BOOL ReadDescription(const WCHAR* setupDir, const WCHAR* programName);

// Takes the description whose bytes were read or taken last (see
// package/ini_text.h) as the package, its files in setupDir (nullptr: in the
// program's own file); path names it in what the user is told. FALSE, after telling which line is at fault and why,
// when it cannot be used; g_package is then left as it was.
BOOL TakeDescription(const char* path, const char* setupDir);

// TRUE when the program packs itself and its package into one file (/PACK=):
// PluginSetup.exe does, TavrickSetup.exe does not.
BOOL CanPack();

// Where CanPack, packs the program and the package beside it into output (see
// package/pack.h) and returns the exit code.
UINT Pack(const WCHAR* output);

// TRUE when the package comes from the program's own file, not from beside it.
BOOL IsCarried();

// ERROR_SUCCESS when the package's file name (found at path when the package
// lies beside the program) is there; otherwise the probe's reason.
DWORD ProbeSource(const char* name, const char* path);

// Writes the package's file name (at path when it lies beside the program)
// whole into temp, a file that exists. FALSE, with the system's reason as the
// last error, when it cannot.
BOOL CopySource(const char* name, const char* path, const char* temp);

// The plug-in folders of NSIS 3, and what each takes.
inline constexpr char kAnsiPlugins[] = "Plugins\\x86-ansi";
inline constexpr char kUnicodePlugins[] = "Plugins\\x86-unicode";
inline constexpr char kAmd64Plugins[] = "Plugins\\amd64-unicode";

// TRUE when folder is top, or lies under it.
BOOL IsUnder(const char* folder, const char* top);

// TRUE when the package has an item that goes to folder.
BOOL PackageHas(const char* folder);
