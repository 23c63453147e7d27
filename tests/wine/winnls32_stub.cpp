// A stand-in "WinNLS32.Dll" for the Wine tests: an input method that is
// always open.  It is built into a folder of its own (ime\) so that no test
// program finds it by accident; a test copies it next to the target program,
// where it is loaded in place of Wine's built-in library, and removes it
// again.
#include <windows.h>

// The request block: eight 32-bit fields, fnc first and the answer second.
struct ImeRequest {
    DWORD fnc;
    DWORD wParam;
    DWORD rest[6];
};

static LRESULT AnswerOpen(LPARAM handle)
{
    ImeRequest* r = (ImeRequest*)GlobalLock((HGLOBAL)handle);
    if (!r)
        return FALSE;
    if (r->fnc == 5)  // IME_GETOPEN
        r->wParam = 1;
    GlobalUnlock((HGLOBAL)handle);
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT WINAPI SendIMEMessageExA(HWND, LPARAM handle)
{
    return AnswerOpen(handle);
}

extern "C" __declspec(dllexport) LRESULT WINAPI IME32SendIMEMessageEx(HWND, LPARAM handle)
{
    return AnswerOpen(handle);
}

extern "C" __declspec(dllexport) BOOL WINAPI WINNLS32EnableIME(HWND, BOOL)
{
    return TRUE;
}
