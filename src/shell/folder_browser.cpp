#include "common/ansi_path.h"
#include "shell/folder_browser.h"
#include "shell/setup_dialog.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
constexpr char kLongPathPrefix[] = "\\\\?\\";  // \\?\C:\...
constexpr char kDevicePrefix[] = "\\\\.\\";    // \\.\C:\...
constexpr char kUncName[] = "UNC\\";           // \\?\UNC\server\share...

BOOL StartsWith(const char* text, const char* prefix) {
  while (*prefix != '\0' && *text == *prefix) {
    ++text;
    ++prefix;
  }
  return *prefix == '\0';
}

// The file-system path of an item, when it has one that the code page holds
// exactly; otherwise path is empty and the result FALSE.
BOOL PathFromItemList(LPCITEMIDLIST list, char* path) {
  WCHAR wide[kPathSize];
  if (!SHGetPathFromIDListW(list, wide)) {
    path[0] = '\0';  // a virtual item, such as the computer
    return FALSE;
  }
  return AnsiPathFromWide(wide, path);
}

void FreeItemList(LPITEMIDLIST list) {
  IMalloc* allocator;
  if (SHGetMalloc(&allocator) == S_OK) {
    allocator->Free(list);
    allocator->Release();
  }
}

}  // namespace

void BrowserStartPath(const char* text, char* path) {
  DWORD length = GetFullPathNameA(text, kPathSize, path, nullptr);
  if (length == 0 || length >= static_cast<DWORD>(kPathSize)) {
    path[0] = '\0';
  } else if (StartsWith(path, kLongPathPrefix) || StartsWith(path, kDevicePrefix)) {
    const char* rest = path + sizeof kLongPathPrefix - 1;
    if (StartsWith(rest, kUncName)) {
      CopyText(path + 2, kPathSize - 2, rest + sizeof kUncName - 1);  // \\server\share...
    } else {
      CopyText(path, kPathSize, rest);
    }
  }
}

void BrowseForNsisDir(HWND dialog) {
  char text[kPathSize];
  GetWindowTextA(g_hwndNsisDir, text, kPathSize);
  char buffer[kPathSize];
  BrowserStartPath(text, buffer);

  BROWSEINFOA info = {};
  info.hwndOwner = dialog;
  info.pidlRoot = nullptr;
  info.pszDisplayName = buffer;
  info.lpszTitle = "Choose NSIS directory:";
  info.ulFlags = kBrowseFlags;
  info.lpfn = NsisBrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(buffer);

  // The new dialog style needs COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  LPITEMIDLIST list = SHBrowseForFolderA(&info);
  if (list != nullptr) {
    // The browser has put the chosen item's display name into buffer; only a
    // real path that converts exactly may replace the field's text.
    BOOL converted = PathFromItemList(list, buffer);
    FreeItemList(list);
    if (converted) {
      SetWindowTextA(g_hwndNsisDir, buffer);
    }
  }
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
}

int CALLBACK NsisBrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData) {
  if (uMsg == BFFM_INITIALIZED) {
    // OK follows the item the browser really selects, which it reports as a
    // selection change; where it cannot select the folder asked for, it stays
    // on its own first item, and OK stays off.
    SendMessageA(hwnd, BFFM_ENABLEOK, 0, FALSE);
    SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, lpData);
  } else if (uMsg == BFFM_SELCHANGED) {
    char buffer[kPathSize];
    PathFromItemList(reinterpret_cast<LPCITEMIDLIST>(lParam), buffer);
    SendMessageA(hwnd, BFFM_ENABLEOK, 0, buffer[0] != '\0' && IsNsisDir(buffer));
  }
  return 0;
}
