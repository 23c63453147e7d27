// winsim: USER32 menus (menu bars and system menus).
#pragma once

#include "winsim/types.h"

#define MF_BYCOMMAND 0x00000000L
#define MF_STRING 0x00000000L
#define MF_SEPARATOR 0x00000800L
#define MF_BYPOSITION 0x00000400L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L

#ifdef __cplusplus
extern "C" {
#endif

HMENU GetMenu(HWND hWnd);
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);
int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);
BOOL ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);

#ifdef __cplusplus
}
#endif
