// A description's text: read whole as bytes, decoded by what those bytes are
// (UTF-8 with or without its mark, UTF-16 with its mark, or the code page) into
// the code page the program works in, and parsed into [sections] and
// key=value lines, each with its line number.
#pragma once

#include "common/common.h"

// A description holds at most this many bytes,
constexpr DWORD kIniSize = 16384;
// and at most this many key=value lines and sections.
constexpr int kIniLines = 64;
constexpr int kIniSections = 8;

struct IniLine {
  int number;           // in the file, from 1
  const char* section;  // its section's name, without the brackets
  char* key;            // without the blanks around it
  char* value;          // likewise
};

struct IniText {
  int count;
  IniLine lines[kIniLines];
};

// Why a text cannot be used; kIniProblems has each one's words.
enum IniProblem {
  kIniFine,
  kIniTooLong,
  kIniNul,
  kIniNotText,
  kIniLacksCharacter,
  kIniNotALine,
  kIniOutsideSection,
  kIniSectionAgain,
  kIniKeyAgain,
  kIniTooManyLines,
};
extern const char* const kIniProblems[];

// Where a text cannot be used: the line (0 for the whole text), what it says
// (nothing when it could not be read), and the earlier line it repeats, if any.
struct IniFault {
  int number;
  char shown[kPathSize];
  int earlier;
};

// Reads the file at path whole. ERROR_SUCCESS, or the system's reason;
// ERROR_FILE_TOO_LARGE for one of more than kIniSize bytes.
DWORD ReadIniFile(const WCHAR* path);

// Takes size bytes at bytes (at most kIniSize) as the text to parse.
void TakeIniBytes(const void* bytes, DWORD size);

// The bytes read or taken last, as they were; *size is set to their count.
const BYTE* IniBytes(DWORD* size);

// Parses the text read or taken last into text, whose lines point into a
// buffer of this file's own. kIniFine, or the problem and, in fault, where.
IniProblem ParseIni(IniText* text, IniFault* fault);
