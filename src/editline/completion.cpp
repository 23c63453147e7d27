// File-name completion: Ctrl+L in a recognised single-line field completes
// the last word of its line to a matching directory entry, each further
// Ctrl+L to the next one; Ctrl+O goes backwards.  The matching names are
// listed by the host's completion dialog (list box 202, pattern in static
// 200), which keeps the list between key strokes; the keys that end or change
// a word empty it.
#include "core/qrhook.h"
#include "editline/editline.h"
#include "core/host_link.h"
#include "core/text.h"

#include <string.h>

#define VK_KEY_L 76
#define VK_KEY_O 79

// Completion cursor: after forward steps the position after the entry shown,
// after backward steps the position of the entry shown.
static int iHokanIndex QR_SHARED = 0;
// Key of the last completion step ('L' or 'O'), 0 before the first.
static int iHokanLastKey QR_SHARED = 0;

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
    HWND dialog;  // the host's completion dialog, as read once for this step
    HWND list;
    int cursor;   // the completion cursor, read once and written back once
    int wide;     // the field's text is UTF-16: the pattern is listed as such
    int tooLong;  // the entry read does not fit the buffers
    int silent;   // the host has not answered
};

// The listing makes the host read a whole folder, which may take seconds
// (a large folder, a network drive, a cold disk).  The host is busy, not
// hung: it gets a bound of its own.  A host that is hung (it has read no
// message for seconds) is still not waited for at all.
#define kListingLimitMs 5000

static LRESULT AskList(ListTalk* t, UINT msg, WPARAM wParam, LPARAM lParam, int wide)
{
    LRESULT answer = 0;
    if (t->silent)
        return 0;
    UINT limit = msg == LB_DIR ? kListingLimitMs : kHostAnswerLimitMs;
    if (!AskHostWindow(t->list, msg, wParam, lParam, &answer, wide, limit) && IsWindow(t->list))
        t->silent = 1;
    return answer;
}

// An entry as the field's width needs it: a code-page field gets the
// entry's code-page form, which must fit whole.
static int TakeEntry(char* entry, const WCHAR* text, size_t len)
{
    char form[2 * QR_EXACT_UNITS];
    CodePageForm(form, sizeof form, text, len);
    CopyBounded(entry, QR_LINE_TEXT, form, sizeof form);
    return strlen(form) <= QR_LINE_TEXT - 1;
}

static int TakeEntry(WCHAR* entry, const WCHAR* text, size_t len)
{
    CopyBounded(entry, QR_LINE_TEXT, text, len);
    return len <= QR_LINE_TEXT - 1;
}

// Reads one entry of the list into entry; the answer is that of LB_GETTEXT
// (0 or less: no such entry).  The list box keeps its entries in UTF-16 and
// is read so in either width: the names stay exact for a Unicode window's
// field (and a list box of another process answers an ANSI reader in UTF-16
// under Wine).  An entry too long for the buffers is not used: it counts as
// found, and t->tooLong tells that it cannot be used.
template <class C> static LRESULT ReadEntry(ListTalk* t, int index, C* entry)
{
    LRESULT len = AskList(t, LB_GETTEXTLEN, (WPARAM)index, 0, 1);
    if (len > QR_LINE_TEXT - 1) {
        t->tooLong = 1;
        return len;
    }
    if (len < 0)
        return len;
    // Room for more than the length told, in case the list changed between
    // the two questions (an entry of a listing is a file name of MAX_PATH).
    WCHAR text[2 * QR_EXACT_UNITS + 2];
    text[0] = 0;
    LRESULT read = AskList(t, LB_GETTEXT, (WPARAM)index, (LPARAM)text, 1);
    if (read >= 0) {
        text[sizeof text / sizeof text[0] - 1] = 0;
        size_t units = TextLength(text);
        t->tooLong = units > QR_LINE_TEXT - 1 || !TakeEntry(entry, text, units);
    }
    return read;
}

template <class C> static void StepForward(ListTalk* t, C* entry)
{
    if (ReadEntry(t, t->cursor, entry) > 0) {
        t->cursor = t->cursor + 1;
        return;
    }
    ReadEntry(t, 0, entry);
    t->cursor = 1;
}

