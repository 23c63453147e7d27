// Helpers for the Wine integration tests: start the host and the target
// program, wait for conditions with a time-out, send keys (SendInput or X key
// events through xdotool), read other processes' window text, watch for
// message boxes, and read or write the library's shared variables.
#pragma once

#include <windows.h>

#include "core/contract.h"
#include "integrity.h"

#include <functional>
#include <string>
#include <vector>

namespace qr {

// Folder of Quillrun.exe and QRHook.dll (the build's bin folder), and of the
// test programs, with a trailing backslash.
std::string BinDir();
std::string TestDir();
// The i686 build's test programs (QR_TESTS32), for the tests of both
// widths; "" when not given.
std::string TestDir32();

// Waits until cond() holds, pumping this thread's messages, polling every
// 20 ms; false after timeoutMs.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs = 5000);
// Lets other processes run for a while (pumping messages) without a
// condition: only after a condition has been met, to give a key that should
// NOT arrive the time to arrive anyway.
void Settle(DWORD ms = 200);

// --- Processes ---------------------------------------------------------------
struct Program {
    PROCESS_INFORMATION pi = {};
    bool Running() const;
    // Waits for the process to end; false (and the process is killed) after
    // timeoutMs.
    bool WaitExit(DWORD timeoutMs = 10000);
    void Kill();
    // Lets the program run on after this object goes (it is killed otherwise).
    void Detach();
    ~Program();
};
// Starts a command line (a Windows program, or a Unix program by its Unix
// path).  Returns false when the program cannot be started.
bool Start(const std::string& commandLine, Program* out);
// The same for a command line the code page cannot write.
bool Start(const std::wstring& commandLine, Program* out);
// Runs a command line to its end; its exit code, or -1.
int Run(const std::string& commandLine, DWORD timeoutMs = 10000);

// The Unix side of a Wine program of this Wine folder (other Wine folders on
// the machine run programs of the same name): its process id, 0 when none.
int UnixPid(const char* exeName);
// Its state letter from /proc ('S' sleeping, 'R' running, 'T' stopped), 0
// once it has gone.
char UnixState(int pid);
// Sends a signal ("STOP", "CONT", "KILL") with the Unix kill command; no exit
// code comes back: wait for the effect.
bool UnixSignal(int pid, const char* signal);

// --- Windows -----------------------------------------------------------------
HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs = 10000);
// Text of a window of any process (WM_GETTEXT with a time-out).
std::string WindowText(HWND hWnd);
// Text between the widths: the desktop's code page and UTF-16, and UTF-8
// for messages.
std::wstring Wide(const std::string& text);
std::string Ansi(const std::wstring& text);
std::string Utf8(const std::wstring& text);
// Makes hWnd the foreground window and waits until it is.
bool BringToFront(HWND hWnd, DWORD timeoutMs = 5000);
// Whether control has the keyboard focus of its thread, and its top-level
// window is the foreground window.
bool HasFocus(HWND control);
// Brings a dialog of any process to the front with the focus in one of its
// controls (WM_NEXTDLGCTL), and waits until that has held for a moment: a
// focus event arriving late from the X server can still move it.
bool FocusDialogControl(HWND dialog, HWND control, DWORD timeoutMs = 5000);

// --- Keys --------------------------------------------------------------------
// Key events through SendInput: they go to the thread with the keyboard
// focus, exactly as typed keys do, and pass through the hook chain there.
void KeyDown(WORD vk);
void KeyUp(WORD vk);
void Tap(WORD vk);
void CtrlShiftTap(WORD vk);
void CtrlTap(WORD vk);
// Types ASCII letters, digits, space and a few punctuation marks.
void TypeText(const char* text);
// The same through the X server: xdotool with its arguments, for instance
// XDoTool("key ctrl+shift+b").  Wine gives no exit code of a Unix program:
// the result only says whether it started; wait for the keys' effect.
bool XDoTool(const std::string& args);
// Gives the X focus to the top-level window with this exact title and types
// keys (xdotool key names, e.g. "ctrl+shift+b q") into it, in order.
bool XKeysTo(const char* title, const std::string& keys);

