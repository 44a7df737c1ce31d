// A library planted beside a program under a system library's name. When it is
// loaded it leaves "planted.marker" in its own folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') {
      --length;
    }
    lstrcpyA(path + length, "planted.marker");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  return TRUE;
}
