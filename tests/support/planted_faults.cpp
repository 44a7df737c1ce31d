#include "support/planted_faults.h"

#include <cstring>

#include "support/scratch.h"

namespace {

std::vector<Fault> g_faults;

// The test program's import slot for a KERNEL32 function.
void** ImportSlot(const char* name) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
      base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  for (; import->Name != 0; ++import) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) &&
          std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name,
                      name) == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

// Sets the planted error and returns the fault when one is due for call on path.
const Fault* Due(const char* call, const char* path, bool found) {
  size_t length = std::strlen(path);
  for (Fault& fault : g_faults) {
    size_t end = std::strlen(fault.pathEnd);
    if (std::strcmp(fault.call, call) == 0 && fault.times != 0 && length >= end &&
        lstrcmpiA(path + length - end, fault.pathEnd) == 0 && !(fault.whereAbsent && found)) {
      fault.times -= fault.times > 0;
      SetLastError(fault.error);
      return &fault;
    }
  }
  return nullptr;
}

decltype(&FindFirstFileA) g_findFirstFile;
decltype(&GetFileAttributesA) g_getFileAttributes;
decltype(&CreateDirectoryA) g_createDirectory;
decltype(&MoveFileExA) g_moveFileEx;
decltype(&CreateFileA) g_createFile;

HANDLE WINAPI PlantedFindFirstFile(LPCSTR path, LPWIN32_FIND_DATAA found) {
  HANDLE search = g_findFirstFile(path, found);
  if (Due("FindFirstFileA", path, search != INVALID_HANDLE_VALUE)) {
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
    }
    return INVALID_HANDLE_VALUE;
  }
  return search;
}

DWORD WINAPI PlantedGetFileAttributes(LPCSTR path) {
  DWORD attributes = g_getFileAttributes(path);
  return Due("GetFileAttributesA", path, attributes != INVALID_FILE_ATTRIBUTES)
             ? INVALID_FILE_ATTRIBUTES
             : attributes;
}

BOOL WINAPI PlantedCreateDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  return !Due("CreateDirectoryA", path, false) && g_createDirectory(path, security);
}

BOOL WINAPI PlantedMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
  const Fault* fault = to != nullptr ? Due("MoveFileExA", to, false) : nullptr;
  if (fault != nullptr && fault->appears == nullptr) {
    return FALSE;
  }
  if (fault != nullptr) {
    WriteFile(to, fault->appears);
  }
  return g_moveFileEx(from, to, flags);
}

HANDLE WINAPI PlantedCreateFile(LPCSTR path, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model) {
  return Due("CreateFileA", path, false)
             ? INVALID_HANDLE_VALUE
             : g_createFile(path, access, share, security, disposition, flags, model);
}

struct Plant {
  const char* name;
  void* replacement;
  void** original;
};

const Plant kPlants[] = {
    {"FindFirstFileA", reinterpret_cast<void*>(PlantedFindFirstFile),
     reinterpret_cast<void**>(&g_findFirstFile)},
    {"GetFileAttributesA", reinterpret_cast<void*>(PlantedGetFileAttributes),
     reinterpret_cast<void**>(&g_getFileAttributes)},
    {"CreateDirectoryA", reinterpret_cast<void*>(PlantedCreateDirectory),
     reinterpret_cast<void**>(&g_createDirectory)},
    {"MoveFileExA", reinterpret_cast<void*>(PlantedMoveFileEx),
     reinterpret_cast<void**>(&g_moveFileEx)},
    {"CreateFileA", reinterpret_cast<void*>(PlantedCreateFile),
     reinterpret_cast<void**>(&g_createFile)},
};

void Swap(void** slot, void* value) {
  DWORD protection;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace

PlantedFaults::PlantedFaults(std::vector<Fault> faults) {
  g_faults = std::move(faults);
  for (const Plant& plant : kPlants) {
    void** slot = ImportSlot(plant.name);
    *plant.original = *slot;
    Swap(slot, plant.replacement);
  }
}

PlantedFaults::~PlantedFaults() {
  for (const Plant& plant : kPlants) {
    Swap(ImportSlot(plant.name), *plant.original);
  }
  g_faults.clear();
}

PlantedImport::PlantedImport(const char* name, void* replacement) : slot_(ImportSlot(name)) {
  original_ = *slot_;
  Swap(slot_, replacement);
}

PlantedImport::~PlantedImport() {
  Swap(slot_, original_);
}
