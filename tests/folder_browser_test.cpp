#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "shell/folder_browser.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dir.h"
#include "support/message_boxes.h"
#include "support/nsis_key.h"
#include "support/scratch.h"

namespace {

// What the callback sent to the browser: the message, its wParam, and its
// lParam as text for a selection or as a number for the OK state.
struct Sent {
  UINT message;
  WPARAM wParam;
  std::string selection;
  LPARAM okEnabled;
  bool operator==(const Sent& o) const {
    return message == o.message && wParam == o.wParam && selection == o.selection &&
           okEnabled == o.okEnabled;
  }
};

std::ostream& operator<<(std::ostream& out, const Sent& s) {
  return out << "{" << s.message << ", " << s.wParam << ", \"" << s.selection << "\", "
             << s.okEnabled << "}";
}

std::vector<Sent> g_sent;

// Like the browser, reports a selection it could make as a selection change.
LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BFFM_SETSELECTIONA) {
    g_sent.push_back({message, wParam, reinterpret_cast<const char*>(lParam), 0});
    if (LPITEMIDLIST item = ILCreateFromPathA(reinterpret_cast<const char*>(lParam))) {
      NsisBrowseCallback(hwnd, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), 0);
      CoTaskMemFree(item);
    }
    return 0;
  }
  if (message == BFFM_ENABLEOK) {
    g_sent.push_back({message, wParam, "", lParam});
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Stands in for the browser window and records what the callback sends it.
class StandIn {
 public:
  StandIn() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavrickBrowserStandIn";
    RegisterClassA(&wc);
    window_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
    g_sent.clear();
  }
  ~StandIn() {
    DestroyWindow(window_);
  }
  HWND get() const {
    return window_;
  }

 private:
  HWND window_;
};

Sent Selection(const std::string& path) {
  return {BFFM_SETSELECTIONA, TRUE, path, 0};
}
Sent Ok(bool enabled) {
  return {BFFM_ENABLEOK, 0, "", enabled ? 1 : 0};
}

class BrowseCallbackTest : public testing::Test {
 protected:
  void SetUp() override {
    LayOutNsis(nsis);
  }
  int Opened(std::string fieldText) {
    fieldText.resize(kPathSize);  // the browse command's buffer
    return NsisBrowseCallback(browser.get(), BFFM_INITIALIZED, 0,
                              reinterpret_cast<LPARAM>(fieldText.data()));
  }
  void Select(LPITEMIDLIST item) {
    EXPECT_EQ(NsisBrowseCallback(browser.get(), BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), 0),
              0);
    CoTaskMemFree(item);
  }

  ScratchDir scratch;
  std::string nsis = scratch / "NSIS";
  StandIn browser;
};

TEST_F(BrowseCallbackTest, OpensOnTheFieldsFolderWithOkFromWhatItSelects) {
  EXPECT_EQ(Opened(nsis), 0);
  EXPECT_EQ(g_sent, (std::vector<Sent>{Ok(false), Selection(nsis), Ok(true)}));
}

TEST_F(BrowseCallbackTest, OpensWithOkDisabledOnAFolderWithoutMakensis) {
  Opened(scratch.path());
  EXPECT_EQ(g_sent, (std::vector<Sent>{Ok(false), Selection(scratch.path()), Ok(false)}));
}

// The device form names the NSIS folder, but the browser cannot select it and
// stays on its own first item: OK stays off.
TEST_F(BrowseCallbackTest, SelectionThatSelectsNothingLeavesOkOff) {
  Opened("\\\\.\\" + nsis);
  EXPECT_EQ(g_sent, (std::vector<Sent>{Ok(false), Selection("\\\\.\\" + nsis)}));
}

TEST_F(BrowseCallbackTest, SelectionChangesMoveTheOkState) {
  Select(ILCreateFromPathA(scratch.path().c_str()));
  Select(ILCreateFromPathA(nsis.c_str()));
  EXPECT_EQ(g_sent, (std::vector<Sent>{Ok(false), Ok(true)}));
}

