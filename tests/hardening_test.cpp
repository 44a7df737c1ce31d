#include <gtest/gtest.h>

#include <string>

#include "shell/hardening.h"
#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

// A system library that the setup program loads only once it runs, when its
// first window is made. The test runs with Wine told to prefer a native copy of
// that name, as Windows would for any library outside its known list; Wine
// takes that from the environment the test program itself was started with.
constexpr char kPlantedName[] = "uxtheme.dll";

struct PlantingCase {
  const char* name;
  const char* program;    // copied into the download folder as program.exe
  const char* arguments;  // for the probe: the library, and "harden" to restrict first
  bool plantedCopyLoads;
};

class DllPlantingTest : public testing::TestWithParam<PlantingCase> {};

// The program and a planted copy of the library lie side by side, as a
// download folder might have them.
TEST_P(DllPlantingTest, PlantedLibraryLoadsOnlyWithoutTheRestriction) {
  const PlantingCase& c = GetParam();
  ScratchDir scratch;
  std::string folder = scratch / "download";
  std::string marker = folder / "planted.marker";
  MakeFolder(folder);
  std::string here = TestProgramFolder();
  ASSERT_TRUE(CopyFileA((here / c.program).c_str(), (folder / "program.exe").c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileA((here / "planted_dll.dll").c_str(), (folder / kPlantedName).c_str(), FALSE));

  {
    SetupProcess program(folder / "program.exe", c.arguments, scratch.path());
    ASSERT_TRUE(program.started());
    // The probe ends by itself; the setup program is done loading once its
    // dialog shows, unless the planted copy came first.
    DWORD start = GetTickCount();
    while (!Exists(marker) && GetTickCount() - start < SetupProcess::kDeadlineMs &&
           program.WaitForWindow(SETUP_TITLE, nullptr, 20) == nullptr && program.running()) {
    }
  }

  EXPECT_EQ(Exists(marker), c.plantedCopyLoads);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, DllPlantingTest,
    testing::Values(PlantingCase{"ProbeUnrestricted", "load_probe.exe", kPlantedName, true},
                    PlantingCase{"ProbeRestricted", "load_probe.exe", "uxtheme.dll harden", false},
                    PlantingCase{"SetupProgram", "..\\TavrickSetup.exe", "", false}),
    [](const testing::TestParamInfo<PlantingCase>& info) { return std::string(info.param.name); });

// Critical-error boxes are turned off at start, and whatever else the system
// had set for the process stays.
TEST(ErrorModeTest, StartAddsFailCriticalErrorsToTheModeItFinds) {
  UINT previous = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  HardenProcess();
  EXPECT_EQ(GetErrorMode(), UINT{SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS});
  SetErrorMode(previous);
}

}  // namespace
