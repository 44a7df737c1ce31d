#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/common.h"
#include "shell/unattended.h"
#include "support/nsis_key.h"
#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

// arguments with "@" standing for the scratch folder.
std::string InScratch(std::string arguments, const ScratchDir& scratch) {
  if (size_t at = arguments.find('@'); at != std::string::npos) {
    arguments.replace(at, 1, scratch.path());
  }
  return arguments;
}

struct Prompt {
  std::string textEnd;  // how the box's text ends
  int button;
};

struct RunCase {
  const char* name;
  const char* arguments;
  bool installedBefore;         // the targets already hold "old"
  int command;                  // IDOK (Install), IDCANCEL, or 0: no dialog is to open
  std::vector<Prompt> prompts;  // in order
  std::vector<std::string> targetsAfter;
  std::vector<int> missing = {};  // the package files left out, by install order
  int exitCode = 0;
};

const std::vector<std::string> kNew(std::begin(kPackageContents), std::end(kPackageContents));
const std::vector<std::string> kUntouched(4, "<missing>");
const Prompt kReplaceYes = {"File already exists. Replace it?", IDYES};
const Prompt kComplete = {"Installation complite", IDOK};

class SetupProgramTest : public testing::TestWithParam<RunCase> {
 protected:
  // Lays the package out in setupDir beside a copy of the program and runs it.
  void RunFrom(const std::string& setupDir) {
    const RunCase& c = GetParam();
    LayOutPackage(setupDir);
    for (int file : c.missing) {
      DeleteFileA((setupDir / kPackageFiles[file]).c_str());
    }
    LayOutNsis(nsis);
    if (c.installedBefore) {
      MarkInstalled(nsis);
    }
    std::string exe = setupDir / "TavrickSetup.exe";
    ASSERT_TRUE(
        CopyFileA((TestProgramFolder() / "..\\TavrickSetup.exe").c_str(), exe.c_str(), FALSE));
    NsisKey key(REG_SZ, NsisKey::Sz(nsis));

    LayOutNsis(scratch / "Other");
    std::string arguments = InScratch(c.arguments, scratch);
    SetupProcess setup(exe, arguments, scratch.path());  // not started from its own folder
    ASSERT_TRUE(setup.started());
    HWND dialog = nullptr;
    if (c.command != 0) {
      dialog = setup.WaitForDialog();
      ASSERT_NE(dialog, nullptr);
      PostMessageA(dialog, WM_COMMAND, c.command, 0);
    }
    for (const Prompt& prompt : c.prompts) {
      std::string text = setup.Answer(dialog, prompt.button);
      ASSERT_GE(text.size(), prompt.textEnd.size()) << text;
      EXPECT_EQ(text.substr(text.size() - std::min(text.size(), prompt.textEnd.size())),
                prompt.textEnd);
    }
    EXPECT_EQ(setup.WaitForExit(), c.exitCode);

    EXPECT_EQ(InstalledContents(nsis), c.targetsAfter);
  }

  ScratchDir scratch;
  std::string nsis = scratch / "NSIS";
};

TEST_P(SetupProgramTest, RunsFromThePackageFolder) {
  RunFrom(scratch / "package");
}

