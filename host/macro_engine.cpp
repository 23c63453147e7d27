#include "macro_engine.h"

#include <stdio.h>
#include <string.h>

// --- Records and inputs -----------------------------------------------------

// The record keeps the key of the message (VK_SHIFT), as the record hook
// does; the side stays in the scan code and the extended flag.
static UINT KeyWithoutSide(DWORD vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    }
    return vk & 0xFF;
}

EVENTMSG RecordFromKey(WPARAM message, const KBDLLHOOKSTRUCT& key, int wasDown, HWND hwnd)
{
    // The low-level flags are the upper byte of the key message's lParam
    // (extended bit 24, context bit 29, transition bit 31) without the
    // injection bits; the previous-state bit 30 is always set for a release.
    DWORD upper = key.flags & (LLKHF_EXTENDED | LLKHF_ALTDOWN | LLKHF_UP);
    if ((key.flags & LLKHF_UP) || wasDown)
        upper |= 0x40;
    EVENTMSG record;
    record.message = (UINT)message;
    record.paramL = KeyWithoutSide(key.vkCode) | (key.scanCode & 0xFF) << 8 | upper << 16;
    record.paramH = 1 | ((key.flags & LLKHF_EXTENDED) ? 0x8000u : 0u);
    record.time = key.time;
    record.hwnd = hwnd;
    return record;
}

static DWORD ButtonFlag(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN: return MOUSEEVENTF_LEFTDOWN;
    case WM_LBUTTONUP: return MOUSEEVENTF_LEFTUP;
    case WM_RBUTTONDOWN: return MOUSEEVENTF_RIGHTDOWN;
    case WM_RBUTTONUP: return MOUSEEVENTF_RIGHTUP;
    case WM_MBUTTONDOWN: return MOUSEEVENTF_MIDDLEDOWN;
    case WM_MBUTTONUP: return MOUSEEVENTF_MIDDLEUP;
    }
    return 0;
}

// Moves and the three buttons: what the record has room for.
static int IsMouseRecord(UINT message)
{
    return message == WM_MOUSEMOVE || ButtonFlag(message) != 0;
}

int RecordFromMouse(WPARAM message, const MSLLHOOKSTRUCT& mouse, HWND hwnd, EVENTMSG* out)
{
    if (!IsMouseRecord((UINT)message))
        return 0;
    out->message = (UINT)message;
    out->paramL = (UINT)mouse.pt.x;
    out->paramH = (UINT)mouse.pt.y;
    out->time = mouse.time;
    out->hwnd = hwnd;
    return 1;
}

// 0 to 65535 across the screen; rounded up, so that the platform's mapping
// back (pixel = value * size / 65536, rounded down) hits the same pixel.
static LONG Normalised(LONG value, LONG origin, LONG size)
{
    if (size <= 0)
        return 0;
    long long d = (long long)value - origin;
    if (d < 0)
        d = 0;
    if (d >= size)
        d = size - 1;
    return (LONG)((d * 65536 + size - 1) / size);
}

int InputFromRecord(const EVENTMSG& record, RECT screen, INPUT* out)
{
    memset(out, 0, sizeof *out);
    if (IsMouseRecord(record.message)) {
        // The pointer goes where the event happened, then the button acts.
        out->type = INPUT_MOUSE;
        out->mi.dx = Normalised((LONG)record.paramL, screen.left, screen.right - screen.left);
        out->mi.dy = Normalised((LONG)record.paramH, screen.top, screen.bottom - screen.top);
        out->mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK |
                          ButtonFlag(record.message);
        out->mi.dwExtraInfo = MACRO_INJECTED_MARK;
        return 1;
    }
    int up = record.message == WM_KEYUP || record.message == WM_SYSKEYUP;
    if (!up && record.message != WM_KEYDOWN && record.message != WM_SYSKEYDOWN)
        return 0;
    // A record hook marks an extended key in paramH; the flags above the scan
    // code in paramL carry it too.
    int extended = (record.paramH & 0x8000) || (record.paramL & 0x10000);
    out->type = INPUT_KEYBOARD;
    out->ki.wVk = (WORD)(record.paramL & 0xFF);
    out->ki.wScan = (WORD)((record.paramL >> 8) & 0xFF);
    out->ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    out->ki.dwExtraInfo = MACRO_INJECTED_MARK;
    return 1;
}

