// The history ring: Tab or Enter in a recognised single-line field stores its
// line, Up and Ctrl+E bring back older lines, Down and Ctrl+X newer ones.  The
// ring lies in the shared block, so every program on the desktop shares it.
// The host switches the service on and off with its answer to the history
// host message, asked at every key event.
//
// A Unicode window's field keeps its text exactly: its line goes into the
// ring in its code-page form, as every reader of the ring expects, and the
// exact text beside it (wchHist), which a later recall into a Unicode
// window's field shows while the slot is still that line (core/text.h).
#include "core/contract.h"
#include "core/qrhook.h"
#include "editline/editline.h"
#include "core/host_link.h"
#include "core/settings_tables.h"
#include "core/text.h"

#include <string.h>

#define VK_KEY_E 69
#define VK_KEY_X 88

// Virtual key of the last successful recall (0 before the first).
static int iHistLastKey QR_SHARED = 0;

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
static int FieldServed(HWND field, WPARAM vk)
{
    if (!IsRecognisedField(field, NULL, QR_HIST_TEXT))
        return 0;
    if (GetWindowLongA(field, GWL_STYLE) & ES_PASSWORD)
        return 0;
    if (vk != VK_TAB && IMEGetOpen(field) != 0)
        return 0;
    if ((vk == VK_UP || vk == VK_DOWN) && GetAsyncKeyState(VK_MENU) < 0)
        return 0;
    if (ComboListDroppedDown())
        return 0;
    return 1;
}

// The exact text of a ring slot: the text stored beside it while the slot
// still holds that text's code-page form, else the slot's own text.
static void SlotExactText(int slot, WCHAR* out, size_t size)
{
    if (ExactTied(wchHist[slot], QR_HIST_TEXT, chHist[slot], QR_HIST_TEXT))
        CopyBounded(out, size, wchHist[slot], QR_HIST_TEXT);
    else
        ExactForm(out, size, chHist[slot], QR_HIST_TEXT);
}

// Puts a ring slot into the field.  The slot is copied first: the host may
// have filled it to the last byte without a terminator, and any process may
// write it while the field takes it.
static void ShowSlot(HWND field, int slot, int caretAtEnd)
{
    WPARAM caret = 0;
    if (IsWindowUnicode(field)) {
        WCHAR line[QR_HIST_TEXT];
        SlotExactText(slot, line, QR_HIST_TEXT);
        SetWindowTextW(field, line);
        if (caretAtEnd)
            caret = (WPARAM)TextLength(line);
    } else {
        char line[QR_HIST_TEXT];
        CopyBounded(line, sizeof line, chHist[slot], sizeof chHist[slot]);
        SetWindowTextA(field, line);
        if (caretAtEnd)
            caret = (WPARAM)strlen(line);
    }
    SendMessageA(field, EM_SETSEL, caret, (LPARAM)caret);
}

// Tab or Enter in an ANSI window's field: the ring as it always was.  The
// exact text beside the slot written is no longer its text.
static void StoreLine(HWND field)
{
    char line[QR_HIST_TEXT] = "";
    GetWindowTextA(field, line, sizeof line);
    line[sizeof line - 1] = 0;
    int slot = HistRingStore(chHist, &iSetIndex, &iGetIndex, line);
    if (slot >= 0)
        wchHist[slot][0] = 0;
}

// Tab or Enter in a Unicode window's field.  A line equal to the newest one
// is not stored again; equal means the exact text, so that a line whose
// code-page form is the newest line's ("Ω" and "O", say) still goes in.
static void StoreExactLine(HWND field)
{
    WCHAR line[QR_HIST_TEXT] = {};
    GetWindowTextW(field, line, QR_HIST_TEXT);
    line[QR_HIST_TEXT - 1] = 0;
    if (line[0] == 0)
        return;
    int next = RingSlot(iSetIndex);
    WCHAR newest[QR_HIST_TEXT];
    SlotExactText(RingStep(next, -1), newest, QR_HIST_TEXT);
    if (memcmp(newest, line, (TextLength(newest) + 1) * sizeof(WCHAR)) == 0)
        return;
    char ansi[QR_HIST_TEXT];
    CodePageForm(ansi, sizeof ansi, line, QR_HIST_TEXT);
    int slot = HistRingPut(chHist, next, &iSetIndex, &iGetIndex, ansi);
    memset(wchHist[slot], 0, sizeof wchHist[slot]);
    CopyBounded(wchHist[slot], QR_HIST_TEXT, line, QR_HIST_TEXT);
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

    // The CBT hook of any program may write the focus record meanwhile: the
    // window tested is the window served.
    HWND field = hWndNowFocus;
    if (!FieldServed(field, wParam))
        return 0;

    int slot;
    switch (action) {
    case HIST_STORE:
        if (IsWindowUnicode(field))
            StoreExactLine(field);
        else
            StoreLine(field);
        return 0;
    case HIST_OLDER:
        slot = HistRingOlder(chHist, &iGetIndex, &iHistLastKey, (int)wParam);
        if (slot < 0)
            return 0;
        ShowSlot(field, slot, 1);
        return 1;
    case HIST_NEWER:
        slot = HistRingNewer(chHist, &iGetIndex, &iHistLastKey, (int)wParam);
        if (slot < 0)
            return 0;
        ShowSlot(field, slot, 0);
        return 1;
    default:
        return 0;
    }
}

// The library saves the tables but never reads them back: the host loads
// them at its start.
void WINAPI HistryAndAliasSave(void)
{
    ProfilePath path;
    SettingsFilePath(&path);
    SettingsTables tables = {chHist, wchHist, chAlias, wchAlias};
    SaveSettingsTables(&path, &tables, bIsHistory == 1, bIsAlias == 1);
}