// --- Message boxes -----------------------------------------------------------
// While it lives, a watcher thread closes every message box (dialog class
// "#32770" with a static text) of the other processes and keeps their texts.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    std::vector<std::string> Texts();  // "caption: text" of each box closed
    bool WaitForBox(const std::string& needle, DWORD timeoutMs = 5000);

private:
    static DWORD WINAPI Thread(void* self);
    HANDLE thread_ = NULL;
    volatile LONG stop_ = 0;
    CRITICAL_SECTION lock_;
    std::vector<std::string> texts_;
};

// --- The library's shared block, seen from this process ----------------------
class SharedBlock {
public:
    bool Load();  // loads QRHook.dll from BinDir()
    template <class T> T* Var(const char* name) const
    {
        return reinterpret_cast<T*>(GetProcAddress(dll_, name));
    }
    FARPROC Function(const char* name) const { return GetProcAddress(dll_, name); }
    HMODULE Module() const { return dll_; }

private:
    HMODULE dll_ = NULL;
};

// --- Settings file -----------------------------------------------------------
// Full path of the host's settings file in the Windows folder.
std::string SettingsPath();
// Where the host keeps it when the Windows folder may not be written:
// %APPDATA%\Quillrun\Quillrun.Ini.
std::string UserSettingsPath();
// Makes a file or folder immutable (chattr +i on its Unix path: nobody,
// not even root, may create, remove or write in it) or writable again, and
// waits until that holds (false for a path that does not exist).  As a
// Windows folder refuses an ordinary user.
bool SetImmutable(const std::string& winPath, bool immutable);
// Replaces the settings file with these lines (written as given).
bool WriteSettings(const std::vector<std::string>& lines);
std::string ReadSetting(const char* key);  // section "Quillrun"

// --- The host program --------------------------------------------------------
// Its state line with the hooks in and nothing amiss, as under Wine: there
// the library's files cannot be labelled (Wine has no integrity levels),
// which the line says.
#define QR_WINE_HOOKS_INSTALLED "Hooks installed. " QR_NOT_KEPT_OUT
class Host {
public:
    // Starts Quillrun.exe (from program, the build's when empty) and waits
    // for its window and its hooks.
    bool Start(const std::wstring& program = L"");
    // Ends the host the way the user does (File > Exit) and waits for the
    // exit.
    bool Close();
    HWND Window() const { return hWnd_; }
    // The two lines of the host window.
    std::string StateLine() const;
    std::string HotKeyLine() const;
    // A menu command, sent as the menu sends it.
    void Command(int id) const;
    // The host's answer to a host message.
    LRESULT Ask(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    Program& Process() { return proc_; }

private:
    Program proc_;
    HWND hWnd_ = NULL;
};

// --- The target program ------------------------------------------------------
class Target {
public:
    // Starts qr_target.exe from this folder (the 32-bit one from TestDir32()).
    bool Start(const std::string& folder = TestDir());
    void Close();  // ends the process at once
    HWND Window() const { return hWnd_; }
    HWND Edit(int id) const { return GetDlgItem(hWnd_, id); }
    // Brings the target to the front with the focus in edit field id.
    bool Focus(int id = 1);
    std::string Log() const;  // key messages the edit fields received
    void ClearLog() const;
    // Waits until the log holds item (" d51" and the like).
    bool WaitForLog(const std::string& item, DWORD timeoutMs = 5000) const;
    std::string Text(int id) const { return WindowText(Edit(id)); }
    void SetText(int id, const char* text) const;
    // The same in UTF-16 (field 6 is a Unicode window's): WM_GETTEXT and
    // WM_SETTEXT sent as W messages, which is what GetWindowTextW and
    // SetWindowTextW do for a window of their own process (for a control of
    // another process they would not ask the control).
    std::wstring TextW(int id) const;
    void SetTextW(int id, const std::wstring& text) const;
    // The input method of the focused field, through the target's own
    // thread: open or close it (false when it has no input context), and
    // its open status (-1 without an input context).
    bool SetImeOpen(bool open) const;
    int ImeOpen() const;
    // Text of the target's system-menu item with this command ("" when it
    // has none), as the target reads it.
    std::string SystemMenuItem(UINT command) const;

private:
    Program proc_;
    HWND hWnd_ = NULL;
};

// " d42" for a key-down of 'B' and the like: the log's items.
std::string Down(WORD vk);
std::string Up(WORD vk);

}  // namespace qr
