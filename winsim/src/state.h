// winsim's internal state of the simulated desktop.
#pragma once

#include <winsim.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ws {

struct SimWindow {
    HWND handle;
    std::string cls;
    std::string title;   // a Unicode window: wtitle in the code page
    bool unicode = false;
    std::u16string wtitle;  // a Unicode window's own text
    std::string realCls;    // RealGetWindowClassA's answer (empty: cls)
    LONG style;
    LONG exStyle;
    HWND parent;
    RECT rect;
    HINSTANCE inst;
    int id;
    bool alive;
    long long z = 0;  // z-order among siblings: higher lies on top (winpos.cpp)
    WndHandler handler;
    std::vector<Message> received;
    // The window's thread reads no messages since this tick (stopResponding).
    bool stopped = false;
    DWORD stoppedSince = 0;
    DWORD answerDelay = 0;  // answerLate
    UINT answerDelayMsg = 0;
};

struct SimHook {
    HHOOK handle;
    int kind;
    HOOKPROC proc;
};

struct Desktop {
    std::vector<SimWindow> windows;   // index = handle number - kFirstWindow
    std::vector<SimHook> hooks;       // in installation order
    unsigned nextHook = 1;
    HWND focus = NULL;
    HWND foreground = NULL;
    BYTE keys[256] = {};
    POINT cursor = {0, 0};
    int screenCx = 1024;
    int screenCy = 768;
    int cursorShowCount = 0;
    long long zTop = 0;      // last z given to a window placed on top
    long long zBottom = 0;   // last z given to a window placed at the bottom
    DWORD tick = 1000;
    std::vector<std::string> calls;
    std::map<HINSTANCE, std::string> moduleNames;
    std::string root;                 // per-test folder: Windows folder and drives
};

// The one desktop; calls from several test threads are serialised by the
// recursive lock so that a second "process" thread may run the hooks too.
Desktop& desk();
std::recursive_mutex& deskLock();

SimWindow* findWindow(HWND hwnd);

// Where an input event comes from: the user (all zero) or SendInput.
struct InputSource {
    bool injected = false;
    ULONG_PTR extraInfo = 0;
    DWORD time = 0;  // 0: the clock now
    WORD scan = 0;
    bool extended = false;
};
// One key event through the low-level hooks, the record hooks and the
// keyboard hooks (input.cpp); the low-level hooks see it only with HC_ACTION.
KeyResult keyEventFrom(UINT vk, bool down, int code, const InputSource& src);
// The low-level keyboard hooks' answer for a key event; non-zero discards
// it (lowlevel.cpp).
LRESULT lowLevelKey(UINT vk, bool down, const InputSource& src);
// An event that passed the low-level hooks, into the input log (lowlevel.cpp).
void logInput(const EVENTMSG& event, const InputSource& src);

// Runs the installed hook chain of one kind, newest hook first.
LRESULT runHookChain(int kind, int code, WPARAM wParam, LPARAM lParam);
// Live children of a parent (NULL: the top-level windows), the one on top of
// the z-order first; topmost top-level windows lie above all others.
std::vector<HWND> childrenTopFirst(HWND parent);

// Each area of winsim that keeps state of its own in its own file registers
// a function that empties it; reset() calls them all.
//   static ws::ResetHook myReset([] { myState = MyState(); });
struct ResetHook {
    explicit ResetHook(void (*fn)());
};
void runResetHooks();
// A Windows path ("C:\x\y", "name" in the Windows folder, a relative path)
// as a path of the Linux file system.
std::string hostPath(const char* winPath, bool inWindowsDir);
// The current directory (system.cpp): a relative path's host path once a
// directory was made current ("" before), and OpenFile's search for a file
// (its full Windows path and host path).
std::string relativeHostPath(const std::string& winPath);
bool searchFile(const char* name, std::string* winPath, std::string* host);
std::string fmtHandle(const void* h);

// Paths and names in the simulated code page (system.cpp): a lead byte and
// the byte after it are one character in 932, whose second byte may have the
// value of a backslash.  charSize: bytes of the character at s[at] (0 at the
// end); findChar: the next character c at or after from (a character
// start), npos when none; findLastCharOf: the last character that is one of
// set, npos when none.
size_t charSize(const std::string& s, size_t at);

// Text of both widths (codepage.cpp): code-page text as UTF-16, and UTF-16
// in the code page ('?' for what it cannot write; *usedDefault set then).
std::u16string wideOf(const std::string& s);
std::string ansiOf(const std::u16string& s, bool* usedDefault = nullptr);
// A window's text set from either width (desktop.cpp): a Unicode window
// keeps the UTF-16 text and its code-page form, an ANSI window the
// code-page form only.  textW: the text as a W call reads it.
void setText(SimWindow* w, const std::string& text);
void setTextW(SimWindow* w, const std::u16string& text);
std::u16string textW(const SimWindow* w);
// Whether the message being delivered came through a W call
// (SendMessageW, SendMessageTimeoutW): its text is UTF-16.
bool wideMessage();
size_t findChar(const std::string& s, char c, size_t from = 0);
size_t findLastCharOf(const std::string& s, const char* set);
// A file name against a pattern of '*' and '?' as a directory listing
// matches it (controls.cpp): case ignored, and a name without a dot also
// matches as if it ended in one ("*.*" lists every name).
bool nameMatches(const std::string& pattern, const std::string& name);

}  // namespace ws
