// winsim: menu bars and system menus.
#include "state.h"

#include <string.h>

namespace ws {

namespace {

struct SimMenu {
    HMENU handle;
    HWND owner;
    bool system;
    std::vector<MenuItem> items;
};

struct MenuState {
    std::vector<SimMenu> menus;
    unsigned next = 0x20010;
};

MenuState& menuState()
{
    static MenuState s;
    return s;
}

ResetHook menuReset([] { menuState() = MenuState(); });

SimMenu* findMenu(HMENU h)
{
    for (SimMenu& m : menuState().menus)
        if (m.handle == h)
            return &m;
    return nullptr;
}

SimMenu* menuOf(HWND hwnd, bool system)
{
    for (SimMenu& m : menuState().menus)
        if (m.owner == hwnd && m.system == system)
            return &m;
    return nullptr;
}

SimMenu& newMenu(HWND hwnd, bool system)
{
    MenuState& s = menuState();
    s.menus.push_back(SimMenu{(HMENU)(uintptr_t)s.next++, hwnd, system, {}});
    return s.menus.back();
}

// The standard system menu of an English system.
std::vector<MenuItem> standardSystemMenu()
{
    return {{SC_RESTORE, "&Restore"},  {SC_MOVE, "&Move"},         {SC_SIZE, "&Size"},
            {SC_MINIMIZE, "Mi&nimize"}, {SC_MAXIMIZE, "Ma&ximize"}, {0, ""},
            {SC_CLOSE, "&Close\tAlt+F4"}};
}

MenuItem* findItem(SimMenu* m, UINT item, UINT flags)
{
    if (!m)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return item < m->items.size() ? &m->items[item] : nullptr;
    for (MenuItem& it : m->items)
        if (it.id == item && !(it.id == 0 && it.text.empty()))
            return &it;
    return nullptr;
}

}  // namespace

HMENU giveMenuBar(HWND hwnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimMenu* m = menuOf(hwnd, false);
    return m ? m->handle : newMenu(hwnd, false).handle;
}

HMENU setSystemMenu(HWND hwnd, const std::vector<MenuItem>& items)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimMenu* m = menuOf(hwnd, true);
    if (!m)
        m = &newMenu(hwnd, true);
    m->items = items;
    return m->handle;
}

std::vector<MenuItem> menuItems(HMENU menu)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimMenu* m = findMenu(menu);
    return m ? m->items : std::vector<MenuItem>();
}

}  // namespace ws

using namespace ws;

extern "C" {

HMENU GetMenu(HWND hWnd)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    if (!findWindow(hWnd))
        return NULL;
    SimMenu* m = menuOf(hWnd, false);
    return m ? m->handle : NULL;
}

// With bRevert FALSE: the window's system menu, made from the standard one
// at the first call for a window with WS_SYSMENU; NULL for a window without
// one.  With bRevert TRUE the standard menu comes back and the result is NULL.
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("GetSystemMenu(" + fmtHandle(hWnd) + ", " + std::to_string(bRevert) + ")");
    SimWindow* w = findWindow(hWnd);
    if (!w)
        return NULL;
    SimMenu* m = menuOf(hWnd, true);
    if (bRevert) {
        if (m)
            m->items = standardSystemMenu();
        return NULL;
    }
    if (m)
        return m->handle;
    if (!(w->style & WS_SYSMENU))
        return NULL;
    SimMenu& made = newMenu(hWnd, true);
    made.items = standardSystemMenu();
    return made.handle;
}

// Copies at most cchMax - 1 bytes and a terminator; returns the count copied.
// A missing item returns 0 and leaves the buffer as it was.
int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    MenuItem* it = findItem(findMenu(hMenu), uIDItem, flags);
    if (!it)
        return 0;
    int n = (int)it->text.size();
    if (!lpString || cchMax <= 0)
        return n;
    if (n > cchMax - 1)
        n = cchMax - 1;
    memcpy(lpString, it->text.data(), n);
    lpString[n] = 0;
    return n;
}

BOOL ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    std::string text = (uFlags & MF_SEPARATOR) || !lpNewItem ? "" : lpNewItem;
    record("ModifyMenuA(" + fmtHandle(hMnu) + ", " + std::to_string(uPosition) + ", " +
           std::to_string(uFlags) + ", " + std::to_string((unsigned long long)uIDNewItem) +
           ", \"" + text + "\")");
    MenuItem* it = findItem(findMenu(hMnu), uPosition, uFlags);
    if (!it)
        return FALSE;
    it->id = (UINT)uIDNewItem;
    it->text = text;
    return TRUE;
}

// The item's former state (MF_CHECKED or MF_UNCHECKED); -1 for no item.
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    MenuItem* it = findItem(findMenu(hMenu), uIDCheckItem, uCheck);
    if (!it)
        return (DWORD)-1;
    DWORD was = it->checked ? MF_CHECKED : MF_UNCHECKED;
    it->checked = (uCheck & MF_CHECKED) != 0;
    return was;
}

}  // extern "C"
