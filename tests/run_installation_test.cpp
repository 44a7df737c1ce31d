#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install.h"
#include "install/prompts.h"
#include "support/expect.h"
#include "support/message_boxes.h"
#include "support/planted_faults.h"
#include "support/scratch.h"

namespace {

const auto& kTargets = kInstalledFiles;
const auto& kSources = kPackageFiles;
const auto& kContents = kPackageContents;

class RunInstallationTest : public testing::Test {
 protected:
  void SetUp() override {
    LayOutPackage(setup);
    LayOutNsis(nsis);
  }
  BOOL Run() {
    return RunInstallation(owner.get(), setup.c_str(), nsis.c_str());
  }
  std::vector<std::string> Shown(const MessageBoxScript& script) {
    return DescribeOwned(script, owner.get());
  }
  void MarkTargetsOld() {
    MarkInstalled(nsis);
  }
  std::vector<std::string> Targets() {
    return InstalledContents(nsis);
  }

  ScratchDir scratch;
  OwnerWindow owner;
  std::string setup = scratch / "package";
  std::string nsis = scratch / "NSIS";
};

const std::vector<std::string> kInstalled(std::begin(kContents), std::end(kContents));

TEST_F(RunInstallationTest, FreshInstallCopiesAllFourWithoutAsking) {
  MessageBoxScript script;
  EXPECT_TRUE(Run());
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(Targets(), kInstalled);
}

TEST_F(RunInstallationTest, RepeatedInstallAsksForEachFileInOrder) {
  MarkTargetsOld();
  MessageBoxScript script{IDNO, IDNO, IDNO, IDNO};
  EXPECT_TRUE(Run());
  std::vector<std::string> expected;
  for (const char* target : kTargets) {
    expected.push_back(ReplaceBox(nsis / target));
  }
  EXPECT_EQ(Shown(script), expected);
  EXPECT_EQ(Targets(), std::vector<std::string>(4, "old"));
}

TEST_F(RunInstallationTest, CancelAtTheHeaderKeepsWhatWasInstalledBefore) {
  MarkTargetsOld();
  MessageBoxScript script{IDYES, IDYES, IDCANCEL, IDOK};
  EXPECT_FALSE(Run());
  EXPECT_EQ(Shown(script), (std::vector<std::string>{
                               ReplaceBox(nsis / kTargets[0]), ReplaceBox(nsis / kTargets[1]),
                               ReplaceBox(nsis / kTargets[2]), AbortedBox()}));
  EXPECT_EQ(Targets(), (std::vector<std::string>{kContents[0], kContents[1], "old", "old"}));
}

TEST_F(RunInstallationTest, MissingReadmeAnsweredNoStopsBeforeAnyFolderIsMade) {
  DeleteFileA((setup / "Readme.txt").c_str());
  MessageBoxScript script{IDNO};
  EXPECT_FALSE(Run());
  EXPECT_EQ(Shown(script), std::vector<std::string>{MissingBox(setup / "Readme.txt")});
  EXPECT_FALSE(Exists(nsis / "Docs\\Tavrick"));
  EXPECT_FALSE(Exists(nsis / "Examples\\Tavrick"));
}

TEST_F(RunInstallationTest, MissingReadmeAnsweredYesInstallsTheRest) {
  DeleteFileA((setup / "Readme.txt").c_str());
  MessageBoxScript script{IDYES};
  EXPECT_TRUE(Run());
  EXPECT_EQ(Shown(script).size(), 1u);
  EXPECT_EQ(FolderContents(nsis / "Docs\\Tavrick"), std::vector<std::string>{"setup-receipt.txt"});
  EXPECT_EQ(Targets(),
            (std::vector<std::string>{"<missing>", kContents[1], kContents[2], kContents[3]}));
}

TEST_F(RunInstallationTest, PluginGoesIntoX86AnsiWhereNsis3HasIt) {
  MakeFolder(nsis / "Plugins\\x86-ansi");
  MessageBoxScript script;
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(nsis / "Plugins\\x86-ansi\\Tavrick.dll"), kContents[3]);
  EXPECT_FALSE(Exists(nsis / "Plugins\\Tavrick.dll"));
}

// NSIS installed without its examples, or a trimmed copy without its docs:
// the folders the package needs are made.
TEST_F(RunInstallationTest, MissingDocsAndExamplesAreMade) {
  RemoveDirectoryA((nsis / "Docs").c_str());
  RemoveDirectoryA((nsis / "Examples").c_str());
  MessageBoxScript script;
  EXPECT_TRUE(Run());
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(Targets(), kInstalled);
}

