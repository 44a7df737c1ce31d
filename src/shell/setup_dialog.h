// The setup dialog: its procedure and the two controls the program keeps.
#pragma once

#include "common/common.h"

extern HWND g_hwndInstall;  // the dialog's Install button
extern HWND g_hwndNsisDir;  // the dialog's NSIS directory field

INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
