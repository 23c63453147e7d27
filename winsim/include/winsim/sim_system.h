// winsim test control for the shut-down calls, program starts, the shell,
// cursors, capture, the code page and the journal hooks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ws {

// ExitWindowsEx answers this (TRUE unless a test refuses).
void setExitWindowsResult(BOOL result);
// Without the privilege services OpenProcessToken, LookupPrivilegeValueA and
// AdjustTokenPrivileges fail (as on a system that has none).
void setPrivilegeServices(bool present);
// The process token's integrity level (a SECURITY_MANDATORY_*_RID; medium
// unless a test chooses) and whether it is an AppContainer's.  queriesFail:
// GetTokenInformation fails for both (ERROR_ACCESS_DENIED).
void setProcessToken(DWORD integrityRid, bool appContainer, bool queriesFail = false);
// Tokens opened and not yet closed (each open gives a handle of its own).
int openTokenCount();
// Runs fn once, inside the next LookupPrivilegeValueA: what another process
// does while this one is between opening its token and adjusting it.
void runDuringNextPrivilegeLookup(std::function<void()> fn);

// Runs fn once, inside the next WritePrivateProfileStringA whose section and
// key make when() true, before that call reads its texts: what another
// process does while this one is inside a profile write.
void runDuringProfileWrite(std::function<bool(const std::string& section, const std::string& key)> when,
                           std::function<void()> fn);

// WinExec answers this (33 unless a test chooses another).
void setWinExecResult(UINT result);
// ShellExecuteA answers what the function returns for the file and the
// parameters (42, a success, unless a test chooses).
using ShellAnswer = std::function<UINT_PTR(const std::string& file, const std::string& params)>;
void setShellExecuteAnswer(ShellAnswer answer);

// Cursor resources of a module: LoadCursorA finds only these.
HCURSOR addCursor(HINSTANCE inst, const std::string& name);
// The cursor now used as the normal pointer (NULL until one is set).
HCURSOR normalPointer();
// The name a cursor was added under ("" for another handle).
std::string cursorName(HCURSOR cursor);
HWND captureWindow();

// 932 (Shift-JIS, the default) or a single-byte code page such as 1252:
// what GetACP answers and which bytes IsDBCSLeadByte, CharNextA and CharPrevA
// take for lead bytes (932: 0x81 to 0x9F and 0xE0 to 0xFC).  Conversions to
// and from UTF-16: 1252 (any code page but 932) with the platform's table;
// 932 knows ASCII, the half-width katakana, hiragana and katakana and a few
// other characters by their real code points, and carries every other
// double-byte pair as a character of plane 15 (U+F0000 plus the pair), so
// that code-page text makes the trip to UTF-16 and back unchanged.  UTF-16
// text the code page cannot write becomes '?'.
void setCodePage(UINT codePage);
// Runs fn under each system code page the text tables cover, 1252 and then
// 932, which stays set.
void forEachCodePage(const std::function<void(UINT codePage)>& fn);

// The current directory as the platform would report it ("C:\TOOLS").
std::string currentDirectory();

// Journal hooks.  An input event goes through the record hooks first, as
// the platform records an event when it leaves the system queue; key events
// from keyDown and keyUp do so too.
void journalEvent(const EVENTMSG& event);
// A key event as the record hook sees it: paramL the virtual key with the
// upper word of the key message's lParam above it (scan code in bits 8-15,
// then the extended, context, previous-state and transition bits), paramH
// the repeat count with bit 15 set for an extended key.
EVENTMSG keyEventMsg(UINT message, UINT vk, LPARAM keyFlags = 0);
// While set, SetWindowsHookExA refuses the journal hooks (returns NULL), as
// systems without them do; other hooks are still installed.
void setJournalHooksRefused(bool refused);

// Low-level hooks and SendInput.  Every input event, a key from keyDown and
// keyUp, a mouse event from mouseEvent or an event SendInput synthesizes,
// first goes through the WH_KEYBOARD_LL or WH_MOUSE_LL hooks (newest first);
// a non-zero answer discards it.  Otherwise it moves the pointer or changes
// the key state, is logged, goes through the record hooks, and a key goes on
// through the keyboard hooks to the focused window.  Low-level hooks see
// Shift, Ctrl and Alt as their left or right key; synthesized events carry
// LLKHF_INJECTED or LLMHF_INJECTED and their dwExtraInfo.
void mouseEvent(UINT message, int x, int y);
struct LoggedInput {
    EVENTMSG event;  // as the record hook sees it
    bool injected;   // synthesized by SendInput
    ULONG_PTR extraInfo;
};
const std::vector<LoggedInput>& inputLog();
void clearInputLog();
// Plays back the way the platform does: asks the playback hook for the next
// event (HC_GETNEXT) and, while the answer is a delay above 0, lets that many
// milliseconds pass on the clock and asks again; then processes the event
// (key events go through keyDown and keyUp) and tells the hook to move on
// (HC_SKIP).  Runs until no playback hook is left or maxEvents events were
// processed.
struct PlayedEvent {
    EVENTMSG event;             // as the hook handed it out
    DWORD tick;                 // clock when it was processed
    std::vector<LRESULT> asks;  // the answer to every HC_GETNEXT for it
};
std::vector<PlayedEvent> runPlayback(size_t maxEvents = 5000);

}  // namespace ws
