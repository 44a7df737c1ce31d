// What the installer and the setup shell share: the caption, path sizes,
// bounded text joining and the existence probes.
#pragma once

#include <windows.h>

// Every path buffer holds this many bytes, the terminating NUL included.
constexpr int kPathSize = MAX_PATH;

inline constexpr char SETUP_TITLE[] = "Tavrick Plugin (for Pocket PC) Setup";

inline constexpr char kAborted[] = "Installation aborted";

// Told to the user when a path would not fit its buffer; the setup then ends.
inline constexpr char kPathTooLong[] = "Path is too long. Installation aborted";

// Appends text to the NUL-terminated contents of buffer (size bytes in all).
// Never writes past the buffer and always leaves it terminated. Returns FALSE
// when text had to be cut short to fit.
BOOL AppendText(char* buffer, int size, const char* text);

// Sets buffer (size bytes) to text, as AppendText does to an empty buffer.
BOOL CopyText(char* buffer, int size, const char* text);

// Sets path to "folder\name". Returns FALSE when that does not fit kPathSize
// bytes; path then holds the part that did, which must not name a file.
BOOL FormPath(char* path, const char* folder, const char* name);

// Takes each '/' in path as '\', read by character: in a double-byte code
// page a trail byte may look like either.
void TakeSlashes(char* path);

// The last '\' of path, read by character, or nullptr.
char* LastSeparator(char* path);

// Cuts path at its last '\', read by character, leaving its folder. FALSE,
// with path unchanged, when it has none.
BOOL CutName(char* path);

// ERROR_SUCCESS when a file search finds anything for path: a file, a folder,
// or any match of a wildcard pattern. Otherwise the system's reason, which
// means "absent" only where IsAbsent says so.
DWORD ProbePath(const char* path);

// TRUE when a probe's reason says that there is nothing there: not a denied
// search, a dropped network share or anything else that leaves it unknown.
BOOL IsAbsent(DWORD probe);

// TRUE when ProbePath finds something for path.
BOOL FileExists(const char* path);

// TRUE when the system vouches that both paths name one and the same existing
// file, however each is spelt (relative parts, short names, links). Where the
// file system cannot tell one file from another, FALSE.
BOOL SameFile(const char* first, const char* second);

// ERROR_SUCCESS when folder exists as a folder, ERROR_FILE_NOT_FOUND when it is
// a file, otherwise the system's reason.
DWORD ProbeFolder(const char* folder);

// TRUE when folder exists as a folder (and not as a file).
BOOL FolderExists(const char* folder);

// TRUE when path lies on a file server: a \\server\share path, or one on a
// drive that the system calls remote (a mapped network drive).
BOOL IsOnNetwork(const char* path);

// TRUE when folder holds makensis.exe: the test of an NSIS directory. The
// folder's text is used as it is; a candidate that does not fit is not found,
// and neither is one that begins like a server's name but names no server,
// share and file below it, for which no search is made.
BOOL IsNsisDir(const char* folder);
