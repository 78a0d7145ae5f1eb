/* Resource and control ids of agkest.exe, shared by its resource script and its code. */
#pragma once

/* Popup menu commands (also the accelerators' commands). */
#define IDM_NEW 1010
#define IDM_OPEN 1020
#define IDM_SAVE 1030
#define IDM_SAVE_AS 1040
#define IDM_EXIT 1090
#define IDM_EDIT 2000
#define IDM_COM_SETTINGS 2100
#define IDM_DOWNLOAD_DIRECT 3020
#define IDM_DOWNLOAD_CRADLE 3021
#define IDM_UPLOAD_DIRECT 3030
#define IDM_UPLOAD_CRADLE 3031
#define IDM_LOOKUP_DIRECT 3040
#define IDM_LOOKUP_CRADLE 3041
#define IDM_HELP_CONTENTS 9010
#define IDM_HELP_FINDER 9020
#define IDM_ABOUT 9030

/* The terminal window's control id inside the main window. */
#define IDC_TERMINAL 100

/* ComSettingDlg */
#define IDC_COM_PORT 601
#define IDC_BAUDRATE 602

/* AboutBox: the version line the program writes. */
#define IDC_ABOUT_VERSION 401

/* String table: file filters and key names. */
#define IDS_FILTER_AGX 10000
#define IDS_FILTER_ATX 10001
#define IDS_FILTER_ALL 10002
#define IDS_PATTERN_AGX 10100
#define IDS_PATTERN_ATX 10101
#define IDS_PATTERN_ALL 10102