int IsOwnInput(DWORD flags, DWORD injectedFlag, ULONG_PTR extraInfo)
{
    return (flags & injectedFlag) && extraInfo == MACRO_INJECTED_MARK;
}

int StoredRecords(const EVENTMSG* events)
{
    int n = 0;
    while (n < MACRO_RECORD_LIMIT && events[n].time != 0)
        ++n;
    return n;
}

// --- The engine -------------------------------------------------------------

static MacroTable table;
static HINSTANCE hookModule;
static void (*wakePlayer)(void);
static HHOOK keyHook, mouseHook;

static struct Recorder {
    int active;
    BYTE down[256];  // keys down, by the low-level hook's key codes
} rec;

static struct Player {
    int active;
    int atOnce;
    int releasePending;  // an ended playback still holds keys or buttons
    DWORD start;         // tick when the first record played
    DWORD base;          // the first record's time
    UINT index;
    unsigned run;        // changes at every start and end
    WORD held[256];      // keys pressed and not released: 0x8000 | 0x100 extended | scan
    DWORD buttons;       // MOUSEEVENTF_*UP flags of the buttons held
} play;

// Events handled per step at most, so that a long macro played at once
// leaves the host's thread between steps.
static const int kStepEvents = 64;

static LRESULT CALLBACK MacroKeyProc(int code, WPARAM wParam, LPARAM lParam);
static LRESULT CALLBACK MacroMouseProc(int code, WPARAM wParam, LPARAM lParam);

// The keyboard hook watches for the stop key while recording or playing;
// the mouse hook records.
static void UpdateHooks(void)
{
    int wantKey = rec.active || play.active, wantMouse = rec.active;
    if (wantKey && !keyHook)
        keyHook = SetWindowsHookExA(WH_KEYBOARD_LL, MacroKeyProc, hookModule, 0);
    if (!wantKey && keyHook) {
        UnhookWindowsHookEx(keyHook);
        keyHook = NULL;
    }
    if (wantMouse && !mouseHook)
        mouseHook = SetWindowsHookExA(WH_MOUSE_LL, MacroMouseProc, hookModule, 0);
    if (!wantMouse && mouseHook) {
        UnhookWindowsHookEx(mouseHook);
        mouseHook = NULL;
    }
}

static void Wake(void)
{
    if (wakePlayer)
        wakePlayer();
}

static void StopRecording(void)
{
    rec.active = 0;
    *table.count = 0;
    UpdateHooks();
}

static void EndPlayback(void)
{
    if (!play.active)
        return;
    play.active = 0;
    ++play.run;
    play.releasePending = 1;
    *table.count = 0;
    UpdateHooks();
    Wake();
}

static void StartRecording(void)
{
    EndPlayback();
    memset(&rec, 0, sizeof rec);
    // Keys held when recording starts (Ctrl and Shift of the hot key) are
    // released during the recording; an auto-repeat of one of them is a
    // repeat.
    for (int vk = 1; vk < 255; ++vk)
        rec.down[vk] = GetAsyncKeyState(vk) < 0;
    rec.active = 1;
    UpdateHooks();
    if (!keyHook || !mouseHook)
        StopRecording();
}

static void StartPlayback(int atOnce)
{
    play.active = 1;
    play.atOnce = atOnce;
    play.index = 0;
    play.start = GetTickCount();
    play.base = table.events[0].time;
    ++play.run;
    *table.count = 0;
    UpdateHooks();
    Wake();
}