TEST_F(BrowseCallbackTest, ItemWithoutAFileSystemPathDisablesOk) {
  LPITEMIDLIST computer = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  Select(computer);
  EXPECT_EQ(g_sent, std::vector<Sent>{Ok(false)});
}

// A folder whose name is outside the code page is judged by its short form,
// which names it exactly; "????" would be a wildcard that names nothing.
TEST_F(BrowseCallbackTest, FolderOutsideTheCodePageIsJudgedByItsExactShortForm) {
  std::wstring folder = Widen(scratch.path()) + L"\\\u041f\u0451\u0442\u0440";
  MakeNsisFolderW(folder);
  Select(ILCreateFromPathW(folder.c_str()));
  EXPECT_EQ(g_sent, std::vector<Sent>{Ok(true)});
}

TEST_F(BrowseCallbackTest, OtherMessagesAreIgnored) {
  EXPECT_EQ(NsisBrowseCallback(browser.get(), BFFM_VALIDATEFAILEDA, 0, 0), 0);
  EXPECT_TRUE(g_sent.empty());
}

// With makensis.exe in the root of the current drive, an empty field passes
// the dialog's check but never the browser's.
TEST_F(BrowseCallbackTest, EmptyPathNeverEnablesOkUnlikeTheDialog) {
  InFolder here(scratch.path());
  WriteFile("\\makensis.exe", "MZ");

  Opened("");
  EXPECT_EQ(g_sent.back(), Ok(false));
  EXPECT_TRUE(IsNsisDir(""));

  DeleteFileA("\\makensis.exe");
}

// The browser opens on the full path of the field's text, which is also what
// its OK is first decided from.
struct StartPathCase {
  const char* text;
  const char* path;  // "@" stands for the current folder's parent
};

class BrowserStartPathTest : public testing::TestWithParam<StartPathCase> {};

TEST_P(BrowserStartPathTest, IsTheFullPathTheBrowserCanSelect) {
  ScratchDir scratch;
  MakeFolder(scratch / "here");
  char path[kPathSize + 8];
  std::memset(path, 'G', sizeof path);
  {
    InFolder here(scratch / "here");
    BrowserStartPath(GetParam().text, path);
  }

  std::string expected = GetParam().path;
  if (!expected.empty() && expected[0] == '@') {
    expected.replace(0, 1, scratch.path());
  }
  EXPECT_EQ(std::string(path), expected);
  EXPECT_EQ(path[kPathSize], 'G');
}

const std::string kLongRelative(kPathSize - 1, 'r');

INSTANTIATE_TEST_SUITE_P(
    Texts, BrowserStartPathTest,
    testing::Values(StartPathCase{"..\\NSIS", "@\\NSIS"},
                    StartPathCase{"NSIS\\", "@\\here\\NSIS\\"},
                    StartPathCase{"C:/NSIS", "C:\\NSIS"}, StartPathCase{"C:\\NSIS", "C:\\NSIS"},
                    StartPathCase{"\\\\?\\C:\\NSIS", "C:\\NSIS"},
                    StartPathCase{"\\\\.\\C:\\NSIS", "C:\\NSIS"},
                    StartPathCase{"\\\\?\\UNC\\server\\share\\NSIS", "\\\\server\\share\\NSIS"},
                    StartPathCase{"", ""}, StartPathCase{kLongRelative.c_str(), ""}));

// The real browser, opened from the dialog's "..." button and answered by the
// same hook that answers message boxes.
std::string SelectedName(HWND tree) {
  char text[MAX_PATH] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetSelection(tree);
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  return item.hItem && TreeView_GetItem(tree, &item) ? text : "";
}

