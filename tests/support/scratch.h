// Real folders for tests: a throwaway folder under %TEMP%, with helpers to lay
// out a package and an NSIS directory in it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ScratchDir {
 public:
  // A new folder under parent, or under %TEMP% when parent is empty, named
  // name or, by default, after the process and a count.
  explicit ScratchDir(const std::string& parent = "", const std::string& name = "");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const {
    return path_;
  }
  // A path under the scratch folder: "<scratch>\relative".
  std::string operator/(const std::string& relative) const {
    return path_ + "\\" + relative;
  }

 private:
  std::string path_;
};

// "folder\name".
inline std::string operator/(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

// Creates a folder and any missing parents.
void MakeFolder(const std::string& path);
// Writes a file, creating missing parent folders.
void WriteFile(const std::string& path, const std::string& content);
// The file's content, or "<missing>" / "<folder>".
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// The package's files, what each holds, and where each goes in an NSIS
// directory without Plugins\x86-ansi, in the order they are installed.
extern const char* const kPackageFiles[4];
extern const char* const kPackageContents[4];
extern const char* const kInstalledFiles[4];

// Writes "old" into each installed file, as an earlier installation would have.
void MarkInstalled(const std::string& nsisDir);
// What each installed file holds, in install order ("<missing>" when absent).
std::vector<std::string> InstalledContents(const std::string& nsisDir);

// The package as it is unpacked: Readme.txt, Example\TavrickTest.nsi,
// Include\Tavrick.nsh and Plugin\Tavrick.dll. Each begins with its own
// relative name; the example and the header are what a Unicode NSIS needs of
// them, and the plug-in is a stand-in.
void LayOutPackage(const std::string& setupDir);
// An NSIS directory with makensis.exe and its Docs, Examples, Include and Plugins.
void LayOutNsis(const std::string& nsisDir);

// A folder name that makes "<base>\<name>" exactly length characters long.
std::string PaddedPath(const std::string& base, size_t length);

// A plain ASCII path as UTF-16, to build on with names the code page lacks.
inline std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Makes folder, named in UTF-16, with makensis.exe in it.
void MakeNsisFolderW(const std::wstring& folder);

// Makes folder the current one until the object goes.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) {
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~InFolder() {
    SetCurrentDirectoryA(previous_);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  char previous_[MAX_PATH];
};

// A small tmpfs mounted over folder (made when missing) until the object goes:
// a disk that fills up, on which Wine gives every file volume serial 0 and
// whose file numbers start afresh. Mounting needs the user and mount namespace
// that scripts/test runs the suites in.
class SmallDisk {
 public:
  // With inodes, the disk holds that many entries at most, itself included.
  SmallDisk(const std::string& folder, int kilobytes, int inodes = 0);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const {
    return !unixPath_.empty();
  }
  // Mounts the disk again read-only: a folder that nobody, root included, can
  // write to. TRUE once that is done.
  bool MakeReadOnly();

 private:
  std::string folder_;
  std::string unixPath_;
};

// Opens path as a C runtime's fopen(path, "r") does, as an editor or viewer
// holds a file: sharing reading and writing, but not deletion.
HANDLE OpenForReading(const std::string& path);

// Holds the first temporary file (nsp*.tmp) that appears in folder open until
// Release(), as a virus scanner holds a file just written: reading, and
// sharing anything but its deletion.
class TempFileHolder {
 public:
  // onSight, when given, runs instead when the file appears.
  explicit TempFileHolder(const std::string& folder, std::function<void()> onSight = {});
  ~TempFileHolder();
  TempFileHolder(const TempFileHolder&) = delete;
  TempFileHolder& operator=(const TempFileHolder&) = delete;
  void Release();

 private:
  static DWORD WINAPI Watch(void* self);
  std::string pattern_;
  std::function<void()> onSight_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
};

// The names in folder, sorted.
std::vector<std::string> FolderContents(const std::string& folder);

// A hidden top-level window to own the boxes under test.
class OwnerWindow {
 public:
  OwnerWindow();
  ~OwnerWindow();
  HWND get() const {
    return window_;
  }

 private:
  HWND window_;
};
