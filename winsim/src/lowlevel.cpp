// winsim: the low-level keyboard and mouse hooks, mouse events, SendInput
// and the log of input events that reached the system queue.
#include "state.h"

#include <winsim/sim_system.h>

namespace ws {

static std::vector<LoggedInput> gInputLog;
static ResetHook resetInputLog([] { gInputLog.clear(); });

const std::vector<LoggedInput>& inputLog() { return gInputLog; }
void clearInputLog() { gInputLog.clear(); }

void logInput(const EVENTMSG& event, const InputSource& src)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    gInputLog.push_back(LoggedInput{event, src.injected, src.extraInfo});
}

// Low-level hooks name the side of Shift, Ctrl and Alt: the right Shift by
// its scan code, the right Ctrl and Alt by the extended flag.
static DWORD sidedKey(UINT vk, const InputSource& src)
{
    switch (vk) {
    case VK_SHIFT: return src.scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL: return src.extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return src.extended ? VK_RMENU : VK_LMENU;
    }
    return vk;
}

LRESULT lowLevelKey(UINT vk, bool down, const InputSource& src)
{
    if (hookCount(WH_KEYBOARD_LL) == 0)
        return 0;
    KBDLLHOOKSTRUCT key = {};
    key.vkCode = sidedKey(vk, src);
    key.scanCode = src.scan;
    key.flags = (src.extended ? LLKHF_EXTENDED : 0) | (src.injected ? LLKHF_INJECTED : 0) |
                (down ? 0 : LLKHF_UP);
    key.time = src.time ? src.time : desk().tick;
    key.dwExtraInfo = src.extraInfo;
    return runHookChain(WH_KEYBOARD_LL, HC_ACTION, down ? WM_KEYDOWN : WM_KEYUP, (LPARAM)&key);
}

static void mouseInput(UINT message, POINT pt, const InputSource& src)
{
    DWORD time = src.time ? src.time : desk().tick;
    if (hookCount(WH_MOUSE_LL) > 0) {
        MSLLHOOKSTRUCT m = {};
        m.pt = pt;
        m.flags = src.injected ? LLMHF_INJECTED : 0;
        m.time = time;
        m.dwExtraInfo = src.extraInfo;
        if (runHookChain(WH_MOUSE_LL, HC_ACTION, message, (LPARAM)&m) != 0)
            return;
    }
    desk().cursor = pt;
    EVENTMSG ev = {};
    ev.message = message;
    ev.paramL = (UINT)pt.x;  // a mouse event is recorded with its screen position
    ev.paramH = (UINT)pt.y;
    ev.time = time;
    ev.hwnd = WindowFromPoint(pt);
    logInput(ev, src);
    journalEvent(ev);
}

void mouseEvent(UINT message, int x, int y) { mouseInput(message, POINT{x, y}, InputSource()); }

// Normalised absolute coordinates: 0 is the first pixel, 65535 the last,
// of the primary screen or, with MOUSEEVENTF_VIRTUALDESK, the virtual one.
static POINT absolutePoint(const MOUSEINPUT& mi)
{
    bool virt = (mi.dwFlags & MOUSEEVENTF_VIRTUALDESK) != 0;
    LONG left = virt ? GetSystemMetrics(SM_XVIRTUALSCREEN) : 0;
    LONG top = virt ? GetSystemMetrics(SM_YVIRTUALSCREEN) : 0;
    long long cx = GetSystemMetrics(virt ? SM_CXVIRTUALSCREEN : SM_CXSCREEN);
    long long cy = GetSystemMetrics(virt ? SM_CYVIRTUALSCREEN : SM_CYSCREEN);
    return POINT{left + (LONG)(mi.dx * cx / 65536), top + (LONG)(mi.dy * cy / 65536)};
}

static void mouseFromInput(const MOUSEINPUT& mi)
{
    InputSource src;
    src.injected = true;
    src.extraInfo = mi.dwExtraInfo;
    src.time = mi.time;
    POINT pt = desk().cursor;
    if (mi.dwFlags & MOUSEEVENTF_MOVE) {
        if (mi.dwFlags & MOUSEEVENTF_ABSOLUTE) {
            pt = absolutePoint(mi);
        } else {
            pt.x += mi.dx;
            pt.y += mi.dy;
        }
        mouseInput(WM_MOUSEMOVE, pt, src);
    }
    static const struct {
        DWORD flag;
        UINT message;
    } buttons[] = {
        {MOUSEEVENTF_LEFTDOWN, WM_LBUTTONDOWN},     {MOUSEEVENTF_LEFTUP, WM_LBUTTONUP},
        {MOUSEEVENTF_RIGHTDOWN, WM_RBUTTONDOWN},   {MOUSEEVENTF_RIGHTUP, WM_RBUTTONUP},
        {MOUSEEVENTF_MIDDLEDOWN, WM_MBUTTONDOWN}, {MOUSEEVENTF_MIDDLEUP, WM_MBUTTONUP},
    };
    for (const auto& b : buttons)
        if (mi.dwFlags & b.flag)
            mouseInput(b.message, pt, src);
}

}  // namespace ws

using namespace ws;

extern "C" UINT SendInput(UINT cInputs, LPINPUT pInputs, int cbSize)
{
    // A structure size other than the platform's own fails the whole call.
    if (!pInputs || cbSize != (int)sizeof(INPUT))
        return 0;
    for (UINT i = 0; i < cInputs; ++i) {
        const INPUT& in = pInputs[i];
        if (in.type == INPUT_KEYBOARD) {
            InputSource src;
            src.injected = true;
            src.extraInfo = in.ki.dwExtraInfo;
            src.time = in.ki.time;
            src.scan = in.ki.wScan;
            src.extended = (in.ki.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0;
            keyEventFrom(in.ki.wVk, (in.ki.dwFlags & KEYEVENTF_KEYUP) == 0, HC_ACTION, src);
        } else if (in.type == INPUT_MOUSE) {
            mouseFromInput(in.mi);
        }
    }
    return cInputs;
}