// From a drive's root folder the package paths start with the drive alone.
TEST_P(SetupProgramTest, RunsFromADriveRoot) {
  const char* drive = std::getenv("TAVRICK_ROOT_DRIVE");
  if (drive == nullptr) {
    GTEST_SKIP() << "TAVRICK_ROOT_DRIVE names no spare drive (scripts/test maps one)";
  }
  RunFrom(drive);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SetupProgramTest,
    testing::Values(
        RunCase{"Completed", "", false, IDOK, {kComplete}, kNew},
        RunCase{"CompletedWithArguments",
                "/SILENT /s /D C:\\Elsewhere",
                false,
                IDOK,
                {kComplete},
                kNew},
        // The folder /D= names, not the registry's, is the one installed into.
        RunCase{"FieldFromD", "/D=@\\Other", false, IDOK, {kComplete}, kUntouched},
        RunCase{"ReplacedThenCompleted",
                "",
                true,
                IDOK,
                {kReplaceYes, kReplaceYes, kReplaceYes, kReplaceYes, kComplete},
                kNew},
        RunCase{"StoppedAtTheHeader",
                "",
                true,
                IDOK,
                {kReplaceYes,
                 kReplaceYes,
                 {"File already exists. Replace it?", IDCANCEL},
                 {"Installation aborted", IDOK}},
                {kNew[0], kNew[1], "old", "old"},
                {},
                2},
        RunCase{"Cancelled", "", false, IDCANCEL, {}, kUntouched, {}, 1},
        // The program a dialog's Install started elevated: the usual boxes, no
        // dialog and no completion box, and only the folder it was given.
        RunCase{"Elevated",
                "/E /D=@\\NSIS",
                true,
                0,
                {kReplaceYes, kReplaceYes, kReplaceYes, kReplaceYes},
                kNew},
        RunCase{"ElevatedWithoutAFolder",
                "/E",
                false,
                0,
                {{"/E is the setup's own switch and needs /D=: scripts use /S.", IDOK}},
                kUntouched,
                {},
                2},
        // Typed by hand, the switch checks what /S checks before it writes anything.
        RunCase{"ElevatedIntoAPlainFolder",
                "/E /D=@\\NSIS\\Docs",
                false,
                0,
                {{"This folder holds no makensis.exe.", IDOK}},
                kUntouched,
                {},
                2},
        RunCase{"WithoutTheExample",
                "",
                false,
                IDOK,
                {{"File does not exists. Continue?", IDYES}, kComplete},
                {kNew[0], "<missing>", kNew[2], kNew[3]},
                {1}},
        // A folder such as Downloads, where some other product's readme lies.
        RunCase{"WithOnlyAReadme",
                "",
                false,
                0,
                {{"A network drive is not visible to a setup that runs as administrator.", IDOK}},
                kUntouched,
                {1, 2, 3},
                2},
        // Started from inside a zip, or from a drive it cannot see as administrator.
        RunCase{"WithoutThePackage",
                "",
                false,
                0,
                {{"A network drive is not visible to a setup that runs as administrator.", IDOK}},
                kUntouched,
                {0, 1, 2, 3},
                2}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Unattended runs, as a deployment tool starts them: exit code, files, and
// the lines written to the handles the caller gave.
struct UnattendedCase {
  const char* name;
  const char* arguments;  // "@" stands for the scratch folder
  const char* nsisLeaf;   // where NSIS is, under the scratch folder; the registry names "NSIS"
  // Changes the package and the NSIS folder; may return a handle to hold open.
  HANDLE (*prepare)(const std::string& setupDir, const std::string& nsisDir);
  DWORD exitCode;
  std::vector<std::string> targetsAfter;
  const char* done;              // what each line on the output says of a file
  int doneCount;                 // how many files it names, in install order
  const char* reason = nullptr;  // on failure: a line on standard error ("@": scratch)
  const char* advice = nullptr;  // on success: how the line before the last begins
  bool scanner = false;          // something holds the first temporary file in Include until then
  // A small disk mounted over this folder under NSIS ("": NSIS itself), read-only,
  // or else with room for no new entry; and the program runs with a limited token.
  const char* disk = nullptr;
  bool readOnly = false;
  bool limited = false;
};

constexpr char kNeedsRights[] =
    ": administrator rights are needed to install here: run the setup from an elevated prompt";

// text in the OEM code page, which callers decode the output with, as ANSI.
std::string FromOem(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  std::string ansi(wide.size() * 2, '\0');
  ansi.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                  ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr));
  return ansi;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

HANDLE NoChange(const std::string&, const std::string&) {
  return INVALID_HANDLE_VALUE;
}
HANDLE Installed(const std::string&, const std::string& nsis) {
  MarkInstalled(nsis);
  return INVALID_HANDLE_VALUE;
}

class UnattendedTest : public testing::TestWithParam<UnattendedCase> {};

TEST_P(UnattendedTest, ExitsWithItsResultAndSaysWhatItDid) {
  if (std::getenv("TAVRICK_NO_DISPLAY") == nullptr) {
    GTEST_SKIP() << "setup_program_unattended runs these where no window can be made";
  }
  const UnattendedCase& c = GetParam();
  ScratchDir scratch;
  std::string setupDir = scratch / "package";
  // "": so deep that the first file's path in it is too long; the registry names it.
  std::string nsis = *c.nsisLeaf ? scratch / c.nsisLeaf : PaddedPath(scratch / "NSIS", 240);
  LayOutPackage(setupDir);
  LayOutNsis(nsis);
  MakeFolder(scratch / "plain");
  std::unique_ptr<SmallDisk> disk;
  if (c.disk != nullptr) {
    disk = std::make_unique<SmallDisk>(*c.disk ? nsis / c.disk : nsis, 64, c.readOnly ? 0 : 1);
    ASSERT_TRUE(disk->mounted());
    if (*c.disk == '\0') {
      LayOutNsis(nsis);
    }
    ASSERT_TRUE(!c.readOnly || disk->MakeReadOnly());
  }
  HANDLE token = c.limited ? LimitedToken() : nullptr;
  ASSERT_EQ(token != nullptr, c.limited);
  HANDLE held = c.prepare(setupDir, nsis);
  std::optional<TempFileHolder> scanner;
  if (c.scanner) {
    scanner.emplace(nsis / "Include");
  }
  std::string reason = InScratch(c.reason ? c.reason : "", scratch);
  if (c.reason != nullptr && reason == nsis) {
    reason += kNeedsRights;  // the line that asks for an elevated prompt
  }
  if (!*c.nsisLeaf) {
    reason = (nsis / kInstalledFiles[0]).substr(0, MAX_PATH - 1) + ": the path is too long";
  }
  std::string exe = setupDir / "TavrickSetup.exe";
  ASSERT_TRUE(
      CopyFileA((TestProgramFolder() / "..\\TavrickSetup.exe").c_str(), exe.c_str(), FALSE));
  NsisKey key(REG_SZ, NsisKey::Sz(*c.nsisLeaf ? scratch / "NSIS" : nsis));
  std::string arguments = InScratch(c.arguments, scratch);
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE files[2];
  for (int i = 0; i < 2; ++i) {
    files[i] = CreateFileA((scratch / (i ? "err.txt" : "out.txt")).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
  }
  {
    SetupProcess setup(Widen(exe), arguments, scratch.path(), files[0], files[1], token);
    // The scanner lets go once the copy has failed, before the run ends.
    for (DWORD start = GetTickCount();
         c.scanner && GetTickCount() - start < 15000 &&
         ReadFile(scratch / "err.txt").find(reason) == std::string::npos;) {
      Sleep(5);
    }
    if (scanner) {
      scanner->Release();
    }
    EXPECT_EQ(setup.WaitForExit(), static_cast<int>(c.exitCode));
  }
  CloseHandle(files[0]);
  CloseHandle(files[1]);
  CloseHandle(held);
  CloseHandle(token);
  SetEnvironmentVariableA("NSISDIR", nullptr);

  EXPECT_EQ(InstalledContents(nsis), c.targetsAfter);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(nsis)) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
  std::vector<std::string> out;
  for (int i = 0; i < c.doneCount; ++i) {
    out.push_back(nsis / kInstalledFiles[i] + ": " + c.done);
  }
  if (c.advice != nullptr) {
    out.push_back(c.advice);
  }
  if (c.reason == nullptr) {
    out.push_back("Installation complite");
  }
  std::vector<std::string> lines = Lines(FromOem(ReadFile(scratch / "out.txt")));
  if (c.advice != nullptr && lines.size() == out.size()) {
    lines[c.doneCount].resize(std::strlen(c.advice));
  }
  EXPECT_EQ(lines, out);
  std::vector<std::string> err = Lines(FromOem(ReadFile(scratch / "err.txt")));
  if (c.reason == nullptr) {
    EXPECT_TRUE(err.empty()) << err[0];
  } else {
    ASSERT_FALSE(err.empty());
    EXPECT_NE(std::find(err.begin(), err.end(), reason), err.end())
        << ReadFile(scratch / "err.txt");
    EXPECT_EQ(err.back(), "Installation aborted");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, UnattendedTest,
    testing::Values(
        UnattendedCase{"Fresh", "/S", "NSIS", NoChange, 0, kNew, "installed", 4},
        UnattendedCase{"OverOlderFiles", "/S", "NSIS", Installed, 0, kNew, "replaced", 4},
        UnattendedCase{"OverAReadOnlyFile", "/S", "NSIS",
                       [](const std::string&, const std::string& nsis) {
                         MarkInstalled(nsis);
                         SetFileAttributesA((nsis / kInstalledFiles[2]).c_str(),
                                            FILE_ATTRIBUTE_READONLY);
                         return INVALID_HANDLE_VALUE;
                       },
                       0, kNew, "replaced", 4},
        UnattendedCase{"DeepFolder", "/S", "", NoChange, 2, kUntouched, "", 0, ""},
        UnattendedCase{"ReceiptCannotBeWritten", "/S", "NSIS",
                       [](const std::string&, const std::string& nsis) {
                         MakeFolder(nsis / "Docs\\Tavrick\\setup-receipt.txt");
                         return INVALID_HANDLE_VALUE;
                       },
                       2, kNew, "installed", 4,
                       "@\\NSIS\\Docs\\Tavrick\\setup-receipt.txt: Access denied."},
        UnattendedCase{"FolderWithSpaces", "extra /S /D=@\\NSIS with spaces", "NSIS with spaces",
                       NoChange, 0, kNew, "installed", 4},
        // The lines are in the OEM code page, as a console or PowerShell decodes them.
        UnattendedCase{"NonAsciiFolder", "/S /D=@\\NSIS-caf\xe9", "NSIS-caf\xe9", NoChange, 0, kNew,
                       "installed", 4},
        UnattendedCase{"NoNsisAnywhere", "/S", "elsewhere", NoChange, 2, kUntouched, "", 0,
                       "No folder that holds makensis.exe was found: name it with /D=."},
        UnattendedCase{"EmptyD", "/S /D=", "NSIS", NoChange, 2, kUntouched, "", 0,
                       "/D= names no folder."},
        // makensis would read another folder: the completion's note goes to the output.
        UnattendedCase{"NsisDirElsewhere", "/S", "NSIS",
                       [](const std::string& setupDir, const std::string&) {
                         SetEnvironmentVariableA("NSISDIR", (setupDir / "..\\plain").c_str());
                         return INVALID_HANDLE_VALUE;
                       },
                       0, kNew, "installed", 4, nullptr, "NSISDIR is set: makensis reads"},
        UnattendedCase{"RelativeD", "/S /D=NSIS", "NSIS", NoChange, 2, kUntouched, "", 0,
                       "/D= takes a full path, such as C:\\NSIS or \\\\server\\share\\NSIS."},
        UnattendedCase{"DNamesAFile", "/S /D=@\\NSIS\\makensis.exe", "NSIS", NoChange, 2,
                       kUntouched, "", 0,
                       "@\\NSIS\\makensis.exe: names a file, not the NSIS folder"},
        UnattendedCase{"FolderWithoutMakensis", "/S /D=@\\plain", "NSIS", NoChange, 2, kUntouched,
                       "", 0, "This folder holds no makensis.exe."},
        UnattendedCase{"WithoutAPackageFile", "/S", "NSIS",
                       [](const std::string& setupDir, const std::string&) {
                         DeleteFileA((setupDir / kPackageFiles[3]).c_str());
                         return INVALID_HANDLE_VALUE;
                       },
                       2, kUntouched, "", 0,
                       "@\\package\\Plugin\\Tavrick.dll: missing from the package"},
        UnattendedCase{"PackageOutOfReach", "/S", "NSIS",
                       [](const std::string& setupDir, const std::string&) {
                         for (const char* file : kPackageFiles) {
                           DeleteFileA((setupDir / file).c_str());
                         }
                         return INVALID_HANDLE_VALUE;
                       },
                       2, kUntouched, "", 0,
                       "The package's files cannot be found beside TavrickSetup.exe."},
        UnattendedCase{"HeldTarget",
                       "/S",
                       "NSIS",
                       [](const std::string&, const std::string& nsis) {
                         MarkInstalled(nsis);
                         return CreateFileA((nsis / kInstalledFiles[2]).c_str(), GENERIC_READ, 0,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
                       },
                       2,
                       {kNew[0], kNew[1], "old", "old"},
                       "replaced",
                       2,
                       "@\\NSIS\\Include\\Tavrick.nsh: Sharing violation.",
                       nullptr,
                       true},
        // Rights: a standard user's own folder installs; one only an administrator
        // may write to stops before anything is written, unless the run has
        // those rights already, and only "access denied" asks for them.
        UnattendedCase{"LimitedIntoWritable", "/S", "NSIS", NoChange, 0, kNew, "installed", 4,
                       nullptr, nullptr, false, nullptr, false, true},
        UnattendedCase{"LimitedIntoReadOnly", "/S /D=@\\NSIS", "NSIS", NoChange, 2, kUntouched, "",
                       0, "@\\NSIS", nullptr, false, "", true, true},
        UnattendedCase{"FullIntoReadOnly", "/S /D=@\\NSIS", "NSIS", NoChange, 2, kUntouched, "", 0,
                       "@\\NSIS\\Docs\\Tavrick\\Readme.txt: Access denied.", nullptr, false, "",
                       true},
        UnattendedCase{"LimitedPluginsReadOnly", "/S /D=@\\NSIS", "NSIS", NoChange, 2, kUntouched,
                       "", 0, "@\\NSIS", nullptr, false, "Plugins", true, true},
        UnattendedCase{"LimitedMissingDocsUnderReadOnly", "/S /D=@\\NSIS", "NSIS", NoChange, 2,
                       kUntouched, "", 0, "@\\NSIS", nullptr, false, "Docs", true, true},
        UnattendedCase{"LimitedOntoAFullDisk", "/S /D=@\\NSIS", "NSIS", NoChange, 2, kUntouched, "",
                       0, "@\\NSIS\\Docs\\Tavrick\\Readme.txt: Disk full.", nullptr, false, "Docs",
                       false, true}),
    [](const testing::TestParamInfo<UnattendedCase>& info) {
      return std::string(info.param.name);
    });

// The command line as NSIS installers read it.
struct CommandLineCase {
  const wchar_t* line;
  BOOL unattended;
  const char* folder;   // nullptr: no /D=
  const char* problem;  // nullptr: the folder can be used
  BOOL remove = FALSE;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ReadsWhatNsisInstallersRead) {
  const CommandLineCase& c = GetParam();
  char folder[kPathSize];
  Arguments arguments = ReadArguments(c.line, folder);
  EXPECT_EQ(arguments.unattended, c.unattended);
  EXPECT_STREQ(arguments.folder, c.folder);
  EXPECT_STREQ(arguments.problem, c.problem);
  EXPECT_EQ(arguments.remove, c.remove);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(CommandLineCase{L"\"C:\\A B\\TavrickSetup.exe\"/S", TRUE, nullptr, nullptr},
                    CommandLineCase{L"\"C:\\A B\\TavrickSetup.exe\" /S", TRUE, nullptr, nullptr},
                    CommandLineCase{L"TavrickSetup.exe \"/S\"", FALSE, nullptr, nullptr},
                    CommandLineCase{L"x /S /D=C:\\NSIS \t\\ \\", TRUE, "C:\\NSIS", nullptr},
                    CommandLineCase{L"x /D=C:\\\\ ", FALSE, "C:\\", nullptr},
                    CommandLineCase{L"x /REMOVE", FALSE, nullptr, nullptr, TRUE},
                    CommandLineCase{L"x /REMOVED /S", TRUE, nullptr, nullptr, FALSE},
                    CommandLineCase{L"x /S /D=\"C:\\NSIS\"", TRUE, "\"C:\\NSIS\"",
                                    "/D= takes the folder without quotes."},
                    CommandLineCase{L"x /S /D=C:\\\u4e2d", TRUE, "",
                                    "/D= names a folder that is too long or holds characters "
                                    "this system cannot use."}));

}  // namespace

namespace {

// The package unpacked under a folder whose name the code page cannot hold, or
// that a best-fit conversion would read as "\..": the program installs its own
// package, never the decoy one folder up.
class FolderNameTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(FolderNameTest, InstallsTheProgramsOwnPackage) {
  ScratchDir scratch;
  std::string nsis = scratch / "NSIS";
  LayOutNsis(nsis);
  for (const char* file : kPackageFiles) {
    WriteFile(scratch / file, "decoy");
  }
  MakeFolder(scratch / "outer");
  std::wstring package = Widen(scratch / "outer") + L"\\" + GetParam();
  ASSERT_TRUE(CreateDirectoryW(package.c_str(), nullptr));
  WCHAR plain[MAX_PATH];  // the same folder by its short name, to lay the package out
  ASSERT_GT(GetShortPathNameW(package.c_str(), plain, MAX_PATH), 0u);
  LayOutPackage(std::string(plain, plain + lstrlenW(plain)));
  std::wstring exe = package + L"\\TavrickSetup.exe";
  ASSERT_TRUE(
      CopyFileW(Widen(TestProgramFolder() / "..\\TavrickSetup.exe").c_str(), exe.c_str(), FALSE));
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));

  SetupProcess setup(exe, "", scratch.path());
  ASSERT_TRUE(setup.started());
  HWND dialog = setup.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(setup.Answer(dialog, IDOK), "Installation complite");
  EXPECT_EQ(setup.WaitForExit(), 0);
  EXPECT_EQ(InstalledContents(nsis), kNew);
}

INSTANTIATE_TEST_SUITE_P(Names, FolderNameTest,
                         testing::Values(L"\u041f\u0451\u0442\u0440", L"\uff0e\uff0e"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return std::string(info.index == 0 ? "Cyrillic" : "LookAlike");
                         });

class SetupProgramEdgeTest : public testing::Test {
 protected:
  std::string CopyProgramTo(const std::string& folder) {
    LayOutPackage(folder);
    std::string exe = folder / "TavrickSetup.exe";
    EXPECT_TRUE(
        CopyFileA((TestProgramFolder() / "..\\TavrickSetup.exe").c_str(), exe.c_str(), FALSE));
    return exe;
  }

  ScratchDir scratch;
};

// A dialog template of a window class that does not exist: creating it fails.
std::vector<WORD> UncreatableTemplate() {
  std::vector<WORD> words = {LOWORD(WS_POPUP | WS_VISIBLE),
                             HIWORD(WS_POPUP | WS_VISIBLE),
                             0,
                             0,
                             0,
                             0,
                             0,
                             0,
                             0,
                             0};  // no controls, no menu
  for (const char* c = "NoSuchClass"; *c; ++c) {
    words.push_back(static_cast<WORD>(*c));
  }
  words.push_back(0);  // end of the class name
  words.push_back(0);  // empty title
  return words;
}

TEST_F(SetupProgramEdgeTest, WhenTheDialogCannotBeCreatedTheProgramEndsAtOnce) {
  std::string exe = CopyProgramTo(scratch / "broken");
  std::vector<WORD> dialog = UncreatableTemplate();
  HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(1002),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), dialog.data(),
                              static_cast<DWORD>(dialog.size() * sizeof(WORD))));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));

  SetupProcess setup(exe, "", scratch.path());
  ASSERT_TRUE(setup.started());
  EXPECT_EQ(setup.WaitForExit(), 2);
}

}  // namespace

