// Drives the setup program through each of its windows for scripts/pictures.
// At each window worth a picture it prints "SHOT name x y width height" and
// waits for a line on its input, so the caller can take the picture first.
// Usage: picture_driver SETUP_EXE
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdio>
#include <iostream>
#include <string>

#include "common/common.h"
#include "support/nsis_key.h"
#include "support/scratch.h"
#include "support/setup_process.h"

namespace {

constexpr int kBrowse = 1005;
bool g_failed = false;

void Shot(const char* name, HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  std::printf("SHOT %s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
  std::fflush(stdout);
  std::string taken;
  std::getline(std::cin, taken);
}

// One run of the program on a fresh package and NSIS folder; prepare changes
// them first, and drive does the rest.
template <typename Prepare, typename Drive>
void Scenario(const std::string& setupExe, Prepare prepare, Drive drive) {
  ScratchDir scratch("C:", "Tavrick");  // the same names in every run's pictures
  std::string package = scratch / "TavrickPackage";
  std::string nsis = scratch / "NSIS";
  LayOutPackage(package);
  LayOutNsis(nsis);
  CopyFileA(setupExe.c_str(), (package / "TavrickSetup.exe").c_str(), FALSE);
  prepare(package, nsis);
  NsisKey key(REG_SZ, NsisKey::Sz(nsis));
  SetupProcess setup(package / "TavrickSetup.exe", "", package);
  HWND dialog = setup.WaitForDialog();
  if (dialog == nullptr) {
    std::fprintf(stderr, "picture_driver: the dialog did not appear\n");
    std::exit(1);
  }
  drive(setup, dialog);
  setup.WaitForExit();
}

void Nothing(const std::string&, const std::string&) {}

void Installed(const std::string&, const std::string& nsis) {
  MarkInstalled(nsis);
}

// Memory lent in the process that owns a window, for a message whose lParam
// points to data: a pointer into this process means nothing there.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : size_(size) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    at_ = static_cast<char*>(
        VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteMemory() {
    VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  char* at() const {
    return at_;
  }
  // Sends message with lParam pointing to the lent memory, which holds data
  // first and is read back into it afterwards.
  bool Send(HWND window, UINT message, WPARAM wParam, void* data) {
    DWORD_PTR result = 0;
    return WriteProcessMemory(process_, at_, data, size_, nullptr) &&
           SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(at_),
                               SMTO_ABORTIFHUNG, 1000, &result) &&
           ReadProcessMemory(process_, at_, data, size_, nullptr) && result != 0;
  }

 private:
  size_t size_;
  HANDLE process_;
  char* at_;
};

// The text of the item selected in a tree view of another process.
std::string SelectedName(HWND tree) {
  struct Item {
    TVITEMA item;
    char text[MAX_PATH];
  } local = {};
  RemoteMemory remote(tree, sizeof local);
  local.item.mask = TVIF_TEXT;
  local.item.hItem = TreeView_GetSelection(tree);
  local.item.pszText = remote.at() + offsetof(Item, text);
  local.item.cchTextMax = MAX_PATH;
  return local.item.hItem && remote.Send(tree, TVM_GETITEMA, 0, &local) ? local.text : "";
}

// Waits, with a deadline, until the browser has selected folder and its OK
// button has taken its final state, enabled. Wine's browser rebuilds its tree
// when it hears of folders made just before it opened, which can undo its
// first selection; a user would then pick the folder again, and so does this.
bool WaitUntilSettled(HWND browser, std::string folder) {
  HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
  std::string name = folder.substr(folder.find_last_of('\\') + 1);
  DWORD start = GetTickCount();
  for (DWORD asked = start; GetTickCount() - start < SetupProcess::kDeadlineMs;) {
    if (SelectedName(tree) == name && IsWindowEnabled(GetDlgItem(browser, IDOK))) {
      // Scrolled the same way whether or not the folder was picked again.
      SendMessageA(tree, WM_VSCROLL, SB_TOP, 0);
      SendMessageA(tree, TVM_ENSUREVISIBLE, 0,
                   reinterpret_cast<LPARAM>(TreeView_GetSelection(tree)));
      return true;
    }
    if (GetTickCount() - asked > 1000) {
      RemoteMemory(browser, folder.size() + 1)
          .Send(browser, BFFM_SETSELECTIONA, TRUE, folder.data());
      asked = GetTickCount();
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  std::fprintf(stderr, "picture_driver: the browser did not settle on %s\n", folder.c_str());
  return false;
}

// Shoots the next box, then answers it.
void ShootBox(SetupProcess& setup, HWND dialog, const char* name, int button) {
  HWND box = setup.WaitForWindow(SETUP_TITLE, dialog);
  Shot(name, box);
  setup.Answer(dialog, button);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  std::string exe = argv[1];
  Scenario(exe, Nothing, [](SetupProcess&, HWND dialog) {
    Shot("setup-dialog", dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Scenario(exe, Nothing, [](SetupProcess& setup, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, kBrowse, 0);
    HWND browser = setup.WaitForWindow("Browse for Folder", dialog);
    if (browser == nullptr) {
      browser = setup.WaitForWindow("", dialog);
    }
    if (WaitUntilSettled(browser, "C:\\Tavrick\\NSIS")) {
      Shot("folder-browser", browser);
    } else {
      g_failed = true;
    }
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Scenario(
      exe,
      [](const std::string& package, const std::string&) {
        DeleteFileA((package / "Readme.txt").c_str());
      },
      [](SetupProcess& setup, HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ShootBox(setup, dialog, "prompt-missing-source", IDNO);
      });
  Scenario(exe, Installed, [](SetupProcess& setup, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ShootBox(setup, dialog, "prompt-replace", IDCANCEL);
    ShootBox(setup, dialog, "prompt-aborted", IDOK);
  });
  // The installed readme is open in another program, as a viewer holds it.
  static HANDLE readmeInUse = INVALID_HANDLE_VALUE;
  Scenario(
      exe,
      [](const std::string&, const std::string& nsis) {
        std::string readme = nsis / "Docs\\Tavrick\\Readme.txt";
        WriteFile(readme, "old");
        readmeInUse = OpenForReading(readme);
      },
      [](SetupProcess& setup, HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        setup.Answer(dialog, IDYES);
        ShootBox(setup, dialog, "prompt-copy-failed", IDCANCEL);
        setup.Answer(dialog, IDOK);
      });
  CloseHandle(readmeInUse);
  // An NSIS 3, which builds Unicode installers unless a script says otherwise.
  Scenario(
      exe,
      [](const std::string&, const std::string& nsis) {
        MakeFolder(nsis / "Plugins\\x86-unicode");
      },
      [](SetupProcess& setup, HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ShootBox(setup, dialog, "prompt-completed", IDOK);
      });
  return g_failed ? 1 : 0;
}
