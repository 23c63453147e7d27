// winsim: hook chains, keyboard input, pointer, clock and system metrics.
#include "state.h"

#include <winsim/sim_system.h>

#include <algorithm>
#include <map>

namespace ws {

// Hooks are called newest first.  CallNextHookEx ignores its handle argument,
// as the platform does since Windows NT, and continues the chain from the hook
// that is running in this thread.
struct ChainFrame {
    int kind;
    unsigned seq;  // handle number of the hook that is running
};
static thread_local std::vector<ChainFrame> tChain;

static const SimHook* nextHook(int kind, unsigned belowSeq)
{
    const SimHook* best = nullptr;
    for (const SimHook& h : desk().hooks)
        if (h.kind == kind && (uintptr_t)h.handle < belowSeq &&
            (!best || (uintptr_t)h.handle > (uintptr_t)best->handle))
            best = &h;
    return best;
}

static LRESULT callFrom(int kind, unsigned belowSeq, int code, WPARAM wParam, LPARAM lParam)
{
    HOOKPROC proc;
    unsigned seq;
    {
        std::lock_guard<std::recursive_mutex> lock(deskLock());
        const SimHook* h = nextHook(kind, belowSeq);
        if (!h)
            return 0;
        proc = h->proc;
        seq = (unsigned)(uintptr_t)h->handle;
    }
    tChain.push_back(ChainFrame{kind, seq});
    LRESULT r = proc(code, wParam, lParam);
    tChain.pop_back();
    return r;
}

LRESULT runHookChain(int kind, int code, WPARAM wParam, LPARAM lParam)
{
    return callFrom(kind, 0xFFFFFFFFu, code, wParam, lParam);
}

LRESULT runHooks(int kind, int code, WPARAM wParam, LPARAM lParam)
{
    return runHookChain(kind, code, wParam, lParam);
}

int hookCount(int kind)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    return (int)std::count_if(desk().hooks.begin(), desk().hooks.end(),
                              [kind](const SimHook& h) { return h.kind == kind; });
}

LPARAM keyFlags(bool down, bool wasDown)
{
    LPARAM l = 1;  // repeat count
    if (wasDown)
        l |= 1L << 30;
    if (!down)
        l |= (LPARAM)0x80000000u;
    return l;
}

KeyResult keyEventFrom(UINT vk, bool down, int code, const InputSource& src)
{
    vk &= 0xFF;
    if (code == HC_ACTION) {
        LRESULT ll = lowLevelKey(vk, down, src);
        if (ll != 0)
            return KeyResult{ll, false};  // discarded before it reached the queue
    }
    bool wasDown = (desk().keys[vk] & 0x80) != 0;
    LPARAM flags = keyFlags(down, down ? wasDown : true) | (LPARAM)(src.scan & 0xFF) << 16 |
                   (src.extended ? (LPARAM)1 << 24 : 0);
    if (code == HC_ACTION) {
        // The record hooks see the event first (journal.cpp).
        EVENTMSG ev = keyEventMsg(down ? WM_KEYDOWN : WM_KEYUP, vk, flags);
        if (src.time)
            ev.time = src.time;
        logInput(ev, src);
        journalEvent(ev);
    }
    LRESULT r = runHookChain(WH_KEYBOARD, code, vk, flags);
    if (code != HC_ACTION)
        return KeyResult{r, false};
    {
        std::lock_guard<std::recursive_mutex> lock(deskLock());
        if (down) {
            if (!wasDown)
                desk().keys[vk] ^= 0x01;  // toggle state
            desk().keys[vk] |= 0x80;
        } else {
            desk().keys[vk] &= ~0x80;
        }
    }
    if (r != 0)
        return KeyResult{r, false};
    HWND target = desk().focus;
    if (!findWindow(target))
        return KeyResult{r, false};
    SendMessageA(target, down ? WM_KEYDOWN : WM_KEYUP, vk, flags);
    return KeyResult{r, true};
}

KeyResult keyDown(UINT vk, int code) { return keyEventFrom(vk, true, code, InputSource()); }
KeyResult keyUp(UINT vk, int code) { return keyEventFrom(vk, false, code, InputSource()); }