namespace {

// PluginSetup.exe, renamed as a plug-in's author ships it, run with /S against
// its description: what lands in NSIS, the exit code, and a line it writes.
struct DescribedCase {
  const char* name;
  std::string description;              // WidgetSetup.ini; "" for none
  std::vector<std::string> files;       // the package's files, each holding its own name
  std::vector<const char*> pluginDirs;  // NSIS 3's plug-in folders; none for NSIS 2
  int exitCode;
  std::vector<std::string> installed;  // "file=content" under NSIS
  std::string
      says;  // what it writes besides a line per file and its last line, "@" for the scratch
};

const std::string kWidget = "[Package]\r\nName=Widget\r\n[Files]\r\n";
const std::vector<const char*> kNsis3 = {"x86-ansi", "x86-unicode", "amd64-unicode"};
const std::vector<const char*> kNsis2 = {};
const std::vector<std::string> kNothing = {};

class DescribedPackageTest : public testing::TestWithParam<DescribedCase> {};

TEST_P(DescribedPackageTest, InstallsWhatItsDescriptionSays) {
  const DescribedCase& c = GetParam();
  ScratchDir scratch;
  std::string setupDir = scratch / "package";
  std::string nsis = scratch / "NSIS";
  LayOutNsis(nsis);
  for (const char* folder : c.pluginDirs) {
    MakeFolder(nsis / "Plugins" / folder);
  }
  for (const std::string& file : c.files) {
    WriteFile(setupDir / file, file);
  }
  if (c.description.rfind("\xFF\xFE", 0) == 0) {  // UTF-16 with its mark, from UTF-8
    std::wstring wide(c.description.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, c.description.data() + 2,
                                    static_cast<int>(c.description.size() - 2), wide.data(),
                                    static_cast<int>(wide.size())));
    WriteFile(
        setupDir / "WidgetSetup.ini",
        "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), 2 * wide.size()));
  } else if (!c.description.empty()) {
    WriteFile(setupDir / "WidgetSetup.ini", c.description);
  }
  std::string exe = setupDir / "WidgetSetup.exe";
  ASSERT_TRUE(CopyFileA((TestProgramFolder() / "..\\PluginSetup.exe").c_str(), exe.c_str(), FALSE));
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE output = CreateFileA((scratch / "out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              &inherited, CREATE_ALWAYS, 0, nullptr);
  {
    SetupProcess setup(Widen(exe), "/S /D=" + nsis, scratch.path(), output, output);
    EXPECT_EQ(setup.WaitForExit(), c.exitCode);
  }
  CloseHandle(output);
  std::vector<std::string> installed;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(nsis)) {
    std::wstring wide = entry.path().wstring();
    std::string path(wide.size() * 2, '\0');  // in the code page, as the program names it
    path.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                    path.data(), static_cast<int>(path.size()), nullptr, nullptr));
    std::string file = path.substr(nsis.size() + 1);
    if (entry.is_regular_file() && file != "makensis.exe" &&
        entry.path().filename() != "setup-receipt.txt") {
      installed.push_back(file + "=" + ReadFile(path));
    }
  }
  std::sort(installed.begin(), installed.end());
  EXPECT_EQ(installed, c.installed);
  std::vector<std::string> said;
  for (const std::string& line : Lines(ReadFile(scratch / "out.txt"))) {
    if (!line.empty() &&
        line.substr(line.size() - std::min<size_t>(line.size(), 11)) != ": installed") {
      said.push_back(line);
    }
  }
  std::vector<std::string> expected;
  std::string says = InScratch(c.says, scratch);
  for (size_t start = 0, end; start < says.size(); start = end + 1) {
    end = std::min(says.find('\n', start), says.size());
    if (end > start) {
      expected.push_back(says.substr(start, end - start));
    }
  }
  expected.push_back(c.exitCode == 0 ? "Installation complete" : "Installation aborted");
  EXPECT_EQ(said, expected);
}

