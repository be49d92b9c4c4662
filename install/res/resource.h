// Resource ids of TQ82Ins.exe. Included by the resource script and by logic (plain numbers).
#pragma once

// Ids the product fixes.
#define IDD_WELCOME 102
#define IDI_PROGRAM 128
#define IDB_BANNER 153

// Controls shared by the pages of the common frame.
#define IDC_BANNER 1000
#define IDC_BACK 1001

// Welcome page.
#define IDC_WELCOME_GREETING 1010
#define IDC_WELCOME_LINE 1011
#define IDC_WELCOME_LIST 1012
#define IDC_WELCOME_BLOCK 1013
#define IDC_WELCOME_TIP 1014
#define IDC_WELCOME_CONTINUE 1015

// String table.
#define IDS_APP_TITLE 100
#define IDS_SECOND_INSTANCE 101
#define IDS_CANCEL_QUESTION 102
#define IDS_CANCEL_CAPTION 103
#define IDS_BUTTON_RESTART 110
#define IDS_BUTTON_CLOSE 111
#define IDS_WELCOME_LINE_PLAIN 120
#define IDS_WELCOME_LINE_INSTALLED 121
#define IDS_WELCOME_BLOCK_INSTALLED 122
#define IDS_COLUMN_PRINTER_NAME 123
#define IDS_COLUMN_PORT 124
