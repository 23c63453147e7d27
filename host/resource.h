// Resource and control numbers of the host program.
#pragma once

#include "core/contract.h"

#define IDR_MAINMENU 1
#define IDI_QUILLRUN 2

#define IDM_RUN 1001
#define IDM_EXIT 1002
#define IDM_HISTORY 1101
#define IDM_JUMP 1102
#define IDM_ALIAS 1103
#define IDM_HOKAN 1104
#define IDM_CTRLSHIFT 1105
#define IDM_HEROPA 1106
#define IDM_SAVEHISTORY 1107
#define IDM_HOOKS 1108
#define IDM_DEFAULTS 1109
#define IDM_MACROHOOKS 1120
#define IDM_STARTUP 1110
#define IDM_ANYEDIT 1111
#define IDM_SHOW 1003
#define IDM_ABOUT 1201

// Controls of the main window.
#define IDC_HOTKEY_LINE 300
#define IDC_STATE_LINE 301
#define IDC_MACRO_LINE 310

// The completion dialog: the pattern line and the listing.
#define IDC_HOKAN_PATTERN QR_COMPLETION_PATTERN_ID
#define IDC_HOKAN_LIST QR_COMPLETION_LIST_ID

// The "FileOpen" template.
#define IDC_FO_NAME QR_FILEOPEN_NAME_ID
#define IDC_FO_DIR QR_FILEOPEN_DIR_ID
#define IDC_FO_LIST QR_FILEOPEN_LIST_ID
