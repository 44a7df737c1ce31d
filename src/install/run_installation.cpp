#include "install/install.h"
#include "install/prompts.h"
#include "install/receipt.h"

namespace {

// GetTempFileNameA takes a folder of at most MAX_PATH - 14 characters.
constexpr int kTempFolderSize = kPathSize - 13;

constexpr char kNoAnsiPlugin[] = "is NSIS 2, which loads none of these plug-ins";
constexpr char kReceiptNotWritten[] =
    "The receipt could not be written: /REMOVE would leave these files.";

}  // namespace

BOOL Installs(const InstallItem& item, BOOL nsis3) {
  return nsis3 || !IsUnder(item.folder, "Plugins") || lstrcmpiA(item.folder, kAnsiPlugins) == 0;
}

BOOL FormTargetFolder(const InstallItem& item, const char* nsisDir, BOOL nsis3, char* folder) {
  return FormPath(folder, nsisDir,
                  nsis3 || !IsUnder(item.folder, "Plugins") ? item.folder : "Plugins");
}

namespace {

// Sets *nsis3 to whether nsisDir is NSIS 3, asking again while a probe fails
// for any reason but absence; the box names the first plug-in, whose folder
// depends on it. FALSE when the user stops the installation.
BOOL FindNsisVersion(HWND owner, const char* setupDir, const char* nsisDir, BOOL* nsis3) {
  const InstallItem* plugin = nullptr;
  for (const InstallItem& item : g_package) {
    if (plugin == nullptr && IsUnder(item.folder, "Plugins")) {
      plugin = &item;
    }
  }
  if (plugin == nullptr) {
    return TRUE;  // nothing depends on it
  }
  char folder[kPathSize];
  char source[kPathSize];
  for (;;) {
    DWORD probe = ProbeNsis3(nsisDir, nsis3);
    if (probe == ERROR_SUCCESS) {
      return TRUE;
    }
    FormTargetFolder(*plugin, nsisDir, TRUE, folder);
    FormPath(source, setupDir, plugin->source);
    if (AskAfterFailedCopy(owner, source, folder, probe) != IDRETRY) {
      return ShowAborted(owner);
    }
  }
}

// Forms the item's target folder. Returns FALSE when the item's source or
// target path does not fit, or the target folder is too long to hold a
// temporary file; tooLong then holds the beginning of that path.
BOOL FormFolders(const InstallItem& item, const char* setupDir, const char* nsisDir, BOOL nsis3,
                 char* target, char* tooLong) {
  if (!FormPath(tooLong, setupDir, item.source)) {
    return FALSE;
  }
  if (!FormTargetFolder(item, nsisDir, nsis3, target)) {
    CopyText(tooLong, kPathSize, target);
    return FALSE;
  }
  return FormPath(tooLong, target, item.name) && CopyText(tooLong, kTempFolderSize, target);
}

// Writes the receipt, when the install changed it, offering Retry while it
// cannot. FALSE when the user stops.
BOOL KeepReceipt(HWND owner, const char* nsisDir) {
  char path[kPathSize];
  char folder[kPathSize];
  FormReceiptPath(nsisDir, path, folder);
  for (;;) {
    DWORD error = SaveReceipt(nsisDir);
    if (error == ERROR_SUCCESS) {
      return TRUE;
    }
    if (AskToRetry(owner, path, kReceiptNotWritten, error) != IDRETRY) {
      return ShowAborted(owner);
    }
  }
}

}  // namespace

BOOL PackageIsPresent(const char* setupDir) {
  char path[kPathSize];
  for (const InstallItem& item : g_package) {
    if (!IsUnder(item.folder, "Docs") && FormPath(path, setupDir, item.source) &&
        ProbeSource(item.source, path) == ERROR_SUCCESS) {
      return TRUE;
    }
  }
  return FALSE;
}

BOOL PackageIsWhole(const char* setupDir) {
  char path[kPathSize];
  for (const InstallItem& item : g_package) {
    FormPath(path, setupDir, item.source);
    if (ProbeSource(item.source, path) != ERROR_SUCCESS && !AskToSkipMissing(nullptr, path)) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL RunInstallation(HWND owner, const char* setupDir, const char* nsisDir) {
  char target[kPathSize];
  char tooLong[kPathSize];
  // The plug-ins' folders are decided once, for the check and the copy alike.
  BOOL nsis3 = FALSE;
  if (!FindNsisVersion(owner, setupDir, nsisDir, &nsis3)) {
    return FALSE;
  }
  if (!nsis3 && !PackageHas(kAnsiPlugins) &&
      (PackageHas(kUnicodePlugins) || PackageHas(kAmd64Plugins))) {
    ShowPathProblem(nsisDir, kNoAnsiPlugin);
    return FALSE;
  }
  // Every path is checked before the first folder is made or file copied, so
  // that one that does not fit leaves nothing half installed.
  for (const InstallItem& item : g_package) {
    if (!FormFolders(item, setupDir, nsisDir, nsis3, target, tooLong)) {
      return ShowPathTooLong(owner, tooLong);
    }
  }
  if (!FormReceiptPath(nsisDir, tooLong, target) || !CopyText(tooLong, kTempFolderSize, target)) {
    return ShowPathTooLong(owner, tooLong);
  }
  // Files listed before stay listed; one that cannot be read is written anew.
  ReadReceipt(nsisDir);
  BOOL completed = TRUE;
  for (const InstallItem& item : g_package) {
    if (!Installs(item, nsis3)) {
      continue;  // the completion says so
    }
    FormFolders(item, setupDir, nsisDir, nsis3, target, tooLong);
    if (!InstallFile(owner, setupDir, item.source, target, item.name, nsisDir)) {
      completed = FALSE;
      break;
    }
  }
  // What a stopped install wrote is listed too, so that it can be removed.
  return KeepReceipt(owner, nsisDir) && completed;
}
