#include "install/install.h"
#include "shell/completion.h"
#include "shell/nsis_registry.h"

namespace {

// NSIS 3.07 and later build Unicode installers unless a script says otherwise,
// and those never load an ANSI plug-in. A 64-bit makensis starts at
// amd64-unicode, from where only a change of target reaches an ANSI one.
constexpr char kAnsiAdvice[] =
    "\n\n%s is an ANSI plug-in: a script that uses it needs the line \"Target x86-ansi\" at "
    "its top, as NSIS 3.07 and later build Unicode installers otherwise (a 32-bit makensis also "
    "takes \"Unicode false\").";

// With a 64-bit plug-in beside the ANSI one, only a 32-bit script needs a
// change of target.
constexpr char kAnsiAnd64Advice[] =
    "\n\n%s has no 32-bit Unicode plug-in: a 32-bit script that uses it needs the line \"Target "
    "x86-ansi\" at its top, as NSIS 3.07 and later build Unicode installers otherwise; a 64-bit "
    "script needs no such line.";

constexpr char k64Advice[] =
    "\n\n%s has 64-bit plug-ins only: a script that uses it needs the line \"Target "
    "amd64-unicode\" at its top, and a 64-bit makensis.";

constexpr char kLeftOut[] =
    "\n\nNSIS 2 loads ANSI plug-ins only: %s's Unicode and 64-bit plug-ins were not installed.";

constexpr char kOtherNsisDir[] =
    "\n\nNSISDIR is set: makensis reads its plug-ins and headers from %s, not from the folder "
    "%s was installed into. Install there too, or clear NSISDIR.";

// cmd's set NSISDIR="..." keeps the quotes, and makensis cannot start then.
constexpr char kUnusableNsisDir[] =
    "\n\nNSISDIR is set to %s, which makensis cannot use: set it to the NSIS folder, without "
    "quotes.";

static_assert(64 + sizeof kAnsiAnd64Advice + sizeof kOtherNsisDir + kPathSize + 2 * kNameSize <
                  kCompletionSize,
              "the whole text must fit");

// TRUE when both texts name one folder, as Windows reads them: regardless of
// case, or by the system's word.
BOOL SameFolder(const char* first, const char* second) {
  return lstrcmpiA(first, second) == 0 || SameFile(first, second);
}

}  // namespace

void DescribeCompletion(const char* nsisDir, char* text) {
  CopyText(text, kCompletionSize, g_package->completed);
  BOOL nsis3 = FALSE;
  ProbeNsis3(nsisDir, &nsis3);
  char note[kCompletionSize];
  note[0] = '\0';
  BOOL unicode = PackageHas(kUnicodePlugins);
  BOOL ansi = PackageHas(kAnsiPlugins);
  BOOL amd64 = PackageHas(kAmd64Plugins);
  const char* advice = nullptr;
  if (!nsis3) {
    advice = unicode || amd64 ? kLeftOut : nullptr;
  } else if (!unicode && ansi) {
    advice = amd64 ? kAnsiAnd64Advice : kAnsiAdvice;
  } else if (!unicode && amd64) {
    advice = k64Advice;
  }
  if (advice != nullptr) {
    wsprintfA(note, advice, g_package->name);
  }
  AppendText(text, kCompletionSize, note);
  char variable[kPathSize];
  if (!ReadNsisDirVariable(variable) || SameFolder(variable, nsisDir)) {
    return;
  }
  // A value in quotes, or one that names makensis.exe, names no folder.
  wsprintfA(note, FolderExists(variable) ? kOtherNsisDir : kUnusableNsisDir, variable,
            g_package->name);
  AppendText(text, kCompletionSize, note);
}
