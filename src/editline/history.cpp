// The history ring: Tab or Enter in a recognised single-line field stores its
// line, Up and Ctrl+E bring back older lines, Down and Ctrl+X newer ones.  The
// ring lies in the shared block, so every program on the desktop shares it.
// The host switches the service on and off with its answer to the history
// host message, asked at every key event.
#include "core/qrhook.h"
#include "editline/editline.h"

#include <string.h>

#define VK_KEY_E 69
#define VK_KEY_X 88

// Virtual key of the last successful recall (0 before the first).
static int iHistLastKey QR_SHARED = 0;
// The history line buffer: the focus window's class name, then its text.
static char chHistLine[256] QR_SHARED = "";
// Settings key and value being written by HistryAndAliasSave.
static char chHistKey[16] QR_SHARED = "";
// Two bytes more than a slot: a value may be saved in quotes.
static char chHistValue[258] QR_SHARED = "";

enum HistAction { HIST_NONE, HIST_STORE, HIST_OLDER, HIST_NEWER };

static int CtrlHeld(void)
{
    return GetKeyState(VK_CONTROL) < 0;
}

static int ComboListDroppedDown(void)
{
    HWND list = FindWindowA("ComboLBox", NULL);
    return list != NULL && IsWindowVisible(list) == 1;
}

// The field tests of the history service, in their order.
static int FieldServed(WPARAM vk)
{
    if (!IsRecognisedField(hWndNowFocus, chHistLine, sizeof chHistLine))
        return 0;
    if (GetWindowLongA(hWndNowFocus, GWL_STYLE) & ES_PASSWORD)
        return 0;
    if (vk != VK_TAB && IMEGetOpen(hWndNowFocus) != 0)
        return 0;
    if ((vk == VK_UP || vk == VK_DOWN) && GetAsyncKeyState(VK_MENU) < 0)
        return 0;
    if (ComboListDroppedDown())
        return 0;
    return 1;
}

// Puts a ring slot into the field.  The slot is copied first: the host may
// have filled it to the last byte without a terminator.
static void ShowSlot(int slot, int caretAtEnd)
{
    CopyBounded(chHistLine, sizeof chHistLine, chHist[slot], sizeof chHist[slot]);
    SetWindowTextA(hWndNowFocus, chHistLine);
    WPARAM caret = caretAtEnd ? (WPARAM)strlen(chHistLine) : 0;
    SendMessageA(hWndNowFocus, EM_SETSEL, caret, (LPARAM)caret);
}

int WINAPI Hist(int code, WPARAM wParam, LPARAM lParam)
{
    if (SendHostMessage(HM_HISTORY_ON, 0, 0) == 0)
        return 0;
    if (code < 0)
        return 0;
    if (lParam & 0x40000000)
        return 0;

    HistAction action;
    switch (wParam) {
    case VK_TAB:
    case VK_RETURN:
        action = HIST_STORE;
        break;
    case VK_UP:
        action = HIST_OLDER;
        break;
    case VK_DOWN:
        action = HIST_NEWER;
        break;
    case VK_KEY_E:
    case VK_KEY_X:
        if (!CtrlHeld())
            return 0;
        action = wParam == VK_KEY_E ? HIST_OLDER : HIST_NEWER;
        break;
    default:
        HistRingRestart(iSetIndex, &iGetIndex);
        return 0;
    }

    if (!FieldServed(wParam))
        return 0;

    int slot;
    switch (action) {
    case HIST_STORE:
        chHistLine[0] = 0;
        GetWindowTextA(hWndNowFocus, chHistLine, sizeof chHistLine);
        chHistLine[sizeof chHistLine - 1] = 0;
        HistRingStore(chHist, &iSetIndex, &iGetIndex, chHistLine);
        return 0;
    case HIST_OLDER:
        slot = HistRingOlder(chHist, &iGetIndex, &iHistLastKey, (int)wParam);
        if (slot < 0)
            return 0;
        ShowSlot(slot, 1);
        return 1;
    case HIST_NEWER:
        slot = HistRingNewer(chHist, &iGetIndex, &iHistLastKey, (int)wParam);
        if (slot < 0)
            return 0;
        ShowSlot(slot, 0);
        return 1;
    default:
        return 0;
    }
}

void WINAPI HistryAndAliasSave(void)
{
    // A slot holds at most 255 (an alias entry 127) characters; the host may
    // have filled one to its last byte without a terminator.
    if (bIsHistory == 1) {
        for (int slot = 0; slot < 32; ++slot) {
            SlotKeyName(chHistKey, sizeof chHistKey, "", slot);
            ProfileSafeCopy(chHistValue, sizeof chHistValue, chHist[slot], sizeof chHist[slot] - 1);
            WriteProfileStriMy("Quillrun", chHistKey, chHistValue);
        }
    }
    if (bIsAlias == 1) {
        for (int slot = 0; slot < 32; ++slot) {
            SlotKeyName(chHistKey, sizeof chHistKey, "Alias-", slot);
            ProfileSafeCopy(chHistValue, sizeof chHistValue, chAlias[slot], sizeof chAlias[slot] - 1);
            WriteProfileStriMy("Quillrun", chHistKey, chHistValue);
        }
    }
    chHistValue[0] = 0;
}