// A package whose name and file are accented, described in an encoding that
// mark begins (UTF-16 written from this UTF-8), its file in the code page.
DescribedCase Accented(const char* name, const std::string& mark) {
  return {name,
          mark +
              "[Package]\r\nName=W\xC3\xAF"
              "dget\r\n[Files]\r\nInclude\\W\xC3\xAF.nsh=L\xC3\xA9.nsh\r\n" +
              "Docs\\W\xC3\xAF"
              "dget\\Readme.txt=Widget.nsh",
          {"L\xE9.nsh", "Widget.nsh"},
          kNsis3,
          0,
          {"Docs\\W\xEF"
           "dget\\Readme.txt=Widget.nsh",
           "Include\\W\xEF.nsh=L\xE9.nsh"},
          ""};
}

// Without /S, a description that cannot be used is told in a box, under the
// neutral caption, before any window.
TEST(DescribedPackageBoxTest, TellsWhyInABox) {
  ScratchDir scratch;
  std::string exe = scratch / "WidgetSetup.exe";
  ASSERT_TRUE(CopyFileA((TestProgramFolder() / "..\\PluginSetup.exe").c_str(), exe.c_str(), FALSE));
  SetupProcess setup(exe, "", scratch.path());
  ASSERT_TRUE(setup.started());
  EXPECT_EQ(setup.Answer(nullptr, IDOK, "NSIS plug-in setup"),
            scratch /
                "WidgetSetup.ini: no such file: the setup installs what this description "
                "beside it lists");
  EXPECT_EQ(setup.WaitForExit(), 2);
}

