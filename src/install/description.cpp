#include "common/ansi_path.h"
#include "install/install.h"
#include "install/prompts.h"

namespace {

// The [Files] section as the profile functions give it: a line of two paths
// for each file.
constexpr int kSectionSize = kMaxItems * 2 * kPathSize;
constexpr int kTitleSize = 128;
constexpr int kShownLineSize = 2 * kPathSize;  // of a line at fault, cut to fit the box

constexpr WCHAR kDescriptionType[] = L".ini";
constexpr char kTitleFormat[] = "%s plug-in setup";

constexpr char kMissing[] =
    "no such file: the setup installs the files that this description, beside it and named as "
    "it is, lists";
constexpr char kNoName[] = "has no Name, which names the package's Docs and Examples folders";
constexpr char kTooLong[] = "is longer than the setup can read";
constexpr char kTooMany[] = "lists more files than the setup holds (32)";
constexpr char kNoFiles[] = "lists no file";
constexpr char kNoEquals[] = "needs '=' between where the file goes and the file in the package";
constexpr char kNowhere[] =
    "goes nowhere the setup installs to: Include\\, Docs\\<Name>\\, Examples\\<Name>\\, "
    "Plugins\\x86-ansi\\, Plugins\\x86-unicode\\ or Plugins\\amd64-unicode\\, then the file's name";
constexpr char kTwice[] = "names a destination that an earlier line names";
constexpr char kNotPlain[] =
    "holds a name that is empty, . or .., a device's name (CON, NUL, COM1 ...), ends in a dot or "
    "a blank, or holds a character that file names cannot hold (\\ / : * ? \" < > |), or one this "
    "system's code page lacks";

constexpr char kForbidden[] = "\\/:*?\"<>|";
constexpr const char* kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "COM", "LPT"};
constexpr int kNumberedDevices = 4;  // from COM on, with a digit: COM1, LPT9

constexpr const char* kPlainFolders[] = {"Include", kAnsiPlugins, kUnicodePlugins, kAmd64Plugins};
constexpr const char* kPackageFolders[] = {"Docs", "Examples"};

constexpr char kNotFound[] =
    "The package's files cannot be found beside the setup program.\n\n"
    "Extract the whole package, with the folders that its description names, to a folder on "
    "this computer and start the setup from there. A network drive is not visible to a setup "
    "that runs as administrator.";

constexpr char kUnusableFolderName[] =
    "The name of the package's folder holds characters that this system cannot use here.\n\n"
    "Move the package to a folder with a plain name, such as C:\\Setup, and start the setup "
    "again.";

char g_section[kSectionSize];
char g_name[kNameSize];
char g_title[kTitleSize];
InstallItem g_items[kMaxItems];
Package g_described;

