// The host's notification-area icon.
#pragma once

#include <windows.h>

// The icon's callback message to the host window.
#define WM_APP_TRAY (WM_APP + 20)

// Adds the icon for hWnd (tip: its tooltip).  The icon's right-click menu is
// the host's menu bar menuId of module inst, under a "Show Quillrun" item
// that sends showCommand.
void TrayInit(HWND hWnd, HINSTANCE inst, int menuId, int showCommand, const char* tip);
// 1 while the shell shows the icon: only then may closing the window hide it.
int TrayShown(void);
// Sets the tooltip text (cut to what the shell takes).
void TraySetTip(const char* text);
void TrayRemove(void);
// The icon's messages and the shell's "TaskbarCreated" (the notification
// area was made anew, without the icon): 1 when msg was one of them.
int TrayMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
