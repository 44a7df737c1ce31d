#include "install/package.h"
#include "package/nsis_files.h"

namespace {

// As NSIS 3.08 lays them out (the same plug-ins in each Plugins folder, and
// in NSIS 2's Plugins itself); each list ends with an empty name.
constexpr char kNsisHeaders[] =
    "Colors.nsh\0FileFunc.nsh\0InstallOptions.nsh\0Integration.nsh\0LangFile.nsh\0Library."
    "nsh\0LogicLib.nsh\0MUI.nsh\0MUI2.nsh\0Memento.nsh\0MultiUser.nsh\0Sections.nsh\0StrFunc."
    "nsh\0TextFunc.nsh\0UpgradeDLL.nsh\0Util.nsh\0VB6RunTime.nsh\0VPatchLib.nsh\0Win\0WinCore."
    "nsh\0WinMessages.nsh\0WinVer.nsh\0WordFunc.nsh\0nsDialogs.nsh\0x64.nsh\0";
constexpr char kNsisPlugins[] =
    "AdvSplash.dll\0Banner.dll\0BgImage.dll\0Dialer.dll\0InstallOptions.dll\0LangDLL.dll\0Math."
    "dll\0NSISdl.dll\0Splash.dll\0StartMenu.dll\0System.dll\0TypeLib.dll\0UserInfo.dll\0VPatch."
    "dll\0nsDialogs.dll\0nsExec.dll\0";
constexpr char kNsisFolders[] =
    "AdvSplash\0Banner\0BgImage\0Dialer\0InstallOptions\0Math\0Modern UI\0Modern UI 2\0"
    "MultiUser\0NSISdl\0Plugin\0Splash\0StartMenu\0StrFunc\0System\0UserInfo\0VPatch\0"
    "nsDialogs\0nsExec\0";

BOOL IsListed(const char* list, const char* name) {
  for (const char* listed = list; *listed != '\0'; listed += lstrlenA(listed) + 1) {
    if (lstrcmpiA(listed, name) == 0) {
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

BOOL IsNsisFile(const char* folder, const char* name) {
  return IsListed(IsUnder(folder, "Plugins") ? kNsisPlugins : kNsisHeaders, name);
}

BOOL IsNsisFolder(const char* name) {
  return IsListed(kNsisFolders, name);
}
