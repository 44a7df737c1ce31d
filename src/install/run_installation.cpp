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

}  // namespace

BOOL FormTargetFolder(const InstallItem& item, const char* nsisDir, BOOL nsis3, char* folder) {
  if (!FormPath(folder, nsisDir, item.targetFolder)) {
    return FALSE;
  }
  if (item.targetChild == nullptr || (item.childOnlyOnNsis3 && !nsis3)) {
    return TRUE;
  }
  char child[kPathSize];
  BOOL fits = FormPath(child, folder, item.targetChild);
  CopyText(folder, kPathSize, child);
  return fits;
}

namespace {

// Sets *nsis3 to whether nsisDir is NSIS 3, asking again while a probe fails
// for any reason but absence; the box names the item, whose folder depends on
// it. FALSE when the user stops the installation.
BOOL FindNsisVersion(HWND owner, const InstallItem& item, const char* setupDir, const char* nsisDir,
                     BOOL* nsis3) {
  char folder[kPathSize];
  char sourceFolder[kPathSize];
  char source[kPathSize];
  for (;;) {
    DWORD probe = ProbeNsis3(nsisDir, nsis3);
    if (probe == ERROR_SUCCESS) {
      return TRUE;
    }
    FormTargetFolder(item, nsisDir, TRUE, folder);
    FormSourceFolder(item, setupDir, sourceFolder);
    FormPath(source, sourceFolder, item.fileName);
    if (AskAfterFailedCopy(owner, source, folder, probe) != IDRETRY) {
      return ShowAborted(owner);
    }
  }
}

// Forms the item's source and target folders. Returns FALSE when a folder, or
// the path of the item's file in it, does not fit, or the target folder is too
// long to hold a temporary file; tooLong then holds the beginning of that path.
BOOL FormFolders(const InstallItem& item, const char* setupDir, const char* nsisDir, BOOL nsis3,
                 char* source, char* target, char* tooLong) {
  const char* folders[] = {source, target};
  const BOOL fits[] = {FormSourceFolder(item, setupDir, source),
                       FormTargetFolder(item, nsisDir, nsis3, target)};
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
    if (item.sourceFolder != nullptr && FormSourceFolder(item, setupDir, folder) &&
        FormPath(path, folder, item.fileName) && FileExists(path)) {
      return TRUE;
    }
  }
  return FALSE;
}

BOOL PackageIsWhole(const char* setupDir) {
  char folder[kPathSize];
  char path[kPathSize];
  for (const InstallItem& item : InstallManifest) {
    FormSourceFolder(item, setupDir, folder);
    FormPath(path, folder, item.fileName);
    if (!FileExists(path) && !AskToSkipMissing(nullptr, path)) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir) {
  char source[kPathSize];
  char target[kPathSize];
  char tooLong[kPathSize];
  // The plug-in's folder is decided once, for the check and the copy alike.
  BOOL nsis3 = FALSE;
  for (const InstallItem& item : InstallManifest) {
    if (item.childOnlyOnNsis3 && !FindNsisVersion(owner, item, setupDir, nsisDir, &nsis3)) {
      return FALSE;
    }
  }
  // Every path is checked before the first folder is made or file copied, so
  // that one that does not fit leaves nothing half installed.
  for (const InstallItem& item : InstallManifest) {
    if (!FormFolders(item, setupDir, nsisDir, nsis3, source, target, tooLong)) {
      return ShowPathTooLong(owner, tooLong);
    }
  }
  for (const InstallItem& item : InstallManifest) {
    FormFolders(item, setupDir, nsisDir, nsis3, source, target, tooLong);
    if (!InstallFile(owner, source, item.fileName, target, nsisDir)) {
      return FALSE;
    }
  }
  return TRUE;
}
