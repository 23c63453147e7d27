// The window actions of the Ctrl+Shift command table, and their plain
// helpers, kept apart from the platform calls.
#pragma once

#include <windows.h>

// The actions, each run on the key-down of its Ctrl+Shift key.
void ActCloseWindowUnderPointer(void);       // Space
void ActPointerToScreenCentre(void);         // Left
void ActToggleIconAnimation(void);           // Insert
void ActToggleHostWindow(void);              // Delete
void ActUnderPointerToBottom(void);          // 0
void ActDisableWindowUnderPointer(void);     // 7
void ActEnableDisabledWindow(void);          // 8
void ActUnderPointerTopmost(void);           // 9
void ActRaiseZure(void);                     // B
void ActLowerZure(void);                     // V
void ActRaiseAida(void);                     // E
void ActLowerAida(void);                     // D
void ActToggleStyle(WPARAM kind);            // C F G H L O T: kinds 1 to 7
void ActSysCommandToAll(WPARAM command);     // I J N U
void ActArrangeIcons(void);                  // K
void ActListBoxExtentUnderPointer(void);     // F2
void ActListViewFullRowUnderPointer(void);   // F3
void ActResetFontUnderPointer(void);         // F8

// The style bits SetWS sets or clears for a kind (1 to 7); 0 for any other.
LONG WindowStyleOfKind(int kind);
// The style with the kind's bits set (on is exactly 1) or cleared (any other
// value of on).
LONG StyleWithKind(LONG style, int kind, int on);
// 1 when Ctrl+Shift+F2 widens a list box of this class (letter case aside).
int IsExtentListBoxClass(const char* name);
// 1 when Ctrl+Shift+Space may close a window of this class: not empty and not
// one of the numbered system classes ('#32770' and the like).
int IsClosableClass(const char* name);
