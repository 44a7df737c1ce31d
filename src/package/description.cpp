#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"
#include "install/receipt.h"
#include "package/ini_text.h"
#include "package/nsis_files.h"

namespace {

constexpr int kTitleSize = 128;
constexpr int kShownSize = kPathSize + 128;  // of a line at fault, cut to fit the box
constexpr int kPartSize = 64;                // of the name at fault, likewise
constexpr int kWhySize = 256;
constexpr int kRefusalSize = 16 + kShownSize + 2 + kWhySize;  // "line N: shown: why"
// With the description's path before it, a refusal fits one message.
static_assert(kPathSize + 2 + kRefusalSize <= 1024, "a refusal must fit its box");

// A relative path this long leaves no room for the NSIS folder and the
// temporary file beside the target.
constexpr int kLongestRelative = kPathSize - 16;

constexpr WCHAR kDescriptionType[] = L".ini";
constexpr char kTitleFormat[] = "%s plug-in setup";

constexpr char kMissing[] =
    "no such file: the setup installs what this description beside it lists";
constexpr char kNoName[] = "has no Name";
constexpr char kTooLong[] = "is too long";
constexpr char kTooMany[] = "lists more than 32 files";
constexpr char kNoFiles[] = "lists no file";
constexpr char kNowhere[] =
    "goes nowhere: Include, Docs\\<Name>, Examples\\<Name>, Plugins\\x86-ansi, "
    "Plugins\\x86-unicode "
    "or Plugins\\amd64-unicode, then the file's name";
constexpr char kTwice[] = "names an earlier line's destination";
constexpr char kPathLong[] = "is longer than a path can be";
// What is wrong with one name of a path; each %s is the name.
constexpr char kEmpty[] = "holds an empty name: \\\\, or \\ at an end";
constexpr char kDots[] = "'%s' leaves the package's folders";
constexpr char kTrailing[] = "'%s' ends in a dot or a blank, which Windows drops";
constexpr char kDevice[] = "'%s' is a device's name";
constexpr char kForbidden[] = "'%s' holds '%c', which file names cannot hold";
constexpr char kAlias[] = "'%s' looks like a short (8.3) name, which may stand for another file";
constexpr char kNsisFile[] = "'%s' is NSIS's own file";
constexpr char kNsisFolder[] = "'%s' is NSIS's own folder";
constexpr char kReceipt[] = "'%s' is the name of the setup's receipt";
constexpr char kFolderSource[] = "'%s' is a folder, not a file";

constexpr char kForbiddenCharacters[] = "\\/:*?\"<>|";
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "COM", "LPT"};
constexpr int kNumberedDevices = 4;  // from COM on, with a digit: COM1, LPT9

constexpr const char* kPlainFolders[] = {"Include", kAnsiPlugins, kUnicodePlugins, kAmd64Plugins};
constexpr const char* kPackageFolders[] = {"Docs", "Examples"};
// In the order they are taken: the Name says where files may go.
constexpr const char* kSections[] = {"Package", "Files"};

constexpr char kNotFound[] =
    "The package's files cannot be found beside the setup program.\n\n"
    "Extract the whole package, with the folders that its description names, to a folder on "
    "this computer and start the setup from there. A network drive is not visible to a setup "
    "that runs as administrator.";

constexpr char kUnusableFolderName[] =
    "The name of the package's folder holds characters that this system cannot use here.\n\n"
    "Move the package to a folder with a plain name, such as C:\\Setup, and start the setup "
    "again.";

IniText g_text;
char g_name[kNameSize];
char g_title[kTitleSize];
InstallItem g_items[kMaxItems];
Package g_described;

// The name that the last reason found speaks of, and the character at fault.
char g_part[kPartSize];
char g_bad;

// Tells that the description at path cannot be used: at line number (none
// when 0), which says shown (nothing when empty), for the reason why, a
// format that may name g_part and g_bad.
BOOL Refuse(const char* path, int number, const char* shown, const char* why) {
  char text[kRefusalSize];
  text[0] = '\0';
  if (number > 0) {
    wsprintfA(text, "line %d: ", number);
  }
  if (*shown != '\0') {
    AppendText(text, kShownSize, shown);
    AppendText(text, kRefusalSize, ": ");
  }
  char reason[kWhySize];
  wsprintfA(reason, why, g_part, g_bad);
  AppendText(text, kRefusalSize, reason);
  ShowPathProblem(path, text);
  return FALSE;
}

// Returns why, with the length bytes at part as the name it speaks of and bad
// as the character at fault.
const char* Blame(const char* why, const char* part, int length, char bad = '\0') {
  CopyText(g_part, length + 1 < kPartSize ? length + 1 : kPartSize, part);
  g_bad = bad;
  return why;
}

BOOL IsForbidden(char c) {
  for (const char* f = kForbiddenCharacters; *f != '\0'; ++f) {
    if (*f == c) {
      return TRUE;
    }
  }
  return static_cast<unsigned char>(c) < ' ';
}

