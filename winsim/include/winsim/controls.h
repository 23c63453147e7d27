// winsim: messages and styles of the standard controls (edit fields, list
// boxes, combo boxes).  The controls themselves are in winsim_editline.h.
#pragma once

#include "winsim/types.h"

// Edit controls.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_SETPASSWORDCHAR 0x00CC
#define EM_GETPASSWORDCHAR 0x00D2

// List boxes.
#define LB_ADDSTRING 0x0180
#define LB_RESETCONTENT 0x0184
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_DIR 0x018D
#define LB_OKAY 0
#define LB_ERR (-1)
#define LBS_SORT 0x0002L
#define LBS_STANDARD 0x00A00003L

// LB_DIR attributes.
#define DDL_READWRITE 0x0000
#define DDL_READONLY 0x0001
#define DDL_HIDDEN 0x0002
#define DDL_SYSTEM 0x0004
#define DDL_DIRECTORY 0x0010
#define DDL_ARCHIVE 0x0020
#define DDL_DRIVES 0x4000
#define DDL_EXCLUSIVE 0x8000

// Combo boxes.
#define CBS_DROPDOWN 0x0002L
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETDROPPEDSTATE 0x0157
