// winsim: windows, messages, focus and the call recorder.
#include "state.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

namespace ws {

static const uintptr_t kFirstWindow = 0x10010;

Desktop& desk()
{
    static Desktop d;
    return d;
}

std::recursive_mutex& deskLock()
{
    static std::recursive_mutex m;
    return m;
}

std::string fmtHandle(const void* h)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%lX", (unsigned long)(uintptr_t)h);
    return buf;
}

SimWindow* findWindow(HWND hwnd)
{
    uintptr_t n = (uintptr_t)hwnd;
    Desktop& d = desk();
    if (n < kFirstWindow || n - kFirstWindow >= d.windows.size())
        return nullptr;
    SimWindow* w = &d.windows[n - kFirstWindow];
    return w->alive ? w : nullptr;
}

HWND createWindow(const WindowSpec& desc)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    Desktop& d = desk();
    SimWindow w;
    w.handle = (HWND)(kFirstWindow + d.windows.size());
    w.cls = desc.cls;
    w.unicode = desc.unicode;
    w.realCls = desc.realClass;
    setText(&w, desc.title);
    w.style = desc.style;
    w.exStyle = desc.exStyle;
    w.parent = desc.parent;
    w.rect = desc.rect;
    w.inst = desc.inst;
    w.id = desc.id;
    w.alive = true;
    w.z = ++d.zTop;  // a new window lies on top of its siblings
    d.windows.push_back(w);
    return w.handle;
}

void setHandler(HWND hwnd, WndHandler handler)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (SimWindow* w = findWindow(hwnd))
        w->handler = std::move(handler);
}

const std::vector<Message>& messages(HWND hwnd)
{
    static const std::vector<Message> none;
    SimWindow* w = findWindow(hwnd);
    return w ? w->received : none;
}

void clearMessages(HWND hwnd)
{
    if (SimWindow* w = findWindow(hwnd))
        w->received.clear();
}

bool exists(HWND hwnd) { return findWindow(hwnd) != nullptr; }

void stopResponding(HWND hwnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (SimWindow* w = findWindow(hwnd)) {
        w->stopped = true;
        w->stoppedSince = desk().tick;
    }
}

void answerLate(HWND hwnd, DWORD ms, UINT msg)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (SimWindow* w = findWindow(hwnd)) {
        w->answerDelay = ms;
        w->answerDelayMsg = msg;
    }
}

void resumeResponding(HWND hwnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (SimWindow* w = findWindow(hwnd))
        w->stopped = false;
}

LONG style(HWND hwnd)
{
    SimWindow* w = findWindow(hwnd);
    return w ? w->style : 0;
}

void setFocus(HWND hwnd) { desk().focus = hwnd; }
void setForeground(HWND hwnd) { desk().foreground = hwnd; }

const std::vector<std::string>& calls() { return desk().calls; }

std::vector<std::string> callsTo(const std::string& name)
{
    std::vector<std::string> out;
    for (const std::string& c : desk().calls)
        if (c.compare(0, name.size() + 1, name + "(") == 0)
            out.push_back(c);
    return out;
}

void clearCalls() { desk().calls.clear(); }

void record(const std::string& line)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    desk().calls.push_back(line);
}

void setText(SimWindow* w, const std::string& text)
{
    if (w->unicode)
        setTextW(w, wideOf(text));
    else
        w->title = text;
}

void setTextW(SimWindow* w, const std::u16string& text)
{
    if (w->unicode)
        w->wtitle = text;
    w->title = ansiOf(text);
}

std::u16string textW(const SimWindow* w)
{
    return w->unicode ? w->wtitle : wideOf(w->title);
}

static thread_local bool gWideMessage = false;
bool wideMessage() { return gWideMessage; }

// Delivers a message to a window: recorded, then handed to the test's handler.
static LRESULT deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool posted)
{
    SimWindow* w = findWindow(hwnd);
    if (!w)
        return 0;
    w->received.push_back(Message{msg, wParam, lParam, posted});
    if (!w->handler)
        return 0;
    WndHandler handler = w->handler;  // the handler may create windows
    return handler(hwnd, msg, wParam, lParam);
}

static MessageBoxHandler gMessageBoxHandler;
static ResetHook gMessageBoxReset([] { gMessageBoxHandler = nullptr; });

