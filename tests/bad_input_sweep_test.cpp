// What a user or a machine can hand the program, swept: field texts, registry
// values and folder lengths. Each case must end without a crash or a smashed
// buffer, touch nothing outside the NSIS folder, and never report
// "Installation complite" unless every file was copied or left out by the user.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/install.h"
#include "res/resource.h"
#include "shell/nsis_registry.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "support/message_boxes.h"
#include "support/nsis_key.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;

// Yes to every question, Cancel when a copy fails, OK to the rest.
int AnswerEverything(const ShownBox& box) {
  if (box.text.find("Continue?") != std::string::npos ||
      box.text.find("Replace it?") != std::string::npos) {
    return IDYES;
  }
  return box.text.find("could not be copied") != std::string::npos ? IDCANCEL : IDOK;
}

// Every file and folder under root that is not under except, with its size.
std::map<std::string, uintmax_t> Snapshot(const std::string& root, const std::string& except) {
  std::map<std::string, uintmax_t> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string path = it->path().string();
    if (path == except || path.rfind(except + "\\", 0) == 0) {
      continue;  // the folder itself and what lies under it; not NSIS.old beside it
    }
    entries[path] = it->is_regular_file(error) ? it->file_size(error) : 0;
  }
  return entries;
}

class SweepTest : public testing::Test {
 protected:
  // Checks the outcome of an installation that was answered by AnswerEverything;
  // completed tells whether the run may have gone through at all.
  void ExpectHonestOutcome(const MessageBoxScript& script, bool completed) {
    bool completionShown = false;
    std::vector<std::string> leftOut;
    for (const ShownBox& box : script.shown()) {
      completionShown |= box.text == "Installation complite";
      if (box.text.find("File does not exists") != std::string::npos) {
        leftOut.push_back(box.text);
      }
    }
    EXPECT_TRUE(completed || !completionShown);
    if (!completionShown) {
      return;
    }
    std::vector<std::string> contents = InstalledContents(installedTo);
    for (size_t i = 0; i < contents.size(); ++i) {
      bool userLeftItOut = false;
      for (const std::string& text : leftOut) {
        userLeftItOut |= text.find(kPackageFiles[i]) != std::string::npos;
      }
      EXPECT_TRUE(contents[i] == kPackageContents[i] || userLeftItOut)
          << kInstalledFiles[i] << " holds " << contents[i] << " after a completed run";
    }
  }

  ScratchDir scratch;
  std::string setup = scratch / "package";
  std::string nsis = scratch / "NSIS";
  std::string installedTo = nsis;
};

// The field's text, however it came there, and then Install.
struct FieldCase {
  const char* name;
  std::string (*text)(const std::string& nsis);
};

class FieldSweep : public SweepTest, public testing::WithParamInterface<FieldCase> {};

