#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "install/package.h"
#include "shell/setup_dir.h"
#include "support/message_boxes.h"
#include "support/scratch.h"

namespace {

struct ModulePathCase {
  std::wstring modulePath;
  DWORD reportedLength;  // as GetModuleFileNameW returned it
  BOOL usable;
  std::wstring folder;
};

class SetupDirTest : public testing::TestWithParam<ModulePathCase> {};

TEST_P(SetupDirTest, CutsAtTheLastBackslash) {
  const ModulePathCase& c = GetParam();
  WCHAR buffer[kPathSize];
  std::wmemset(buffer, L'z', kPathSize);  // a cut-short path may have no terminator
  std::wmemcpy(buffer, c.modulePath.data(), std::min<size_t>(c.modulePath.size() + 1, kPathSize));
  EXPECT_EQ(SetupDirFromModulePath(buffer, c.reportedLength), c.usable);
  EXPECT_EQ(std::wstring(buffer), c.folder);
}

const std::wstring kDeep = L"C:\\" + std::wstring(250, L'd') + L"\\TavrickSetup.exe";

INSTANTIATE_TEST_SUITE_P(
    Paths, SetupDirTest,
    testing::Values(ModulePathCase{L"C:\\Package\\TavrickSetup.exe", 27, TRUE, L"C:\\Package"},
                    ModulePathCase{L"C:\\TavrickSetup.exe", 19, TRUE, L"C:"},
                    ModulePathCase{L"C:\\a\\b\\c\\x.exe", 14, TRUE, L"C:\\a\\b\\c"},
                    ModulePathCase{L"TavrickSetup.exe", 16, TRUE, L""},
                    ModulePathCase{L"", 0, TRUE, L""},
                    ModulePathCase{kDeep.substr(0, 259), 259, TRUE,
                                   L"C:\\" + std::wstring(250, L'd')},
                    ModulePathCase{kDeep, 260, FALSE, L""}));

// Where the program's folder cannot be used, the user is told why, in a box
// of its own, and the setup goes no further.
struct UnusableCase {
  const char* name;
  std::wstring leaf;  // under the scratch folder, which has no such folder
  DWORD length;       // 0: the path's own length
  const char* told;
};

class UnusableSetupDirTest : public testing::TestWithParam<UnusableCase> {};

TEST_P(UnusableSetupDirTest, TellsTheUserAndStops) {
  const UnusableCase& c = GetParam();
  ScratchDir scratch;
  std::wstring module = Widen(scratch.path()) + L"\\" + c.leaf;
  module.resize(std::max<size_t>(module.size() + 1, kPathSize), L'\0');
  lstrcpyA(g_szSetupDir, "unchanged");
  MessageBoxScript script{IDOK};
  DWORD length = c.length != 0 ? c.length : static_cast<DWORD>(lstrlenW(module.c_str()));
  EXPECT_FALSE(UseSetupDir(module.data(), length, TRUE));
  ASSERT_EQ(script.shown().size(), 1u);
  const ShownBox& box = script.shown()[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.caption, SETUP_TITLE);
  EXPECT_EQ(box.flags, UINT{MB_ICONERROR});
  EXPECT_EQ(box.text.rfind(c.told, 0), 0u) << box.text;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnusableSetupDirTest,
    testing::Values(UnusableCase{"Cyrillic", L"\u041f\u0451\u0442\u0440\\TavrickSetup.exe", 0,
                                 "The name of the package's folder holds characters"},
                    UnusableCase{"LookAlike", L"\uff3c\uff0e\uff0e\\TavrickSetup.exe", 0,
                                 "The name of the package's folder holds characters"},
                    UnusableCase{"TooLong", L"TavrickSetup.exe", kPathSize, kPathTooLong}),
    [](const testing::TestParamInfo<UnusableCase>& info) { return std::string(info.param.name); });

TEST(UsableSetupDirTest, PlainFolderWithThePackageIsTakenWithoutAWord) {
  ScratchDir scratch;
  LayOutPackage(scratch.path());
  std::wstring module = Widen(scratch / "TavrickSetup.exe");
  module.resize(kPathSize, L'\0');
  MessageBoxScript script;
  EXPECT_TRUE(UseSetupDir(module.data(), lstrlenW(module.c_str()), TRUE));
  EXPECT_EQ(g_szSetupDir, scratch.path());
  EXPECT_TRUE(script.shown().empty());
}

}  // namespace

namespace {

// The caption a description gives: its Title, or one made from its Name.
class DescriptionTitleTest : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DescriptionTitleTest, CaptionsEveryWindow) {
  ScratchDir scratch;
  WriteFile(scratch / "WidgetSetup.ini", std::string("[Package]\r\nName=Widget\r\n") +
                                             GetParam().first +
                                             "[Files]\r\nInclude\\Widget.nsh=Widget.nsh\r\n");
  const Package* builtIn = g_package;
  ASSERT_TRUE(ReadDescription(Widen(scratch.path()).c_str(), L"WidgetSetup.exe"));
  EXPECT_STREQ(g_package->title, GetParam().second);
  g_package = builtIn;
}

INSTANTIATE_TEST_SUITE_P(Titles, DescriptionTitleTest,
                         testing::Values(std::make_pair("Title=Widget for NSIS\r\n",
                                                        "Widget for NSIS"),
                                         std::make_pair("", "Widget plug-in setup")));

}  // namespace
