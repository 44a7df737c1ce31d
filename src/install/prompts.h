// The installer's message boxes, each captioned with the setup's title, and
// what an unattended run says and answers in their place.
#pragma once

#include "common/common.h"

// Room for a system error description, cut to fit.
constexpr int kReasonSize = 256;

// With unattended set, from now on no box is shown: a question whether to
// replace a file is answered Yes (the command line is the consent), every
// other question No or Cancel, and each text goes to the standard error that
// the caller handed the process, if any.
void AnswerUnattended(BOOL unattended);

// TRUE in an unattended run, whose command line consents to replacing any
// file, also one that appears while it is being installed.
BOOL IsUnattended();

// Writes text, and a line end after it and after each of its line feeds, to
// the given standard handle (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE) where the
// caller handed the process one; a window program has none of its own. The
// lines are in the OEM code page, which consoles and PowerShell decode a
// program's output with; a character that page lacks becomes '?'.
void TellCaller(DWORD stream, const char* text);

// In an unattended run, writes "path: what" to the given standard handle.
void TellAboutPath(DWORD stream, const char* path, const char* what);

// In an unattended run, writes "target: what" to the standard output.
void TellDone(const char* target, const char* what);

// Shows "path", a blank line and text, and returns the button chosen.
int AskAboutPath(HWND owner, const char* path, const char* text, UINT flags);

// Asks whether to go on without the package file source, which is missing;
// TRUE to go on. An unattended run says that it is missing, and stops.
BOOL AskToSkipMissing(HWND owner, const char* source);

// Tells the user that copying source to target failed with error and offers
// Retry or Cancel; returns the button chosen. An unattended run writes
// "target: reason" to the standard error, and cancels.
int AskAfterFailedCopy(HWND owner, const char* source, const char* target, DWORD error);

// Tells the user that path could not be handled, what, and the reason for
// error, and offers Retry or Cancel; returns the button chosen. An unattended
// run writes "path: reason" to the standard error, and cancels.
int AskToRetry(HWND owner, const char* path, const char* what, DWORD error);

// Shows text, which ends a run that went through, with the information icon;
// an unattended run writes it to the standard output.
void ShowDone(HWND owner, const char* text);

// Shows text with the error icon and no owner.
void ShowProblem(const char* text);

// Shows "path: what" as ShowProblem shows its text.
void ShowPathProblem(const char* path, const char* what);

// Shows "Installation aborted" and returns FALSE, so callers can stop with it.
BOOL ShowAborted(HWND owner);

// Tells the user that the path beginning with partialPath is too long to be
// used, and returns FALSE: the installation stops.
BOOL ShowPathTooLong(HWND owner, const char* partialPath);

// Puts the system's description of error into text (size bytes),
// cut to fit, or "Error N" when the system has none.
void DescribeError(DWORD error, char* text, int size);
