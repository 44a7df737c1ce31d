// What the setup says when the package is installed: that it is, and what a
// script needs for the makensis on this machine to use the plug-in.
#pragma once

#include "common/common.h"

inline constexpr char kCompleted[] = "Installation complite";

// Room for the whole text: the fixed sentences and one path.
constexpr int kCompletionSize = 1024;

// Puts into text (kCompletionSize bytes) "Installation complite" and, each
// after a blank line: for an NSIS 3 folder, the line that a script using the
// ANSI plug-in needs; when %NSISDIR% names a folder other than nsisDir, that
// every makensis reads its plug-ins and headers from there, and when it names
// no folder at all, that makensis cannot use it.
void DescribeCompletion(const char* nsisDir, char* text);
