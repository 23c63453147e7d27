// Window actions of the Ctrl+Shift command table and the exported SetWS.
// They run inside the keyboard hook, in whatever process received the key,
// and act on the foreground window, the window under the pointer, every
// top-level window, the desktop's icons or the host window.
#include "core/qrhook.h"
#include "core/text.h"
#include "hotkeys/window_actions.h"
#include "hotkeys/hotkeys.h"

#include <commctrl.h>

#include <limits.h>
#include <string.h>

// Toggle states, one for the whole desktop per key (not one per window): 1
// while the key's last press took the style away (the host window: hid it).
// The first press of each key takes it away, the next gives it back.  All
// start at 0, as the block does.
static int bWSBorderOff QR_SHARED = 0;      // kind 1, Ctrl+Shift+C
static int bWSCaptionOff QR_SHARED = 0;     // kind 2, F
static int bWSDlgFrameOff QR_SHARED = 0;    // kind 3, G
static int bWSMaxBoxOff QR_SHARED = 0;      // kind 4, H
static int bWSMinBoxOff QR_SHARED = 0;      // kind 5, L
static int bWSSysMenuOff QR_SHARED = 0;     // kind 6, O
static int bWSThickFrameOff QR_SHARED = 0;  // kind 7, T
static int bHostHidden QR_SHARED = 0;       // the host window, Delete
// The one window Ctrl+Shift+7 holds disabled until Ctrl+Shift+8.
static HWND hWndDisabled QR_SHARED = 0;
// Class name of the window Ctrl+Shift+Space is about to close.
static char chCloseClass[32] QR_SHARED = "";

LONG WindowStyleOfKind(int kind)
{
    switch (kind) {
    case 1: return WS_BORDER;
    case 2: return WS_CAPTION;  // both bits together
    case 3: return WS_DLGFRAME;
    case 4: return WS_MAXIMIZEBOX;
    case 5: return WS_MINIMIZEBOX;
    case 6: return WS_SYSMENU;
    case 7: return WS_THICKFRAME;
    }
    return 0;
}

LONG StyleWithKind(LONG style, int kind, int on)
{
    LONG bits = WindowStyleOfKind(kind);
    return on == 1 ? (style | bits) : (style & ~bits);
}

int IsExtentListBoxClass(const char* name)
{
    static const char* const kListBoxes[] = {
        "ListBox",           "ThunderListBox",       "TListBox",
        "ThunderRTListBox",  "ThunderRTFileListBox", "ThunderRTDirListBox",
        "ThunderRT5ListBox", "ThunderRT5DirListBox", "ThunderRT5FileListBox",
    };
    for (const char* listBox : kListBoxes)
        if (StrCmpIMy(name, listBox) == 0)
            return 1;
    return 0;
}

int IsClosableClass(const char* name)
{
    return name[0] != 0 && name[0] != '#';
}

// Sets (on is 1) or clears (any other value) the style bits of one kind, then
// hides, minimises and restores the window so that its frame is drawn anew.
// A kind outside 1 to 7 writes the style back unchanged.
int WINAPI SetWS(HWND hWnd, int kind, int on)
{
    LONG style = GetWindowLongA(hWnd, GWL_STYLE);
    SetWindowLongA(hWnd, GWL_STYLE, StyleWithKind(style, kind, on));
    ShowWindow(hWnd, SW_HIDE);
    ShowWindow(hWnd, SW_MINIMIZE);
    return ShowWindow(hWnd, SW_RESTORE);
}

static int* ToggleStateOfKind(int kind)
{
    switch (kind) {
    case 1: return &bWSBorderOff;
    case 2: return &bWSCaptionOff;
    case 3: return &bWSDlgFrameOff;
    case 4: return &bWSMaxBoxOff;
    case 5: return &bWSMinBoxOff;
    case 6: return &bWSSysMenuOff;
    case 7: return &bWSThickFrameOff;
    }
    return NULL;
}

void ActToggleStyle(WPARAM kind)
{
    int* off = ToggleStateOfKind(kind);
    if (!off)
        return;
    if (*off != 1) {
        *off = 1;
        SetWS(GetForegroundWindow(), kind, 0);
    } else {
        *off = 0;
        SetWS(GetForegroundWindow(), kind, 1);
    }
}

static HWND WindowUnderPointer(void)
{
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    return WindowFromPoint(pt);
}

