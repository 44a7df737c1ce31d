#include "shell/setup_dialog.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;

void FreeItemList(LPITEMIDLIST list) {
  IMalloc* allocator;
  if (SHGetMalloc(&allocator) == S_OK) {
    allocator->Free(list);
    allocator->Release();
  }
}

}  // namespace

void BrowseForNsisDir(HWND dialog) {
  char buffer[kPathSize];
  GetWindowTextA(g_hwndNsisDir, buffer, kPathSize);

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
    // real path may replace the field's text.
    BOOL converted = SHGetPathFromIDListA(list, buffer);
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
  char buffer[kPathSize];
  if (uMsg == BFFM_INITIALIZED) {
    SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, lpData);
    CopyText(buffer, kPathSize, reinterpret_cast<const char*>(lpData));
  } else if (uMsg == BFFM_SELCHANGED) {
    if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), buffer)) {
      buffer[0] = '\0';  // a virtual item, such as the computer
    }
  } else {
    return 0;
  }
  SendMessageA(hwnd, BFFM_ENABLEOK, 0, buffer[0] != '\0' && IsNsisDir(buffer));
  return 0;
}
