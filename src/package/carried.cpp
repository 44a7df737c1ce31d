#include "common/ansi_path.h"
#include "common/file_digest.h"
#include "install/install.h"
#include "install/prompts.h"
#include "package/carried.h"
#include "package/ini_text.h"

namespace {

// Of the ZIP format, only what a stored archive needs: its end record, its
// central directory, and the local header before each entry's data.
constexpr DWORD kEndSignature = 0x06054b50;
constexpr DWORD kCentralSignature = 0x02014b50;
constexpr DWORD kLocalSignature = 0x04034b50;
constexpr DWORD kEndSize = 22;
constexpr DWORD kCentralSize = 46;
constexpr DWORD kLocalSize = 30;
constexpr DWORD kLongestComment = 0xFFFF;
constexpr DWORD kCertificateAlignment = 8;  // a signature pads the file to it
constexpr WORD kEncrypted = 1;
constexpr WORD kSizesAfterData = 1 << 3;
constexpr WORD kUtf8Name = 1 << 11;

constexpr char kRefused[] = "%s: %s.\n\nThe setup is damaged: download it again.";
constexpr char kCutOff[] = "its archive is cut off";
constexpr char kTooMany[] = "its archive holds more than 33 entries";
constexpr char kNoDescription[] = "its archive holds no setup.ini";
constexpr char kOutside[] = "lies outside the archive";
constexpr char kNotStored[] = "is not stored as the setup reads it";
constexpr char kBadName[] = "its archive holds a name that is not plain";
constexpr char kBadCrc[] = "does not match its CRC-32";
constexpr char kNotNamed[] = "is not named by setup.ini";
constexpr char kNotCarried[] = "is named by setup.ini, but missing";

struct Entry {
  char name[kPathSize];  // as the description names it: '\' between folders
  const BYTE* data;
  DWORD size;
};

const BYTE* g_file;
Entry g_entries[kMaxCarriedEntries];
int g_entryCount;

WORD Word(const BYTE* at) {
  return static_cast<WORD>(at[0] | at[1] << 8);
}

DWORD Dword(const BYTE* at) {
  return Word(at) | static_cast<DWORD>(Word(at + 2)) << 16;
}

// Tells why the carried package cannot be used: what, of the entry named
// (or of the program), is wrong. Returns kCarriedRefused.
Carried Refuse(const char* named, const char* what) {
  char text[2 * kPathSize + sizeof kRefused + sizeof kTooMany];
  wsprintfA(text, kRefused, named, what);
  ShowProblem(text);
  return kCarriedRefused;
}

// Puts the entry's name, length bytes at raw, into name in the code page with
// '\' between its parts. FALSE unless it is relative, climbs nowhere, and
// converts exactly.
BOOL TakeName(const BYTE* raw, DWORD length, WORD flags, char* name) {
  // Without the UTF-8 flag a name is in an old DOS code page: ASCII only.
  for (DWORD i = 0; i < length; ++i) {
    if (raw[i] >= 0x80 && !(flags & kUtf8Name)) {
      return FALSE;
    }
  }
  WCHAR wide[kPathSize];
  int count =
      length < kPathSize
          ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(raw),
                                static_cast<int>(length), wide, kPathSize - 1)
          : 0;
  int bytes = count > 0 ? AnsiFromWide(wide, count, name, kPathSize - 1) : 0;
  if (bytes == 0) {
    return FALSE;
  }
  name[bytes] = '\0';
  TakeSlashes(name);
  // No drive, no root, and no part that is "..".
  for (const char* part = name;; ++part) {
    const char* end = part;
    while (*end != '\0' && *end != '\\') {
      if (*end == ':') {
        return FALSE;
      }
      end = CharNextA(end);
    }
    if (end == part && part == name) {
      return FALSE;
    }
    if (end - part == 2 && part[0] == '.' && part[1] == '.') {
      return FALSE;
    }
    if (*end == '\0') {
      return TRUE;
    }
    part = end;
  }
}

const Entry* FindEntry(const char* name) {
  for (int i = 0; i < g_entryCount; ++i) {
    if (lstrcmpiA(g_entries[i].name, name) == 0) {
      return &g_entries[i];
    }
  }
  return nullptr;
}