// Waits, with a deadline, until the browser's tree has selected the item
// named name; false when it has not.
bool WaitForSelection(HWND browser, const std::string& name, DWORD deadlineMs) {
  HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
  DWORD start = GetTickCount();
  while (SelectedName(tree) != name) {
    if (GetTickCount() - start > deadlineMs) {
      return false;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(browser, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
  return true;
}

// Makes sure the browser has path selected before it is answered. Wine's
// browser rebuilds its tree when it hears of folders that were made just
// before it opened, and that can undo the first selection; the user would then
// pick the folder again, and so does this, as often as that happens.
void EnsureSelected(HWND browser, const std::string& path) {
  std::string name = path.substr(path.find_last_of('\\') + 1);
  for (int tries = 0; !WaitForSelection(browser, name, 1000); ++tries) {
    if (tries == 10) {
      ADD_FAILURE() << "the browser did not select " << path << " but "
                    << SelectedName(FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr));
      return;
    }
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
  }
}

class RealBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    LayOutNsis(nsis);
    MakeFolder(plain);
    g_hInstance = GetModuleHandleA(nullptr);
    dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog);
  }
  std::string FieldText() {
    char text[kPathSize] = "";
    GetWindowTextA(g_hwndNsisDir, text, kPathSize);
    return text;
  }
  // Opens the browser on text and answers it with button once folder is
  // selected and whileUp has run; returns the title it showed. OK is pressed
  // only where a user could click it.
  std::string Browse(const std::string& text, int button, const std::string& folder,
                     std::function<void()> whileUp = {}) {
    SetWindowTextA(g_hwndNsisDir, text.c_str());
    MessageBoxScript script{Answer{button, [&](HWND browser) {
                                     EnsureSelected(browser, folder);
                                     if (whileUp) {
                                       whileUp();
                                     }
                                     if (button == IDOK) {
                                       EXPECT_TRUE(IsWindowEnabled(GetDlgItem(browser, IDOK)));
                                     }
                                   }}};
    SendMessageA(dialog, WM_COMMAND, IDC_BROWSE, 0);
    EXPECT_EQ(script.shown().size(), 1u);
    return script.shown().empty() ? "" : script.shown()[0].text;
  }

  NsisKey key;
  ScratchDir scratch;
  std::string nsis = scratch / "NSIS";
  std::string plain = scratch / "plain";
  HWND dialog = nullptr;
};

TEST_F(RealBrowserTest, ChoosingTheOpenedFolderReplacesTheTypedText) {
  EXPECT_EQ(Browse(nsis + "\\", IDOK, nsis), "Choose NSIS directory:");
  EXPECT_EQ(FieldText(), nsis);
  EXPECT_TRUE(IsWindowEnabled(g_hwndInstall));
}

TEST_F(RealBrowserTest, RelativeTextOpensOnItsFolderAndChoosingGivesTheFullPath) {
  {
    InFolder here(plain);
    Browse("..\\NSIS", IDOK, nsis);
  }
  EXPECT_EQ(FieldText(), nsis);
  EXPECT_TRUE(IsWindowEnabled(g_hwndInstall));
}

// makensis.exe goes away while the browser is up, after its OK was enabled:
// Install follows the dialog's own check of the chosen folder.
TEST_F(RealBrowserTest, InstallStateAfterChoosingComesFromTheDialogsOwnCheck) {
  Browse(nsis + "\\", IDOK, nsis, [&] { DeleteFileA((nsis / "makensis.exe").c_str()); });
  EXPECT_EQ(FieldText(), nsis);
  EXPECT_FALSE(IsWindowEnabled(g_hwndInstall));
}

// What the callback asks the browser to select, seen on its way there.
std::vector<std::string> g_selections;

LRESULT CALLBACK RecordSelection(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == BFFM_SETSELECTIONA && sent->wParam) {
    g_selections.push_back(reinterpret_cast<const char*>(sent->lParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Forward slashes are what the browser cannot select; it is handed the full path.
TEST_F(RealBrowserTest, OpensOnTheFullPathOfTheFieldsText) {
  std::string slashed = nsis;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  g_selections.clear();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSelection, nullptr, GetCurrentThreadId());
  Browse(slashed, IDCANCEL, nsis);
  UnhookWindowsHookEx(hook);
  ASSERT_FALSE(g_selections.empty());
  EXPECT_EQ(g_selections[0], nsis);
}

TEST_F(RealBrowserTest, CancelLeavesFieldAndInstallAsTheyWere) {
  Browse(nsis + "\\", IDCANCEL, nsis);
  EXPECT_EQ(FieldText(), nsis + "\\");
  EXPECT_TRUE(IsWindowEnabled(g_hwndInstall));
}

}  // namespace
