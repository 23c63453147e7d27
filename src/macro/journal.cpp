// The macro recorder: one macro of keyboard and mouse events, recorded with
// the journal-record hook and played back with the journal-playback hook.
// Where journal hooks are gone (Windows 11, Wine) the host records with
// low-level hooks and plays back with SendInput into the same table: each
// action is offered to the host first (host message HM_MACRO), and again
// when the journal hook is refused.
#include "core/qrhook.h"
#include "core/host_link.h"
#include "macro/macro.h"

#include <string.h>

// The last index a recording fills; the record behind it stays zero.
static const UINT kMacroLimit = QR_MACRO_LIMIT;

// Tick count when the first record of the recording was stored.
static int lRecordStart QR_SHARED = 0;
// Milliseconds added to every recorded time during the current playback.
static int lPlayBackOffset QR_SHARED = 0;
// 1 while the table holds a recording the host made: lRecordStart was not
// taken then, and the first record's time stands in for it.
static int bMacroByHost QR_SHARED = 0;

// The host takes the action (wParam the hot key) over when it answers
// non-zero.  A host that does not answer leaves the journal path as it is.
static int HostTakesMacro(WPARAM vk, LPARAM journalRefused)
{
    return SendHostMessage(HM_MACRO, vk, journalRefused) != 0;
}

void ActToggleRecording(void)
{
    if (bMacro == 0) {
        bMacro = 1;
        iEventCnt = 0;
        memset(SysEvent, 0, sizeof SysEvent);
        hRMacroHook = JournalRecordProc;
        bMacroByHost = 0;
        if (HostTakesMacro(VK_F6, 0)) {
            hOldRMacroHook = NULL;
            bMacroByHost = 1;
            return;
        }
        hOldRMacroHook = SetWindowsHookExA(WH_JOURNALRECORD, hRMacroHook, hInstHost, 0);
        if (!hOldRMacroHook && HostTakesMacro(VK_F6, 1))
            bMacroByHost = 1;
    } else {
        // The record hook removes itself on the stop key.
        bMacro = 0;
    }
}

void ActStartPlayback(WPARAM atOnce)
{
    if (bMacro == 1)
        return;
    // A playback that is still running is removed first, so that no playback
    // hook is ever left installed without its handle.
    if (hOldPMacroHook) {
        UnhookWindowsHookEx(hOldPMacroHook);
        hOldPMacroHook = NULL;
    }
    iEventCnt = 0;
    bPlayBackFirst = atOnce ? 1 : 0;
    hPMacroHook = JournalPlayBackProc;
    WPARAM vk = atOnce ? VK_F12 : VK_F9;
    if (HostTakesMacro(vk, 0))
        return;
    if (bMacroByHost)
        lRecordStart = (int)SysEvent[0].time;
    hOldPMacroHook = SetWindowsHookExA(WH_JOURNALPLAYBACK, hPMacroHook, hInstHost, 0);
    if (!hOldPMacroHook)
        HostTakesMacro(vk, 1);
}

static int IsDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam)
{
    const EVENTMSG* event = (const EVENTMSG*)lParam;
    // The system-modal notifications carry no event.
    if (code < 0 || code == HC_SYSMODALON || code == HC_SYSMODALOFF || !event) {
        CallNextHookEx(hOldRMacroHook, code, wParam, lParam);
        return 0;
    }
    if (IsDown(VK_SHIFT) && IsDown(VK_CONTROL) && event->message == WM_KEYDOWN &&
        (event->paramL & 0xFF) == VK_F6) {
        UnhookWindowsHookEx(hOldRMacroHook);
        iEventCnt = 0;
        return 0;
    }
    // The counter is read once: another process may change it at any time.
    UINT index = (UINT)iEventCnt;
    if (index == 0)
        lRecordStart = (int)GetTickCount();
    if (index < kMacroLimit) {
        SysEvent[index] = *event;
        iEventCnt = (int)(index + 1);
        return 0;
    }
    CallNextHookEx(hOldRMacroHook, code, wParam, lParam);
    return 0;
}

LRESULT CALLBACK JournalPlayBackProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0)
        return CallNextHookEx(hOldPMacroHook, code, wParam, lParam);
    if (iEventCnt == 0)
        lPlayBackOffset = (int)(GetTickCount() - (DWORD)lRecordStart);

    UINT index = (UINT)iEventCnt;
    if (code == HC_SKIP) {
        // An index the table does not hold ends playback like the zero record.
        if (index < sizeof SysEvent / sizeof SysEvent[0] && SysEvent[index].time != 0) {
            iEventCnt = (int)(index + 1);
            return CallNextHookEx(hOldPMacroHook, code, wParam, lParam);
        }
        HHOOK running = hOldPMacroHook;
        UnhookWindowsHookEx(running);
        hOldPMacroHook = NULL;
        iEventCnt = 0;
        return CallNextHookEx(running, code, wParam, lParam);
    }
    EVENTMSG* event = (EVENTMSG*)lParam;
    if (code == HC_GETNEXT && index < kMacroLimit && event) {
        *event = SysEvent[index];
        event->time = event->time + (DWORD)lPlayBackOffset;
        int delay = (int)(event->time - GetTickCount());
        if (bPlayBackFirst == 1)
            delay = 0;
        if (delay < 0) {
            delay = 0;
            event->time = GetTickCount();
        }
        return delay;
    }
    return CallNextHookEx(hOldPMacroHook, code, wParam, lParam);
}
