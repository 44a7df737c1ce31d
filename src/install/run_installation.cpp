#include "install/install.h"
#include "install/prompts.h"

namespace {

BOOL FormSourceFolder(const InstallItem& item, const char* setupDir, char* folder) {
  if (item.sourceFolder == nullptr) {
    return CopyText(folder, kPathSize, setupDir);
  }
  return FormPath(folder, setupDir, item.sourceFolder);
}

BOOL FormTargetFolder(const InstallItem& item, const char* nsisDir, char* folder) {
  if (!FormPath(folder, nsisDir, item.targetFolder)) {
    return FALSE;
  }
  if (item.targetChild == nullptr) {
    return TRUE;
  }
  char child[kPathSize];
  BOOL fits = FormPath(child, folder, item.targetChild);
  if (item.childOnlyIfPresent && !(fits && FolderExists(child))) {
    return TRUE;
  }
  CopyText(folder, kPathSize, child);
  return fits;
}

}  // namespace

BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir) {
  for (const InstallItem& item : InstallManifest) {
    char source[kPathSize];
    char target[kPathSize];
    if (!FormSourceFolder(item, setupDir, source)) {
      return ShowPathTooLong(owner, source);
    }
    if (!FormTargetFolder(item, nsisDir, target)) {
      return ShowPathTooLong(owner, target);
    }
    if (!InstallFile(owner, source, item.fileName, target)) {
      return FALSE;
    }
  }
  return TRUE;
}
