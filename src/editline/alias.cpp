// Aliases: on Tab or Enter in a recognised single-line field, a line that
// begins with the keyword "alias" defines or deletes an alias, and a line
// whose first word is an alias gets that word replaced by the alias's value.
// The table lies in the shared block, so an alias defined in one program
// works in every other.
#include "core/qrhook.h"
#include "editline/editline.h"

#include <string.h>

// Scratch of the service: the field's line, a name, and the expanded line.
// A password field's text passes through them, and every process on the
// desktop can read the shared block: they are emptied after every use.
static char chAliasLine[256] QR_SHARED = "";
static char chAliasName[32] QR_SHARED = "";
static char chAliasOut[256] QR_SHARED = "";

static void ClearScratch(void)
{
    memset(chAliasLine, 0, sizeof chAliasLine);
    memset(chAliasName, 0, sizeof chAliasName);
    memset(chAliasOut, 0, sizeof chAliasOut);
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
    if (!IsRecognisedField(hWndNowFocus, chClassName, 63))
        return;

    chAliasLine[0] = 0;
    GetWindowTextA(hWndNowFocus, chAliasLine, 255);
    chAliasLine[sizeof chAliasLine - 1] = 0;
    int outcome = AliasRunLine(chAlias, chAliasLine, chAliasName, chAliasOut, sizeof chAliasOut,
                               wParam == VK_TAB);
    if (outcome & ALIAS_SHOW_LIST)
        PostMessageA(hWndHost, WM_SYSCOMMAND, 11, 0);
    if (outcome & ALIAS_BEEP)
        MessageBeep(0xFFFFFFFF);
    if (outcome & ALIAS_EXPANDED)
        SetWindowTextA(hWndNowFocus, chAliasOut);
    ClearScratch();
}