BOOL IsForbidden(char c) {
  for (const char* f = kForbidden; *f != '\0'; ++f) {
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

// The end of the name that begins at part (the backslash or the NUL after
// it), or nullptr when it is not a plain file or folder name. The text is
// read by character: in a double-byte code page a trail byte may be '\'.
const char* EndOfPlainName(const char* part) {
  const char* end = part;
  const char* last = part;
  while (*end != '\0' && *end != '\\') {
    if (CharNextA(end) == end + 1 && IsForbidden(*end)) {
      return nullptr;
    }
    last = end;
    end = CharNextA(end);
  }
  int length = static_cast<int>(end - part);
  if (length == 0 || *last == '.' || *last == ' ' || IsDeviceName(part, length)) {
    return nullptr;  // . and .. end in a dot
  }
  return end;
}

// TRUE when name is one plain name.
BOOL IsPlainName(const char* name) {
  const char* end = EndOfPlainName(name);
  return end != nullptr && *end == '\0';
}

// TRUE when path is relative and each of its names is plain: it cannot climb
// out of the folder it is taken in, nor name a drive, a server or a device.
BOOL IsPlainPath(const char* path) {
  for (const char* part = path;; ++part) {
    part = EndOfPlainName(part);
    if (part == nullptr) {
      return FALSE;
    }
    if (*part == '\0') {
      return TRUE;
    }
  }
}

// The last backslash of path, read by character, or nullptr.
char* LastSeparator(char* path) {
  char* last = nullptr;
  for (char* c = path; *c != '\0'; c = CharNextA(c)) {
    if (*c == '\\') {
      last = c;
    }
  }
  return last;
}

// The folder that destination's folder names, as the setup spells it, or
// nullptr when the setup installs nothing there.
const char* KnownFolder(const char* folder) {
  for (const char* known : kPlainFolders) {
    if (lstrcmpiA(folder, known) == 0) {
      return known;
    }
  }
  char named[kPathSize];
  for (const char* top : kPackageFolders) {
    if (FormPath(named, top, g_name) && lstrcmpiA(folder, named) == 0) {
      return folder;
    }
  }
  return nullptr;
}

// Tells that line of the description at path (at most kShownLineSize bytes
// with its terminator) cannot be used, and why.
BOOL Refuse(const char* path, const char* line, const char* why) {
  static_assert(sizeof kNotPlain >= sizeof kNowhere, "kNotPlain is the longest reason");
  char text[kShownLineSize + sizeof kNotPlain];
  wsprintfA(text, "%s: %s", line, why);
  ShowPathProblem(path, text);
  return FALSE;
}

// Takes line, "destination=source", as the package's next file. FALSE, after
// telling why, when it cannot be used.
BOOL TakeLine(const char* path, char* line, int count) {
  char shown[kShownLineSize];
  CopyText(shown, kShownLineSize, line);
  char* equals = line;
  while (*equals != '\0' && *equals != '=') {
    equals = CharNextA(equals);
  }
  if (*equals == '\0') {
    return Refuse(path, shown, kNoEquals);
  }
  *equals = '\0';
  char* separator = LastSeparator(line);
  if (separator == nullptr) {
    return Refuse(path, shown, kNowhere);
  }
  *separator = '\0';
  InstallItem& item = g_items[count];
  item = {equals + 1, KnownFolder(line), separator + 1};
  if (item.folder == nullptr) {
    return Refuse(path, shown, kNowhere);
  }
  if (!IsPlainName(item.name) || !IsPlainPath(item.source)) {
    return Refuse(path, shown, kNotPlain);
  }
  for (int i = 0; i < count; ++i) {
    if (lstrcmpiA(g_items[i].folder, item.folder) == 0 &&
        lstrcmpiA(g_items[i].name, item.name) == 0) {
      return Refuse(path, shown, kTwice);
    }
  }
  return TRUE;
}

// Puts into path (kPathSize bytes) the description's path: the program's
// own, in setupDir, with .ini for its type. FALSE when it cannot be held.
BOOL FormDescriptionPath(const WCHAR* setupDir, const WCHAR* programName, char* path) {
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
  WCHAR wide[kPathSize];
  lstrcpynW(wide, setupDir, kPathSize);
  wide[folder] = L'\\';
  lstrcpynW(wide + folder + 1, programName, stem + 1);
  lstrcpynW(wide + folder + 1 + stem, kDescriptionType, kTypeLength + 1);
  return AnsiPathFromWide(wide, path);
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

BOOL ReadDescription(const WCHAR* setupDir, const WCHAR* programName) {
  char path[kPathSize];
  if (!FormDescriptionPath(setupDir, programName, path)) {
    ShowProblem(kPathTooLong);
    return FALSE;
  }
  if (!FileExists(path)) {
    return Refuse(path, "[Package]", kMissing);
  }
  DWORD length = GetPrivateProfileStringA("Package", "Name", "", g_name, kNameSize, path);
  if (length == 0) {
    return Refuse(path, "[Package]", kNoName);
  }
  char line[kShownLineSize];
  wsprintfA(line, "Name=%s", g_name);
  if (length >= kNameSize - 1 || !IsPlainName(g_name)) {
    return Refuse(path, line, length >= kNameSize - 1 ? kTooLong : kNotPlain);
  }
  length = GetPrivateProfileStringA("Package", "Title", "", g_title, kTitleSize, path);
  if (length >= kTitleSize - 1) {
    return Refuse(path, "Title", kTooLong);
  }
  if (length == 0) {
    wsprintfA(g_title, kTitleFormat, g_name);
  }
  length = GetPrivateProfileSectionA("Files", g_section, kSectionSize, path);
  if (length >= kSectionSize - 2) {  // the section was cut to fit
    return Refuse(path, "[Files]", kTooLong);
  }
  int count = 0;
  char* next;
  for (char* at = g_section; *at != '\0'; at = next) {
    next = at + lstrlenA(at) + 1;  // before the line is cut in place
    if (*at == ';') {
      continue;  // a comment
    }
    if (count == kMaxItems) {
      return Refuse(path, "[Files]", kTooMany);
    }
    if (!TakeLine(path, at, count)) {
      return FALSE;
    }
    ++count;
  }
  if (count == 0) {
    return Refuse(path, "[Files]", kNoFiles);
  }
  g_described = kDescribedWording;
  g_described.name = g_name;
  g_described.title = g_title;
  g_described.count = count;
  g_described.items = g_items;
  g_package = &g_described;
  return TRUE;
}