void setMessageBoxHandler(MessageBoxHandler handler) { gMessageBoxHandler = std::move(handler); }

}  // namespace ws

using namespace ws;

static std::map<std::string, std::function<void()>> gDuringCall;
static ResetHook gDuringCallReset([] { gDuringCall.clear(); });

void ws::runDuringNextCall(const std::string& function, std::function<void()> fn)
{
    gDuringCall[function] = std::move(fn);
}

static void called(const char* function)
{
    auto it = gDuringCall.find(function);
    if (it == gDuringCall.end())
        return;
    std::function<void()> fn = std::move(it->second);
    gDuringCall.erase(it);
    fn();
}

extern "C" {

HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    for (SimWindow& w : desk().windows) {
        if (!w.alive || w.parent)
            continue;  // only top-level windows are found
        if (lpClassName && strcasecmp(w.cls.c_str(), lpClassName) != 0)
            continue;
        if (lpWindowName && w.title != lpWindowName)
            continue;
        return w.handle;
    }
    return NULL;
}

// A stopped window stands for its thread: the controls it holds stop with
// it.  Returns the stopped window, or null.
static SimWindow* stoppedWindowOf(SimWindow* w)
{
    for (int depth = 0; w && depth < 64; ++depth, w = findWindow(w->parent))
        if (w->stopped)
            return w;
    return nullptr;
}

// How long the thread of a window (or of the window holding it) takes to
// answer.
static DWORD answerDelayOf(SimWindow* w, UINT msg)
{
    for (int depth = 0; w && depth < 64; ++depth, w = findWindow(w->parent))
        if (w->answerDelay && (w->answerDelayMsg == 0 || w->answerDelayMsg == msg))
            return w->answerDelay;
    return 0;
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (stoppedWindowOf(findWindow(hWnd)))
        return 0;  // the platform would wait until the thread reads again
    advanceTick(answerDelayOf(findWindow(hWnd), Msg));
    return deliver(hWnd, Msg, wParam, lParam, false);
}

// A thread that has not read its queue for this long counts as not
// responding (hung).
static const DWORD kHungAfterMs = 5000;

LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                            UINT uTimeout, PDWORD_PTR lpdwResult)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return 0;  // not a window: fails at once
    if (SimWindow* stopped = stoppedWindowOf(w)) {
        bool hung = desk().tick - stopped->stoppedSince >= kHungAfterMs;
        if (!((fuFlags & SMTO_ABORTIFHUNG) && hung))
            advanceTick(uTimeout);  // the whole time-out is waited for
        return 0;
    }
    DWORD delay = answerDelayOf(w, Msg);
    if (delay > uTimeout) {
        advanceTick(uTimeout);
        deliver(hWnd, Msg, wParam, lParam, false);
        return 0;
    }
    advanceTick(delay);
    LRESULT r = deliver(hWnd, Msg, wParam, lParam, false);
    if (lpdwResult)
        *lpdwResult = (DWORD_PTR)r;
    return 1;
}

// The W calls deliver the same way, with the message's text in UTF-16.
struct WideSend {
    bool was = gWideMessage;
    WideSend() { gWideMessage = true; }
    ~WideSend() { gWideMessage = was; }
};

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WideSend wide;
    return SendMessageA(hWnd, Msg, wParam, lParam);
}

LRESULT SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                            UINT uTimeout, PDWORD_PTR lpdwResult)
{
    WideSend wide;
    return SendMessageTimeoutA(hWnd, Msg, wParam, lParam, fuFlags, uTimeout, lpdwResult);
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("PostMessageA(" + fmtHandle(hWnd) + ", " + std::to_string(Msg) + ", " +
           std::to_string((unsigned long long)wParam) + ", " + std::to_string((long long)lParam) + ")");
    // HWND_BROADCAST and -1 reach every top-level window.
    if (hWnd == HWND_BROADCAST || hWnd == (HWND)(intptr_t)-1) {
        for (size_t i = 0; i < desk().windows.size(); ++i) {
            SimWindow& w = desk().windows[i];
            if (w.alive && !w.parent)
                deliver(w.handle, Msg, wParam, lParam, true);
        }
        return TRUE;
    }
    if (!hWnd) 
        return TRUE;  // a thread message to the caller's own thread
    if (!findWindow(hWnd))
        return FALSE;
    deliver(hWnd, Msg, wParam, lParam, true);
    return TRUE;
}

