#include <gtest/gtest.h>

#include <string>

#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

// A system library that nothing in the probe has loaded before it asks.
constexpr char kPlantedName[] = "dwmapi.dll";

struct PlantingCase {
  const char* name;
  const char* probeArguments;
  bool plantedCopyLoads;
};

class DllPlantingTest : public testing::TestWithParam<PlantingCase> {};

// The probe and a planted copy of the library lie side by side, as a download
// folder might have them; Wine is told to prefer a native copy of that name,
// as Windows would for any library outside its known list.
TEST_P(DllPlantingTest, PlantedLibraryLoadsOnlyWithoutTheRestriction) {
  ScratchDir scratch;
  std::string folder = scratch / "download";
  MakeFolder(folder);
  std::string here = TestProgramFolder();
  ASSERT_TRUE(CopyFileA((here / "load_probe.exe").c_str(), (folder / "probe.exe").c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileA((here / "planted_dll.dll").c_str(), (folder / kPlantedName).c_str(), FALSE));

  char overrides[512] = "";
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  std::string previous = overrides;
  SetEnvironmentVariableA("WINEDLLOVERRIDES",
                          (previous.empty() ? "" : previous + ";").append("dwmapi=n,b").c_str());
  int exitCode = -1;
  {
    SetupProcess probe(folder / "probe.exe",
                       std::string(kPlantedName) + " " + GetParam().probeArguments, scratch.path());
    ASSERT_TRUE(probe.started());
    exitCode = probe.WaitForExit();
  }
  SetEnvironmentVariableA("WINEDLLOVERRIDES", previous.empty() ? nullptr : previous.c_str());

  EXPECT_EQ(exitCode, 0);  // the library loads either way, from one place or the other
  EXPECT_EQ(Exists(folder / "planted.marker"), GetParam().plantedCopyLoads);
}

INSTANTIATE_TEST_SUITE_P(Probes, DllPlantingTest,
                         testing::Values(PlantingCase{"Unrestricted", "", true},
                                         PlantingCase{"Restricted", "harden", false}),
                         [](const testing::TestParamInfo<PlantingCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
