// What the setup says when the package is installed: that it is, and what a
// script needs for the makensis on this machine to use the plug-in.
#pragma once

#include "common/common.h"

// Room for the whole text: the fixed sentences and one path.
constexpr int kCompletionSize = 1024;

// Puts into text (kCompletionSize bytes) the package's completion line and,
// each after a blank line: for an NSIS 3 folder and a package with an ANSI
// plug-in but no x86-unicode one, the line that a script using it needs; for
// an NSIS 2 folder, that the Unicode plug-ins were left out; when %NSISDIR%
// names a folder other than nsisDir, that every makensis reads its plug-ins
// and headers from there, and when it names no folder at all, that makensis
// cannot use it.
void DescribeCompletion(const char* nsisDir, char* text);