// Packed by /PACK, then started alone under a browser's name for a second
// download, through its dialog.
TEST(CarriedPackageTest, InstallsThroughItsDialog) {
  ScratchDir scratch;
  std::string author = scratch / "author";
  std::string packed = scratch / "Downloads" / "WidgetSetup (1).exe";
  std::string nsis = scratch / "NSIS";
  LayOutNsis(nsis);
  MakeFolder(nsis / "Plugins" / "x86-ansi");
  MakeFolder(scratch / "Downloads");
  WriteFile(author / "WidgetSetup.ini", kWidget + "Include\\Widget.nsh=Widget.nsh\r\n");
  WriteFile(author / "Widget.nsh", "Widget.nsh");
  ASSERT_TRUE(CopyFileA((TestProgramFolder() / "..\\PluginSetup.exe").c_str(),
                        (author / "WidgetSetup.exe").c_str(), FALSE));
  {
    SetupProcess pack(author / "WidgetSetup.exe", "/PACK=" + packed, scratch.path());
    ASSERT_EQ(pack.WaitForExit(), 0);
  }
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  SetupProcess setup(packed, "", scratch.path());
  HWND dialog = setup.WaitForWindow("Widget plug-in setup");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(setup.Answer(dialog, IDOK, "Widget plug-in setup"), "Installation complete");
  EXPECT_EQ(setup.WaitForExit(), 0);
  EXPECT_EQ(ReadFile(nsis / "Include" / "Widget.nsh"), "Widget.nsh");
}