static void Store(const EVENTMSG& record)
{
    // The count is read once: the library may change it meanwhile.
    UINT index = (UINT)*table.count;
    if (index < MACRO_RECORD_LIMIT) {
        table.events[index] = record;
        *table.count = (int)(index + 1);
    }
}

// Ctrl+Shift+F6 pressed, as the journal's record hook tests it: the key
// state of Ctrl and Shift (the events before this one have set it).
static int IsStopKey(WPARAM message, DWORD vk)
{
    return message == WM_KEYDOWN && vk == VK_F6 && GetAsyncKeyState(VK_CONTROL) < 0 &&
           GetAsyncKeyState(VK_SHIFT) < 0;
}

// 1 when the key is kept from everyone else.
static int OnKey(WPARAM message, const KBDLLHOOKSTRUCT& key)
{
    int stop = IsStopKey(message, key.vkCode);
    if (rec.active) {
        // The stop key ends the recording and goes on to the keyboard hook,
        // which switches bMacro off; a recording the library switched off
        // some other way ends too.
        if (stop || *table.recording != 1) {
            StopRecording();
            return 0;
        }
        BYTE vk = (BYTE)key.vkCode;
        // The window in front: the focus window of another thread is not at
        // hand in a low-level hook.
        Store(RecordFromKey(message, key, rec.down[vk], GetForegroundWindow()));
        rec.down[vk] = (key.flags & LLKHF_UP) ? 0 : 1;
        return 0;
    }
    if (play.active && stop) {
        // Kept from the keyboard hook, where it would start a recording.
        EndPlayback();
        return 1;
    }
    return 0;
}

static LRESULT CALLBACK MacroKeyProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && lParam) {
        const KBDLLHOOKSTRUCT* key = (const KBDLLHOOKSTRUCT*)lParam;
        if (!IsOwnInput(key->flags, LLKHF_INJECTED, key->dwExtraInfo) && OnKey(wParam, *key))
            return 1;
    }
    return CallNextHookEx(keyHook, code, wParam, lParam);
}

static LRESULT CALLBACK MacroMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && lParam && rec.active) {
        const MSLLHOOKSTRUCT* mouse = (const MSLLHOOKSTRUCT*)lParam;
        EVENTMSG record;
        if (IsOwnInput(mouse->flags, LLMHF_INJECTED, mouse->dwExtraInfo)) {
            // The player's own event.
        } else if (*table.recording != 1) {
            StopRecording();
        } else if (RecordFromMouse(wParam, *mouse, WindowFromPoint(mouse->pt), &record)) {
            Store(record);
        }
    }
    return CallNextHookEx(mouseHook, code, wParam, lParam);
}

static RECT VirtualScreen(void)
{
    RECT r;
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return r;
}

static void Inject(const EVENTMSG& record)
{
    INPUT in;
    if (!InputFromRecord(record, VirtualScreen(), &in))
        return;
    if (in.type == INPUT_KEYBOARD) {
        WORD vk = in.ki.wVk & 0xFF;
        if (in.ki.dwFlags & KEYEVENTF_KEYUP)
            play.held[vk] = 0;
        else
            play.held[vk] = (WORD)(0x8000 | ((in.ki.dwFlags & KEYEVENTF_EXTENDEDKEY) ? 0x100 : 0) |
                                   in.ki.wScan);
    } else {
        static const DWORD downs = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_MIDDLEDOWN;
        DWORD flags = in.mi.dwFlags;
        play.buttons |= (flags & downs) << 1;  // each button's up flag follows its down flag
        play.buttons &= ~(flags & (downs << 1));
    }
    SendInput(1, &in, sizeof in);
}

