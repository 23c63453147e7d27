// winsim: USER32 keyboard focus and window activation.
#pragma once

#include "winsim/types.h"

#define WM_ACTIVATE 0x0006
#define WM_KILLFOCUS 0x0008
#define WA_INACTIVE 0
#define WA_ACTIVE 1

// lParam of the HCBT_ACTIVATE notification.
typedef struct tagCBTACTIVATESTRUCT {
    BOOL fMouse;
    HWND hWndActive;
} CBTACTIVATESTRUCT, *LPCBTACTIVATESTRUCT;

#ifdef __cplusplus
extern "C" {
#endif

HWND SetFocus(HWND hWnd);
HWND SetActiveWindow(HWND hWnd);
HWND GetActiveWindow(void);

#ifdef __cplusplus
}
#endif
