// Resource and control identifiers of the setup program.
#pragma once

#define IDI_SETUP 1001
#define IDD_SETUP 1002
#define IDC_LOGO 1003
#define IDC_NSIS_DIR 1004
#define IDC_BROWSE 1005

// Both programs' version, in the resources and in the receipt an install writes.
#define SETUP_VERSION 1, 0, 0, 0
#define SETUP_VERSION_TEXT "1.0.0"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
