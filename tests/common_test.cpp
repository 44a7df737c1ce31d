#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/ansi_path.h"
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

TEST(SameFileTest, ComparesIdentityNotSpelling) {
  ScratchDir scratch;
  WriteFile(scratch / "a\\file.txt", "x");
  WriteFile(scratch / "b\\file.txt", "x");
  std::string file = scratch / "a\\file.txt";
  char shortName[MAX_PATH];
  ASSERT_GT(GetShortPathNameA(file.c_str(), shortName, MAX_PATH), 0u);

  EXPECT_TRUE(SameFile(file.c_str(), file.c_str()));
  EXPECT_TRUE(SameFile(file.c_str(), (scratch / "b\\..\\A\\.\\FILE.TXT").c_str()));
  EXPECT_TRUE(SameFile(file.c_str(), shortName));
  EXPECT_FALSE(SameFile(file.c_str(), (scratch / "b\\file.txt").c_str()));  // equal, not one
  EXPECT_FALSE(SameFile(file.c_str(), (scratch / "missing.txt").c_str()));
  EXPECT_FALSE(SameFile((scratch / "missing.txt").c_str(), (scratch / "missing.txt").c_str()));
}

// Names from outside the code page: Cyrillic letters, and fullwidth look-alikes
// that a best-fit conversion would turn into "\..".
// The NSIS check of a field's text. Under Wine a search for "\\\\name\\..." finds
// what lies under the prefix's dosdevices\unc\name, so a planted makensis.exe
// there shows whether a search was made. Texts are given in UTF-8 and tried in
// the code page the suite runs in, where it holds them (932 reads katakana
// with trail bytes that are backslashes).
struct NsisCheckCase {
  const char* field;    // "@" stands for a real NSIS folder
  const char* planted;  // under dosdevices\unc, or nullptr
  bool found;
};

std::wstring FromUtf8(const char* utf8) {
  wchar_t wide[MAX_PATH];
  return MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, MAX_PATH) > 0 ? wide : L"";
}

// wide in the ANSI code page; false when the code page does not hold it exactly.
bool InCodePage(const std::wstring& wide, std::string* text) {
  char narrow[MAX_PATH];
  BOOL defaulted = FALSE;
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, narrow, MAX_PATH, nullptr,
                          &defaulted) == 0 ||
      defaulted) {
    return false;
  }
  *text = narrow;
  return true;
}

class NsisCheckTest : public testing::TestWithParam<NsisCheckCase> {};

TEST_P(NsisCheckTest, SearchesOnlyWhereAShareCouldHoldMakensis) {
  const char* prefix = std::getenv("WINEPREFIX");
  ASSERT_NE(prefix, nullptr) << "scripts/test runs the suites in a prefix of their own";
  std::string unc = "Z:" + std::string(prefix) + "\\dosdevices\\unc";
  std::replace(unc.begin(), unc.end(), '/', '\\');
  if (const char* codePage = std::getenv("TAVRICK_CODE_PAGE")) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(codePage)));
  }
  std::string field;
  std::string plantedText;
  std::wstring planted = GetParam().planted ? FromUtf8(GetParam().planted) : L"";
  if (!InCodePage(FromUtf8(GetParam().field), &field) || !InCodePage(planted, &plantedText)) {
    GTEST_SKIP() << "code page " << GetACP() << " lacks the text";
  }
  ScratchDir scratch;
  LayOutNsis(scratch / "NSIS");
  if (!planted.empty()) {
    std::filesystem::path file = std::filesystem::path(Widen(unc)) / planted;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "MZ";
  }
  if (size_t at = field.find('@'); at != std::string::npos) {
    field.replace(at, 1, scratch / "NSIS");
  }
  EXPECT_EQ(IsNsisDir(field.c_str()) != FALSE, GetParam().found);
  std::filesystem::remove_all(unc);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NsisCheckTest,
    testing::Values(NsisCheckCase{"\\\\", "makensis.exe", false},
                    NsisCheckCase{"\\\\f", "f\\makensis.exe", false},
                    NsisCheckCase{"//fileserver", "fileserver\\makensis.exe", false},
                    NsisCheckCase{"\\\\srv\\share", "srv\\share\\makensis.exe", true},
                    NsisCheckCase{"\\\\?\\UNC\\fileserver", "fileserver\\makensis.exe", false},
                    NsisCheckCase{"\\\\?\\UNC\\srv\\share", "srv\\share\\makensis.exe", true},
                    NsisCheckCase{"\\\\.\\unc\\fileserver", "fileserver\\makensis.exe", false},
                    NsisCheckCase{"\\\\\u30bd\u30d5\u30c8", "\u30bd\u30d5\u30c8\\makensis.exe",
                                  false},
                    NsisCheckCase{"\\\\srv\u30bd\\share", "srv\u30bd\\share\\makensis.exe", true},
                    NsisCheckCase{"\\\\.\\@", nullptr, true},
                    NsisCheckCase{"\\\\?\\@", nullptr, true}));

struct WideCase {
  const char* name;
  std::wstring leaf;
  bool exists;
  bool converts;
  const char* exactly;  // the conversion when it is known, else only its shape is checked
};

class AnsiPathTest : public testing::TestWithParam<WideCase> {};

TEST_P(AnsiPathTest, ConvertsOnlyExactly) {
  const WideCase& c = GetParam();
  ScratchDir scratch;
  std::wstring folder = Widen(scratch.path()) + L"\\" + c.leaf;
  if (c.exists) {
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  char path[kPathSize + 16];
  std::memset(path, kGuard, sizeof path);

  EXPECT_EQ(AnsiPathFromWide(folder.c_str(), path) != FALSE, c.converts);
  EXPECT_EQ(path[kPathSize], kGuard);
  std::string converted = path;
  if (!c.converts) {
    EXPECT_EQ(converted, "");
  } else if (c.exactly != nullptr) {
    EXPECT_EQ(converted, scratch.path() + "\\" + c.exactly);
  } else {
    // The short form of the same folder, in plain characters.
    std::string leaf = converted.substr(std::min(converted.size(), scratch.path().size() + 1));
    EXPECT_EQ(converted, scratch.path() + "\\" + leaf);
    EXPECT_EQ(leaf.find_first_of("?\\"), std::string::npos) << converted;
    EXPECT_NE(leaf, "..");
    EXPECT_TRUE(FolderExists(converted.c_str())) << converted;
  }
  if (c.exists) {
    RemoveDirectoryW(folder.c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AnsiPathTest,
    testing::Values(WideCase{"Plain", L"NSIS", false, true, "NSIS"},
                    WideCase{"Latin1", L"Caf\u00e9", false, true, "Caf\xe9"},
                    WideCase{"CyrillicExisting", L"\u041f\u0451\u0442\u0440", true, true, nullptr},
                    WideCase{"CyrillicMissing", L"\u041f\u0451\u0442\u0440", false, false, nullptr},
                    WideCase{"LookAlikeExisting", L"\uff0e\uff0e", true, true, nullptr},
                    WideCase{"LookAlikeMissing", L"x\uff3c\uff0e\uff0e", false, false, nullptr},
                    WideCase{"TooLong", std::wstring(kPathSize, L'w'), false, false, nullptr}),
    [](const testing::TestParamInfo<WideCase>& info) { return std::string(info.param.name); });

}  // namespace
