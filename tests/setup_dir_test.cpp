#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/setup_dialog.h"

namespace {

struct ModulePathCase {
  std::string modulePath;
  DWORD reportedLength;  // as GetModuleFileNameA returned it
  BOOL usable;
  std::string folder;
};

class SetupDirTest : public testing::TestWithParam<ModulePathCase> {};

TEST_P(SetupDirTest, CutsAtTheLastBackslash) {
  const ModulePathCase& c = GetParam();
  char buffer[kPathSize];
  std::memset(buffer, 'z', sizeof buffer);  // a cut-short path may have no terminator
  std::memcpy(buffer, c.modulePath.data(), std::min(c.modulePath.size() + 1, sizeof buffer));
  EXPECT_EQ(SetupDirFromModulePath(buffer, c.reportedLength), c.usable);
  EXPECT_EQ(std::string(buffer), c.folder);
}

const std::string kDeep = "C:\\" + std::string(250, 'd') + "\\TavrickSetup.exe";

INSTANTIATE_TEST_SUITE_P(
    Paths, SetupDirTest,
    testing::Values(ModulePathCase{"C:\\Package\\TavrickSetup.exe", 27, TRUE, "C:\\Package"},
                    ModulePathCase{"C:\\TavrickSetup.exe", 19, TRUE, "C:"},
                    ModulePathCase{"C:\\a\\b\\c\\x.exe", 14, TRUE, "C:\\a\\b\\c"},
                    ModulePathCase{"TavrickSetup.exe", 16, TRUE, ""},
                    ModulePathCase{"", 0, TRUE, ""},
                    ModulePathCase{kDeep.substr(0, 259), 259, TRUE, "C:\\" + std::string(250, 'd')},
                    ModulePathCase{kDeep, 260, FALSE, ""}));

}  // namespace
