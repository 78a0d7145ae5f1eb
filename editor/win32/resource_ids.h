/* Resource and control ids of agkest.exe, shared by its resource script and its code. */
#pragma once

#include "editor/command_ids.h"
#include "editor/com_setting_ids.h"

/* The terminal window's control id inside the main window. */
#define IDC_TERMINAL 100

/* AboutBox: the version line the program writes. */
#define IDC_ABOUT_VERSION 401

/* String table: file filters and key names. */
#define IDS_FILTER_AGX 10000
#define IDS_FILTER_ATX 10001
#define IDS_FILTER_ALL 10002
#define IDS_PATTERN_AGX 10100
#define IDS_PATTERN_ATX 10101
#define IDS_PATTERN_ALL 10102
