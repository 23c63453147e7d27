// winsim: list-box and list-view messages (the controls themselves are the
// tests' handlers).
#pragma once

#ifndef LB_SETHORIZONTALEXTENT
#define LB_SETHORIZONTALEXTENT 0x0194
#endif
#ifndef LVM_FIRST
#define LVM_FIRST 0x1000
#endif
#ifndef LVM_SETEXTENDEDLISTVIEWSTYLE
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#endif
#ifndef LVS_EX_FULLROWSELECT
#define LVS_EX_GRIDLINES 0x00000001
#define LVS_EX_CHECKBOXES 0x00000004
#define LVS_EX_FULLROWSELECT 0x00000020
#endif
