// Resource ids of VNTAdminUninstall.exe. Included by the resource script and by the program and
// its end-to-end robot (plain numbers).
#pragma once

// The procedure's messages in the string table (1001-1003).
#include "../message_ids.h"

#define IDD_ABOUT 100
#define IDD_UNINSTALL 102
#define IDI_PROGRAM 128

// Confirmation dialog: the question (the buttons are IDOK and IDCANCEL).
#define IDC_QUESTION 1000

// About box.
#define IDC_ABOUT_ICON 1010
#define IDC_ABOUT_NAME 1011
#define IDC_ABOUT_COPYRIGHT 1012
