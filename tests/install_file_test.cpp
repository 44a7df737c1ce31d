#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "install/install.h"
#include "install/prompts.h"
#include "support/expect.h"
#include "support/message_boxes.h"
#include "support/scratch.h"

namespace {

class InstallFileTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteFile(source / "Tavrick.nsh", "new header");
  }
  BOOL Install(const std::string& targetDir) {
    return InstallFile(owner.get(), source.c_str(), "Tavrick.nsh", targetDir.c_str(), "Tavrick.nsh",
                       scratch.path().c_str());
  }
  std::vector<std::string> Shown(const MessageBoxScript& script) {
    return DescribeOwned(script, owner.get());
  }

  ScratchDir scratch;
  OwnerWindow owner;
  std::string source = scratch / "src";
  std::string target = scratch / "dst";
};

TEST_F(InstallFileTest, CopiesIntoAnExistingEmptyFolderWithoutAsking) {
  MakeFolder(target);
  MessageBoxScript script;
  EXPECT_TRUE(Install(target));
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "new header");
}

TEST_F(InstallFileTest, YesReplacesATargetWhateverItsSizeAndDate) {
  WriteFile(target / "Tavrick.nsh", std::string(5000, 'o'));  // larger and newer
  MessageBoxScript script{IDYES};
  EXPECT_TRUE(Install(target));
  EXPECT_EQ(Shown(script), std::vector<std::string>{ReplaceBox(target / "Tavrick.nsh")});
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "new header");
}

TEST_F(InstallFileTest, TargetThatIsAFolderIsReportedWhenTheCopyFails) {
  MakeFolder(target / "Tavrick.nsh");
  MessageBoxScript script{IDYES, IDCANCEL, IDOK};
  EXPECT_FALSE(Install(target));
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], ReplaceBox(target / "Tavrick.nsh"));
  // A folder is no file in use: the reason stays the system's own.
  EXPECT_EQ(shown[1], CopyFailedPrefix(source / "Tavrick.nsh", target / "Tavrick.nsh") +
                          "Access denied.|0x15");  // Retry/Cancel, error icon
  EXPECT_EQ(shown[2], AbortedBox());
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "<folder>");
}

// Another program holds the package file or the installed one open: the box
// names both files and says the file is in use, and Retry copies once it lets go.
class LockedFileTest : public InstallFileTest, public testing::WithParamInterface<bool> {};

TEST_P(LockedFileTest, RetryCopiesOnceTheLockIsReleased) {
  WriteFile(target / "Tavrick.nsh", "old header");
  std::string locked = (GetParam() ? source : target) / "Tavrick.nsh";
  HANDLE lock =
      GetParam() ? CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                 : OpenForReading(locked);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  MessageBoxScript script{IDYES, Answer{IDRETRY, [&](HWND) { CloseHandle(lock); }}};
  EXPECT_TRUE(Install(target));
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], CopyFailedPrefix(source / "Tavrick.nsh", target / "Tavrick.nsh") +
                          "Sharing violation.|0x15");  // Retry/Cancel, error icon
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "new header");
}

// A scanner holds the temporary file while the move fails. The file is
// deleted once the user has answered, or else as the program ends.
class HeldTempTest : public InstallFileTest, public testing::WithParamInterface<bool> {};

TEST_P(HeldTempTest, NothingOfTheCopyIsLeftBehind) {
  bool inTheBox = GetParam();
  WriteFile(target / "Tavrick.nsh", "old header");
  HANDLE lock = OpenForReading(target / "Tavrick.nsh");  // the move fails while it is held
  TempFileHolder scanner(target);
  MessageBoxScript script{IDYES,
                          Answer{inTheBox ? IDRETRY : IDCANCEL,
                                 [&](HWND) {
                                   CloseHandle(lock);
                                   if (inTheBox) {
                                     scanner.Release();
                                   }
                                 }},
                          IDOK};
  EXPECT_EQ(Install(target), inTheBox);
  EXPECT_EQ(FolderContents(target).size(), inTheBox ? 1u : 2u);
  scanner.Release();
  DeleteLeftovers();
  EXPECT_EQ(FolderContents(target), std::vector<std::string>{"Tavrick.nsh"});
}

