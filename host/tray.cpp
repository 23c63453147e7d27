#include "tray.h"

#include "core/text.h"

#include <shellapi.h>
#include <string.h>

static const UINT kIconId = 1;

static HWND trayWnd;
static HINSTANCE trayInst;
static int trayMenuId, trayShowCommand;
static UINT taskbarCreated;
static int shown;
static char tip[128];

// The shell takes at most size - 1 bytes, never half of a character.
static void CopyTip(char* dest, size_t size, const char* src)
{
    CopyBounded(dest, size, src, (size_t)-1);
}

static BOOL Notify(DWORD what)
{
    NOTIFYICONDATAA nid;
    memset(&nid, 0, sizeof nid);
    nid.cbSize = sizeof nid;
    nid.hWnd = trayWnd;
    nid.uID = kIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_APP_TRAY;
    nid.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    CopyTip(nid.szTip, sizeof nid.szTip, tip);
    return Shell_NotifyIconA(what, &nid);
}

void TrayInit(HWND hWnd, HINSTANCE inst, int menuId, int showCommand, const char* text)
{
    trayWnd = hWnd;
    trayInst = inst;
    trayMenuId = menuId;
    trayShowCommand = showCommand;
    CopyTip(tip, sizeof tip, text);
    // Sent to every top-level window when the shell's notification area is
    // made anew (Explorer restarted): the icon has to be added again.
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    shown = Notify(NIM_ADD) ? 1 : 0;
}

int TrayShown(void) { return shown; }

void TraySetTip(const char* text)
{
    CopyTip(tip, sizeof tip, text);
    if (shown)
        Notify(NIM_MODIFY);
}

void TrayRemove(void)
{
    if (shown)
        Notify(NIM_DELETE);
    shown = 0;
}

// The host's menu bar, each of its menus a cascade, under "Show Quillrun".
static void ShowMenu(HWND hWnd)
{
    HMENU bar = LoadMenuA(trayInst, MAKEINTRESOURCEA(trayMenuId));
    HMENU popup = CreatePopupMenu();
    if (!bar || !popup) {
        if (bar)
            DestroyMenu(bar);
        if (popup)
            DestroyMenu(popup);
        return;
    }
    AppendMenuA(popup, MF_STRING, (UINT_PTR)trayShowCommand, "&Show Quillrun");
    AppendMenuA(popup, MF_SEPARATOR, 0, NULL);
    int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        char text[64];
        GetMenuStringA(bar, (UINT)i, text, sizeof text, MF_BYPOSITION);
        AppendMenuA(popup, MF_POPUP | MF_STRING, (UINT_PTR)GetSubMenu(bar, i), text);
    }
    POINT pt;
    GetCursorPos(&pt);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the posted message lets the next click reach its target.
    SetForegroundWindow(hWnd);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, pt.x, pt.y, 0, hWnd, NULL);
    PostMessageA(hWnd, WM_NULL, 0, 0);
    // The cascades belong to the bar: take them out before the popup goes.
    for (int i = GetMenuItemCount(popup) - 1; i >= 2; --i)
        RemoveMenu(popup, (UINT)i, MF_BYPOSITION);
    DestroyMenu(popup);
    DestroyMenu(bar);
}

int TrayMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP_TRAY && wParam == kIconId) {
        switch ((UINT)lParam) {
        case WM_LBUTTONDBLCLK:
            PostMessageA(hWnd, WM_COMMAND, (WPARAM)trayShowCommand, 0);
            break;
        case WM_RBUTTONUP:
            ShowMenu(hWnd);
            break;
        }
        return 1;
    }
    if (taskbarCreated && msg == taskbarCreated) {
        // The old icon went with the old notification area.
        shown = Notify(NIM_ADD) ? 1 : 0;
        return 1;
    }
    return 0;
}
