#include "install/package.h"
#include "package/carried.h"
#include "package/pack.h"

// TavrickSetup.exe installs the package built into it; PluginSetup.exe the one
// it carries in its own file, or else the one its description beside it gives.
#ifdef TAVRICK_DESCRIBED_PACKAGE

// Set at start: a pointer set as the program loads would cost it a section.
const Package* g_package;

BOOL g_carried;

void ChoosePackage() {
  g_package = &kDescribedWording;  // until the description is read
}

BOOL LoadCarriedPackage() {
  Carried carried = ReadCarriedPackage();
  g_carried = carried == kCarriedTaken;
  return carried != kCarriedRefused;
}

BOOL LoadPackage(const WCHAR* setupDir, const WCHAR* programName) {
  return ReadDescription(setupDir, programName);
}

BOOL IsCarried() {
  return g_carried;
}

BOOL CanPack() {
  return TRUE;
}

UINT Pack(const WCHAR* output) {
  return PackSetup(output);
}

DWORD ProbeSource(const char* name, const char* path) {
  return IsCarried() ? ProbeCarried(name) : ProbePath(path);
}

BOOL CopySource(const char* name, const char* path, const char* temp) {
  return IsCarried() ? CopyCarried(name, temp) : CopyFileA(path, temp, FALSE);
}

#else

// Never changed, so the built-in package's fields are read as constants.
const Package* g_package = &kTavrickPackage;

void ChoosePackage() {}

BOOL LoadCarriedPackage() {
  return TRUE;
}

BOOL LoadPackage(const WCHAR*, const WCHAR*) {
  return TRUE;
}

BOOL IsCarried() {
  return FALSE;
}

BOOL CanPack() {
  return FALSE;
}

UINT Pack(const WCHAR*) {
  return 2;  // never asked: CanPack says no
}

DWORD ProbeSource(const char*, const char* path) {
  return ProbePath(path);
}

BOOL CopySource(const char*, const char* path, const char* temp) {
  return CopyFileA(path, temp, FALSE);
}

#endif
