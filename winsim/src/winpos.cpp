// winsim: SetWindowPos and the z-order of sibling windows, ArrangeIconicWindows.
#include "state.h"

#include <stdio.h>

#include <algorithm>

namespace ws {

static bool isTopmost(const SimWindow& w)
{
    return !w.parent && (w.exStyle & WS_EX_TOPMOST) != 0;
}

std::vector<HWND> childrenTopFirst(HWND parent)
{
    std::vector<SimWindow*> kids;
    for (SimWindow& w : desk().windows)
        if (w.alive && w.parent == parent)
            kids.push_back(&w);
    std::stable_sort(kids.begin(), kids.end(), [](const SimWindow* a, const SimWindow* b) {
        if (isTopmost(*a) != isTopmost(*b))
            return isTopmost(*a);
        return a->z > b->z;
    });
    std::vector<HWND> out;
    for (SimWindow* w : kids)
        out.push_back(w->handle);
    return out;
}

std::vector<HWND> zOrder(HWND parent)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    return childrenTopFirst(parent);
}

static std::string fmtInsertAfter(HWND after)
{
    if (after == HWND_TOP) return "HWND_TOP";
    if (after == HWND_BOTTOM) return "HWND_BOTTOM";
    if (after == HWND_TOPMOST) return "HWND_TOPMOST";
    if (after == HWND_NOTOPMOST) return "HWND_NOTOPMOST";
    return fmtHandle(after);
}

// Places a window in its siblings' z-order as SetWindowPos documents it: the
// topmost flag only applies to top-level windows; HWND_BOTTOM takes it away.
static void placeInZOrder(SimWindow& w, HWND after)
{
    Desktop& d = desk();
    bool topLevel = !w.parent;
    if (after == HWND_TOPMOST || after == HWND_NOTOPMOST || after == HWND_TOP) {
        if (topLevel && after == HWND_TOPMOST)
            w.exStyle |= WS_EX_TOPMOST;
        if (topLevel && after == HWND_NOTOPMOST)
            w.exStyle &= ~WS_EX_TOPMOST;
        w.z = ++d.zTop;
        return;
    }
    if (after == HWND_BOTTOM) {
        if (topLevel)
            w.exStyle &= ~WS_EX_TOPMOST;
        w.z = --d.zBottom;
        return;
    }
    SimWindow* x = findWindow(after);
    if (!x || x == &w || x->parent != w.parent)
        return;
    // Just below x: x and everything above it move up one.
    long long below = x->z;
    for (SimWindow& s : d.windows)
        if (s.alive && &s != &w && s.parent == w.parent && s.z >= below)
            ++s.z;
    ++d.zTop;
    w.z = below;
    if (topLevel)
        w.exStyle = (w.exStyle & ~WS_EX_TOPMOST) | (x->exStyle & WS_EX_TOPMOST);
}

}  // namespace ws

using namespace ws;

extern "C" {

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    char flags[16];
    snprintf(flags, sizeof flags, "0x%X", uFlags);
    record("SetWindowPos(" + fmtHandle(hWnd) + ", " + fmtInsertAfter(hWndInsertAfter) + ", " +
           std::to_string(X) + ", " + std::to_string(Y) + ", " + std::to_string(cx) + ", " +
           std::to_string(cy) + ", " + flags + ")");
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return FALSE;
    if (!(uFlags & SWP_NOMOVE)) {
        // X and Y are client coordinates of the parent; winsim keeps screen ones.
        RECT base = {0, 0, 0, 0};
        if (SimWindow* p = findWindow(w->parent))
            base = p->rect;
        LONG width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
        w->rect.left = base.left + X;
        w->rect.top = base.top + Y;
        w->rect.right = w->rect.left + width;
        w->rect.bottom = w->rect.top + height;
    }
    if (!(uFlags & SWP_NOSIZE)) {
        w->rect.right = w->rect.left + cx;
        w->rect.bottom = w->rect.top + cy;
    }
    if (!(uFlags & SWP_NOZORDER))
        placeInZOrder(*w, hWndInsertAfter);
    if (uFlags & SWP_SHOWWINDOW)
        w->style |= WS_VISIBLE;
    else if (uFlags & SWP_HIDEWINDOW)
        w->style &= ~WS_VISIBLE;
    return TRUE;
}

// Returns the height of one row of icons, or 0 when there was nothing to
// arrange (the documented failure value).
UINT ArrangeIconicWindows(HWND hWnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("ArrangeIconicWindows(" + fmtHandle(hWnd) + ")");
    HWND parent = hWnd == GetDesktopWindow() ? NULL : hWnd;
    if (parent && !findWindow(parent))
        return 0;
    for (HWND h : childrenTopFirst(parent))
        if (findWindow(h)->style & WS_MINIMIZE)
            return 75;
    return 0;
}

}  // extern "C"
