// Which focused controls the pointer may jump to: known control classes
// only, not when the pointer already rests on the control, and not when the
// user's own mouse action vetoes it (bFocusMoveClick).
#include "core/qrhook.h"

#include "core/text.h"
#include "focus/focus.h"

#include <string.h>

// "bosa_" at the start, in any case; a shorter name does not match.
int ClassHasBosaPrefix(const char* name)
{
    return EqualNoCase(name, "bosa_", 5) && TextLength(name) >= 5;
}

static const char* const kJumpClasses[62] = {
    "Button", "Edit", "ComboBox", "ListBox", "ScrollBar", "TabStripWndClass",
    "SysListView32", "SysTreeView32",
    "TButton", "TEdit", "TRichEdit", "TCheckBox", "TRadioButton", "TListView", "TMemo",
    "TListBox", "TComboBox", "TPageControl", "TStringGrid",
    "ThunderCommandButton", "ThunderRTCommandButton", "ThunderRT5CommandButton",
    "ThunderTextBox", "ThunderRTTextBox", "ThunderRT5TextBox",
    "ThunderCheckBox", "ThunderRTCheckBox", "ThunderRT5CheckBox",
    "ThunderOptionButton", "ThunderRTOptionButton", "ThunderRT5OptionButton",
    "ThunderHScrollBar", "ThunderRTHScrollBar", "ThunderRT5HScrollBar",
    "ThunderVScrollBar", "ThunderRTVScrollBar", "ThunderRT5VScrollBar",
    "ThunderComboBox", "ThunderRTComboBox", "ThunderRT5ComboBox",
    "ThunderListBox", "ThunderRTListBox", "ThunderRT5ListBox",
    "ThunderFileListBox", "ThunderRTFileListBox", "ThunderRT5FileListBox",
    "ThunderDirListBox", "ThunderRTDirListBox", "ThunderRT5DirListBox",
    "ThunderDriveListBox", "ThunderRTDriveListBox", "ThunderRT5DriveListBox",
    "bosa_", "EDTBX", "BorBtn", "BorRadio", "BorCheck", "newlist",
    "ThunderSSCommand", "ThunderSSOption", "ThunderSSRibbon", "ThunderSSCheck",
};

static const char* const kButtonEditClasses[16] = {
    "Button", "Edit", "ThunderCommandButton", "ThunderRTCommandButton",
    "ThunderRT5CommandButton", "ThunderTextBox", "ThunderRTTextBox", "ThunderRT5TextBox",
    "TEdit", "TRichEdit", "TMemo", "TButton", "bosa_", "EDTBX", "BorBtn",
    "ThunderSSCommand",
};

// The "bosa_" entry of either list matches by prefix; every other entry
// matches the whole name.
static int Listed(const char* name, const char* const* list, int count)
{
    for (int i = 0; i < count; ++i) {
        int prefixEntry = strcmp(list[i], "bosa_") == 0;
        if (prefixEntry ? ClassHasBosaPrefix(name) : SameNoCase(name, list[i]))
            return 1;
    }
    return 0;
}

int JumpClassListed(const char* name)
{
    return Listed(name, kJumpClasses, 62);
}

int ButtonEditListed(const char* name)
{
    return Listed(name, kButtonEditClasses, 16);
}

// Controls inside windows of these classes never draw the pointer.
static int ExcludedParentClass(const char* name)
{
    return SameNoCase(name, "PROJECT") || SameNoCase(name, "wndclass_pbrs");
}

// The frame band of rectangle r: the outer rows and columns, widened by the
// frame metrics fx and fy, with the caption and menu bar below the top row.
// Every bound is included; computed wide so that no sum overflows.
int FrameBandHit(RECT r, POINT p, int fx, int fy, int menu, int caption)
{
    long long x = p.x, y = p.y;
    long long L = r.left, T = r.top, R = r.right, B = r.bottom;
    if (y < T || y > B || x < L || x > R)
        return 0;
    if (y <= T + fy + menu + caption)
        return 1;
    if (y >= B - fy)
        return 1;
    if (x <= L + fx)
        return 1;
    if (x >= R - fx)
        return 1;
    return 0;
}

// Reads a window's class name into the shared scratch buffer, terminated
// within the buffer whatever another process left in it.
static void ReadClassName(HWND hWnd, int maxCount)
{
    ReadClassName(hWnd, chClassName, maxCount);
}

// Parent chains are never this deep; the bound only keeps a damaged chain
// from holding the hooked thread for ever.
enum { kMaxFrameDepth = 256 };

// The window that frames a control: its dialog or top-level window, or the
// MDI child it sits in.  0 when the control has no parent.
static HWND FindFrame(HWND hWnd)
{
    HWND w = GetParent(hWnd);
    if (!w)
        return 0;
    HWND previous = w;
    for (int depth = 0; depth < kMaxFrameDepth; ++depth) {
        LONG style = GetWindowLongA(w, GWL_STYLE);
        ReadClassName(w, sizeof chClassName - 1);
        // Upper-cased and searched by characters: a double-byte character
        // whose second byte reads as 'm' or 'M' never starts an "MDI".
        CopyUpper(chClassName, chClassName, sizeof chClassName);
        if (Contains(chClassName, "MDI"))
            return previous;
        if (style & WS_POPUP)
            return w;
        if (!(style & WS_CHILD))
            return w;
        HWND parent = GetParent(w);
        if (!parent)
            return w;
        previous = w;
        w = parent;
    }
    return w;
}

int WINAPI IsTobanai(HWND hWnd)
{
    HWND frame = FindFrame(hWnd);
    if (!frame)
        return 1;
    RECT r = {0, 0, 0, 0};
    GetWindowRect(frame, &r);
    POINT p = {0, 0};
    GetCursorPos(&p);
    LONG style = GetWindowLongA(frame, GWL_STYLE);
    int menu = GetMenu(frame) ? GetSystemMetrics(SM_CYMENU) : 0;
    int caption = (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
    int fx = 0, fy = 0;
    if (style & WS_THICKFRAME) {
        fx = GetSystemMetrics(SM_CXFRAME);
        fy = GetSystemMetrics(SM_CYFRAME);
    }
    return FrameBandHit(r, p, fx, fy, menu, caption);
}

int WINAPI IsMove(HWND hWnd)
{
    if (!hWnd)
        return 0;
    POINT p = {0, 0};
    GetCursorPos(&p);
    if (WindowFromPoint(p) == hWnd)
        return 0;
    if (bFocusMoveClick == 0) {
        if (GetAsyncKeyState(VK_LBUTTON) & 0x8000)
            return 0;
    } else if (bFocusMoveClick == 1) {
        if (IsTobanai(hWnd))
            return 0;
    }
    ReadClassName(hWnd, sizeof chClassName);
    if (bButtonEditOnly == 1 && !ButtonEditListed(chClassName))
        return 0;
    if (!JumpClassListed(chClassName))
        return 0;
    HWND parent = GetParent(hWnd);
    if (!parent)
        return 0;
    ReadClassName(parent, sizeof chClassName);
    if (ExcludedParentClass(chClassName))
        return 0;
    return 1;
}
