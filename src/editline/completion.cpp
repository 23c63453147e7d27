// File-name completion: Ctrl+L in a recognised single-line field completes
// the last word of its line to a matching directory entry, each further
// Ctrl+L to the next one; Ctrl+O goes backwards.  The matching names are
// listed by the host's completion dialog (list box 202, pattern in static
// 200), which keeps the list between key strokes; the keys that end or change
// a word empty it.
#include "core/qrhook.h"
#include "editline/editline.h"

#include <string.h>

#define QR_LIST_ID 202
#define QR_PATTERN_ID 200
#define VK_KEY_L 76
#define VK_KEY_O 79

// Completion cursor: after forward steps the position after the entry shown,
// after backward steps the position of the entry shown.
static int iHokanIndex QR_SHARED = 0;
// Key of the last completion step ('L' or 'O'), 0 before the first.
static int iHokanLastKey QR_SHARED = 0;
// Scratch: the field's line (extended by a wildcard, then completed), the
// pattern listed, and the entry read from the list.  A password field's text
// passes through them, and every process can read the shared block: they are
// emptied after every use.
static char chHokanLine[256] QR_SHARED = "";
static char chHokanPattern[256] QR_SHARED = "";
static char chHokanEntry[256] QR_SHARED = "";

static HWND FileList(void)
{
    return GetDlgItem(hDlgFileList, QR_LIST_ID);
}

static int IsResetKey(WPARAM vk)
{
    switch (vk) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_SPACE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_DELETE:
    case VK_OEM_5:
        return 1;
    }
    return 0;
}

// The list box belongs to the host's dialog, and the program whose Ctrl+L
// is being served waits for every answer: the messages go with the host
// messages' bound.  A list box that exists but does not answer belongs to a
// host that hangs; the step then asks nothing more, and the key goes on as
// with the service off.  A missing list box answers 0 to everything, as a
// message to no window does.
struct ListTalk {
    HWND list;
    int tooLong;  // the entry read does not fit the buffers
    int silent;   // the host has not answered
};

static LRESULT AskList(ListTalk* t, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = 0;
    if (t->silent)
        return 0;
    if (!AskHostWindow(t->list, msg, wParam, lParam, &answer) && IsWindow(t->list))
        t->silent = 1;
    return answer;
}

// Reads one entry of the list into the entry buffer; the answer is that of
// LB_GETTEXT (0 or less: no such entry).  An entry too long for the buffer
// is not read: it counts as found, and t->tooLong tells that it cannot be
// used.
static LRESULT ReadEntry(ListTalk* t, int index)
{
    LRESULT len = AskList(t, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (len > (LRESULT)sizeof chHokanEntry - 1) {
        t->tooLong = 1;
        return len;
    }
    if (len < 0)
        return len;
    // Room for the text twice over, in case a list box of another process
    // answers in two-byte characters.
    char text[2 * sizeof chHokanEntry + 2];
    text[0] = 0;
    LRESULT read = AskList(t, LB_GETTEXT, (WPARAM)index, (LPARAM)text);
    if (read >= 0) {
        text[sizeof text - 1] = 0;
        CopyBounded(chHokanEntry, sizeof chHokanEntry, text, sizeof text);
        t->tooLong = read > (LRESULT)sizeof chHokanEntry - 1;
    }
    return read;
}

static void StepForward(ListTalk* t)
{
    if (ReadEntry(t, iHokanIndex) > 0) {
        iHokanIndex = iHokanIndex + 1;
        return;
    }
    ReadEntry(t, 0);
    iHokanIndex = 1;
}

static void StepBackward(ListTalk* t)
{
    iHokanIndex = iHokanIndex > 0 ? iHokanIndex - 1 : -1;
    if (ReadEntry(t, iHokanIndex) > 0)
        return;
    iHokanIndex = (int)AskList(t, LB_GETCOUNT, 0, 0) - 1;
    ReadEntry(t, iHokanIndex);
}

// Lists the entries that match the line's last word (with a wildcard added
// when it has none).  Returns 0, listing nothing, when the line leaves no
// room for the wildcard.
static int BuildList(ListTalk* t)
{
    const char* wildcard = CompletionWildcard(chHokanLine + LastWordStart(chHokanLine));
    if (wildcard && !AppendIfFits(chHokanLine, sizeof chHokanLine, wildcard))
        return 0;
    chHokanEntry[0] = 0;
    iHokanIndex = 0;
    CopyBounded(chHokanPattern, sizeof chHokanPattern, chHokanLine + LastWordStart(chHokanLine),
                sizeof chHokanPattern);
    SetWindowTextA(GetDlgItem(hDlgFileList, QR_PATTERN_ID), chHokanPattern);
    AskList(t, LB_DIR, DDL_DIRECTORY, (LPARAM)chHokanPattern);
    return 1;
}

// One completion step on the focus field; returns 1 when the key was used.
static int Complete(int key)
{
    ListTalk t = {FileList(), 0, 0};
    chHokanLine[0] = 0;
    GetWindowTextA(hWndNowFocus, chHokanLine, 255);
    chHokanLine[sizeof chHokanLine - 1] = 0;
    LRESULT count = AskList(&t, LB_GETCOUNT, 0, 0);
    if (t.silent)
        return 0;
    if (count <= 0 && !BuildList(&t))
        return 0;

    if (key == VK_KEY_L) {
        if (iHokanLastKey == VK_KEY_O)
            StepForward(&t);
        StepForward(&t);
    } else {
        if (iHokanLastKey == VK_KEY_L)
            StepBackward(&t);
        StepBackward(&t);
    }
    // A host that stopped answering on the way leaves the field and the last
    // direction as they were.
    if (t.silent)
        return 0;
    iHokanLastKey = key;

    // An entry or a completed line too long for the buffers leaves the field
    // as it is; the cursor has moved on, so the next step shows another entry.
    if (t.tooLong)
        return 1;
    StripDirectoryBrackets(chHokanEntry);
    if (!ReplaceLastName(chHokanLine, sizeof chHokanLine, chHokanEntry))
        return 1;
    SetWindowTextA(hWndNowFocus, chHokanLine);
    WPARAM end = (WPARAM)strlen(chHokanLine);
    SendMessageA(hWndNowFocus, EM_SETSEL, end, (LPARAM)end);
    return 1;
}

int WINAPI FileHokan(int code, WPARAM wParam, LPARAM lParam)
{
    if (bIsHokan == 0)
        return 0;
    if (code < 0)
        return 0;
    if (lParam & 0x40000000)
        return 0;
    if (IsResetKey(wParam)) {
        // Space, Enter, Backspace and the arrows of every program come here:
        // the host's list must not hold them up when the host hangs.
        SendToHostWindow(FileList(), LB_RESETCONTENT, 0, 0);
        iHokanIndex = 0;
        return 0;
    }
    if (wParam != VK_KEY_L && wParam != VK_KEY_O)
        return 0;
    if (GetKeyState(VK_CONTROL) >= 0)
        return 0;
    if (!IsRecognisedField(hWndNowFocus, chClassName, 63))
        return 0;
    if (IMEGetOpen(hWndNowFocus) != 0)
        return 0;
    int used = Complete((int)wParam);
    memset(chHokanLine, 0, sizeof chHokanLine);
    memset(chHokanPattern, 0, sizeof chHokanPattern);
    memset(chHokanEntry, 0, sizeof chHokanEntry);
    return used;
}
