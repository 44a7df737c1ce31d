// The setup dialog: its procedure and the two controls the program keeps.
#pragma once

#include "common/common.h"

extern HWND g_hwndInstall;  // the dialog's Install button
extern HWND g_hwndNsisDir;  // the dialog's NSIS directory field

// Its creation parameter is the folder the field starts with, or 0 for the one
// the registry and the usual places name. As it ends it posts the quit message
// with the process's exit code.
INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
