// Resource symbols of TovakSetup.exe, shared by its resource scripts and its code.
#pragma once

#define IDD_ABOUT 100
#define IDD_SETUP 102
#define IDI_SETUP 128

#define IDC_ABOUT 1000
#define IDC_INSTALL 1001
#define IDC_UNINSTALL 1002
#define IDC_SITE 1004

#define IDS_ABOUT_MENU 101
#define IDS_SITE_ADDRESS 102
#define IDS_ASK_INSTALL 103
#define IDS_INSTALL_STARTED 104
#define IDS_ASK_UNINSTALL 105
#define IDS_UNINSTALL_STARTED 106
#define IDS_INSTALL_FAILED 107
#define IDS_UNINSTALL_FAILED 108
#define IDS_INSTALL_COMMAND 112
#define IDS_UNINSTALL_COMMAND 113
#define IDS_INSTALL_USER_COMMAND 114
#define IDS_UNINSTALL_USER_COMMAND 115

// System-menu command of the About entry; its low four bits are zero.
#define IDM_ABOUT 0x0010
