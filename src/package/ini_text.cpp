#include "common/ansi_path.h"
#include "package/ini_text.h"

const char* const kIniProblems[] = {
    "",
    "is longer than 16 KB",
    "holds a NUL byte: save it as UTF-8 text",
    "is neither UTF-8 nor text in the code page",
    "holds a character the code page lacks",
    "is no [section], key=value or ;comment",
    "comes before the first [section]",
    "repeats the section of line %d",
    "repeats the key of line %d",
    "has more than 64 lines",
};
static_assert(sizeof kIniProblems / sizeof kIniProblems[0] == kIniTooManyLines + 1,
              "words for each problem");

namespace {

// The bytes as read, aligned for UTF-16; the text in UTF-16; and the text in
// the code page: a character of two bytes in UTF-16 takes at most three in a
// UTF-8 code page.
WCHAR g_bytes[kIniSize / sizeof(WCHAR)];
DWORD g_size;
WCHAR g_wide[kIniSize];
char g_text[2 * kIniSize];

struct Section {
  const char* name;
  int number;
};

BOOL IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Cuts the blanks from both ends of text, in place. A blank is never the
// trail byte of a double-byte character.
char* Trim(char* text) {
  while (IsBlank(*text)) {
    ++text;
  }
  int end = lstrlenA(text);
  while (end > 0 && IsBlank(text[end - 1])) {
    --end;
  }
  text[end] = '\0';
  return text;
}

// Decodes the line of length units at line (UTF-16) into the code page at
// out, terminated. The problem, or kIniFine.
IniProblem TakeCharacters(const WCHAR* line, int length, char* out, int size) {
  for (int i = 0; i < length; ++i) {
    if (line[i] == L'\0') {
      return kIniNul;
    }
  }
  int bytes = length == 0 || size < 2 ? 0 : AnsiFromWide(line, length, out, size - 1);
  out[bytes] = '\0';
  return length > 0 && bytes == 0 ? kIniLacksCharacter : kIniFine;
}

}  // namespace

DWORD ReadIniFile(const WCHAR* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  DWORD error = ERROR_SUCCESS;
  if (GetFileSize(file, nullptr) > kIniSize) {  // INVALID_FILE_SIZE too: 4 GB and more
    error = ERROR_FILE_TOO_LARGE;
  } else if (!ReadFile(file, g_bytes, kIniSize, &g_size, nullptr)) {
    error = GetLastError();
  }
  CloseHandle(file);
  return error;
}

void TakeIniBytes(const void* bytes, DWORD size) {
  CopyMemory(g_bytes, bytes, size);
  g_size = size;
}

const BYTE* IniBytes(DWORD* size) {
  *size = g_size;
  return reinterpret_cast<const BYTE*>(g_bytes);
}

IniProblem ParseIni(IniText* text, IniFault* fault) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(g_bytes);
  int size = static_cast<int>(g_size);
  fault->number = 0;
  fault->shown[0] = '\0';
  fault->earlier = 0;
  // UTF-16 and UTF-8 by their marks; without one, bytes that are valid UTF-8
  // are taken as UTF-8 (plain ASCII reads the same in every code page), and
  // any others as the code page's.
  const WCHAR* wide = g_wide;
  int length;
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    wide = g_bytes + 1;
    length = size / 2 - 1;
  } else {
    int mark = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    const char* at = reinterpret_cast<const char*>(bytes + mark);
    length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, at, size - mark, g_wide, kIniSize);
    if (length == 0 && mark == 0) {
      length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, at, size, g_wide, kIniSize);
    }
    if (length == 0 && size > mark) {
      return kIniNotText;
    }
  }
  Section sections[kIniSections];
  int sectionCount = 0;
  const char* section = nullptr;
  char* out = g_text;
  text->count = 0;
  for (int at = 0, number = 1; at < length; ++number) {
    fault->number = number;
    fault->shown[0] = '\0';
    int end = at;
    while (end < length && wide[end] != L'\n') {
      ++end;
    }
    int count = end > at && wide[end - 1] == L'\r' ? end - at - 1 : end - at;
    IniProblem problem =
        TakeCharacters(wide + at, count, out, static_cast<int>(g_text + sizeof g_text - out));
    if (problem != kIniFine) {
      return problem;
    }
    at = end + 1;
    char* key = Trim(out);
    out += lstrlenA(out) + 1;
    CopyText(fault->shown, kPathSize, key);
    if (*key == '\0' || *key == ';') {
      continue;  // a blank line or a comment
    }
    int last = lstrlenA(key) - 1;
    if (*key == '[') {
      if (key[last] != ']') {
        return kIniNotALine;
      }
      key[last] = '\0';
      const char* name = Trim(key + 1);
      for (int i = 0; i < sectionCount; ++i) {
        if (lstrcmpiA(sections[i].name, name) == 0) {
          fault->earlier = sections[i].number;
          return kIniSectionAgain;
        }
      }
      if (sectionCount == kIniSections) {
        return kIniTooManyLines;
      }
      sections[sectionCount++] = {name, number};
      section = name;
      continue;
    }
    char* equals = key;
    while (*equals != '\0' && *equals != '=') {
      equals = CharNextA(equals);
    }
    if (*equals == '\0') {
      return kIniNotALine;
    }
    if (section == nullptr) {
      return kIniOutsideSection;
    }
    *equals = '\0';
    IniLine taken = {number, section, Trim(key), Trim(equals + 1)};
    for (int i = 0; i < text->count; ++i) {
      const IniLine& earlier = text->lines[i];
      if (earlier.section == section && lstrcmpiA(earlier.key, taken.key) == 0) {
        fault->earlier = earlier.number;
        return kIniKeyAgain;
      }
    }
    if (text->count == kIniLines) {
      return kIniTooManyLines;
    }
    text->lines[text->count++] = taken;
  }
  return kIniFine;
}
