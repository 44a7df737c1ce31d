#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/common.h"
#include "support/scratch.h"

namespace {

// Bytes past the buffer under test are guarded; a write past the end changes them.
constexpr char kGuard = '\x5A';

struct JoinCase {
  size_t folderLength;
  const char* name;
  bool fits;
};

class FormPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(FormPathTest, FitsOrReportsWithoutOverrun) {
  const JoinCase& c = GetParam();
  std::string folder(c.folderLength, 'f');
  char buffer[kPathSize + 16];
  std::memset(buffer, kGuard, sizeof buffer);

  EXPECT_EQ(FormPath(buffer, folder.c_str(), c.name) != FALSE, c.fits);

  std::string whole = folder + "\\" + c.name;
  EXPECT_EQ(std::string(buffer), whole.substr(0, kPathSize - 1));
  for (size_t i = kPathSize; i < sizeof buffer; ++i) {
    ASSERT_EQ(buffer[i], kGuard) << "byte " << i << " was written";
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, FormPathTest,
                         testing::Values(JoinCase{0, "x", true}, JoinCase{257, "x", true},
                                         JoinCase{258, "x", false}, JoinCase{259, "x", false},
                                         JoinCase{248, "Readme.txt", true},
                                         JoinCase{249, "Readme.txt", false},
                                         JoinCase{400, "Readme.txt", false},
                                         JoinCase{255, "*.*", true}, JoinCase{256, "*.*", false}));

TEST(AppendTextTest, KeepsWhatIsThereAndStopsAtTheEnd) {
  char buffer[8] = "ab";
  EXPECT_TRUE(AppendText(buffer, sizeof buffer, "cde"));
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_FALSE(AppendText(buffer, sizeof buffer, "fghij"));
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_FALSE(AppendText(buffer, sizeof buffer, "z"));
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(AppendTextTest, TerminatesABufferThatHadNoTerminator) {
  char buffer[4] = {'a', 'b', 'c', 'd'};
  EXPECT_TRUE(AppendText(buffer, sizeof buffer, ""));
  EXPECT_STREQ(buffer, "abc");
}

TEST(FileExistsTest, FindsFilesFoldersAndPatterns) {
  ScratchDir scratch;
  WriteFile(scratch / "file.txt", "x");
  MakeFolder(scratch / "empty");

  EXPECT_TRUE(FileExists((scratch / "file.txt").c_str()));
  EXPECT_TRUE(FileExists((scratch / "empty").c_str()));
  EXPECT_TRUE(FileExists((scratch / "*.txt").c_str()));
  EXPECT_FALSE(FileExists((scratch / "*.dll").c_str()));
  EXPECT_FALSE(FileExists((scratch / "missing.txt").c_str()));
  EXPECT_FALSE(FileExists(""));
}

TEST(FolderExistsTest, TellsFoldersFromFiles) {
  ScratchDir scratch;
  WriteFile(scratch / "file.txt", "x");
  MakeFolder(scratch / "empty");

  EXPECT_TRUE(FolderExists((scratch / "empty").c_str()));  // its "." entry matches
  EXPECT_FALSE(FolderExists((scratch / "file.txt").c_str()));
  EXPECT_FALSE(FolderExists((scratch / "missing").c_str()));
  // A folder whose pattern would not fit is not probed at all.
  EXPECT_FALSE(FolderExists(std::string(300, 'c').c_str()));
}

}  // namespace