template <class C> static void StepBackward(ListTalk* t, C* entry)
{
    t->cursor = t->cursor > 0 ? t->cursor - 1 : -1;
    if (ReadEntry(t, t->cursor, entry) > 0)
        return;
    t->cursor = (int)AskList(t, LB_GETCOUNT, 0, 0, 0) - 1;
    ReadEntry(t, t->cursor, entry);
}

// The field's text and the pattern line, in the field's width.
static void ReadField(HWND field, char* line) { GetWindowTextA(field, line, QR_LINE_TEXT - 1); }
static void ReadField(HWND field, WCHAR* line) { GetWindowTextW(field, line, QR_LINE_TEXT - 1); }
static void SetText(HWND hWnd, const char* text) { SetWindowTextA(hWnd, text); }
static void SetText(HWND hWnd, const WCHAR* text) { SetWindowTextW(hWnd, text); }

// Lists the entries that match the line's last word (with a wildcard added
// when it has none).  Returns 0, listing nothing, when the line leaves no
// room for the wildcard.
template <class C> static int BuildList(ListTalk* t, C* line, C* pattern, C* entry)
{
    const char* wildcard = CompletionWildcard(line + LastWordStart(line));
    if (wildcard && !AppendIfFits(line, QR_LINE_TEXT, wildcard))
        return 0;
    entry[0] = 0;
    t->cursor = 0;
    CopyBounded(pattern, QR_LINE_TEXT, line + LastWordStart(line), QR_LINE_TEXT);
    SetText(GetDlgItem(t->dialog, QR_COMPLETION_PATTERN_ID), pattern);
    AskList(t, LB_DIR, DDL_DIRECTORY, (LPARAM)pattern, t->wide);
    return 1;
}

// One completion step on the field, with buffers of its width on this
// call's stack (a password field's text passes through them); returns 1
// when the key was used.  The shared values the step works with (the
// dialog, the cursor, the direction) are read once.
template <class C> static int Complete(HWND field, int key)
{
    C line[QR_LINE_TEXT] = {}, pattern[QR_LINE_TEXT] = {}, entry[QR_LINE_TEXT] = {};
    HWND dialog = hDlgFileList;
    int lastKey = iHokanLastKey;
    ListTalk t = {dialog, GetDlgItem(dialog, QR_COMPLETION_LIST_ID), iHokanIndex, sizeof(C) == 2, 0, 0};
    ReadField(field, line);
    line[QR_LINE_TEXT - 1] = 0;
    LRESULT count = AskList(&t, LB_GETCOUNT, 0, 0, 0);
    if (t.silent)
        return 0;
    if (count <= 0 && !BuildList(&t, line, pattern, entry))
        return 0;

    if (key == VK_KEY_L) {
        if (lastKey == VK_KEY_O)
            StepForward(&t, entry);
        StepForward(&t, entry);
    } else {
        if (lastKey == VK_KEY_L)
            StepBackward(&t, entry);
        StepBackward(&t, entry);
    }
    // A host that stopped answering on the way leaves the field, the last
    // direction and the cursor as they were.
    if (t.silent)
        return 0;
    iHokanIndex = t.cursor;
    iHokanLastKey = key;

    // An entry or a completed line too long for the buffers leaves the field
    // as it is; the cursor has moved on, so the next step shows another entry.
    if (t.tooLong)
        return 1;
    StripDirectoryBrackets(entry);
    if (!ReplaceLastName(line, QR_LINE_TEXT, entry))
        return 1;
    SetText(field, line);
    WPARAM end = (WPARAM)TextLength(line);
    SendMessageA(field, EM_SETSEL, end, (LPARAM)end);
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
        SendToHostWindow(GetDlgItem(hDlgFileList, QR_COMPLETION_LIST_ID), LB_RESETCONTENT, 0, 0);
        iHokanIndex = 0;
        return 0;
    }
    if (wParam != VK_KEY_L && wParam != VK_KEY_O)
        return 0;
    if (GetKeyState(VK_CONTROL) >= 0)
        return 0;
    // The window tested is the window served, whatever the focus record
    // says meanwhile.
    HWND field = hWndNowFocus;
    if (!IsRecognisedField(field, chClassName, 63))
        return 0;
    if (IMEGetOpen(field) != 0)
        return 0;
    return IsWindowUnicode(field) ? Complete<WCHAR>(field, (int)wParam) : Complete<char>(field, (int)wParam);
}
