// The boxes the installer shows, written the way Describe() prints them.
#pragma once

#include <string>

#include "common/common.h"

inline std::string Box(const std::string& text, unsigned flags) {
  char hex[16];
  wsprintfA(hex, "0x%X", flags);
  return std::string(SETUP_TITLE) + "|" + text + "|" + hex;
}
inline std::string ReplaceBox(const std::string& target) {
  return Box(target + "\n\nFile already exists. Replace it?", 0x23);
}
inline std::string MissingBox(const std::string& source) {
  return Box(source + "\n\nFile does not exists. Continue?", 0x134);
}
inline std::string AbortedBox() {
  return Box("Installation aborted", 0x30);
}
// The copy-failure box up to the system's reason, which follows.
inline std::string CopyFailedPrefix(const std::string& source, const std::string& target) {
  return std::string(SETUP_TITLE) + "|From: " + source + "\nTo: " + target +
         "\n\nFile could not be copied.\n";
}
