#include "support/scratch.h"

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
  for (const char* file : kPackageFiles) {
    WriteFile(setupDir / file, file);
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

OwnerWindow::OwnerWindow()
    : window_(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr)) {}

OwnerWindow::~OwnerWindow() {
  DestroyWindow(window_);
}
