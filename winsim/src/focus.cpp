// winsim: keyboard focus and window activation, with the CBT notifications
// raised in the order the platform raises them.
#include "state.h"

namespace ws {

static HWND topLevelOf(HWND hwnd)
{
    HWND top = hwnd;
    for (int depth = 0; depth < 256; ++depth) {
        SimWindow* w = findWindow(top);
        if (!w || !(w->style & WS_CHILD) || !w->parent)
            break;
        top = w->parent;
    }
    return top;
}

static bool isInside(HWND hwnd, HWND ancestor)
{
    for (int depth = 0; hwnd && depth < 256; ++depth) {
        if (hwnd == ancestor)
            return true;
        SimWindow* w = findWindow(hwnd);
        hwnd = w ? w->parent : NULL;
    }
    return false;
}

static void moveFocusTo(HWND hwnd)
{
    HWND previous = desk().focus;
    desk().focus = hwnd;
    if (previous && findWindow(previous))
        SendMessageA(previous, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (hwnd)
        SendMessageA(hwnd, WM_SETFOCUS, (WPARAM)previous, 0);
}

// Activation proper; focusAfter: give the focus to the activated window
// unless it already lies inside it (the default answer to WM_ACTIVATE).
static bool activateWindow(HWND hwnd, bool focusAfter)
{
    HWND old = desk().foreground;
    if (hwnd == old)
        return true;
    if (!findWindow(hwnd))
        return false;
    CBTACTIVATESTRUCT cas = {FALSE, old};
    if (runHookChain(WH_CBT, HCBT_ACTIVATE, (WPARAM)hwnd, (LPARAM)&cas) != 0)
        return false;
    if (!findWindow(hwnd))
        return false;
    desk().foreground = hwnd;
    if (old && findWindow(old))
        SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, (LPARAM)hwnd);
    SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, (LPARAM)old);
    if (focusAfter && !isInside(desk().focus, hwnd))
        changeFocus(hwnd);
    return true;
}

bool changeFocus(HWND hwnd)
{
    HWND previous = desk().focus;
    if (!hwnd) {
        if (!previous)
            return false;
        if (runHookChain(WH_CBT, HCBT_SETFOCUS, 0, (LPARAM)previous) != 0)
            return false;
        moveFocusTo(NULL);
        return true;
    }
    if (!findWindow(hwnd))
        return false;
    if (hwnd == previous)
        return true;
    // A minimised or disabled window, or one inside such a window, cannot
    // take the focus.
    for (HWND w = hwnd; w; w = GetParent(w)) {
        SimWindow* sw = findWindow(w);
        if (!sw || (sw->style & (WS_MINIMIZE | WS_DISABLED)))
            return false;
        if (!(sw->style & WS_CHILD))
            break;
    }
    if (runHookChain(WH_CBT, HCBT_SETFOCUS, (WPARAM)hwnd, (LPARAM)previous) != 0)
        return false;
    HWND top = topLevelOf(hwnd);
    if (top != desk().foreground) {
        if (!activateWindow(top, false) || !findWindow(hwnd) || desk().foreground != top)
            return false;
    }
    moveFocusTo(hwnd);
    return true;
}

bool activate(HWND hwnd) { return activateWindow(hwnd, true); }

HWND activeWindow() { return desk().foreground; }

LRESULT runCbtHooks(int code, WPARAM wParam, LPARAM lParam)
{
    return runHookChain(WH_CBT, code, wParam, lParam);
}

}  // namespace ws

using namespace ws;

extern "C" {

HWND SetFocus(HWND hWnd)
{
    HWND previous = desk().focus;
    return changeFocus(hWnd) ? previous : NULL;
}

HWND SetActiveWindow(HWND hWnd)
{
    HWND previous = desk().foreground;
    return activate(hWnd) ? previous : NULL;
}

HWND GetActiveWindow(void) { return desk().foreground; }

}  // extern "C"