static void UnderPointerToZOrder(HWND insertAfter)
{
    HWND hWnd = WindowUnderPointer();
    if (hWnd)
        SetWindowPos(hWnd, insertAfter, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ActUnderPointerToBottom(void) { UnderPointerToZOrder(HWND_BOTTOM); }
void ActUnderPointerTopmost(void) { UnderPointerToZOrder(HWND_TOPMOST); }

// Only one window is held disabled at a time; a second Ctrl+Shift+7 is
// refused with the simple beep until Ctrl+Shift+8 has released the first.
void ActDisableWindowUnderPointer(void)
{
    if (hWndDisabled != 0) {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    HWND under = WindowUnderPointer();
    hWndDisabled = under;
    if (under != 0)
        EnableWindow(under, FALSE);
}

// A held window that is gone by now makes the enable call fail quietly; the
// hold is released all the same.  The handle is read once: the window
// enabled is the window tested.
void ActEnableDisabledWindow(void)
{
    HWND held = hWndDisabled;
    if (held != 0) {
        EnableWindow(held, TRUE);
        hWndDisabled = 0;
    }
}

// The numbered system classes ('#32770', the standard dialog box, among them)
// are never closed, nor is a window whose class cannot be read.
void ActCloseWindowUnderPointer(void)
{
    HWND hWnd = WindowUnderPointer();
    if (!hWnd)
        return;
    ReadClassName(hWnd, chCloseClass, sizeof chCloseClass - 1);
    if (!IsClosableClass(chCloseClass))
        return;
    SendMessageA(hWnd, WM_CLOSE, 0, 0);
    DestroyWindow(hWnd);
}

// The handle -1 reaches every top-level window, the host window included.
void ActSysCommandToAll(WPARAM command)
{
    PostMessageA((HWND)(LONG_PTR)-1, WM_SYSCOMMAND, command, 0);
}

void ActArrangeIcons(void) { ArrangeIconicWindows(GetDesktopWindow()); }

// wParam 0 is the system font; lParam 1 redraws the control.
void ActResetFontUnderPointer(void)
{
    SendMessageA(WindowUnderPointer(), WM_SETFONT, 0, 1);
}

// The window under the pointer is looked up anew for each use; the pointer
// position is read once.
void ActListBoxExtentUnderPointer(void)
{
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    ReadClassName(WindowFromPoint(pt), chKeyHookBuf, sizeof chKeyHookBuf - 1);
    if (IsExtentListBoxClass(chKeyHookBuf))
        SendMessageA(WindowFromPoint(pt), LB_SETHORIZONTALEXTENT, 1600, 0);
}

// Mask 0 makes the whole value apply, so every other extended style keeps its
// state.  The class is not tested: any window under the pointer gets both.
void ActListViewFullRowUnderPointer(void)
{
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    LRESULT style = SendMessageA(WindowFromPoint(pt), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(WindowFromPoint(pt), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 (LPARAM)((DWORD)style | LVS_EX_FULLROWSELECT));
}

void ActPointerToScreenCentre(void)
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
}

// Raises a tuning value by a step; at the top of the int range it stays
// there instead of wrapping round to a negative value.  The value is read
// once: the host or another process may write it between two reads.
static void RaiseBy(int* value, int step)
{
    const int now = *(volatile int*)value;
    *value = now > INT_MAX - step ? INT_MAX : now + step;
}

// Tuning of the pointer return.  The lower steps test before they step, so a
// value that is no multiple of the step ends below the floor (4 -> -6).
void ActRaiseZure(void) { RaiseBy(&iZure, 10); }

void ActLowerZure(void)
{
    const int now = *(volatile int*)&iZure;
    if (now > 0)
        iZure = now - 10;
}

void ActRaiseAida(void) { RaiseBy(&lAida, 1000); }

void ActLowerAida(void)
{
    const int now = *(volatile int*)&lAida;
    if (now > 1000)
        lAida = now - 1000;
}

// The library only keeps the flag; the host reads it.
void ActToggleIconAnimation(void)
{
    bIconAnimation = bIconAnimation == 1 ? 0 : 1;
}

// The first press hides the host window; the next shows it minimised.
void ActToggleHostWindow(void)
{
    if (bHostHidden != 1) {
        bHostHidden = 1;
        ShowWindow(hWndHost, SW_HIDE);
    } else {
        bHostHidden = 0;
        ShowWindow(hWndHost, SW_SHOWMINIMIZED);
    }
}