// The end record of the archive that ends at end, with nothing after it but
// a signature's padding, or nullptr.
const BYTE* FindEnd(DWORD start, DWORD end) {
  for (DWORD at = end - kEndSize;
       at >= start && at + kEndSize + kLongestComment + kCertificateAlignment >= end; --at) {
    const BYTE* record = g_file + at;
    DWORD after = at + kEndSize + Word(record + 20);
    if (Dword(record) == kEndSignature && after <= end && end - after < kCertificateAlignment) {
      return record;
    }
    if (at == start) {
      break;
    }
  }
  return nullptr;
}

// Reads the central directory of the archive between imageEnd and end into
// g_entries, checking each entry whole. kCarriedTaken, or kCarriedRefused
// after telling why.
Carried ReadEntries(const char* self, DWORD imageEnd, const BYTE* record) {
  DWORD directorySize = Dword(record + 12);
  DWORD directoryOffset = Dword(record + 16);
  DWORD recordAt = static_cast<DWORD>(record - g_file);
  if (Word(record + 4) != 0 || Word(record + 6) != 0 || directorySize > recordAt - imageEnd ||
      directoryOffset > recordAt - directorySize) {
    return Refuse(self, kCutOff);
  }
  // A tool that appends the archive to the program counts its offsets from
  // the file's start; one that made it apart, from the archive's own.
  DWORD directory = recordAt - directorySize;
  DWORD base = directory - directoryOffset;
  const BYTE* at = g_file + directory;
  for (int i = Word(record + 10); i > 0; --i) {
    if (at + kCentralSize > record || Dword(at) != kCentralSignature) {
      return Refuse(self, kCutOff);
    }
    WORD flags = Word(at + 8);
    DWORD size = Dword(at + 24);
    DWORD nameLength = Word(at + 28);
    const BYTE* next = at + kCentralSize + nameLength + Word(at + 30) + Word(at + 32);
    if (next > record) {
      return Refuse(self, kCutOff);
    }
    if (g_entryCount == kMaxCarriedEntries) {
      return Refuse(self, kTooMany);
    }
    Entry& entry = g_entries[g_entryCount];
    if (!TakeName(at + kCentralSize, nameLength, flags, entry.name)) {
      return Refuse(self, kBadName);
    }
    DWORD local = base + Dword(at + 42);
    if ((flags & kEncrypted) || Word(at + 10) != 0 || Dword(at + 20) != size) {
      return Refuse(entry.name, kNotStored);
    }
    if (local < imageEnd || local > directory || directory - local < kLocalSize + nameLength ||
        Dword(g_file + local) != kLocalSignature) {
      return Refuse(entry.name, kOutside);
    }
    // The header before the data says what the directory says of it.
    const BYTE* header = g_file + local;
    for (DWORD i = 0; i < nameLength; ++i) {
      flags |= header[kLocalSize + i] != at[kCentralSize + i] ? kEncrypted : 0;
    }
    if (Word(header + 26) != nameLength || Word(header + 8) != 0 ||
        (!(Word(header + 6) & kSizesAfterData) &&
         (Dword(header + 14) != Dword(at + 16) || Dword(header + 18) != size))) {
      flags |= kEncrypted;
    }
    if (flags & kEncrypted) {
      return Refuse(entry.name, kNotStored);
    }
    DWORD data = local + kLocalSize + nameLength + Word(g_file + local + 28);
    if (data > directory || size > directory - data) {
      return Refuse(entry.name, kOutside);
    }
    entry.data = g_file + data;
    entry.size = size;
    if (Crc32(0, entry.data, size) != Dword(at + 16)) {
      return Refuse(entry.name, kBadCrc);
    }
    at = next;
    int length = lstrlenA(entry.name);
    if (size == 0 && entry.name[length - 1] == '\\') {
      continue;  // a folder's own entry
    }
    ++g_entryCount;
  }
  return kCarriedTaken;
}

