// Loads a system library by its bare name, the way a program's own code or a
// system library it uses would. With "harden" it first restricts the search
// the way the setup program does at its start.
#include <windows.h>

#include "shell/hardening.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  if (argc > 2 && lstrcmpA(argv[2], "harden") == 0) {
    RestrictDllSearchToSystem();
  }
  return LoadLibraryA(argv[1]) != nullptr ? 0 : 1;
}
