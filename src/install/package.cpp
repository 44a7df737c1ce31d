#include "install/package.h"

// TavrickSetup.exe installs the package built into it; PluginSetup.exe the one
// its description gives.
#ifdef TAVRICK_DESCRIBED_PACKAGE

// Set at start: a pointer set as the program loads would cost it a section.
const Package* g_package;

void ChoosePackage() {
  g_package = &kDescribedWording;  // until the description is read
}

BOOL LoadPackage(const WCHAR* setupDir, const WCHAR* programName) {
  return ReadDescription(setupDir, programName);
}

#else

// Never changed, so the built-in package's fields are read as constants.
const Package* g_package = &kTavrickPackage;

void ChoosePackage() {}

BOOL LoadPackage(const WCHAR*, const WCHAR*) {
  return TRUE;
}

#endif
