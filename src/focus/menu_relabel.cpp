// Relabelling of the Japanese system-menu items into English on activation.
// An item is replaced only while its text still begins with the expected
// Shift-JIS label, so English menus, programs with labels of their own and
// menus already relabelled stay as they are.
#include "core/qrhook.h"

#include <string.h>

struct MenuRelabel {
    UINT command;
    const char* japanese;  // code page 932 bytes, written out so that the
    int japaneseBytes;     // source file's own encoding cannot change them
    const char* english;
};

static const MenuRelabel kMenuRelabels[7] = {
    // "Restore to original size"
    {SC_RESTORE, "\x8C\xB3\x82\xCC\x83\x54\x83\x43\x83\x59\x82\xC9\x96\xDF\x82\xB7", 16, "&Restore"},
    // "Move"
    {SC_MOVE, "\x88\xDA\x93\xAE", 4, "&Move"},
    // "Change size"
    {SC_SIZE, "\x83\x54\x83\x43\x83\x59\x95\xCF\x8D\x58", 10, "&Size"},
    // "Make an icon"
    {SC_MINIMIZE, "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBB", 10, "Mi&nimize"},
    // "Largest display"
    {SC_MAXIMIZE, "\x8D\xC5\x91\xE5\x95\x5C\x8E\xA6", 8, "Ma&ximize"},
    // "Close"
    {SC_CLOSE, "\x95\xC2\x82\xB6\x82\xE9", 6, "&Close\tAlt+F4"},
    // "Switch applications"
    {SC_TASKLIST,
     "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xCC\x90\xD8\x82\xE8"
     "\x91\xD6\x82\xA6",
     26, "S&witch to...\tCtrl+Esc"},
};

// Whether a menu text read into a 32-byte buffer begins with the label of
// row i.  A row index outside the table never matches.
static int MenuTextHasJapaneseLabel(const char* text, int row)
{
    if (row < 0 || row >= 7)
        return 0;
    return memcmp(text, kMenuRelabels[row].japanese, kMenuRelabels[row].japaneseBytes) == 0;
}

void WINAPI ChangeDefMenu(HWND hWnd)
{
    HMENU menu = GetSystemMenu(hWnd, FALSE);
    if (!menu)
        return;
    for (int row = 0; row < 7; ++row) {
        const MenuRelabel& r = kMenuRelabels[row];
        // Zero-filled before every read; the call's own.
        char chMenuText[32] = "";
        GetMenuStringA(menu, r.command, chMenuText, sizeof chMenuText - 1, MF_BYCOMMAND);
        if (MenuTextHasJapaneseLabel(chMenuText, row))
            ModifyMenuA(menu, r.command, MF_BYCOMMAND | MF_STRING, r.command, r.english);
    }
}