// Keys and buttons a playback pressed and never released would stay down
// for every program after it: they are released when it ends.
static void ReleaseHeld(void)
{
    if (!play.releasePending)
        return;
    play.releasePending = 0;
    for (int vk = 255; vk > 0; --vk) {
        if (!play.held[vk])
            continue;
        INPUT in;
        memset(&in, 0, sizeof in);
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = (WORD)vk;
        in.ki.wScan = play.held[vk] & 0xFF;
        in.ki.dwFlags = KEYEVENTF_KEYUP | ((play.held[vk] & 0x100) ? KEYEVENTF_EXTENDEDKEY : 0);
        in.ki.dwExtraInfo = MACRO_INJECTED_MARK;
        play.held[vk] = 0;
        SendInput(1, &in, sizeof in);
    }
    if (play.buttons) {
        INPUT in;
        memset(&in, 0, sizeof in);
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = play.buttons;
        in.mi.dwExtraInfo = MACRO_INJECTED_MARK;
        play.buttons = 0;
        SendInput(1, &in, sizeof in);
    }
}

int MacroEnginePlayStep(void)
{
    // The clock starts when the first record goes out, not when it was asked
    // for: the timer's first step comes a little later.
    if (play.active && play.index == 0)
        play.start = GetTickCount();
    for (int n = 0; n < kStepEvents && play.active; ++n) {
        UINT index = play.index;
        if (index >= MACRO_RECORD_LIMIT) {
            EndPlayback();
            break;
        }
        EVENTMSG record = table.events[index];
        *table.count = (int)index;
        // Each record is due at its recorded distance from the first one;
        // the zero record (time 0) has no distance and ends the macro.
        if (!play.atOnce && record.time != 0) {
            int wait = (int)(play.start + (record.time - play.base) - GetTickCount());
            if (wait > 0)
                return wait;
        }
        unsigned run = play.run;
        Inject(record);
        if (play.run != run)
            continue;  // the event restarted or ended the playback
        if (record.time == 0) {
            EndPlayback();
            break;
        }
        play.index = index + 1;
    }
    if (play.active)
        return 0;
    ReleaseHeld();
    return -1;
}

void MacroEngineStart(const MacroTable& t, HINSTANCE inst, void (*wake)(void))
{
    table = t;
    hookModule = inst;
    wakePlayer = wake;
    memset(&rec, 0, sizeof rec);
    memset(&play, 0, sizeof play);
    keyHook = mouseHook = NULL;
}

void MacroEngineEnd(void)
{
    if (!table.events)
        return;
    if (rec.active) {
        // Nothing records once the host is gone.
        StopRecording();
        *table.recording = 0;
    }
    wakePlayer = NULL;
    EndPlayback();
    ReleaseHeld();
    UpdateHooks();
    memset(&table, 0, sizeof table);
}

LRESULT MacroEngineRequest(WPARAM vk, LPARAM journalRefused, int lowLevel)
{
    if (!table.events)
        return 0;
    if (!lowLevel && !journalRefused) {
        // A playback the library starts itself must not run beside this one.
        if (vk == VK_F9 || vk == VK_F12)
            EndPlayback();
        return 0;
    }
    switch (vk) {
    case VK_F6:
        StartRecording();
        return rec.active;
    case VK_F9:
    case VK_F12:
        // A start while a playback runs starts it over.
        StartPlayback(vk == VK_F12);
        return 1;
    }
    return 0;
}

int MacroEnginePlaying(void) { return play.active; }

// --- The host's choices and texts -------------------------------------------

int SystemPrefersLowLevelHooks(DWORD build, int onWine)
{
    return build >= 22000 || onWine ? 1 : 0;
}

void FormatMacroState(int recording, int playing, int index, int stored, char* out, size_t size)
{
    if (recording)
        snprintf(out, size, "Macro: recording, %d event%s stored", index, index == 1 ? "" : "s");
    else if (playing)
        snprintf(out, size, "Macro: playing event %d of %d", index + 1, stored);
    else if (stored > 0)
        snprintf(out, size, "Macro: %d event%s stored", stored, stored == 1 ? "" : "s");
    else
        snprintf(out, size, "Macro: nothing recorded");
}
