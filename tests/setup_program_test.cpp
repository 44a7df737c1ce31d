#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/common.h"
#include "support/nsis_key.h"
#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

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

    SetupProcess setup(exe, c.arguments, scratch.path());  // not started from its own folder
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
    EXPECT_EQ(setup.WaitForExit(), 0);

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
        RunCase{
            "CompletedWithArguments", "/S /D=C:\\Elsewhere extra", false, IDOK, {kComplete}, kNew},
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
                {kNew[0], kNew[1], "old", "old"}},
        RunCase{"Cancelled", "", false, IDCANCEL, {}, kUntouched},
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
                {1, 2, 3}},
        // Started from inside a zip, or from a drive it cannot see as administrator.
        RunCase{"WithoutThePackage",
                "",
                false,
                0,
                {{"A network drive is not visible to a setup that runs as administrator.", IDOK}},
                kUntouched,
                {0, 1, 2, 3}}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

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
  EXPECT_EQ(setup.WaitForExit(), 0);
}

}  // namespace
