// Resource identifiers of the setup program.
#pragma once

// Dialog templates
#define IDD_MESSAGE 100
#define IDD_AGREEMENT 101
#define IDD_DIRECTORY 102
#define IDD_PROGRESS 103
#define IDD_OPTIONS 134

// The payload archive (RT_RCDATA), and the CRC-32 of its bytes that the payload tool
// writes beside it (RT_RCDATA, four bytes, little-endian)
#define IDR_PAYLOAD 127
#define IDR_PAYLOAD_CHECK 126

// Icon and bitmaps
#define IDI_SETUP 128
#define IDB_SPLASH 129
#define IDB_SLIDE1 130
#define IDB_SLIDE2 131
#define IDB_SLIDE3 132
#define IDB_SLIDE4 133

// Controls
#define IDC_TEXT 1000
#define IDC_AGREEMENT_EDIT 1001
#define IDC_DIR_LIST 1002
#define IDC_DRIVE_COMBO 1003
#define IDC_DIR_EDIT 1004
#define IDC_PROGRESS_BAR 1005
#define IDC_SLIDE_PICTURE 1006
#define IDC_OPT_APPLICATION 1008
#define IDC_OPT_MANUALS 1010
#define IDC_OPT_READER 1011

// String table
#define IDS_AGREEMENT_TEXT 1
#define IDS_WELCOME_TEXT 2
#define IDS_ERR_CREATE_DIR 3
#define IDS_SUPPORT_TEXT 4
#define IDS_TITLE_ERROR 5
#define IDS_TITLE_WELCOME 6
#define IDS_TITLE_COMPLETE 7
#define IDS_SLIDE1 8
#define IDS_SLIDE2 9
#define IDS_SLIDE3 10
#define IDS_SLIDE4 11
#define IDS_ERR_NO_OPTION 12
#define IDS_CONFIRM_EXISTING_DIR 13
#define IDS_TITLE_ATTENTION 14
#define IDS_CONFIRM_NEW_DIR 15
