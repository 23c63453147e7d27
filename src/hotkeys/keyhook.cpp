// The keyboard hook: context help, the edit-line services, the Ctrl+Shift
// gate and the command table.  It runs for every key event of every program
// on the desktop, so it allocates nothing and a key without Ctrl and Shift
// leaves after the three service calls and at most two GetKeyState calls.
#include "core/process_trust.h"
#include "core/qrhook.h"
#include "core/text.h"
#include "hotkeys/hotkeys.h"

#include <string.h>

char chKeyHookBuf[80] QR_SHARED = "";
int bHotKeyDown QR_SHARED = 0;
// Existence probes of the help file: one for context help, one for
// Ctrl+Shift+F1.
static OFSTRUCT ofHelpContext QR_SHARED = {};
static OFSTRUCT ofHelpHotKey QR_SHARED = {};

// The copies upper-case the single-byte ASCII letters only: the second byte
// of a double-byte character keeps its value even where it reads as a..z,
// so that two different Japanese names never compare equal.  The copies are
// this call's own: compared as they were made, whatever another process
// writes into the shared block meanwhile.
int StrCmpIMy(const char* a, const char* b)
{
    char upperA[1024], upperB[1024];
    CopyUpper(upperA, a, sizeof upperA);
    CopyUpper(upperB, b, sizeof upperB);
    return strcmp(upperA, upperB);
}

// Builds the help-file path from the host module's file name (Host.EXE ->
// Host.Hlp) in chKeyHookBuf and tests that the file exists.  A name of fewer
// than three characters has no extension to replace: no help then.  The
// three characters are counted as characters, not bytes.
int BuildHelpPath(OFSTRUCT* probe)
{
    HINSTANCE inst = (HINSTANCE)GetWindowLongPtrA(hWndHost, GWLP_HINSTANCE);
    chKeyHookBuf[0] = 0;
    GetModuleFileNameA(inst, chKeyHookBuf, sizeof chKeyHookBuf);
    // Older systems leave a truncated name without its terminator.
    chKeyHookBuf[sizeof chKeyHookBuf - 1] = 0;
    size_t len = strlen(chKeyHookBuf);
    if (LastChars(chKeyHookBuf, len, 2) == 0)
        return 0;  // two characters or fewer
    memcpy(chKeyHookBuf + LastChars(chKeyHookBuf, len, 3), "Hlp", 4);
    return OpenFile(chKeyHookBuf, probe, OF_EXIST) != HFILE_ERROR;
}

static void OpenHelp(int context, OFSTRUCT* probe)
{
    if (BuildHelpPath(probe))
        WinHelpA(hWndHost, chKeyHookBuf, HELP_CONTEXT, (ULONG_PTR)context);
}

void HelpOnHotKey(void)
{
    if (GetForegroundWindow() != hWndHost)
        return;
    OpenHelp(777, &ofHelpHotKey);
}

static int IsKeyUp(LPARAM lParam)
{
    return (lParam & 0x80000000) != 0;
}

// The event reaches the command table only when every test holds, in this
// order.  Alt is not tested: Ctrl+Shift+Alt+key counts as Ctrl+Shift+key.
static int PassesGate(int code, WPARAM wParam)
{
    if (code != HC_ACTION)
        return 0;
    if (GetKeyState(VK_SHIFT) >= 0)
        return 0;
    if (GetKeyState(VK_CONTROL) >= 0)
        return 0;
    if (bDlg == 1)
        return 0;
    if (bCtrlShift == 0)
        return 0;
    if (bKBLock == 1 && wParam != 'W')
        return 0;
    return 1;
}

static int LetterDisabled(WPARAM wParam)
{
    return wParam >= 'A' && wParam <= 'Z' && chCtrlShift[wParam - 'A'] == '0';
}

LRESULT CALLBACK DllKeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    // A sandboxed process neither reads nor writes the block: not even the
    // hook handle (the platform ignores CallNextHookEx's).
    if (!ProcessMayUseBlock())
        return CallNextHookEx(NULL, code, wParam, lParam);

    // Context help: nothing else sees this event.
    if (code == HC_ACTION && !IsKeyUp(lParam) && wParam == VK_F1 && iDlgContextID != 0) {
        OpenHelp(iDlgContextID, &ofHelpContext);
        return CallNextHookEx(hKeyHook, code, wParam, lParam);
    }

    // A key a service consumes goes no further, not even down the chain.
    if (FileHokan(code, wParam, lParam) == 1)
        return 1;
    Alias(code, wParam, lParam);
    if (Hist(code, wParam, lParam) == 1)
        return 1;

    if (!PassesGate(code, wParam))
        return CallNextHookEx(hKeyHook, code, wParam, lParam);

    if (IsKeyUp(lParam)) {
        // The key-up that follows a hot key is kept from the program too,
        // whichever key and whichever program it belongs to.
        if (bHotKeyDown == 1) {
            bHotKeyDown = 0;
            CallNextHookEx(hKeyHook, code, wParam, lParam);
            return 1;
        }
        return CallNextHookEx(hKeyHook, code, wParam, lParam);
    }

    if (LetterDisabled(wParam))
        return CallNextHookEx(hKeyHook, code, wParam, lParam);

    bHotKeyDown = 1;
    const HotKeyCommand* command = FindHotKeyCommand(wParam);
    if (!command)
        return CallNextHookEx(hKeyHook, code, wParam, lParam);
    RunHotKeyCommand(command);
    LRESULT next = CallNextHookEx(hKeyHook, code, wParam, lParam);
    return command->swallow ? 1 : next;
}
