// The CBT hook: records the window that receives the keyboard focus, moves
// the pointer to an eligible control that receives it and back when its
// dialog closes soon after, and relabels system menus on activation.
//
// The jump state (hWndOya, ptBeforeMove, ptAfterMove, lInterval, lMoved)
// lives in the shared block: a jump made in one process is undone from the
// hook call of the process that destroys the dialog.
//   idle     hWndOya 0, lMoved 0: at start and after every destruction
//   pending  hWndOya the parent of the control jumped to: after a jump
#include "core/process_trust.h"
#include "core/qrhook.h"
#include "core/text.h"
#include "core/host_link.h"
#include "focus/focus.h"

#include <string.h>

// Tick counts are compared in wrap-around arithmetic: the tick count of the
// last jump and the time elapsed since then, as a signed value.  A negative
// value means the clock has moved on by more than 24.8 days (or the jump
// time is not one of this clock's readings): far too late in either case.
int ReturnStillInTime(int jumpTick, int nowTick, int window)
{
    int elapsed = (int)((unsigned)nowTick - (unsigned)jumpTick);
    return elapsed >= 0 && elapsed < window;
}

// |a - b| <= tolerance on both axes, the bound included; a negative
// tolerance is never met.  Computed wide so that no difference overflows.
int PointWithin(POINT a, POINT b, int tolerance)
{
    long long dx = (long long)a.x - b.x, dy = (long long)a.y - b.y;
    if (dx < 0)
        dx = -dx;
    if (dy < 0)
        dy = -dy;
    return dx <= tolerance && dy <= tolerance;
}

// The centre of a rectangle, each half-extent truncated towards zero.
POINT RectCentre(RECT r)
{
    POINT p;
    p.x = (LONG)(r.left + ((long long)r.right - r.left) / 2);
    p.y = (LONG)(r.top + ((long long)r.bottom - r.top) / 2);
    return p;
}

LRESULT CALLBACK CBTHook(int code, WPARAM wParam, LPARAM lParam)
{
    // A sandboxed process neither reads nor writes the block (keyhook.cpp).
    if (!ProcessMayUseBlock())
        return CallNextHookEx(NULL, code, wParam, lParam);
    switch (code) {
    case HCBT_SETFOCUS:
        // The edit-line services act on this window.
        hWndNowFocus = (HWND)wParam;
        MoveMouseCursor((HWND)wParam);
        break;
    case HCBT_ACTIVATE:
        if (bHeropa == 1)
            ChangeDefMenu((HWND)wParam);
        break;
    case HCBT_DESTROYWND:
        if (IsBackNeeded(lInterval, (HWND)wParam) == 1 &&
            SendHostMessage(HM_POINTER_JUMP, wParam, lParam) != 0) {
            SetCursorPos(ptBeforeMove.x, ptBeforeMove.y);
            ShowCursor(FALSE);
            ShowCursor(TRUE);
        }
        // Any destruction ends a pending return, whichever window it was.
        lMoved = 0;
        hWndOya = 0;
        break;
    default:
        break;
    }
    return CallNextHookEx(hOldCBTHook, code, wParam, lParam);
}

int WINAPI MoveMouseCursor(HWND hWnd)
{
    // The host decides at every focus change, before anything else.
    if (SendHostMessage(HM_POINTER_JUMP, 0, 0) == 0)
        return 1;
    if (IsMove(hWnd) != 1)
        return 1;
    HWND parent = GetParent(hWnd);
    // Moving within one dialog keeps the position from before the first jump.
    if (parent != hWndOya)
        GetCursorPos(&ptBeforeMove);
    hWndOya = parent;
    lInterval = (int)GetTickCount();
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hWnd, &r);
    POINT centre = RectCentre(r);
    SetCursorPos(centre.x, centre.y);
    ShowCursor(FALSE);
    ShowCursor(TRUE);
    GetCursorPos(&ptAfterMove);
    lMoved = (int)GetTickCount();
    return 1;
}

int WINAPI IsBackNeeded(int tick, HWND hWnd)
{
    if (!hWnd)
        return 0;
    if (!ReturnStillInTime(tick, (int)GetTickCount(), lAida))
        return 0;
    if (hWnd != hWndOya) {
        // A window of the "bosa_" family closing soon after a jump brings
        // the pointer back wherever it stands.  The name decides as this
        // call read it (a read that fails gives an empty one); the shared
        // record only keeps it, as another process may write it meanwhile.
        char name[sizeof chClassName];
        ReadClassName(hWnd, name, sizeof name);
        memcpy(chClassName, name, sizeof name);
        return ClassHasBosaPrefix(name);
    }
    POINT p = {0, 0};
    GetCursorPos(&p);
    return PointWithin(ptAfterMove, p, iZure);
}