// Where the plug-ins of each layout real distributions ship go.
INSTANTIATE_TEST_SUITE_P(
    Layouts, DescribedPackageTest,
    testing::Values(
        DescribedCase{
            "ThreeTargets",
            std::string(kWidget) +
                "Plugins\\x86-ansi\\Widget.dll=Plugins\\x86-ansi\\Widget.dll\r\n"
                "Plugins\\x86-unicode\\Widget.dll=Plugins\\x86-unicode\\Widget.dll\r\n"
                "Plugins\\amd64-unicode\\Widget.dll=Plugins\\amd64-unicode\\Widget.dll\r\n"
                "Include\\Widget.nsh=Widget.nsh\r\nDocs\\Widget\\Readme.txt=Readme.txt\r\n"
                "Examples\\Widget\\Widget.nsi=Examples\\Widget.nsi\r\n",
            {"Plugins\\x86-ansi\\Widget.dll", "Plugins\\x86-unicode\\Widget.dll",
             "Plugins\\amd64-unicode\\Widget.dll", "Widget.nsh", "Readme.txt",
             "Examples\\Widget.nsi"},
            kNsis3,
            0,
            {"Docs\\Widget\\Readme.txt=Readme.txt",
             "Examples\\Widget\\Widget.nsi=Examples\\Widget.nsi", "Include\\Widget.nsh=Widget.nsh",
             "Plugins\\amd64-unicode\\Widget.dll=Plugins\\amd64-unicode\\Widget.dll",
             "Plugins\\x86-ansi\\Widget.dll=Plugins\\x86-ansi\\Widget.dll",
             "Plugins\\x86-unicode\\Widget.dll=Plugins\\x86-unicode\\Widget.dll"},
            ""},
        DescribedCase{
            "HeaderAtTheRootTwoTargets",
            kWidget + "Include\\Widget.nsh=Widget.nsh\r\n"
                      "Plugins\\x86-ansi\\Widget.dll=ansi\\Widget.dll\r\n"
                      "Plugins\\x86-unicode\\Widget.dll=unicode\\Widget.dll\r\n",
            {"Widget.nsh", "ansi\\Widget.dll", "unicode\\Widget.dll"},
            {"x86-unicode"},
            0,
            {"Include\\Widget.nsh=Widget.nsh", "Plugins\\x86-ansi\\Widget.dll=ansi\\Widget.dll",
             "Plugins\\x86-unicode\\Widget.dll=unicode\\Widget.dll"},
            ""},
        DescribedCase{"RenamedUnicodeDll",
                      kWidget + "Plugins\\x86-unicode\\Widget.dll=WidgetW.dll\r\n",
                      {"WidgetW.dll"},
                      kNsis3,
                      0,
                      {"Plugins\\x86-unicode\\Widget.dll=WidgetW.dll"},
                      ""},
        DescribedCase{"OneDllForTwoTargets",
                      kWidget + "Plugins\\x86-ansi\\Widget.dll=Widget.dll\r\n" +
                          "Plugins\\x86-unicode\\Widget.dll=Widget.dll\r\n",
                      {"Widget.dll"},
                      kNsis3,
                      0,
                      {"Plugins\\x86-ansi\\Widget.dll=Widget.dll",
                       "Plugins\\x86-unicode\\Widget.dll=Widget.dll"},
                      ""},
        DescribedCase{"AnsiOnlyIntoNsis2",
                      kWidget + "Plugins\\x86-ansi\\Widget.dll=Widget.dll\r\n",
                      {"Widget.dll"},
                      kNsis2,
                      0,
                      {"Plugins\\Widget.dll=Widget.dll"},
                      ""},
        DescribedCase{"AnsiOnlyIntoNsis3",
                      kWidget + "Plugins\\x86-ansi\\Widget.dll=Widget.dll\r\n",
                      {"Widget.dll"},
                      {"x86-unicode"},
                      0,
                      {"Plugins\\x86-ansi\\Widget.dll=Widget.dll"},
                      "Widget is an ANSI plug-in: a script that uses it needs the line \"Target "
                      "x86-ansi\" at its top, as NSIS 3.07 and later build Unicode installers "
                      "otherwise (a 32-bit makensis also takes \"Unicode false\")."},
        DescribedCase{"TwoTargetsIntoNsis2",
                      kWidget + "Plugins\\x86-ansi\\Widget.dll=Widget.dll\r\n" +
                          "Plugins\\amd64-unicode\\Widget.dll=Widget.dll\r\n",
                      {"Widget.dll"},
                      kNsis2,
                      0,
                      {"Plugins\\Widget.dll=Widget.dll"},
                      "NSIS 2 loads ANSI plug-ins only: Widget's Unicode and 64-bit plug-ins were "
                      "not installed."},
        DescribedCase{"UnicodeOnlyIntoNsis2",
                      kWidget + "Include\\Widget.nsh=Widget.nsh\r\n" +
                          "Plugins\\x86-unicode\\Widget.dll=Widget.dll\r\n",
                      {"Widget.nsh", "Widget.dll"},
                      kNsis2,
                      2,
                      kNothing,
                      "@\\NSIS: is NSIS 2, which loads none of these plug-ins"},
        DescribedCase{
            "AnsiAnd64BitIntoNsis3",
            kWidget + "Plugins\\x86-ansi\\Widget.dll=Widget.dll\r\n" +
                "Plugins\\amd64-unicode\\Widget.dll=Widget.dll\r\n",
            {"Widget.dll"},
            kNsis3,
            0,
            {"Plugins\\amd64-unicode\\Widget.dll=Widget.dll",
             "Plugins\\x86-ansi\\Widget.dll=Widget.dll"},
            "Widget has no 32-bit Unicode plug-in: a 32-bit script that uses it needs the "
            "line \"Target x86-ansi\" at its top, as NSIS 3.07 and later build Unicode "
            "installers otherwise; a 64-bit script needs no such line."},
        DescribedCase{
            "DocsWithPictures",
            kWidget + "Docs\\Widget\\img\\x.png=doc/img/x.png\r\n" +
                "Examples\\Widget\\res\\a.ini=a.ini\r\nInclude\\Widget.nsh=Widget.nsh\r\n",
            {"doc\\img\\x.png", "a.ini", "Widget.nsh"},
            kNsis3,
            0,
            {"Docs\\Widget\\img\\x.png=doc\\img\\x.png", "Examples\\Widget\\res\\a.ini=a.ini",
             "Include\\Widget.nsh=Widget.nsh"},
            ""},
        DescribedCase{
            "OnlyItsDocumentsBesideIt",
            kWidget + "Docs\\Widget\\Readme.txt=Readme.txt\r\n" +
                "Include\\Widget.nsh=Widget.nsh\r\n",
            {"Readme.txt"},
            kNsis3,
            2,
            kNothing,
            "The package's files cannot be found beside the setup program.\n"
            "Extract the whole package, with the folders that its description names, to a "
            "folder on this computer and start the setup from there. A network drive is "
            "not visible to a setup that runs as administrator."},
        DescribedCase{"SixtyFourBitOnlyIntoNsis3",
                      kWidget + "Plugins\\amd64-unicode\\Widget.dll=Widget.dll\r\n",
                      {"Widget.dll"},
                      kNsis3,
                      0,
                      {"Plugins\\amd64-unicode\\Widget.dll=Widget.dll"},
                      "Widget has 64-bit plug-ins only: a script that uses it needs the line "
                      "\"Target amd64-unicode\" at its top, and a 64-bit makensis."},
        Accented("Utf8WithoutMark", ""), Accented("Utf8WithMark", "\xEF\xBB\xBF"),
        Accented("Utf16WithMark", "\xFF\xFE")),
    [](const testing::TestParamInfo<DescribedCase>& info) { return std::string(info.param.name); });

// A description that cannot be used: nothing is written, and the description,
// the line at fault and what is wrong with it are named.
DescribedCase Refused(const char* name, const std::string& description, const std::string& says,
                      std::vector<std::string> files = {"Widget.nsh"}) {
  return {name, description, files, kNsis3, 2, kNothing, "@\\package\\WidgetSetup.ini: " + says};
}

// The same, for the first line of files, the description's fourth.
DescribedCase Unusable(const char* name, const std::string& files, const std::string& why,
                       std::vector<std::string> present = {"Widget.nsh"}) {
  return Refused(name, kWidget + files, "line 4: " + files.substr(0, files.find('\r')) + ": " + why,
                 present);
}

