// winsim: the journal hooks.  Recording sees every input event before the
// keyboard hooks do; playback asks the playback hook for events the way the
// platform's input thread does.
#include "state.h"

#include <winsim/sim_system.h>

namespace ws {

LRESULT runHookChain(int kind, int code, WPARAM wParam, LPARAM lParam);  // input.cpp

EVENTMSG keyEventMsg(UINT message, UINT vk, LPARAM keyFlags)
{
    EVENTMSG ev = {};
    ev.message = message;
    ev.paramL = (vk & 0xFF) | (UINT)HIWORD(keyFlags) << 8;
    ev.paramH = 1;  // repeat count
    if (HIWORD(keyFlags) & 0x0100)
        ev.paramH |= 0x8000;  // extended key
    ev.time = desk().tick;
    ev.hwnd = desk().focus;
    return ev;
}

void journalEvent(const EVENTMSG& event)
{
    if (hookCount(WH_JOURNALRECORD) == 0)
        return;
    // The hooks receive a copy: what they do to it does not reach the event.
    EVENTMSG copy = event;
    runHookChain(WH_JOURNALRECORD, HC_ACTION, 0, (LPARAM)&copy);
}

std::vector<PlayedEvent> runPlayback(size_t maxEvents)
{
    std::vector<PlayedEvent> played;
    while (played.size() < maxEvents && hookCount(WH_JOURNALPLAYBACK) > 0) {
        PlayedEvent p = {};
        for (;;) {
            EVENTMSG ev = {};
            LRESULT delay = runHookChain(WH_JOURNALPLAYBACK, HC_GETNEXT, 0, (LPARAM)&ev);
            p.asks.push_back(delay);
            p.event = ev;
            if (delay <= 0 || p.asks.size() >= 1000)
                break;
            advanceTick((DWORD)delay);
        }
        p.tick = desk().tick;
        played.push_back(p);
        switch (p.event.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            keyDown(p.event.paramL & 0xFF);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            keyUp(p.event.paramL & 0xFF);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            setCursorPos((int)p.event.paramL, (int)p.event.paramH);
            break;
        }
        if (hookCount(WH_JOURNALPLAYBACK) == 0)
            break;  // the event itself ended playback (a hot key, say)
        runHookChain(WH_JOURNALPLAYBACK, HC_SKIP, 0, 0);
    }
    return played;
}

}  // namespace ws
