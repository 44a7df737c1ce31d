#include "install/package.h"

// TavrickSetup.exe installs the package built into it; PluginSetup.exe the one
// its description gives.
#ifdef TAVRICK_DESCRIBED_PACKAGE

const Package* g_package = &kDescribedWording;  // until the description is read

BOOL LoadPackage(const WCHAR* setupDir, const WCHAR* programName) {
  return ReadDescription(setupDir, programName);
}

#else

const Package* g_package = &kTavrickPackage;

BOOL LoadPackage(const WCHAR*, const WCHAR*) {
  return TRUE;
}

#endif
