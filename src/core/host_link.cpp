// The library's boundary towards the host application: process attach, the
// host window and instance, installing and removing the system-wide hooks,
// and the host messages.
#include "core/host_link.h"
#include "core/qrhook.h"

#if defined(_WIN32)
// Called in every process that maps the library.  hInstLib lies in the shared
// block, so each attach writes it again (with the same module handle).
extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        SetBlockInitialValues();
        hInstLib = hInst;
    }
    return TRUE;
}
#else
// winsim builds: the program is the one process that maps the library, and
// the block is new when it starts.
__attribute__((constructor)) static void AttachProcess(void)
{
    SetBlockInitialValues();
}
#endif

// The host window is looked up by class name at every use and never cached:
// the host may restart, and its window handle with it.
HWND FindHostWindow(void)
{
    return FindWindowA(QR_HOST_CLASS, NULL);
}

// Host messages are sent from the key strokes and focus changes of every
// program, which wait for the answer: a host that does not answer must not
// freeze the desktop's keyboard.  So each one goes with a bound, and a host
// that is seen as hung (it has not read its queue for seconds) is not waited
// for at all.  No answer, like no host window, counts as 0: the
// host-controlled services are off.
int AskHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* answer, int wide,
                  UINT limitMs)
{
    DWORD_PTR result = 0;
    *answer = 0;
    LRESULT sent = wide ? SendMessageTimeoutW(hWnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, limitMs, &result)
                        : SendMessageTimeoutA(hWnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, limitMs, &result);
    if (!sent)
        return 0;
    *answer = (LRESULT)result;
    return 1;
}

LRESULT SendToHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer;
    AskHostWindow(hWnd, msg, wParam, lParam, &answer);
    return answer;
}

LRESULT SendHostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendToHostWindow(FindHostWindow(), msg, wParam, lParam);
}

HINSTANCE WINAPI SethWndhInstance(HWND hWnd, HINSTANCE hInst)
{
    hWndHost = hWnd;
    hInstHost = hInst;
    return hInst;
}

// Installing a hook a second time replaces the first one.  Keeping both would
// run every event through the library twice (toggle hot keys would cancel
// out) and leave the first hook without a stored handle, impossible to remove.
// The new hook goes in first and the old one comes out only once the new one
// is in place: a refused installation leaves the hook that was working.
static HHOOK ReplaceHook(HHOOK old, int kind, HOOKPROC proc)
{
    HHOOK installed = SetWindowsHookExA(kind, proc, hInstLib, 0);
    if (!installed)
        return old;
    if (old)
        UnhookWindowsHookEx(old);
    return installed;
}

int WINAPI SetMyHook(int, int)
{
    hKeyHook = ReplaceHook(hKeyHook, WH_KEYBOARD, DllKeyHook);
    return 0;
}

int WINAPI SetMyCBTHook(int, int)
{
    hOldCBTHook = ReplaceHook(hOldCBTHook, WH_CBT, CBTHook);
    return 0;
}

// The journal hooks are left alone: a running playback ends by itself.
int WINAPI ResetMyHook(int, int)
{
    UnhookWindowsHookEx(hKeyHook);
    UnhookWindowsHookEx(hOldCBTHook);
    // Forget the removed handles so that a later install does not try to
    // remove a handle the system may have given to another hook meanwhile.
    hKeyHook = 0;
    hOldCBTHook = 0;
    return 0;
}

LRESULT WINAPI MySetReset(void)
{
    return SendHostMessage(HM_RESET, 0, 0);
}
