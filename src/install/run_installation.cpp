#include "install/install.h"
#include "install/prompts.h"

namespace {

// GetTempFileNameA takes a folder of at most MAX_PATH - 14 characters.
constexpr int kTempFolderSize = kPathSize - 13;

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

// Forms the item's source and target folders. Returns FALSE when a folder, or
// the path of the item's file in it, does not fit, or the target folder is too
// long to hold a temporary file; tooLong then holds the beginning of that path.
BOOL FormFolders(const InstallItem& item, const char* setupDir, const char* nsisDir, char* source,
                 char* target, char* tooLong) {
  const char* folders[] = {source, target};
  const BOOL fits[] = {FormSourceFolder(item, setupDir, source),
                       FormTargetFolder(item, nsisDir, target)};
  for (int i = 0; i < 2; ++i) {
    if (!fits[i]) {
      CopyText(tooLong, kPathSize, folders[i]);
      return FALSE;
    }
    if (!FormPath(tooLong, folders[i], item.fileName)) {
      return FALSE;
    }
  }
  return CopyText(tooLong, kTempFolderSize, target);
}

}  // namespace

BOOL PackageIsPresent(const char* setupDir) {
  char folder[kPathSize];
  char path[kPathSize];
  for (const InstallItem& item : InstallManifest) {
    if (FormSourceFolder(item, setupDir, folder) && FormPath(path, folder, item.fileName) &&
        FileExists(path)) {
      return TRUE;
    }
  }
  return FALSE;
}

BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir) {
  char source[kPathSize];
  char target[kPathSize];
  char tooLong[kPathSize];
  // Every path is checked before the first folder is made or file copied, so
  // that one that does not fit leaves nothing half installed.
  for (const InstallItem& item : InstallManifest) {
    if (!FormFolders(item, setupDir, nsisDir, source, target, tooLong)) {
      return ShowPathTooLong(owner, tooLong);
    }
  }
  for (const InstallItem& item : InstallManifest) {
    FormFolders(item, setupDir, nsisDir, source, target, tooLong);
    if (!InstallFile(owner, source, item.fileName, target, nsisDir)) {
      return FALSE;
    }
  }
  return TRUE;
}