INSTANTIATE_TEST_SUITE_P(Scanners, HeldTempTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "LetsGoInTheBox" : "LetsGoLater");
                         });

// A file that appears at the target while the copy is under way makes the
// move fail: it is never replaced unasked.
TEST_F(InstallFileTest, FileThatAppearsDuringTheCopyIsNotReplacedUnasked) {
  MakeFolder(target);
  WriteFile(source / "Tavrick.nsh", std::string(8 << 20, 'n'));  // a copy that takes a while
  TempFileHolder other(target, [&] { WriteFile(target / "Tavrick.nsh", "appeared"); });
  MessageBoxScript script{IDCANCEL, IDOK};
  EXPECT_FALSE(Install(target));
  other.Release();
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "appeared");
}

// A file that appears at the target while a copy fails is asked about on
// Retry, never replaced unasked.
TEST_F(InstallFileTest, FileThatAppearsBeforeRetryIsAskedAbout) {
  SmallDisk disk(target, 128);
  ASSERT_TRUE(disk.mounted());
  WriteFile(source / "Tavrick.nsh", std::string(256 * 1024, 'n'));
  MessageBoxScript script{Answer{IDRETRY,
                                 [&](HWND) {
                                   WriteFile(source / "Tavrick.nsh", "new header");
                                   WriteFile(target / "Tavrick.nsh", "appeared");
                                 }},
                          IDNO};
  EXPECT_TRUE(Install(target));
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], ReplaceBox(target / "Tavrick.nsh"));
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "appeared");
}

INSTANTIATE_TEST_SUITE_P(Files, LockedFileTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Package" : "Installed");
                         });

// A copy that fails half-way, on a disk that fills up, leaves the target
// folder as it was: the old file whole, and no part of the new one under any
// name once the user cancels.
class FullDiskTest : public InstallFileTest, public testing::WithParamInterface<bool> {};

TEST_P(FullDiskTest, FailedCopyLeavesTheTargetFolderAsItWas) {
  SmallDisk disk(target, 128);
  ASSERT_TRUE(disk.mounted());
  const std::string old(16 * 1024, 'o');
  std::vector<Answer> answers = {IDCANCEL, IDOK};
  if (GetParam()) {
    WriteFile(target / "Tavrick.nsh", old);
    answers.insert(answers.begin(), IDYES);
  }
  WriteFile(source / "Tavrick.nsh", std::string(256 * 1024, 'n'));
  MessageBoxScript script(answers);
  EXPECT_FALSE(Install(target));
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), answers.size());
  EXPECT_EQ(shown[shown.size() - 2].rfind(
                CopyFailedPrefix(source / "Tavrick.nsh", target / "Tavrick.nsh"), 0),
            0u);
  EXPECT_EQ(FolderContents(target),
            GetParam() ? std::vector<std::string>{"Tavrick.nsh"} : std::vector<std::string>{});
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), GetParam() ? old : "<missing>");
}

INSTANTIATE_TEST_SUITE_P(Targets, FullDiskTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Replaced" : "Fresh");
                         });

// Files on two disks that Wine cannot tell apart (serial 0, the same file
// numbers) are two files: the installed one is asked about.
TEST_F(InstallFileTest, FileOfUnknownIdentityIsAskedAbout) {
  SmallDisk sourceDisk(source, 64);
  SmallDisk targetDisk(target, 64);
  ASSERT_TRUE(sourceDisk.mounted() && targetDisk.mounted());
  WriteFile(source / "Tavrick.nsh", "new header");
  WriteFile(target / "Tavrick.nsh", "old header");
  MessageBoxScript script{IDYES};
  EXPECT_TRUE(Install(target));
  EXPECT_EQ(Shown(script), std::vector<std::string>{ReplaceBox(target / "Tavrick.nsh")});
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "new header");
}