// Takes the description inside, and checks that it and the archive name the
// same files.
Carried TakeCarriedDescription(const char* self) {
  const Entry* description = FindEntry(kCarriedDescription);
  if (description == nullptr || description->size > kIniSize) {
    return Refuse(self, kNoDescription);
  }
  TakeIniBytes(description->data, description->size);
  char path[kPathSize];
  FormPath(path, self, kCarriedDescription);
  if (!TakeDescription(path, nullptr)) {
    return kCarriedRefused;
  }
  for (const InstallItem& item : g_package) {
    if (FindEntry(item.source) == nullptr) {
      return Refuse(item.source, kNotCarried);
    }
  }
  for (int i = 0; i < g_entryCount; ++i) {
    const Entry& entry = g_entries[i];
    BOOL named = &entry == description;
    for (const InstallItem& item : g_package) {
      named |= lstrcmpiA(item.source, entry.name) == 0;
    }
    if (!named) {
      return Refuse(entry.name, kNotNamed);
    }
  }
  return kCarriedTaken;
}

}  // namespace

const BYTE* MapForReading(HANDLE file, DWORD* size) {
  *size = GetFileSize(file, nullptr);
  HANDLE mapping =
      *size != 0 ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
  CloseHandle(file);
  if (mapping == nullptr) {
    return nullptr;
  }
  const BYTE* view = static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  CloseHandle(mapping);  // the view keeps it
  return view;
}

const BYTE* MapOwnFile(DWORD* fileSize, DWORD* imageSize) {
  WCHAR self[kPathSize];
  DWORD length = GetModuleFileNameW(nullptr, self, kPathSize);
  HANDLE file = length > 0 && length < static_cast<DWORD>(kPathSize)
                    ? CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr)
                    : INVALID_HANDLE_VALUE;
  const BYTE* view = file != INVALID_HANDLE_VALUE ? MapForReading(file, fileSize) : nullptr;
  if (view == nullptr) {
    return nullptr;
  }
  // The loader has read the headers: the image ends with its last section.
  const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      view + reinterpret_cast<const IMAGE_DOS_HEADER*>(view)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  *imageSize = 0;
  for (int i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    if (section->PointerToRawData + section->SizeOfRawData > *imageSize) {
      *imageSize = section->PointerToRawData + section->SizeOfRawData;
    }
  }
  return view;
}

Carried ReadCarriedPackage() {
  DWORD size = 0;
  DWORD imageEnd = 0;
  g_file = MapOwnFile(&size, &imageEnd);
  if (g_file == nullptr) {
    return kCarriesNone;
  }
  // A signature's certificate table, when there is one, ends the file.
  const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      g_file + reinterpret_cast<const IMAGE_DOS_HEADER*>(g_file)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& certificates =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
  DWORD end = certificates.VirtualAddress >= imageEnd && certificates.VirtualAddress < size
                  ? certificates.VirtualAddress
                  : size;
  DWORD padding = 0;
  while (padding < end - imageEnd && padding < kCertificateAlignment &&
         g_file[end - padding - 1] == 0) {
    ++padding;
  }
  if (end <= imageEnd + padding) {
    return kCarriesNone;  // nothing after the program but a signature
  }
  WCHAR self[kPathSize];
  char shown[kPathSize];
  if (GetModuleFileNameW(nullptr, self, kPathSize) == 0 || !AnsiPathFromWide(self, shown)) {
    CopyText(shown, kPathSize, "The setup");
  }
  const BYTE* record = end - imageEnd >= kEndSize ? FindEnd(imageEnd, end) : nullptr;
  Carried carried =
      record == nullptr ? Refuse(shown, kCutOff) : ReadEntries(shown, imageEnd, record);
  if (carried == kCarriedTaken) {
    carried = TakeCarriedDescription(shown);
  }
  return carried;
}

DWORD ProbeCarried(const char* name) {
  return FindEntry(name) != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

BOOL CopyCarried(const char* name, const char* temp) {
  const Entry* entry = FindEntry(name);
  HANDLE file =
      CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return FALSE;
  }
  DWORD written = 0;
  BOOL copied = WriteFile(file, entry->data, entry->size, &written, nullptr);
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return copied;
}