TEST_P(FieldSweep, InstallFromTheField) {
  LayOutPackage(setup);
  LayOutNsis(nsis);
  g_hInstance = GetModuleHandleA(nullptr);
  lstrcpyA(g_szSetupDir, setup.c_str());
  InFolder here(scratch.path());  // where a relative text points
  auto before = Snapshot(scratch.path(), nsis);

  NsisKey key;
  HWND dialog =
      CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc, 0);
  ASSERT_NE(dialog, nullptr);
  SetWindowTextA(g_hwndNsisDir, GetParam().text(nsis).c_str());
  bool enabled = IsWindowEnabled(g_hwndInstall);
  MessageBoxScript script(AnswerEverything);
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // as Enter would, whatever the button's state
  if (IsWindow(dialog)) {
    DestroyWindow(dialog);
  }
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

  EXPECT_EQ(Snapshot(scratch.path(), nsis), before);
  ExpectHonestOutcome(script, enabled);
  if (!enabled) {
    EXPECT_TRUE(script.shown().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldSweep,
    testing::Values(FieldCase{"Empty", [](const std::string&) { return std::string(); }},
                    FieldCase{"OneCharacter", [](const std::string&) { return std::string("C"); }},
                    FieldCase{"Length258", [](const std::string& n) { return PaddedPath(n, 258); }},
                    FieldCase{"Length259", [](const std::string& n) { return PaddedPath(n, 259); }},
                    FieldCase{"Length260", [](const std::string& n) { return PaddedPath(n, 260); }},
                    FieldCase{"TrailingBackslash", [](const std::string& n) { return n + "\\"; }},
                    FieldCase{
                        "Wildcards",
                        [](const std::string& n) { return n.substr(0, n.size() - 2) + "?*"; }},
                    FieldCase{"WildcardOnly", [](const std::string&) { return std::string("*"); }},
                    FieldCase{"Relative", [](const std::string&) { return std::string("NSIS"); }},
                    FieldCase{"DotDot", [](const std::string& n) { return n + "\\Docs\\.."; }}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

// Registry values of every type and of sizes around the buffer's.
struct RegistryCase {
  DWORD type;
  size_t bytes;
  bool terminated;
};

// Fills the stack below the caller with non-zero bytes, so that a buffer the
// next call leaves unterminated shows as garbage rather than as a lucky NUL.
__attribute__((noinline)) void LitterTheStack() {
  volatile char litter[32768];
  for (char& c : const_cast<char(&)[sizeof litter]>(litter)) {
    c = 'L';
  }
}

class RegistrySweep : public SweepTest, public testing::WithParamInterface<RegistryCase> {};

TEST_P(RegistrySweep, FieldShowsOnlyAStringThatFits) {
  const RegistryCase& c = GetParam();
  std::string data(c.bytes, 'x');
  if (c.terminated && !data.empty()) {
    data.back() = '\0';
  }
  NsisKey key(c.type, data);
  char field[kPathSize + 16];
  std::memset(field, 'G', sizeof field);
  LitterTheStack();
  ReadNsisDirFromRegistry(field, 0);
  EXPECT_EQ(std::string(field + kPathSize, 16), std::string(16, 'G')) << "written past the buffer";
  field[kPathSize - 1] = '\0';  // the expectation below names what must have been there

  bool isString = c.type == REG_SZ || c.type == REG_EXPAND_SZ;
  bool fits = c.bytes < kPathSize || (c.bytes == kPathSize && c.terminated);
  std::string expected = isString && fits ? data.substr(0, data.find('\0')) : "";
  EXPECT_EQ(std::string(field), expected);
}

std::vector<RegistryCase> RegistryCases() {
  std::vector<RegistryCase> cases;
  for (DWORD type : {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                     REG_LINK, REG_MULTI_SZ, REG_QWORD}) {
    for (size_t bytes : {0, 1, 4, 8, 259, 260, 261}) {
      cases.push_back({type, bytes, false});
      cases.push_back({type, bytes, true});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Values, RegistrySweep, testing::ValuesIn(RegistryCases()));

// Package and NSIS folders of 240 to 260 characters, laid out as far as the
// platform lets such long paths be made.
struct FolderCase {
  bool longPackage;
  size_t length;
};

class FolderSweep : public SweepTest, public testing::WithParamInterface<FolderCase> {};

void LayOutWhatFits(void (*layOut)(const std::string&), const std::string& folder) {
  try {
    layOut(folder);
  } catch (const std::exception&) {
    // Paths past the platform's limit cannot be made; the rest stays.
  }
}

TEST_P(FolderSweep, InstallBetweenLongFolders) {
  std::string& longOne = GetParam().longPackage ? setup : nsis;
  longOne = PaddedPath(scratch.path(), GetParam().length);
  installedTo = nsis;
  LayOutWhatFits(LayOutPackage, setup);
  LayOutWhatFits(LayOutNsis, nsis);
  auto before = Snapshot(scratch.path(), nsis);

  OwnerWindow owner;
  MessageBoxScript script(AnswerEverything);
  BOOL completed = RunInstallation(owner.get(), setup.c_str(), nsis.c_str());
  if (completed) {
    MessageBoxA(owner.get(), "Installation complite", SETUP_TITLE, MB_OK);  // as the dialog would
  }

  EXPECT_EQ(Snapshot(scratch.path(), nsis), before);
  ExpectHonestOutcome(script, true);
}

std::vector<FolderCase> FolderCases() {
  std::vector<FolderCase> cases;
  for (size_t length = 240; length <= 260; ++length) {
    cases.push_back({true, length});
    cases.push_back({false, length});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lengths, FolderSweep, testing::ValuesIn(FolderCases()));

}  // namespace