LONG GetWindowLongA(HWND hWnd, int nIndex)
{
    return (LONG)GetWindowLongPtrA(hWnd, nIndex);
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex)
{
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return 0;
    switch (nIndex) {
    case GWL_STYLE: return w->style;
    case GWL_EXSTYLE: return w->exStyle;
    case GWLP_HINSTANCE: return (LONG_PTR)w->inst;
    case GWLP_ID: return w->id;
    }
    return 0;
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong)
{
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return 0;
    LONG old = 0;
    switch (nIndex) {
    case GWL_STYLE: old = w->style; w->style = dwNewLong; break;
    case GWL_EXSTYLE: old = w->exStyle; w->exStyle = dwNewLong; break;
    case GWLP_ID: old = w->id; w->id = dwNewLong; break;
    }
    record("SetWindowLongA(" + fmtHandle(hWnd) + ", " + std::to_string(nIndex) + ", " +
           std::to_string(dwNewLong) + ")");
    return old;
}

// Copies at most nMaxCount - 1 characters and the terminator; returns the
// number of characters copied, as the platform does.
static int copyOut(const std::string& s, LPSTR out, int nMaxCount)
{
    if (!out || nMaxCount <= 0)
        return 0;
    int n = (int)s.size();
    if (n > nMaxCount - 1)
        n = nMaxCount - 1;
    memcpy(out, s.data(), n);
    out[n] = 0;
    return n;
}

int GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount)
{
    SimWindow* w = findWindow(hWnd);
    return w ? copyOut(w->cls, lpClassName, nMaxCount) : 0;
}

UINT RealGetWindowClassA(HWND hWnd, LPSTR pszType, UINT cchType)
{
    SimWindow* w = findWindow(hWnd);
    return w ? (UINT)copyOut(w->realCls.empty() ? w->cls : w->realCls, pszType, (int)cchType) : 0;
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount)
{
    called("GetWindowTextA");
    SimWindow* w = findWindow(hWnd);
    if (!w) {
        if (lpString && nMaxCount > 0)
            lpString[0] = 0;
        return 0;
    }
    return copyOut(w->title, lpString, nMaxCount);
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString)
{
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return FALSE;
    setText(w, lpString ? lpString : "");
    return TRUE;
}

BOOL IsWindowUnicode(HWND hWnd)
{
    called("IsWindowUnicode");
    SimWindow* w = findWindow(hWnd);
    return w && w->unicode;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    called("GetWindowTextW");
    SimWindow* w = findWindow(hWnd);
    if (!lpString || nMaxCount <= 0)
        return 0;
    std::u16string text = w ? textW(w) : std::u16string();
    int n = (int)text.size() < nMaxCount - 1 ? (int)text.size() : nMaxCount - 1;
    memcpy(lpString, text.data(), (size_t)n * sizeof(WCHAR));
    lpString[n] = 0;
    return n;
}

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return FALSE;
    setTextW(w, lpString ? std::u16string(lpString) : std::u16string());
    return TRUE;
}

HWND GetParent(HWND hWnd)
{
    SimWindow* w = findWindow(hWnd);
    return w ? w->parent : NULL;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    if (hWnd == GetDesktopWindow() && lpRect) {
        *lpRect = RECT{0, 0, desk().screenCx, desk().screenCy};  // the whole screen
        return TRUE;
    }
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return FALSE;
    *lpRect = w->rect;
    return TRUE;
}

BOOL IsWindow(HWND hWnd) { return findWindow(hWnd) != nullptr; }

BOOL IsWindowVisible(HWND hWnd)
{
    SimWindow* w = findWindow(hWnd);
    return w && (w->style & WS_VISIBLE) != 0;
}

BOOL IsWindowEnabled(HWND hWnd)
{
    SimWindow* w = findWindow(hWnd);
    return w && (w->style & WS_DISABLED) == 0;
}

// Returns whether the window was disabled before the call.
BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    SimWindow* w = findWindow(hWnd);
    record("EnableWindow(" + fmtHandle(hWnd) + ", " + std::to_string(bEnable) + ")");
    if (!w)
        return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (bEnable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    return wasDisabled;
}

