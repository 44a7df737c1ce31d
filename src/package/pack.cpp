#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "package/carried.h"
#include "package/ini_text.h"
#include "package/pack.h"
#include "shell/exit_codes.h"
#include "shell/setup_dir.h"

namespace {

// The archive's records, as a stored archive that counts its offsets from the
// file's start writes them; the signatures and the fields this setup fills.
#pragma pack(push, 1)
struct LocalHeader {
  DWORD signature;
  WORD version;
  WORD flags;
  WORD method;
  WORD time;
  WORD date;
  DWORD crc;
  DWORD packedSize;
  DWORD size;
  WORD nameLength;
  WORD extraLength;
};
struct CentralHeader {
  DWORD signature;
  WORD madeBy;
  LocalHeader local;  // from its version on, less its signature: see WriteDirectory
  WORD commentLength;
  WORD disk;
  WORD internal;
  DWORD external;
  DWORD offset;
};
struct EndRecord {
  DWORD signature;
  WORD disk;
  WORD directoryDisk;
  WORD entriesHere;
  WORD entries;
  DWORD directorySize;
  DWORD directoryOffset;
  WORD commentLength;
};
#pragma pack(pop)
// Version 2.0 (stored entries and folders), dated 1 January 1980 as DOS
// counts days; each program fills in the rest.
constexpr WORD kVersion = 20;
constexpr LocalHeader kLocalHeader = {0x04034b50, kVersion, 0, 0, 0, 0x21, 0, 0, 0, 0, 0};
constexpr DWORD kCentralSignature = 0x02014b50;
constexpr DWORD kEndSignature = 0x06054b50;
static_assert(sizeof(LocalHeader) == 30 && sizeof(CentralHeader) == 46 + 4 &&
                  sizeof(EndRecord) == 22,
              "the records as ZIP lays them out");

constexpr WORD kUtf8Name = 1 << 11;
constexpr DWORD kHeadersSize = 4096;       // the program's own headers take 1 KB
constexpr int kNameSize8 = 3 * kPathSize;  // a name in UTF-8

constexpr char kCarries[] = "This setup carries its package already.";
constexpr char kPacked[] = "%s: %lu bytes";

struct Central {
  char name[kNameSize8];
  LocalHeader header;
  DWORD offset;
};

BYTE g_headers[kHeadersSize];
Central g_central[kMaxCarriedEntries];
int g_count;

BOOL Write(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// The local header of entry, as it stands before its data.
BOOL WriteLocal(HANDLE file, const Central& entry) {
  return Write(file, &entry.header, sizeof entry.header) &&
         Write(file, entry.name, entry.header.nameLength);
}

// Starts g_central's next entry for the package file name, at offset: its
// name in UTF-8 with '/' between its parts. FALSE when the name cannot be held.
Central* NextEntry(const char* name, DWORD offset) {
  Central& entry = g_central[g_count];
  WCHAR wide[kPathSize];
  int length = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, kPathSize);
  length = length > 0
               ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, entry.name, kNameSize8, nullptr, nullptr)
               : 0;
  if (length == 0) {
    return nullptr;
  }
  entry.header = kLocalHeader;
  entry.header.nameLength = static_cast<WORD>(length - 1);
  entry.header.flags = 0;
  for (int i = 0; i < entry.header.nameLength; ++i) {
    if (entry.name[i] == '\\') {
      entry.name[i] = '/';
    }
    entry.header.flags |= static_cast<BYTE>(entry.name[i]) >= 0x80 ? kUtf8Name : 0;
  }
  entry.offset = offset;
  ++g_count;
  return &entry;
}

// Maps the file at path for reading: *data and *size are its bytes (none for
// an empty file). The view lasts as long as the process, which ends once the
// packed setup is written. ERROR_SUCCESS, or the system's reason.
DWORD MapFile(const char* path, const BYTE** data, DWORD* size) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  *data = MapForReading(file, size);
  return *size != 0 && *data == nullptr ? GetLastError() : ERROR_SUCCESS;
}

// Appends size bytes at data to file as the entry name at offset, which moves
// past it. The system's reason, or ERROR_SUCCESS.
DWORD AddEntry(HANDLE file, const char* name, const BYTE* data, DWORD size, DWORD* offset) {
  Central* entry = NextEntry(name, *offset);
  if (entry == nullptr) {
    return ERROR_FILENAME_EXCED_RANGE;
  }
  entry->header.size = entry->header.packedSize = size;
  entry->header.crc = Crc32(0, data, size);
  *offset += sizeof(LocalHeader) + entry->header.nameLength + size;
  return WriteLocal(file, *entry) && Write(file, data, size) ? ERROR_SUCCESS : GetLastError();
}

