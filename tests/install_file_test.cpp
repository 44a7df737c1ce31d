#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install.h"
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
    return InstallFile(owner.get(), source.c_str(), "Tavrick.nsh", targetDir.c_str());
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
  EXPECT_EQ(shown[1].rfind(CopyFailedPrefix(target / "Tavrick.nsh"), 0), 0u) << shown[1];
  EXPECT_EQ(shown[1].substr(shown[1].size() - 5), "|0x15");  // Retry/Cancel, error icon
  EXPECT_EQ(shown[2], AbortedBox());
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "<folder>");
}

TEST_F(InstallFileTest, RetryCopiesOnceTheLockIsReleased) {
  WriteFile(target / "Tavrick.nsh", "old header");
  HANDLE lock = CreateFileA((target / "Tavrick.nsh").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  MessageBoxScript script{IDYES, Answer{IDRETRY, [&](HWND) { CloseHandle(lock); }}};
  EXPECT_TRUE(Install(target));
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].rfind(CopyFailedPrefix(target / "Tavrick.nsh"), 0), 0u) << shown[1];
  EXPECT_EQ(ReadFile(target / "Tavrick.nsh"), "new header");
}

struct MissingSourceCase {
  int answer;
  BOOL result;
};

class MissingSourceTest : public InstallFileTest,
                          public testing::WithParamInterface<MissingSourceCase> {};

TEST_P(MissingSourceTest, AsksAndLeavesTheTargetFolderAlone) {
  MessageBoxScript script{GetParam().answer};
  EXPECT_EQ(InstallFile(owner.get(), source.c_str(), "Missing.dll", target.c_str()),
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
  EXPECT_TRUE(InstallFile(owner.get(), longFolder.c_str(), "Missing.dll", target.c_str()));
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

}  // namespace