// Returns whether the window was visible before the call.
BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    SimWindow* w = findWindow(hWnd);
    record("ShowWindow(" + fmtHandle(hWnd) + ", " + std::to_string(nCmdShow) + ")");
    if (!w)
        return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) != 0;
    switch (nCmdShow) {
    case SW_HIDE:
        w->style &= ~WS_VISIBLE;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        w->style = (w->style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
        break;
    case SW_SHOWMAXIMIZED:
        w->style = (w->style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        w->style = (w->style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
        break;
    default:
        w->style |= WS_VISIBLE;
        break;
    }
    return wasVisible;
}

BOOL DestroyWindow(HWND hWnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("DestroyWindow(" + fmtHandle(hWnd) + ")");
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return FALSE;
    // The CBT hook hears of the destruction before anything happens to the
    // window (its children's notifications follow as they go); a non-zero
    // answer keeps the window.
    if (runHookChain(WH_CBT, HCBT_DESTROYWND, (WPARAM)hWnd, 0) != 0)
        return FALSE;
    w = findWindow(hWnd);
    if (!w)
        return FALSE;
    // Children go first, as the platform destroys them with their parent.
    for (size_t i = 0; i < desk().windows.size(); ++i)
        if (desk().windows[i].alive && desk().windows[i].parent == hWnd)
            DestroyWindow(desk().windows[i].handle);
    w = findWindow(hWnd);
    deliver(hWnd, WM_DESTROY, 0, 0, false);
    w = findWindow(hWnd);
    if (w)
        w->alive = false;
    if (desk().focus == hWnd)
        desk().focus = NULL;
    if (desk().foreground == hWnd)
        desk().foreground = NULL;
    return TRUE;
}

static bool contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The deepest visible window under the point; among siblings the one highest
// in the z-order wins.  A disabled child control is not returned: the point
// falls to the window beneath it, as on the platform.
static HWND childFromPoint(HWND parent, POINT p)
{
    for (HWND h : childrenTopFirst(parent)) {
        SimWindow& w = *findWindow(h);
        bool disabledChild = (w.style & (WS_CHILD | WS_DISABLED)) == (WS_CHILD | WS_DISABLED);
        if ((w.style & WS_VISIBLE) && !disabledChild && contains(w.rect, p)) {
            HWND inner = childFromPoint(w.handle, p);
            return inner ? inner : w.handle;
        }
    }
    return NULL;
}

HWND WindowFromPoint(POINT Point)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    return childFromPoint(NULL, Point);
}

HWND GetForegroundWindow(void) { return desk().foreground; }

BOOL SetForegroundWindow(HWND hWnd)
{
    record("SetForegroundWindow(" + fmtHandle(hWnd) + ")");
    if (!findWindow(hWnd))
        return FALSE;
    desk().foreground = hWnd;
    return TRUE;
}

HWND GetFocus(void) { return desk().focus; }

HWND GetDesktopWindow(void) { return (HWND)(uintptr_t)0x10000; }

HWND GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    for (SimWindow& w : desk().windows)
        if (w.alive && hDlg && w.parent == hDlg && w.id == nIDDlgItem)
            return w.handle;
    return NULL;
}

// Recorded; then the test's handler, if any, plays the user while the box is
// open (hooks may run meanwhile, as in a modal loop) and gives the answer.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    std::string text = lpText ? lpText : "", caption = lpCaption ? lpCaption : "";
    record("MessageBoxA(" + fmtHandle(hWnd) + ", \"" + text + "\", \"" + caption + "\", " +
           std::to_string(uType) + ")");
    if (gMessageBoxHandler) {
        ws::MessageBoxHandler handler = gMessageBoxHandler;
        return handler(hWnd, text, caption, uType);
    }
    return IDOK;
}

BOOL MessageBeep(UINT uType)
{
    char buf[32];
    snprintf(buf, sizeof buf, "MessageBeep(0x%X)", uType);
    record(buf);
    return TRUE;
}

BOOL WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData)
{
    record("WinHelpA(" + fmtHandle(hWndMain) + ", \"" + (lpszHelp ? lpszHelp : "") + "\", " +
           std::to_string(uCommand) + ", " + std::to_string((unsigned long long)dwData) + ")");
    return TRUE;
}

}  // extern "C"