// The central directory and the end record, after the entries.
BOOL WriteDirectory(HANDLE file, DWORD offset) {
  EndRecord end = {};
  end.signature = kEndSignature;
  end.directoryOffset = offset;
  for (int i = 0; i < g_count; ++i) {
    const Central& entry = g_central[i];
    CentralHeader header = {};
    header.signature = kCentralSignature;
    header.madeBy = kVersion;
    header.local = entry.header;
    header.offset = entry.offset;
    // The central header leaves out the local one's signature.
    const BYTE* fields = reinterpret_cast<const BYTE*>(&header);
    if (!Write(file, fields, 6) || !Write(file, fields + 10, sizeof header - 10) ||
        !Write(file, entry.name, entry.header.nameLength)) {
      return FALSE;
    }
    offset += sizeof header - 4 + entry.header.nameLength;
  }
  end.entries = end.entriesHere = static_cast<WORD>(g_count);
  end.directorySize = offset - end.directoryOffset;
  return Write(file, &end, sizeof end);
}

// Writes the program's image, without a signature, then the package, to file.
// The system's reason, or ERROR_SUCCESS; blame is then set to the package's
// file that could not be read, if it was one.
DWORD WritePackedSetup(HANDLE file, char* blame) {
  DWORD fileSize = 0;
  DWORD imageSize = 0;
  const BYTE* self = MapOwnFile(&fileSize, &imageSize);
  if (self == nullptr) {
    return GetLastError();
  }
  // The signature was the program's; the packed setup is signed anew.
  CopyMemory(g_headers, self, kHeadersSize);
  IMAGE_NT_HEADERS* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(
      g_headers + reinterpret_cast<const IMAGE_DOS_HEADER*>(g_headers)->e_lfanew);
  headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY] = {0, 0};
  headers->OptionalHeader.CheckSum = 0;
  DWORD headerSize = headers->OptionalHeader.SizeOfHeaders;
  if (!Write(file, g_headers, headerSize) ||
      !Write(file, self + headerSize, imageSize - headerSize)) {
    return GetLastError();
  }
  DWORD offset = imageSize;
  DWORD size = 0;
  const BYTE* data = IniBytes(&size);
  DWORD error = AddEntry(file, kCarriedDescription, data, size, &offset);
  char path[kPathSize];
  for (const InstallItem& item : g_package) {
    BOOL again = FALSE;
    for (const InstallItem* earlier = begin(g_package); earlier != &item; ++earlier) {
      again |= lstrcmpiA(earlier->source, item.source) == 0;
    }
    if (error != ERROR_SUCCESS || again) {
      continue;  // one file named for two destinations is carried once
    }
    FormPath(path, g_szSetupDir, item.source);
    error = MapFile(path, &data, &size);
    if (error != ERROR_SUCCESS) {
      CopyText(blame, kPathSize, path);
      break;
    }
    error = AddEntry(file, item.source, data, size, &offset);
    if (error == ERROR_SUCCESS) {
      TellDone(path, "packed");
    }
  }
  return error == ERROR_SUCCESS && !WriteDirectory(file, offset) ? GetLastError() : error;
}

}  // namespace

UINT PackSetup(const WCHAR* output) {
  if (IsCarried()) {
    TellCaller(STD_ERROR_HANDLE, kCarries);
    return kExitFailed;
  }
  if (!PackageIsWhole(g_szSetupDir)) {
    return kExitFailed;  // it has said which file is missing
  }
  // The output's name, without the quotes or blanks around it, in the code
  // page, as every other path of the program.
  WCHAR named[kPathSize];
  lstrcpynW(named, output + (output[0] == L'"' ? 1 : 0), kPathSize);
  int end = lstrlenW(named);
  while (end > 0 && (named[end - 1] == L' ' || named[end - 1] == L'\t' || named[end - 1] == L'"')) {
    named[--end] = L'\0';
  }
  // A whole file or none: the copy is made beside it and moved over it last.
  char shown[kPathSize];
  char full[kPathSize];
  char temp[kPathSize];
  char* name = nullptr;
  DWORD length =
      AnsiPathFromWide(named, shown) ? GetFullPathNameA(shown, kPathSize, full, &name) : 0;
  if (length == 0 || length >= static_cast<DWORD>(kPathSize) || name == nullptr) {
    TellCaller(STD_ERROR_HANDLE, kPathTooLong);
    return kExitFailed;
  }
  char blame[kPathSize] = "";
  char saved = *name;
  *name = '\0';
  DWORD error = GetTempFileNameA(full, "nsp", 0, temp) != 0 ? ERROR_SUCCESS : GetLastError();
  *name = saved;
  if (error == ERROR_SUCCESS) {
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    error = file == INVALID_HANDLE_VALUE ? GetLastError() : WritePackedSetup(file, blame);
    if (file != INVALID_HANDLE_VALUE && error == ERROR_SUCCESS && !FlushFileBuffers(file)) {
      error = GetLastError();
    }
    DWORD size = file != INVALID_HANDLE_VALUE ? GetFileSize(file, nullptr) : 0;
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temp, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = GetLastError();
    }
    if (error == ERROR_SUCCESS) {
      char line[kPathSize + 32];
      wsprintfA(line, kPacked, full, size);
      TellCaller(STD_OUTPUT_HANDLE, line);
      return kExitSucceeded;
    }
    DeleteFileA(temp);
  }
  char reason[kReasonSize];
  DescribeError(error, reason, kReasonSize);
  TellAboutPath(STD_ERROR_HANDLE, blame[0] != '\0' ? blame : full, reason);
  return kExitFailed;
}
