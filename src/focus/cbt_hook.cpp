// The CBT hook and the pointer jump.  Not built yet: the hook only chains on.
#include "core/qrhook.h"

LRESULT CALLBACK CBTHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(hOldCBTHook, code, wParam, lParam);
}

int WINAPI MoveMouseCursor(HWND) { return 1; }

int WINAPI IsBackNeeded(int, HWND) { return 0; }
