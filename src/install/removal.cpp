#include "install/install.h"
#include "install/prompts.h"
#include "install/receipt.h"
#include "install/removal.h"

namespace {

constexpr char kNoReceipt[] = "this NSIS folder holds no receipt of %s";
constexpr char kDamaged[] = "is damaged: nothing was removed";
constexpr char kNotRemoved[] = "File could not be removed.";
constexpr char kRemoved[] = "Removal complete";
constexpr char kKeptText[] = ": kept: changed since it was installed";

// What becomes of a listed file, and what is said of it.
enum Fate { kGoes, kKept, kGone };
constexpr const char* kFateText[] = {"removed", kKeptText + 2, "gone already"};

// The completion names each file kept, as many as fit.
constexpr int kDoneSize = 4096;

// The files marked to be deleted as they are closed, the receipt last.
HANDLE g_held[kMaxReceiptFiles + 1];
int g_heldCount;
Fate g_fates[kMaxReceiptFiles];
char g_done[kDoneSize];

BOOL MarkToGo(HANDLE file, BOOL go) {
  FILE_DISPOSITION_INFO info = {static_cast<BOOLEAN>(go)};
  return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

// Closes every file held: deleting them all, or, unmarked first, none.
void LetGo(BOOL go) {
  while (g_heldCount > 0) {
    HANDLE file = g_held[--g_heldCount];
    if (!go) {
      MarkToGo(file, FALSE);
    }
    CloseHandle(file);
  }
}

// Opens path with nothing else holding it, and, when its bytes are expected's
// (or expected is nullptr), holds it marked to be deleted as it is closed; a
// file in use or mapped as a program refuses that mark. Sets *fate.
// ERROR_SUCCESS, or the reason the file can be neither kept nor deleted.
DWORD Hold(const char* path, const FileDigest* expected, Fate* fate) {
  *fate = kGone;
  HANDLE file = CreateFileA(path, GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return IsAbsent(error) ? ERROR_SUCCESS : error;
  }
  FileDigest digest;
  *fate = kKept;
  DWORD error = ERROR_SUCCESS;
  if (expected != nullptr && !DigestHandle(file, &digest)) {
    error = GetLastError();
  } else if (expected == nullptr || SameDigest(digest, *expected)) {
    *fate = kGoes;
    error = MarkToGo(file, TRUE) ? ERROR_SUCCESS : GetLastError();
  }
  if (*fate == kGoes && error == ERROR_SUCCESS) {
    g_held[g_heldCount++] = file;
  } else {
    CloseHandle(file);
  }
  return error;
}

// Holds every listed file that goes, and the receipt; stops at the first
// that cannot go, named in path, and lets go of the others.
DWORD HoldAll(const char* nsisDir, const char* receipt, char* path) {
  int count;
  const ReceiptFile* files = ReceiptFiles(&count);
  DWORD error = ERROR_SUCCESS;
  for (int i = 0; i < count && error == ERROR_SUCCESS; ++i) {
    error = FormPath(path, nsisDir, files[i].path) ? Hold(path, &files[i].digest, &g_fates[i])
                                                   : ERROR_FILENAME_EXCED_RANGE;
  }
  Fate fate;
  if (error == ERROR_SUCCESS) {
    CopyText(path, kPathSize, receipt);
    error = Hold(path, nullptr, &fate);
  }
  if (error != ERROR_SUCCESS) {
    LetGo(FALSE);
  }
  return error;
}

// Takes out the folders of file, under nsisDir, that are left empty, up to
// Docs\<Name> or Examples\<Name>; never one outside those.
void RemoveEmptyFolders(const char* nsisDir, const char* file) {
  char folder[kPathSize];
  char path[kPathSize];
  CopyText(folder, kPathSize, file);
  while (CutName(folder) && IsPackageFolder(folder)) {
    FormPath(path, nsisDir, folder);
    RemoveDirectoryA(path);  // only an empty one goes
  }
}

}  // namespace

Removal RunRemoval(HWND owner, const char* nsisDir) {
  char receipt[kPathSize];
  char folder[kPathSize];
  char path[kPathSize];
  FormReceiptPath(nsisDir, receipt, folder);
  DWORD error = ReadReceipt(nsisDir);
  if (error != ERROR_SUCCESS) {
    char text[kReasonSize + kPathSize];
    if (IsAbsent(error)) {
      wsprintfA(text, kNoReceipt, g_package->name);
      ShowPathProblem(nsisDir, text);
    } else if (error == ERROR_INVALID_DATA) {
      ShowPathProblem(receipt, kDamaged);
    } else {
      DescribeError(error, text, kReasonSize);
      ShowPathProblem(receipt, text);
    }
    return kRemovalFailed;
  }
  while ((error = HoldAll(nsisDir, receipt, path)) != ERROR_SUCCESS) {
    if (AskToRetry(owner, path, kNotRemoved, error) != IDRETRY) {
      return IsUnattended() ? kRemovalFailed : kRemovalCancelled;
    }
  }
  LetGo(TRUE);
  int count;
  const ReceiptFile* files = ReceiptFiles(&count);
  CopyText(g_done, kDoneSize, kRemoved);
  for (int i = 0; i < count; ++i) {
    FormPath(path, nsisDir, files[i].path);
    TellDone(path, kFateText[g_fates[i]]);
    if (g_fates[i] == kKept) {
      AppendText(g_done, kDoneSize, "\n");
      AppendText(g_done, kDoneSize, path);
      AppendText(g_done, kDoneSize, kKeptText);
    }
    RemoveEmptyFolders(nsisDir, files[i].path);
  }
  RemoveDirectoryA(folder);  // Docs\<Name>, when the receipt was all it held
  ShowDone(owner, IsUnattended() ? kRemoved : g_done);
  return kRemovalDone;
}