std::string ManyLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    lines += "Include\\W" + std::to_string(i) + ".nsh=Widget.nsh\r\n";
  }
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Unusable, DescribedPackageTest,
    testing::Values(
        Refused("NoDescription", "",
                "no such file: the setup installs what this description "
                "beside it lists"),
        Refused("DescriptionIsAFolder", "", "Access denied.", {"WidgetSetup.ini\\Widget.nsh"}),
        Refused("NoName", "[Files]\r\nInclude\\Widget.nsh=Widget.nsh", "[Package]: has no Name"),
        Refused("NameThatClimbs", "[Package]\r\nName=..\r\n",
                "line 2: Name=..: '..' leaves the package's folders"),
        Refused("SecondFilesSection", kWidget + "Include\\W.nsh=Widget.nsh\r\n[Files]\r\n",
                "line 5: [Files]: repeats the section of line 3"),
        Refused("KeyBeforeAnySection", "Name=Widget\r\n" + kWidget,
                "line 1: Name=Widget: comes before the first [section]"),
        Refused("NameLongerThanItHolds", "[Package]\r\nName=" + std::string(63, 'w'),
                "line 2: Name=" + std::string(63, 'w') + ": is too long"),
        Refused("NameTwice", "[Package]\r\nName=Widget\r\nName=Other\r\n",
                "line 3: Name=Other: repeats the key of line 2"),
        Refused("NsisOwnDocs", "[Package]\r\nname = System\r\n",
                "line 2: name=System: 'System' is NSIS's own folder"),
        Refused("NulByte", std::string("[Package]\r\nName=Wid\0get\r\n", 25),
                "line 2: holds a NUL byte: save it as UTF-8 text"),
        Refused("CharacterTheCodePageLacks", "\xFF\xFE[Package]\r\nName=Widget \xE2\x9C\x93\r\n",
                "line 2: holds a character the code page lacks"),
        Unusable("AnotherPackagesDocs", "Docs\\Other\\Readme.txt=Widget.nsh",
                 "goes nowhere: Include, Docs\\<Name>, Examples\\<Name>, Plugins\\x86-ansi, "
                 "Plugins\\x86-unicode or Plugins\\amd64-unicode, then the file's name"),
        Unusable("DestinationClimbs", "Docs\\Widget\\..\\..\\Widget.nsh=Widget.nsh",
                 "'..' leaves the package's folders"),
        Unusable("SourceOnADrive", "Include\\Widget.nsh=C:\\Widget.nsh",
                 "'C:' holds ':', which file names cannot hold"),
        Unusable("SourceAtTheRoot", "Include\\Widget.nsh=\\Widget.nsh",
                 "holds an empty name: \\\\, or \\ at an end"),
        Unusable("ADevice", "Include\\Widget.nsh=Include\\NUL.nsh", "'NUL.nsh' is a device's name"),
        Unusable("ANumberedDevice", "Include\\com1=Widget.nsh", "'com1' is a device's name"),
        Unusable("TrailingDot", "Include\\Widget.nsh.=Widget.nsh",
                 "'Widget.nsh.' ends in a dot or a blank, which Windows drops"),
        Unusable("NoEquals", "Include\\Widget.nsh", "is no [section], key=value or ;comment"),
        Refused("TheSameDestinationTwice",
                kWidget + "Include\\Widget.nsh=Widget.nsh\r\ninclude/WIDGET.nsh=W",
                "line 5: include/WIDGET.nsh=W: names an earlier line's destination"),
        Unusable("NsisOwnPlugin", "Plugins\\x86-ansi\\system.DLL=Widget.nsh",
                 "'system.DLL' is NSIS's own file"),
        Unusable("ShortNameOfNsisOwnHeader", "Include\\LOGICL~1.NSH=Widget.nsh",
                 "'LOGICL~1.NSH' looks like a short (8.3) name, which may stand for another file"),
        Unusable("TheReceiptsName", "Docs\\Widget\\Setup-Receipt.txt=Widget.nsh",
                 "'Setup-Receipt.txt' is the name of the setup's receipt"),
        Unusable("SourceIsAFolder", "Plugins\\x86-ansi\\Widget.dll=Plugin",
                 "'Plugin' is a folder, not a file", {"Plugin\\Widget.dll"}),
        Unusable("NameLongerThanAPath", "Include\\" + std::string(250, 'w') + "=Widget.nsh",
                 "is longer than a path can be"),
        Refused("NoFiles", kWidget, "[Files]: lists no file"),
        Refused("MoreLinesThanItHolds", kWidget + ManyLines(33),
                "[Files]: lists more than 32 files"),
        Refused("LongerThanItsBuffer", kWidget + std::string(17000, ';'), "is longer than 16 KB")),
    [](const testing::TestParamInfo<DescribedCase>& info) { return std::string(info.param.name); });

// Install, then remove: what the NSIS folder holds before the install comes
// back, byte for byte, but for a file changed since.
enum Change { kNone, kSame, kOld, kChanged, kDeleted, kHeld, kNoReceipt, kNewVersion };

struct RemovalCase {
  const char* name;
  bool widget;  // PluginSetup.exe with its Widget package, or TavrickSetup.exe
  bool nsis3;
  Change before;                // the header in NSIS before the install
  std::vector<Prompt> install;  // the dialog's boxes, each answered; none: /S
  Change after;                 // after the install, and while removing
  const char* remove;           // the removal's arguments, before /D=
  std::vector<Prompt> removal;  // its boxes
  int exitCode;
  const char* says;          // part of its output
  std::string receipt = "";  // written over the receipt after the install
  int installCode = 0;
};

std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    std::string path = entry.path().string();
    tree[path.substr(folder.size() + 1)] = entry.is_directory() ? "<folder>" : ReadFile(path);
  }
  return tree;
}