// TRUE when the length characters at name are a device's name, alone or
// before an extension: CON, NUL.txt, COM1, LPT9.
BOOL IsDeviceName(const char* name, int length) {
  int stem = 0;
  while (stem < length && name[stem] != '.') {
    ++stem;
  }
  if (stem != 3 && stem != 4) {
    return FALSE;
  }
  char head[4];
  CopyText(head, sizeof head, name);
  for (int i = 0; i < static_cast<int>(sizeof kDeviceNames / sizeof kDeviceNames[0]); ++i) {
    if (lstrcmpiA(head, kDeviceNames[i]) == 0) {
      return i < kNumberedDevices ? stem == 3 : stem == 4 && name[3] >= '1' && name[3] <= '9';
    }
  }
  return FALSE;
}

// TRUE when the length characters at name have the form Windows gives a
// file's short name: at most eight before the dot and three after it, with a
// tilde among the eight. Such a name may open another file by its alias.
BOOL IsShortNameForm(const char* name, int length) {
  int dot = length;
  BOOL tilde = FALSE;
  for (int i = 0; i < length; ++i) {
    if (name[i] == '.') {
      dot = i;
    }
    tilde |= name[i] == '~' && dot == length;
  }
  return tilde && dot <= 8 && length - dot <= 4;
}

// Why the name of length bytes at part is not a plain file or folder name,
// or nullptr when it is. The text is read by character: in a double-byte code
// page a trail byte may be '\'.
const char* WhyNotPlain(const char* part, int length) {
  if (length == 0) {
    return kEmpty;
  }
  const char* last = part;
  for (const char* c = part; c < part + length; c = CharNextA(c)) {
    if (CharNextA(c) == c + 1 && IsForbidden(*c)) {
      return Blame(kForbidden, part, length, *c);
    }
    last = c;
  }
  if (part[0] == '.' && (length == 1 || (length == 2 && part[1] == '.'))) {
    return Blame(kDots, part, length);
  }
  if (*last == '.' || *last == ' ') {
    return Blame(kTrailing, part, length);
  }
  return IsDeviceName(part, length) ? Blame(kDevice, part, length) : nullptr;
}

// Why a name of path is not plain, or nullptr when none is: a path of plain
// names cannot climb out of the folder it is taken in, nor name a drive, a
// server or a device.
const char* WhyNotPlainPath(const char* relative) {
  for (const char* part = relative;; ++part) {
    const char* end = part;
    while (*end != '\0' && *end != '\\') {
      end = CharNextA(end);
    }
    const char* why = WhyNotPlain(part, static_cast<int>(end - part));
    if (why != nullptr || *end == '\0') {
      return why;
    }
    part = end;
  }
}

// The folder that a destination's folder names, as the setup spells it, or
// nullptr when the setup installs nothing there. Under the package's own
// Docs and Examples folders, sub-folders are the package's to lay out;
// *below is then where they begin.
const char* KnownFolder(const char* folder, const char** below) {
  *below = nullptr;
  for (const char* known : kPlainFolders) {
    if (lstrcmpiA(folder, known) == 0) {
      return known;
    }
  }
  char named[kPathSize];
  for (const char* top : kPackageFolders) {
    if (FormPath(named, top, g_name) && IsUnder(folder, named)) {
      int length = lstrlenA(named);
      *below = folder[length] == '\0' ? nullptr : folder + length + 1;
      return folder;
    }
  }
  return nullptr;
}

// Takes line of [Files], "destination=source", as the package's next file,
// its source in setupDir (nullptr: in the program's own file). Why it cannot
// be used, or nullptr.
const char* TakeFile(const char* setupDir, const IniLine& line, int count) {
  TakeSlashes(line.key);
  TakeSlashes(line.value);
  if (lstrlenA(line.key) > kLongestRelative || lstrlenA(line.value) > kLongestRelative) {
    return kPathLong;
  }
  char* separator = LastSeparator(line.key);
  const char* below = nullptr;
  InstallItem& item = g_items[count];
  if (separator != nullptr) {
    *separator = '\0';
    item = {line.value, KnownFolder(line.key, &below), separator + 1};
  }
  if (separator == nullptr || item.folder == nullptr) {
    return kNowhere;
  }
  const char* why = WhyNotPlainPath(item.name);
  if (why == nullptr && below != nullptr) {
    why = WhyNotPlainPath(below);
  }
  if (why == nullptr) {
    why = WhyNotPlainPath(item.source);
  }
  if (why != nullptr) {
    return why;
  }
  int length = lstrlenA(item.name);
  if (below == nullptr && !IsUnder(item.folder, "Docs") && !IsUnder(item.folder, "Examples")) {
    if (IsShortNameForm(item.name, length)) {
      return Blame(kAlias, item.name, length);
    }
    if (IsNsisFile(item.folder, item.name)) {
      return Blame(kNsisFile, item.name, length);
    }
  }
  if (below == nullptr && IsUnder(item.folder, "Docs") && lstrcmpiA(item.name, kReceiptName) == 0) {
    return Blame(kReceipt, item.name, length);
  }
  for (int i = 0; i < count; ++i) {
    if (lstrcmpiA(g_items[i].folder, item.folder) == 0 &&
        lstrcmpiA(g_items[i].name, item.name) == 0) {
      return kTwice;
    }
  }
  char source[kPathSize];
  if (setupDir != nullptr && FormPath(source, setupDir, item.source) && FolderExists(source)) {
    return Blame(kFolderSource, item.source, lstrlenA(item.source));
  }
  return nullptr;
}

