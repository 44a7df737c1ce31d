// File-system calls that fail as a dropped share or a failing server makes
// them fail, planted in the test program's own imports, through which the
// code under test calls KERNEL32, for as long as the object lives.
#pragma once

#include <windows.h>

#include <vector>

struct Fault {
  // FindFirstFileA, GetFileAttributesA, CreateDirectoryA, MoveFileExA or CreateFileA
  const char* call;
  const char* pathEnd;       // the call fails for a path that ends so ("" for any)
  DWORD error;               // with this error
  int times = -1;            // this often; -1 for ever
  bool whereAbsent = false;  // only where the real call finds nothing
  // MoveFileExA only: instead of failing, a file with this text appears at
  // the target just before the real move, as another run would put it there.
  const char* appears = nullptr;
};

class PlantedFaults {
 public:
  explicit PlantedFaults(std::vector<Fault> faults);
  ~PlantedFaults();
  PlantedFaults(const PlantedFaults&) = delete;
  PlantedFaults& operator=(const PlantedFaults&) = delete;
};

// One of the test program's imports, any function of any library, swapped for
// replacement for as long as the object lives.
class PlantedImport {
 public:
  PlantedImport(const char* name, void* replacement);
  ~PlantedImport();
  PlantedImport(const PlantedImport&) = delete;
  PlantedImport& operator=(const PlantedImport&) = delete;

 private:
  void** slot_;
  void* original_;
};