class RemovalTest : public testing::TestWithParam<RemovalCase> {
 protected:
  // Runs the setup with arguments and /D=, through the dialog named caption
  // where it answers prompts; its output, when it has no dialog, goes to out.txt.
  int Run(const char* arguments, const std::vector<Prompt>& prompts, const std::string& caption) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE out = CreateFileA((scratch / "out.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &inherited, CREATE_ALWAYS, 0, nullptr);
    SetupProcess setup(Widen(exe), std::string(arguments) + " /D=" + nsis, scratch.path(), out,
                       out);
    HWND dialog = nullptr;
    if (std::strstr(arguments, "/S") == nullptr && std::strstr(arguments, "/E") == nullptr) {
      dialog = setup.WaitForWindow(caption);
      char button[16] = "";
      GetDlgItemTextA(dialog, IDOK, button, sizeof button);
      EXPECT_STREQ(button, std::strstr(arguments, "/REMOVE") ? "&Remove" : "&Install");
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    for (const Prompt& prompt : prompts) {
      std::string text = setup.Answer(dialog, prompt.button, title.c_str());
      EXPECT_NE(text.find(prompt.textEnd), std::string::npos) << text;
    }
    int code = setup.WaitForExit();
    CloseHandle(out);
    return code;
  }

  ScratchDir scratch;
  std::string setupDir = scratch / "package";
  std::string nsis = scratch / "NSIS";
  std::string exe, title;
};

TEST_P(RemovalTest, GivesBackTheFolderAsItWas) {
  const RemovalCase& c = GetParam();
  LayOutNsis(nsis);
  for (const char* folder : c.nsis3 ? kNsis3 : kNsis2) {
    MakeFolder(nsis / "Plugins" / folder);
  }
  std::string header = c.widget ? "Include\\Widget.nsh" : "Include\\Tavrick.nsh";
  std::string source = setupDir / (c.widget ? "Widget.nsh" : header);
  if (c.widget) {
    for (const char* file : {"Widget.nsh", "A.dll", "U.dll", "Widget.nsi"}) {
      WriteFile(setupDir / file, file);
    }
    WriteFile(setupDir / "WidgetSetup.ini",
              kWidget +
                  "Include\\Widget.nsh=Widget.nsh\r\nPlugins\\x86-ansi\\Widget.dll=A.dll\r\n"
                  "Plugins\\x86-unicode\\Widget.dll=U.dll\r\n"
                  "Examples\\Widget\\Deep\\Widget.nsi=Widget.nsi\r\n");
  } else {
    LayOutPackage(setupDir);
  }
  exe = setupDir / (c.widget ? "WidgetSetup.exe" : "TavrickSetup.exe");
  title = c.widget ? "Widget plug-in setup" : SETUP_TITLE;
  ASSERT_TRUE(CopyFileA(
      (TestProgramFolder() / ".." / (c.widget ? "PluginSetup.exe" : "TavrickSetup.exe")).c_str(),
      exe.c_str(), FALSE));
  if (c.before != kNone) {
    WriteFile(nsis / header, c.before == kSame ? ReadFile(source) : "old");
  }
  auto before = Tree(nsis);
  ASSERT_EQ(Run(c.install.empty() ? "/S" : "", c.install, title), c.installCode)
      << ReadFile(scratch / "out.txt");
  std::string receipt = nsis / "Docs" / (c.widget ? "Widget" : "Tavrick") / "setup-receipt.txt";
  EXPECT_NE(ReadFile(receipt).find(c.widget ? "Widget\r\nVersion=1.0.0\r\n"
                                              "File=10 43863B0C Include\\Widget.nsh\r\n"
                                            : "Tavrick\r\nVersion=1.0.0\r\n"
                                              "File=10 6D0488D8 Docs\\Tavrick\\Readme.txt\r\n"),
            std::string::npos);
  if (c.before == kOld && c.install.empty()) {
    before.erase(header);  // replaced, so taken out: what it held before is lost
  }
  if (c.after == kChanged) {
    WriteFile(nsis / header, "changed");
    before[header] = "changed";
  } else if (c.after == kDeleted) {
    DeleteFileA((nsis / header).c_str());
  }
  if (c.after == kNoReceipt) {
    DeleteFileA(receipt.c_str());
  } else if (!c.receipt.empty()) {
    WriteFile(receipt, c.receipt);
  } else if (c.after == kNewVersion) {
    WriteFile(source, "version 2");
    ASSERT_EQ(Run("/S", {}, title), 0);
  }
  if (!c.widget) {  // removal needs the package's description, not its files
    ASSERT_TRUE(CopyFileA(exe.c_str(), (scratch / "TavrickSetup.exe").c_str(), FALSE));
    exe = scratch / "TavrickSetup.exe";
  }
  HANDLE held = c.after == kHeld ? OpenForReading(nsis / header) : INVALID_HANDLE_VALUE;
  auto installed = Tree(nsis);
  EXPECT_EQ(Run(c.remove, c.removal, title + ": Remove"), c.exitCode);
  CloseHandle(held);
  EXPECT_NE(ReadFile(scratch / "out.txt").find(c.says), std::string::npos)
      << ReadFile(scratch / "out.txt");
  EXPECT_EQ(Tree(nsis), c.exitCode == 0 ? before : installed);
}

const Prompt kRemoved = {"Removal complete", IDOK};

// Installed, then removed, unattended.
RemovalCase Silent(const char* name, bool widget, bool nsis3, Change before, Change after,
                   int exitCode, const char* says) {
  return {name, widget, nsis3, before, {}, after, "/S /REMOVE", {}, exitCode, says};
}

// Installed, or removed, or both through their windows, answering prompts.
RemovalCase Prompted(const char* name, bool widget, bool nsis3, Change before,
                     std::vector<Prompt> install, Change after, const char* remove,
                     std::vector<Prompt> removal, int exitCode, const char* says = "",
                     int installCode = 0) {
  return {name,   widget,  nsis3,    before, install, after,
          remove, removal, exitCode, says,   "",      installCode};
}

// A receipt whose line no install writes: makensis.exe holds "MZ", whose size
// and CRC-32 the lines give, but it is never the setup's to take out.
RemovalCase Damaged(const char* name, const std::string& line) {
  return {
      name,         false,        true, kNone, {},
      kNone,        "/S /REMOVE", {},   2,     "setup-receipt.txt: is damaged: nothing was removed",
      line + "\r\n"};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RemovalTest,
    testing::Values(
        Silent("Fresh", false, true, kNone, kNone, 0, "Tavrick.dll: removed"),
        Silent("Nsis2", false, false, kNone, kNone, 0, "Removal complete"),
        Silent("Widget", true, true, kNone, kNone, 0, "Widget.nsi: removed"),
        Silent("WidgetNsis2", true, false, kNone, kNone, 0, ""),
        Silent("ThereAndTheSameBefore", false, true, kSame, kNone, 0, ""),
        Silent("ChangedSince", true, true, kNone, kChanged, 0,
               "Widget.nsh: kept: changed since it was installed"),
        Silent("ReplacedIsTakenOut", false, true, kOld, kNone, 0, "Tavrick.nsh: removed"),
        Prompted("StoppedHalfWay", false, true, kOld,
                 {{"Replace it?", IDCANCEL}, {"aborted", IDOK}}, kNone, "/S /REMOVE", {}, 0,
                 "TavrickTest.nsi: removed", 2),
        Silent("DeletedByHand", false, true, kNone, kDeleted, 0, "Tavrick.nsh: gone already"),
        Prompted("KeptWhenAsked", false, true, kOld, {{"Replace it?", IDNO}, {"complite", IDOK}},
                 kNone, "/S /REMOVE", {}, 0),
        Silent("InUse", false, true, kNone, kHeld, 2, "Include\\Tavrick.nsh: "),
        Prompted("InUseCancelled", true, true, kNone, {}, kHeld, "/REMOVE",
                 {{"File could not be removed.", IDCANCEL}}, 1),
        Silent("NoReceipt", false, true, kNone, kNoReceipt, 2,
               "holds no receipt of Tavrick\r\nRemoval aborted"),
        Damaged("ReceiptThatClimbs", "File=2 8FB09B5D Include\\..\\makensis.exe"),
        Damaged("ReceiptAtTheRoot", "File=2 8FB09B5D makensis.exe"),
        Damaged("ReceiptOutsideItsFolders", "File=2 8FB09B5D Examples\\makensis.exe"),
        Damaged("ReceiptWithAnEmptyName", "File=2 8FB09B5D Include\\\\makensis.exe"),
        Damaged("ReceiptWithAStream", "File=2 8FB09B5D Include\\makensis.exe:x"),
        Damaged("ReceiptWithoutACrc", "File=2 Include\\makensis.exe"),
        Damaged("ReceiptWithASizeTooLarge", "File=4294967298 8FB09B5D Include\\makensis.exe"),
        Damaged("ReceiptWithANul", std::string("; \0", 3)),
        Silent("SecondInstallMerges", true, true, kNone, kNewVersion, 0, ""),
        Prompted("ByTheDialog", false, true, kNone, {{"complite", IDOK}}, kChanged, "/REMOVE",
                 {{"Tavrick.nsh: kept: changed since it was installed", IDOK}}, 0),
        Prompted("Elevated", true, false, kNone, {{"complete", IDOK}}, kNone, "/REMOVE /E",
                 {kRemoved}, 0)),
    [](const testing::TestParamInfo<RemovalCase>& info) { return std::string(info.param.name); });

}  // namespace