TEST_F(RunInstallationTest, FolderThatCannotBeMadeIsReportedAndStopsTheRun) {
  RemoveDirectoryA((nsis / "Docs").c_str());
  WriteFile(nsis / "Docs", "a file where the folder belongs");
  MessageBoxScript script{IDCANCEL, IDOK};
  EXPECT_FALSE(Run());
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 2u);
  // The reason is the folder's, not that of a copy into a folder that is not there.
  EXPECT_EQ(shown[0], CopyFailedPrefix(setup / kSources[0], nsis / kTargets[0]) +
                          "File already exists.|0x15");
  EXPECT_EQ(shown[1], AbortedBox());
  EXPECT_EQ(ReadFile(nsis / "Docs"), "a file where the folder belongs");
  EXPECT_FALSE(Exists(nsis / "Examples\\Tavrick"));
}

// A probe that fails for another reason than absence (here a name the file
// system refuses) is no "missing": the package file goes on to the copy, and
// the plug-in's folder is not taken for absent. Each tells its reason, with Retry.
struct ProbeFailureCase {
  const char* setupLeaf;
  const char* nsisLeaf;
  const char* from;  // under the package folder
  const char* to;    // under the NSIS folder
};

class ProbeFailureTest : public RunInstallationTest,
                         public testing::WithParamInterface<ProbeFailureCase> {};

TEST_P(ProbeFailureTest, IsReportedWithItsReason) {
  setup = scratch / GetParam().setupLeaf;
  nsis = scratch / GetParam().nsisLeaf;
  MessageBoxScript script{IDCANCEL, IDOK};
  EXPECT_FALSE(Run());
  std::vector<std::string> shown = Shown(script);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].rfind(CopyFailedPrefix(setup / GetParam().from, nsis / GetParam().to), 0), 0u)
      << shown[0];
}

INSTANTIATE_TEST_SUITE_P(Probes, ProbeFailureTest,
                         testing::Values(ProbeFailureCase{"pack?ge", "NSIS", "Readme.txt",
                                                          kTargets[0]},
                                         ProbeFailureCase{"package", "NSI?", "Plugin\\Tavrick.dll",
                                                          "Plugins\\x86-ansi"}));

// A call that fails as a file server makes it fail: the box tells the reason of
// the step that stopped, and Retry repeats the whole step.
struct PlantedFaultCase {
  const char* name;
  std::vector<Fault> faults;
  bool installedBefore;
  bool readmeMissing;
  std::vector<int> answers;
  std::vector<std::string> boxEnds;  // how each box's text ends, in order
  bool unattended = false;
};

class PlantedFaultTest : public RunInstallationTest,
                         public testing::WithParamInterface<PlantedFaultCase> {};

TEST_P(PlantedFaultTest, ShowsTheReasonThatStoppedTheStep) {
  const PlantedFaultCase& c = GetParam();
  if (c.installedBefore) {
    MarkTargetsOld();
  }
  if (c.readmeMissing) {
    DeleteFileA((setup / kSources[0]).c_str());
  }
  MessageBoxScript script(std::vector<Answer>(c.answers.begin(), c.answers.end()));
  PlantedFaults planted(c.faults);
  AnswerUnattended(c.unattended);
  EXPECT_EQ(Run() != FALSE, c.boxEnds.empty());
  AnswerUnattended(FALSE);
  std::vector<std::string> shown;
  for (const ShownBox& box : script.shown()) {
    shown.push_back(box.text.substr(box.text.find_last_of('\n') + 1));
  }
  EXPECT_EQ(shown, c.boxEnds);
}

// Wine's words; Windows says "The specified network name is no longer available."
const char kNetNameGone[] = "Network name deleted.";

