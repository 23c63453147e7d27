// Aliases: on Tab or Enter in a recognised single-line field, a line that
// begins with the keyword "alias" defines or deletes an alias, and a line
// whose first word is an alias gets that word replaced by the alias's value.
// The table lies in the shared block, so an alias defined in one program
// works in every other.
//
// In a Unicode window's field the service works on the exact table
// (wchAlias) with the field's exact text; the code-page table (chAlias),
// which the host and every ANSI field use, follows each change in its
// code-page form.
#include "core/qrhook.h"
#include "editline/editline.h"
#include "core/text.h"

#include <string.h>

// What the line asked for, beyond the table's own change.
static void ActOn(int outcome)
{
    if (outcome & ALIAS_SHOW_LIST)
        PostMessageA(hWndHost, WM_SYSCOMMAND, QR_SYSCMD_ALIAS_LIST, 0);
    if (outcome & ALIAS_BEEP)
        MessageBeep(0xFFFFFFFF);
}

// The line, a name and the expanded line live on this call's stack: a
// password field's text passes through them, and every process can read
// and write the shared block.
static void RunCodePageLine(HWND field, int isTab)
{
    char line[QR_LINE_TEXT] = "", name[QR_ALIAS_NAME] = "", out[QR_LINE_TEXT] = "";
    GetWindowTextA(field, line, 255);
    line[sizeof line - 1] = 0;
    int outcome = AliasRunLine(chAlias, line, name, out, sizeof out, isTab);
    if (outcome & ALIAS_DEFINED) {
        // The entry's exact text is no longer its text.
        int entry = AliasFind(chAlias, name);
        if (entry >= 0)
            wchAlias[entry][0] = 0;
    }
    ActOn(outcome);
    if (outcome & ALIAS_EXPANDED)
        SetWindowTextA(field, out);
}

// Every exact entry that is not the exact text of its code-page entry (that
// entry was written since, by an ANSI field or the host) takes that entry's
// own text, so that the exact table says what the code-page table says.
static void TieExactEntries(void)
{
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        if ((wchAlias[i][0] == 0 && chAlias[i][0] == 0) ||
            ExactTied(wchAlias[i], QR_ALIAS_TEXT, chAlias[i], QR_ALIAS_TEXT))
            continue;
        memset(wchAlias[i], 0, sizeof wchAlias[i]);
        ExactForm(wchAlias[i], QR_ALIAS_TEXT, chAlias[i], QR_ALIAS_TEXT);
    }
}

// After a definition or a deletion in the exact table, the code-page entry
// that changed takes its code-page form.  (A code-page entry never gives an
// empty exact entry, so an empty exact entry beside a full code-page entry
// is the one just deleted.)
static void FollowExactChange(int outcome, const WCHAR* name)
{
    if (outcome & ALIAS_DEFINED) {
        int entry = AliasFind(wchAlias, name);
        if (entry >= 0) {
            memset(chAlias[entry], 0, sizeof chAlias[entry]);
            CodePageForm(chAlias[entry], QR_ALIAS_TEXT, wchAlias[entry], QR_ALIAS_TEXT);
        }
    }
    if (outcome & ALIAS_DELETED)
        for (int i = 0; i < QR_RING_SLOTS; ++i)
            if (wchAlias[i][0] == 0)
                chAlias[i][0] = 0;
}

static void RunExactLine(HWND field, int isTab)
{
    TieExactEntries();
    WCHAR line[QR_LINE_TEXT] = {}, name[QR_ALIAS_NAME] = {}, out[QR_LINE_TEXT] = {};
    GetWindowTextW(field, line, 255);
    line[QR_LINE_TEXT - 1] = 0;
    int outcome = AliasRunLine(wchAlias, line, name, out, QR_LINE_TEXT, isTab);
    FollowExactChange(outcome, name);
    ActOn(outcome);
    if (outcome & ALIAS_EXPANDED)
        SetWindowTextW(field, out);
}

void WINAPI Alias(int code, WPARAM wParam, LPARAM lParam)
{
    if (bIsAlias == 0)
        return;
    if (code < 0)
        return;
    if (lParam & 0x40000000)
        return;
    if (wParam != VK_TAB && wParam != VK_RETURN)
        return;
    // The window tested is the window served, whatever the focus record
    // says meanwhile.
    HWND field = hWndNowFocus;
    if (!IsRecognisedField(field, chClassName, 63))
        return;

    if (IsWindowUnicode(field))
        RunExactLine(field, wParam == VK_TAB);
    else
        RunCodePageLine(field, wParam == VK_TAB);
}