// Takes line of [Package]: its Name, which must name the package's folders,
// or its Title. Why it cannot be used, or nullptr.
const char* TakePackageLine(const IniLine& line) {
  int length = lstrlenA(line.value);
  if (lstrcmpiA(line.key, "Title") == 0) {
    return CopyText(g_title, kTitleSize, line.value) ? nullptr : kTooLong;
  }
  if (lstrcmpiA(line.key, "Name") != 0) {
    return nullptr;
  }
  const char* why = WhyNotPlain(line.value, length);
  if (why == nullptr && length >= kNameSize - 1) {
    why = kTooLong;
  } else if (why == nullptr && IsNsisFolder(line.value)) {
    why = Blame(kNsisFolder, line.value, length);
  } else if (why == nullptr && IsShortNameForm(line.value, length)) {
    why = Blame(kAlias, line.value, length);
  }
  CopyText(g_name, kNameSize, line.value);
  return why;
}

// Puts into path (kPathSize characters) the description's path: the
// program's own, in setupDir, with .ini for its type. FALSE when it cannot be
// held.
BOOL FormDescriptionPath(const WCHAR* setupDir, const WCHAR* programName, WCHAR* path) {
  int folder = lstrlenW(setupDir);
  int stem = lstrlenW(programName);
  for (int i = 0; programName[i] != L'\0'; ++i) {
    if (programName[i] == L'.') {
      stem = i;
    }
  }
  constexpr int kTypeLength = sizeof kDescriptionType / sizeof(WCHAR) - 1;
  if (folder + 1 + stem + kTypeLength >= kPathSize) {
    return FALSE;
  }
  lstrcpynW(path, setupDir, kPathSize);
  path[folder] = L'\\';
  lstrcpynW(path + folder + 1, programName, stem + 1);
  lstrcpynW(path + folder + 1 + stem, kDescriptionType, kTypeLength + 1);
  return TRUE;
}

}  // namespace

const Package kDescribedWording = {"",
                                   "NSIS plug-in setup",
                                   "Installation complete",
                                   "File does not exist. Continue?",
                                   kNotFound,
                                   kUnusableFolderName,
                                   0,
                                   nullptr};

BOOL TakeDescription(const char* path, const char* setupDir) {
  IniFault fault;
  IniProblem problem = ParseIni(&g_text, &fault);
  if (problem != kIniFine) {
    char why[kWhySize];
    wsprintfA(why, kIniProblems[problem], fault.earlier);
    return Refuse(path, fault.number, fault.shown, why);
  }
  g_name[0] = '\0';
  g_title[0] = '\0';
  int count = 0;
  for (const char* section : kSections) {
    for (int i = 0; i < g_text.count; ++i) {
      const IniLine& line = g_text.lines[i];
      if (lstrcmpiA(line.section, section) != 0) {
        continue;
      }
      if (count == kMaxItems) {
        return Refuse(path, 0, "[Files]", kTooMany);
      }
      char shown[kShownSize];
      CopyText(shown, kShownSize, line.key);
      AppendText(shown, kShownSize, "=");
      AppendText(shown, kShownSize, line.value);
      const char* why = *section == 'F' ? TakeFile(setupDir, line, count++) : TakePackageLine(line);
      if (why != nullptr) {
        return Refuse(path, line.number, shown, why);
      }
    }
    if (g_name[0] == '\0') {
      return Refuse(path, 0, "[Package]", kNoName);
    }
  }
  if (count == 0) {
    return Refuse(path, 0, "[Files]", kNoFiles);
  }
  if (g_title[0] == '\0') {
    wsprintfA(g_title, kTitleFormat, g_name);
  }
  g_described = kDescribedWording;
  g_described.name = g_name;
  g_described.title = g_title;
  g_described.count = count;
  g_described.items = g_items;
  g_package = &g_described;
  return TRUE;
}

BOOL ReadDescription(const WCHAR* setupDir, const WCHAR* programName) {
  WCHAR wide[kPathSize];
  char path[kPathSize];
  char folder[kPathSize];
  if (!FormDescriptionPath(setupDir, programName, wide) || !AnsiPathFromWide(wide, path) ||
      !AnsiPathFromWide(setupDir, folder)) {
    ShowProblem(kPathTooLong);
    return FALSE;
  }
  DWORD error = ReadIniFile(wide);
  if (error == ERROR_SUCCESS) {
    return TakeDescription(path, folder);
  }
  // The system's words are shown as they are: they may hold a '%'.
  char reason[kReasonSize];
  if (IsAbsent(error)) {
    CopyText(reason, kReasonSize, kMissing);
  } else if (error == ERROR_FILE_TOO_LARGE) {
    CopyText(reason, kReasonSize, kIniProblems[kIniTooLong]);
  } else {
    DescribeError(error, reason, kReasonSize);
  }
  ShowPathProblem(path, reason);
  return FALSE;
}