// The package unpacked inside the NSIS folder: the file is its own target,
// under whatever spelling of the folder.
class OwnTargetTest : public InstallFileTest, public testing::WithParamInterface<const char*> {};

TEST_P(OwnTargetTest, IsLeftAsItIsWithoutAsking) {
  MessageBoxScript script;
  EXPECT_TRUE(Install(source + GetParam()));
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(ReadFile(source / "Tavrick.nsh"), "new header");
}

INSTANTIATE_TEST_SUITE_P(Spellings, OwnTargetTest,
                         testing::Values("", "\\", "\\..\\src", "\\.\\..\\SRC"));

struct MissingSourceCase {
  int answer;
  BOOL result;
};

class MissingSourceTest : public InstallFileTest,
                          public testing::WithParamInterface<MissingSourceCase> {};

TEST_P(MissingSourceTest, AsksAndLeavesTheTargetFolderAlone) {
  MessageBoxScript script{GetParam().answer};
  EXPECT_EQ(InstallFile(owner.get(), source.c_str(), "Missing.dll", target.c_str(), "Missing.dll",
                        scratch.path().c_str()),
            GetParam().result);
  EXPECT_EQ(Shown(script), std::vector<std::string>{MissingBox(source / "Missing.dll")});
  EXPECT_FALSE(Exists(target));
}

INSTANTIATE_TEST_SUITE_P(Answers, MissingSourceTest,
                         testing::Values(MissingSourceCase{IDYES, TRUE},
                                         MissingSourceCase{IDNO, FALSE}));

TEST_F(InstallFileTest, PromptShowsAWholePathOfFullLength) {
  std::string longFolder = PaddedPath(source, kPathSize - 1 - 12);  // + "\Missing.dll"
  MessageBoxScript script{IDYES};
  EXPECT_TRUE(InstallFile(owner.get(), longFolder.c_str(), "Missing.dll", target.c_str(),
                          "Missing.dll", scratch.path().c_str()));
  ASSERT_EQ((longFolder + "\\Missing.dll").size(), size_t{kPathSize - 1});
  EXPECT_EQ(Shown(script), std::vector<std::string>{MissingBox(longFolder + "\\Missing.dll")});
}

TEST_F(InstallFileTest, PathsThatDoNotFitStopWithoutTouchingAnything) {
  std::string longTarget = PaddedPath(scratch.path(), kPathSize - 1 - 5);
  MessageBoxScript script{IDOK};
  EXPECT_FALSE(Install(longTarget));
  ASSERT_EQ(script.shown().size(), 1u);
  EXPECT_NE(script.shown()[0].text.find("Path is too long"), std::string::npos);
  EXPECT_EQ(script.shown()[0].flags, UINT{MB_ICONERROR});
  EXPECT_FALSE(Exists(longTarget));
}

// The system's reason in the copy-failure box: cut to fit, never dropped, and a
// number where the system has no words.
struct ReasonCase {
  DWORD error;
  int size;
  const char* reason;
};

class DescribeErrorTest : public testing::TestWithParam<ReasonCase> {};

TEST_P(DescribeErrorTest, GivesTheReasonCutToFit) {
  char text[64];
  std::memset(text, 'G', sizeof text);
  DescribeError(GetParam().error, text, GetParam().size);
  EXPECT_STREQ(text, GetParam().reason);
  EXPECT_EQ(text[GetParam().size], 'G');
}

INSTANTIATE_TEST_SUITE_P(Errors, DescribeErrorTest,
                         testing::Values(ReasonCase{ERROR_SHARING_VIOLATION, 63,
                                                    "Sharing violation."},
                                         ReasonCase{ERROR_SHARING_VIOLATION, 8, "Sharing"},
                                         ReasonCase{0x2000FFFF, 63, "Error 536936447"},
                                         ReasonCase{0x2000FFFF, 8, "Error 5"}));

}  // namespace
