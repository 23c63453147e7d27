// Plain helpers of the window actions, kept apart from the platform calls.
#pragma once

#include <windows.h>

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
