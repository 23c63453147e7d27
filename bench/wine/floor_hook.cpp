// The floor the library is measured against under Wine: hooks that do only
// what the design makes every hooked event pay.  The keyboard hook asks the
// host (message 1554, to the host window looked up anew, with the bound on
// the wait) and hands the event on.  The CBT hook, on a focus change, asks
// the host whether the pointer may jump (10869) and, when it may, puts the
// pointer on the centre of the window that takes the focus.
#include <windows.h>

#include "core/contract.h"

static LRESULT AskHost(UINT msg)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(FindWindowA("Quillrun", NULL), msg, 0, 0, SMTO_ABORTIFHUNG, 300, &answer))
        return 0;
    return (LRESULT)answer;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK FloorKeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    AskHost(HM_HISTORY_ON);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK FloorCbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SETFOCUS && AskHost(HM_POINTER_JUMP)) {
        RECT r;
        if (GetWindowRect((HWND)wParam, &r))
            SetCursorPos(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