INSTANTIATE_TEST_SUITE_P(
    Faults, PlantedFaultTest,
    testing::Values(
        // Some servers answer a search that matches nothing so.
        PlantedFaultCase{"NoMoreFilesMeansAbsent",
                         {{"FindFirstFileA", "", ERROR_NO_MORE_FILES, -1, true}},
                         false,
                         false,
                         {},
                         {}},
        PlantedFaultCase{"FolderCheckAfterAFailedCreation",
                         {{"CreateDirectoryA", "Docs\\Tavrick", ERROR_ALREADY_EXISTS},
                          {"GetFileAttributesA", "Docs\\Tavrick", ERROR_NETNAME_DELETED}},
                         false,
                         false,
                         {IDCANCEL, IDOK},
                         {kNetNameGone, "Installation aborted"}},
        PlantedFaultCase{
            "AttributeReadBeforeReplacing",
            {{"GetFileAttributesA", "Docs\\Tavrick\\Readme.txt", ERROR_NETNAME_DELETED}},
            true,
            false,
            {IDYES, IDCANCEL, IDOK},
            {"File already exists. Replace it?", kNetNameGone, "Installation aborted"}},
        PlantedFaultCase{"RetryChecksThePackageFileAgain",
                         {{"FindFirstFileA", "package\\Readme.txt", ERROR_NETNAME_DELETED, 1}},
                         false,
                         true,
                         {IDRETRY, IDNO},
                         {"File not found.", "File does not exists. Continue?"}},
        // Another run put the file there after the probe: the command is the consent.
        PlantedFaultCase{"UnattendedReplacesAFileThatAppears",
                         {{"MoveFileExA", "Docs\\Tavrick\\Readme.txt", 0, 1, false, "appeared"}},
                         false,
                         false,
                         {},
                         {},
                         true}),
    [](const testing::TestParamInfo<PlantedFaultCase>& info) {
      return std::string(info.param.name);
    });

// Package or NSIS folders near the path limit, laid out as far as the platform
// lets them be: every path is checked first, so the run stops with one report
// before anything is made or copied.
struct LongFolderCase {
  bool longSetup;
  size_t length;
};

class LongFolderTest : public RunInstallationTest,
                       public testing::WithParamInterface<LongFolderCase> {};

void LayOutWhatFits(void (*layOut)(const std::string&), const std::string& folder) {
  try {
    layOut(folder);
  } catch (const std::exception&) {
    // Paths past the platform's limit cannot be made; the rest stays.
  }
}

TEST_P(LongFolderTest, StopsWithOneReportBeforeTouchingAnything) {
  std::string longFolder = PaddedPath(scratch.path(), GetParam().length);
  (GetParam().longSetup ? setup : nsis) = longFolder;
  LayOutWhatFits(LayOutPackage, setup);
  LayOutWhatFits(LayOutNsis, nsis);
  MessageBoxScript script{IDOK};
  EXPECT_FALSE(Run());
  ASSERT_EQ(script.shown().size(), 1u);
  const ShownBox& box = script.shown()[0];
  EXPECT_EQ(box.flags, UINT{MB_ICONERROR});
  // The beginning of the path that does not fit, cut short where it shows.
  EXPECT_EQ(box.text.rfind(longFolder.substr(0, 200), 0), 0u) << box.text;
  std::string tail = std::string("...\n\n") + kPathTooLong;
  ASSERT_GT(box.text.size(), tail.size());
  EXPECT_EQ(box.text.substr(box.text.size() - tail.size()), tail);
  EXPECT_EQ(Targets(), std::vector<std::string>(4, "<missing>"));
  EXPECT_FALSE(Exists(nsis / "Docs\\Tavrick"));
}

// "\Examples\Tavrick\TavrickTest.nsi" is the longest tail of any target, and
// "\Example\TavrickTest.nsi" of any source.
constexpr size_t kLongestNsisDir = kPathSize - 1 - 33;
constexpr size_t kLongestSetupDir = kPathSize - 1 - 24;

std::vector<LongFolderCase> LongFolderCases() {
  std::vector<LongFolderCase> cases;
  for (size_t length = kLongestSetupDir + 1; length <= 260; ++length) {
    cases.push_back({true, length});
  }
  for (size_t length = kLongestNsisDir + 1; length <= 260; ++length) {
    cases.push_back({false, length});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongFolderTest, testing::ValuesIn(LongFolderCases()));

TEST_F(RunInstallationTest, FoldersOfTheLongestUsableLengthsInstallEverything) {
  setup = PaddedPath(scratch.path(), kLongestSetupDir);
  nsis = PaddedPath(scratch.path(), kLongestNsisDir);
  LayOutPackage(setup);
  LayOutNsis(nsis);
  MessageBoxScript script;
  EXPECT_TRUE(Run());
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(Targets(), kInstalled);
}

// Unpacked straight into the NSIS folder, the header is its own target: it is
// left as it is, without a question, and the plug-in still goes in.
TEST_F(RunInstallationTest, PackageInsideTheNsisFolderInstallsTheRest) {
  LayOutPackage(nsis);
  MessageBoxScript script;
  EXPECT_TRUE(RunInstallation(owner.get(), nsis.c_str(), (nsis + "\\.").c_str()));
  EXPECT_TRUE(script.shown().empty());
  EXPECT_EQ(Targets(), kInstalled);
}

}  // namespace
