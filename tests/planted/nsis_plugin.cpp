// The smallest real NSIS plug-in: an 8-bit (ANSI) library that exports the
// function the package's example calls. makensis reads the export to accept
// the call; nothing here runs at compile time.
#include <windows.h>

extern "C" __declspec(dllexport) void __cdecl Hello(HWND, int, char*, void*, void*) {}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
