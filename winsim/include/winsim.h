// winsim's test-control API: a simulated desktop that tests build and drive
// (windows, focus, keys, pointer, clock, files) and a record of the calls the
// library made.  Not part of the Win32 surface.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ws {

// A message that reached a window: sent, posted, or delivered from input.
struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;
};

using WndHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct WindowSpec {
    std::string cls;
    std::string title;
    LONG style = WS_VISIBLE;
    LONG exStyle = 0;
    HWND parent = NULL;
    RECT rect = {0, 0, 0, 0};  // screen coordinates
    HINSTANCE inst = NULL;
    int id = 0;
    bool unicode = false;  // IsWindowUnicode: the text is kept in UTF-16
    // What RealGetWindowClassA names: the system class a superclass was built
    // on, as Windows answers ("Edit" for a framework's edit field); empty:
    // the class itself, as Wine 8 answers for every window.
    std::string realClass;
};

// Back to an empty desktop: no windows, no hooks, keys up, pointer at 0,0,
// clock at 1000, an empty recorder and a fresh Windows folder.
void reset();

// Windows.
HWND createWindow(const WindowSpec& desc);
void setHandler(HWND hwnd, WndHandler handler);
const std::vector<Message>& messages(HWND hwnd);
void clearMessages(HWND hwnd);
bool exists(HWND hwnd);
LONG style(HWND hwnd);
// The window's thread stops reading messages now (a hung program) or reads
// them again; the window's controls stop with it.  A stopped window gets
// nothing: SendMessageA returns 0 at once
// here (the platform would wait for ever), SendMessageTimeoutA lets its whole
// time-out pass on the clock and fails, or fails at once with
// SMTO_ABORTIFHUNG once the thread has read nothing for 5 seconds (the
// platform's rule for a program that is not responding).
void stopResponding(HWND hwnd);
void resumeResponding(HWND hwnd);
// The window takes ms to answer message msg (0: every message) sent to it or
// to its controls, as a host listing a large folder does (ms 0: at once
// again).  The clock moves on by ms; SendMessageTimeoutA with a shorter
// time-out fails once its time-out has passed, and the message is handled
// all the same, as the platform lets a message that timed out run to its end.
void answerLate(HWND hwnd, DWORD ms, UINT msg = 0);
// Runs fn once, at the start of the next call of the named platform function
// ("IsWindowUnicode", "GetWindowTextA", "GetWindowTextW"), after the call
// has taken its arguments: what another process does to the shared block
// while this one is between two platform calls.
void runDuringNextCall(const std::string& function, std::function<void()> fn);
void setFocus(HWND hwnd);          // no CBT notification: the test's own set-up
void setForeground(HWND hwnd);
// Focus and activation as the platform does them, with the CBT notifications
// in the platform's order.  changeFocus is SetFocus: HCBT_SETFOCUS (wParam the
// window, lParam the window losing the focus) first; then, when the window's
// top-level window is not the active one, its activation (HCBT_ACTIVATE);
// then WM_KILLFOCUS and WM_SETFOCUS.  activate is SetActiveWindow:
// HCBT_ACTIVATE, WM_ACTIVATE to the old and the new window, then the focus
// moves to the new window through changeFocus unless it already lies inside
// it.  A non-zero answer of the hook chain prevents the step (false).
bool changeFocus(HWND hwnd);
bool activate(HWND hwnd);
HWND activeWindow();
// One CBT notification through the installed hook chain; the chain's answer.
LRESULT runCbtHooks(int code, WPARAM wParam, LPARAM lParam);
// The same for a chain of any kind (WH_JOURNALRECORD, say).
LRESULT runHooks(int kind, int code, WPARAM wParam, LPARAM lParam);

// Menus.  A window with WS_SYSMENU has the standard English system menu
// until a test gives it other items; a window has a menu bar only when a
// test gives it one.
struct MenuItem {
    UINT id;           // command identifier; 0 with empty text: a separator
    std::string text;
    bool checked = false;
};
HMENU giveMenuBar(HWND hwnd);
HMENU setSystemMenu(HWND hwnd, const std::vector<MenuItem>& items);
std::vector<MenuItem> menuItems(HMENU menu);

// Hooks.
int hookCount(int kind);
// While set, SetWindowsHookExA fails and returns NULL.
void setHookInstallFails(bool fails);

// Input.  A key event goes through the installed keyboard hook chain the way
// the platform delivers it; when the chain returns 0 the focused window
// receives WM_KEYDOWN or WM_KEYUP.
struct KeyResult {
    LRESULT hookResult;
    bool delivered;
};
// A second keyDown without keyUp is an auto-repeat (bit 30 set).  With code
// HC_NOREMOVE the chain sees a peeked key: nothing is delivered and the key
// state does not change.  The hooks see the key state from before the event.
KeyResult keyDown(UINT vk, int code = HC_ACTION);
KeyResult keyUp(UINT vk, int code = HC_ACTION);
// Key state without any event (Ctrl and Shift held, say).
void setKeyState(int vk, bool down);
// A key message as the hook sees it (lParam with repeat count 1, bit 30 the
// previous state, bit 31 set for a release).
LPARAM keyFlags(bool down, bool wasDown);
void setCursorPos(int x, int y);
POINT cursorPos();
void setScreenSize(int cx, int cy);
void setSystemMetric(int index, int value);
int cursorShowCount();

// Clock.
void setTick(DWORD tick);
void advanceTick(DWORD ms);

// Files.  The Windows folder is a real, per-test folder.
std::string windowsDir();
std::string readFile(const std::string& path);  // "" when missing
void writeFile(const std::string& path, const std::string& text);
void setModuleFileName(HINSTANCE inst, const std::string& name);

// Recorder: one line per platform call of interest, "Name(arg, arg, ...)".
const std::vector<std::string>& calls();
std::vector<std::string> callsTo(const std::string& name);
void clearCalls();
void record(const std::string& line);
// A handle as the recorder writes it: upper-case hexadecimal.
std::string fmtHandle(const void* h);

// Message boxes.  Without a handler MessageBoxA answers IDOK at once; a
// handler runs while the box is "open" and returns the button pressed.
using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// Z-order: the children of a parent (NULL: the top-level windows), the one on
// top first.
std::vector<HWND> zOrder(HWND parent);

}  // namespace ws