void setKeyState(int vk, bool down)
{
    if (down)
        desk().keys[vk & 0xFF] |= 0x80;
    else
        desk().keys[vk & 0xFF] &= ~0x80;
}

void setCursorPos(int x, int y) { desk().cursor = POINT{x, y}; }
POINT cursorPos() { return desk().cursor; }
void setScreenSize(int cx, int cy)
{
    desk().screenCx = cx;
    desk().screenCy = cy;
}

static std::map<int, int>& metrics()
{
    static std::map<int, int> m;
    return m;
}

void setSystemMetric(int index, int value) { metrics()[index] = value; }
int cursorShowCount() { return desk().cursorShowCount; }

void setTick(DWORD tick) { desk().tick = tick; }
void advanceTick(DWORD ms) { desk().tick += ms; }

static bool gHookInstallFails = false;
void setHookInstallFails(bool fails) { gHookInstallFails = fails; }
static bool gJournalRefused = false;
void setJournalHooksRefused(bool refused) { gJournalRefused = refused; }

void resetInput()
{
    gHookInstallFails = false;
    gJournalRefused = false;
    tChain.clear();
    metrics().clear();
}

}  // namespace ws

using namespace ws;

extern "C" {

HHOOK SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE hmod, DWORD dwThreadId)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("SetWindowsHookExA(" + std::to_string(idHook) + ", " + fmtHandle(hmod) + ", " +
           std::to_string(dwThreadId) + ")");
    bool journal = idHook == WH_JOURNALRECORD || idHook == WH_JOURNALPLAYBACK;
    if (!lpfn || gHookInstallFails || (journal && gJournalRefused))
        return NULL;
    HHOOK h = (HHOOK)(uintptr_t)(0x100 + desk().nextHook++);
    desk().hooks.push_back(SimHook{h, idHook, lpfn});
    return h;
}

BOOL UnhookWindowsHookEx(HHOOK hhk)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("UnhookWindowsHookEx(" + fmtHandle(hhk) + ")");
    auto& hooks = desk().hooks;
    auto it = std::find_if(hooks.begin(), hooks.end(), [hhk](const SimHook& h) { return h.handle == hhk; });
    if (it == hooks.end())
        return FALSE;
    hooks.erase(it);
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK, int nCode, WPARAM wParam, LPARAM lParam)
{
    if (tChain.empty())
        return 0;  // called outside a hook dispatch: there is no next hook
    ChainFrame f = tChain.back();
    return callFrom(f.kind, f.seq, nCode, wParam, lParam);
}

SHORT GetKeyState(int nVirtKey)
{
    BYTE k = desk().keys[nVirtKey & 0xFF];
    return (SHORT)(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vKey)
{
    return (desk().keys[vKey & 0xFF] & 0x80) ? (SHORT)0x8000 : 0;
}

BOOL GetCursorPos(LPPOINT lpPoint)
{
    if (!lpPoint)
        return FALSE;
    *lpPoint = desk().cursor;
    return TRUE;
}

BOOL SetCursorPos(int X, int Y)
{
    record("SetCursorPos(" + std::to_string(X) + ", " + std::to_string(Y) + ")");
    desk().cursor = POINT{X, Y};
    return TRUE;
}

int ShowCursor(BOOL bShow)
{
    record(std::string("ShowCursor(") + (bShow ? "TRUE" : "FALSE") + ")");
    desk().cursorShowCount += bShow ? 1 : -1;
    return desk().cursorShowCount;
}

int GetSystemMetrics(int nIndex)
{
    auto it = metrics().find(nIndex);
    if (it != metrics().end())
        return it->second;
    switch (nIndex) {
    case SM_CXSCREEN: return desk().screenCx;
    case SM_CYSCREEN: return desk().screenCy;
    case SM_CYCAPTION: return 19;
    case SM_CYMENU: return 19;
    case SM_CXFRAME: return 4;
    case SM_CYFRAME: return 4;
    // One monitor: the virtual screen is the screen.
    case SM_CXVIRTUALSCREEN: return desk().screenCx;
    case SM_CYVIRTUALSCREEN: return desk().screenCy;
    }
    return 0;
}

DWORD GetTickCount(void) { return desk().tick; }

}  // extern "C"
