#include "support/scratch.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& parent, const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int counter = 0;
  path_ =
      (parent.empty() ? std::string(temp) : parent + "\\") +
      (name.empty() ? "tv" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter)
                    : name);
  std::error_code ignored;
  fs::remove_all(path_, ignored);  // left over by an earlier process of the same id
  MakeFolder(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void MakeFolder(const std::string& path) {
  fs::create_directories(path);
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string ReadFile(const std::string& path) {
  if (fs::is_directory(path)) {
    return "<folder>";
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return "<missing>";
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  return fs::exists(path);
}

const char* const kPackageFiles[4] = {"Readme.txt", "Example\\TavrickTest.nsi",
                                      "Include\\Tavrick.nsh", "Plugin\\Tavrick.dll"};
// The example asks for the ANSI target before anything else, and the header
// stops a Unicode script with a message that says so; NSIS 2 knows neither
// Target nor NSIS_CHAR_SIZE.
const char* const kPackageContents[4] = {
    "Readme.txt",
    "!ifdef NSIS_CHAR_SIZE\r\n"
    "Target x86-ansi\r\n"
    "!endif\r\n"
    "; Example\\TavrickTest.nsi\r\n"
    "!include Tavrick.nsh\r\n"
    "OutFile TavrickTest.exe\r\n"
    "Section\r\n"
    "  Tavrick::Hello\r\n"
    "SectionEnd\r\n",
    "; Include\\Tavrick.nsh\r\n"
    "!ifdef NSIS_CHAR_SIZE\r\n"
    "!if ${NSIS_CHAR_SIZE} > 1\r\n"
    "!error \"Tavrick is an ANSI plug-in: put 'Target x86-ansi' at the top of the script\"\r\n"
    "!endif\r\n"
    "!endif\r\n",
    "Plugin\\Tavrick.dll"};
const char* const kInstalledFiles[4] = {"Docs\\Tavrick\\Readme.txt",
                                        "Examples\\Tavrick\\TavrickTest.nsi",
                                        "Include\\Tavrick.nsh", "Plugins\\Tavrick.dll"};

void MarkInstalled(const std::string& nsisDir) {
  for (const char* file : kInstalledFiles) {
    WriteFile(nsisDir / file, "old");
  }
}

std::vector<std::string> InstalledContents(const std::string& nsisDir) {
  std::vector<std::string> contents;
  for (const char* file : kInstalledFiles) {
    contents.push_back(ReadFile(nsisDir / file));
  }
  return contents;
}

void LayOutPackage(const std::string& setupDir) {
  for (int i = 0; i < 4; ++i) {
    WriteFile(setupDir / kPackageFiles[i], kPackageContents[i]);
  }
}

void LayOutNsis(const std::string& nsisDir) {
  WriteFile(nsisDir + "\\makensis.exe", "MZ");
  for (const char* folder : {"Docs", "Examples", "Include", "Plugins"}) {
    MakeFolder(nsisDir + "\\" + folder);
  }
}

std::string PaddedPath(const std::string& base, size_t length) {
  if (length < base.size() + 2) {
    throw std::invalid_argument("base too long for the requested length");
  }
  return base + "\\" + std::string(length - base.size() - 1, 'p');
}

void MakeNsisFolderW(const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  CloseHandle(CreateFileW((folder + L"\\makensis.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, 0, nullptr));
}

namespace {

DWORD VolumeSerial(const std::string& folder) {
  HANDLE handle = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION info = {};
  info.dwVolumeSerialNumber = 1;
  GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  return info.dwVolumeSerialNumber;
}

// Starts a Linux command; Wine starts Linux programs too, but cannot wait for
// them or give their exit code.
bool StartLinuxCommand(std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  for (HANDLE handle : {info.hThread, info.hProcess}) {
    if (handle != nullptr) {
      CloseHandle(handle);
    }
  }
  return true;
}

// Starts a Linux command, then waits with a deadline until folder is (or is no
// longer) on a volume without a drive letter, which Wine gives serial 0.
bool RunUntilMounted(const std::string& commandLine, const std::string& folder, bool mounted) {
  if (!StartLinuxCommand(commandLine)) {
    return false;
  }
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(5)) {
    if ((VolumeSerial(folder) == 0) == mounted) {
      return true;
    }
  }
  return false;
}

}  // namespace

SmallDisk::SmallDisk(const std::string& folder, int kilobytes, int inodes) : folder_(folder) {
  MakeFolder(folder);
  using UnixName = char*(CDECL*)(const WCHAR*);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(fs::path(folder).wstring().c_str()) : nullptr;
  if (name == nullptr) {
    return;
  }
  std::string path = name;
  HeapFree(GetProcessHeap(), 0, name);
  if (RunUntilMounted("/bin/mount -t tmpfs -o size=" + std::to_string(kilobytes) + "k" +
                          (inodes ? ",nr_inodes=" + std::to_string(inodes) : "") + " tmpfs \"" +
                          path + "\"",
                      folder, true)) {
    unixPath_ = path;
  }
}

bool SmallDisk::MakeReadOnly() {
  std::string commandLine = "/bin/mount -o remount,ro \"" + unixPath_ + "\"";
  std::string probe = folder_ + "\\probe";
  // The disk tells when the command is done; a file that was just written may
  // keep it busy for a moment, and the command is started again.
  for (DWORD start = GetTickCount(), tried = 0; mounted() && GetTickCount() - start < 10000;
       Sleep(5)) {
    if (GetTickCount() - tried > 500) {
      tried = GetTickCount();
      StartLinuxCommand(commandLine);
    }
    // A folder, unlike a file, keeps nothing open that would keep the disk busy.
    if (!CreateDirectoryA(probe.c_str(), nullptr)) {
      return true;
    }
    RemoveDirectoryA(probe.c_str());
  }
  return false;
}

SmallDisk::~SmallDisk() {
  if (mounted()) {
    RunUntilMounted("/bin/umount -l \"" + unixPath_ + "\"", folder_, false);
  }
}

HANDLE OpenForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

TempFileHolder::TempFileHolder(const std::string& folder, std::function<void()> onSight)
    : pattern_(folder + "\\nsp*.tmp"), onSight_(std::move(onSight)) {
  thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

TempFileHolder::~TempFileHolder() {
  Release();
}

DWORD WINAPI TempFileHolder::Watch(void* self) {
  auto* holder = static_cast<TempFileHolder*>(self);
  std::string folder = holder->pattern_.substr(0, holder->pattern_.rfind('\\') + 1);
  for (DWORD start = GetTickCount(); !holder->stop_ && GetTickCount() - start < 30000;) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(holder->pattern_.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      continue;
    }
    FindClose(search);
    if (holder->onSight_) {
      holder->onSight_();
      break;
    }
    holder->held_ =
        CreateFileA((folder + found.cFileName).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (holder->held_ != INVALID_HANDLE_VALUE) {
      break;
    }
  }
  return 0;
}

void TempFileHolder::Release() {
  InterlockedExchange(&stop_, 1);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (held_ != INVALID_HANDLE_VALUE) {
    CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }
}

std::vector<std::string> FolderContents(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

OwnerWindow::OwnerWindow()
    : window_(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr)) {}

OwnerWindow::~OwnerWindow() {
  DestroyWindow(window_);
}
