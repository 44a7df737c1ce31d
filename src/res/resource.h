// Resource and control identifiers of the setup program.
#pragma once

#define IDI_SETUP 1001
#define IDD_SETUP 1002
#define IDC_LOGO 1003
#define IDC_NSIS_DIR 1004
#define IDC_BROWSE 1005

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
