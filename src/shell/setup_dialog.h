// The setup dialog: its procedure and the two controls the program keeps.
#pragma once

#include "common/common.h"

extern HWND g_hwndInstall;  // the dialog's Install button
extern HWND g_hwndNsisDir;  // the dialog's NSIS directory field

// Its creation parameter is the command line's Arguments: the folder the field
// starts with (nullptr: the one the registry and the usual places name), and
// whether the dialog removes; 0 for neither. As it ends it posts the quit message
// with the process's exit code.
INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
