// The window-style inspector: on Ctrl+Shift+key 220 one message box lists the
// handle, the parent's handle and the names of the style bits of the window
// under the pointer, with the control-specific names chosen by class name.
#include "core/qrhook.h"
#include "core/text.h"
#include "hotkeys/style_report.h"

#include <string.h>

// 1 while an inspector box is open in any process: the hot key then does
// nothing anywhere.  Tested and set without a lock.
int bStyleBusy QR_SHARED = 0;
// The message box text; the longest report (a list box with every bit set
// and eight-digit handles) is 607 characters.
// One formatted header line.

namespace {

// A name is listed when every bit of its mask is set in the style value; a
// mask of 0 is always listed.  Where several values share the low bits (the
// button, static and combo types, the alignments), every name whose bits are
// contained is listed, not one decoded type.
struct StyleName {
    const char* text;
    DWORD mask;
};

const StyleName kExStyles[] = {
    {"WS_EX_DLGMODALFRAME\n", 0x00000001}, {"WS_EX_NOPARENTNOTIFY\n", 0x00000004},
    {"WS_EX_TOPMOST\n", 0x00000008},       {"WS_EX_ACCEPTFILES\n", 0x00000010},
    {"WS_EX_TRANSPARENT\n", 0x00000020},
};

const StyleName kWindowStyles[] = {
    {"(WS_OVERLAPPED)\n", 0},          {"WS_POPUP\n", 0x80000000},
    {"WS_CHILD\n", 0x40000000},        {"WS_CLIPSIBLINGS\n", 0x04000000},
    {"WS_CLIPCHILDREN\n", 0x02000000}, {"WS_VISIBLE\n", 0x10000000},
    {"WS_DISABLED\n", 0x08000000},     {"WS_MINIMIZE\n", 0x20000000},
    {"WS_MAXIMIZE\n", 0x01000000},     {"WS_CAPTION\n", 0x00C00000},
    {"WS_BORDER\n", 0x00800000},       {"WS_DLGFRAME\n", 0x00400000},
    {"WS_VSCROLL\n", 0x00200000},      {"WS_HSCROLL\n", 0x00100000},
    {"WS_SYSMENU\n", 0x00080000},      {"WS_THICKFRAME\n", 0x00040000},
    {"WS_OVERLAPPEDWINDOW\n", 0x00CF0000}, {"WS_POPUPWINDOW\n", 0x80880000},
};

const StyleName kButtonStyles[] = {
    {"(BS_PUSHBUTTON)\n", 0}, {"BS_DEFPUSHBUTTON\n", 0x1}, {"BS_CHECKBOX\n", 0x2},
    {"BS_AUTOCHECKBOX\n", 0x3}, {"BS_RADIOBUTTON\n", 0x4}, {"BS_3STATE\n", 0x5},
    {"BS_AUTO3STATE\n", 0x6}, {"BS_GROUPBOX\n", 0x7}, {"BS_USERBUTTON\n", 0x8},
    {"BS_AUTORADIOBUTTON\n", 0x9}, {"BS_OWNERDRAW\n", 0xB}, {"BS_LEFTTEXT\n", 0x20},
};

const StyleName kEditStyles[] = {
    {"(ES_LEFT)\n", 0},         {"ES_CENTER\n", 0x1},      {"ES_RIGHT\n", 0x2},
    {"ES_MULTILINE\n", 0x4},    {"ES_UPPERCASE\n", 0x8},   {"ES_LOWERCASE\n", 0x10},
    {"ES_PASSWORD\n", 0x20},    {"ES_AUTOVSCROLL\n", 0x40}, {"ES_AUTOHSCROLL\n", 0x80},
    {"ES_NOHIDESEL\n", 0x100},  {"ES_OEMCONVERT\n", 0x400}, {"ES_READONLY\n", 0x800},
    {"ES_WANTRETURN\n", 0x1000},
};

const StyleName kComboStyles[] = {
    {"CBS_SIMPLE\n", 0x1},          {"CBS_DROPDOWN\n", 0x2},
    {"CBS_DROPDOWNLIST\n", 0x3},    {"CBS_OWNERDRAWFIXED\n", 0x10},
    {"CBS_OWNERDRAWVARIABLE\n", 0x20}, {"CBS_AUTOHSCROLL\n", 0x40},
    {"CBS_OEMCONVERT\n", 0x80},     {"CBS_SORT\n", 0x100},
    {"CBS_HASSTRINGS\n", 0x200},    {"CBS_NOINTEGRALHEIGHT\n", 0x400},
    {"CBS_DISABLENOSCROLL\n", 0x800},
};

const StyleName kListBoxStyles[] = {
    {"LBS_NOTIFY\n", 0x1},              {"LBS_SORT\n", 0x2},
    {"LBS_NOREDRAW\n", 0x4},            {"LBS_MULTIPLESEL\n", 0x8},
    {"LBS_OWNERDRAWFIXED\n", 0x10},     {"LBS_OWNERDRAWVARIABLE\n", 0x20},
    {"LBS_HASSTRINGS\n", 0x40},         {"LBS_USETABSTOPS\n", 0x80},
    {"LBS_NOINTEGRALHEIGHT\n", 0x100},  {"LBS_MULTICOLUMN\n", 0x200},
    {"LBS_WANTKEYBOARDINPUT\n", 0x400}, {"LBS_EXTENDEDSEL\n", 0x800},
    {"LBS_DISABLENOSCROLL\n", 0x1000},  {"LBS_STANDARD\n", 0x00A00003},
};

const StyleName kScrollBarStyles[] = {
    {"SBS_HORZ\n", 0},
    {"SBS_VERT\n", 0x1},
    {"SBS_TOPALIGN\n", 0x2},
    {"SBS_LEFTALIGN\n", 0x2},
    {"SBS_BOTTOMALIGN\n", 0x4},
    {"SBS_RIGHTALIGN\n", 0x4},
    {"SBS_SIZEBOXTOPLEFTALIGN\n", 0x2},
    {"SBS_SIZEBOXBOTTOMRIGHTALIGN\n", 0x4},
    {"SBS_SIZEBOX\n", 0x8},
};

const StyleName kStaticStyles[] = {
    {"(SS_LEFT)\n", 0},       {"SS_CENTER\n", 0x1},     {"SS_RIGHT\n", 0x2},
    {"SS_ICON\n", 0x3},       {"SS_BLACKRECT\n", 0x4},  {"SS_GRAYRECT\n", 0x5},
    {"SS_WHITERECT\n", 0x6},  {"SS_BLACKFRAME\n", 0x7}, {"SS_GRAYFRAME\n", 0x8},
    {"SS_WHITEFRAME\n", 0x9}, {"SS_SIMPLE\n", 0xB},     {"SS_LEFTNOWORDWRAP\n", 0xC},
    {"SS_NOPREFIX\n", 0x80},
};

// After each class section: a control's group and tab-stop bits.
const StyleName kControlClosing[] = {{"WS_GROUP\n", 0x00020000}, {"WS_TABSTOP\n", 0x00010000}};
// Without a family the same two bits are a frame window's box buttons.
const StyleName kDefaultSection[] = {
    {"WS_MINIMIZEBOX\n", 0x00020000}, {"WS_MAXIMIZEBOX\n", 0x00010000}};

const char* const kButtonClasses[] = {
    "Button", "BorBtn", "BorRadio", "BorCheck", "TButton", "TCheckBox", "TRadioButton",
    "ThunderCommandButton", "ThunderRTCommandButton", "ThunderRT5CommandButton",
    "ThunderCheckBox", "ThunderRTCheckBox", "ThunderRT5CheckBox", "ThunderOptionButton",
    "ThunderRTOptionButton", "ThunderRT5OptionButton", "ThunderSSCommand", "ThunderSSOption",
    "ThunderSSCheck", NULL,
};
const char* const kEditClasses[] = {
    "Edit", "TEdit", "TRichEdit", "EDTBX", "ThunderTextBox", "ThunderRTTextBox",
    "ThunderRT5TextBox", NULL,
};
const char* const kComboClasses[] = {
    "ComboBox", "TComboBox", "ThunderComboBox", "ThunderRTComboBox", "ThunderRT5ComboBox",
    "ThunderDriveListBox", "ThunderRTDriveListBox", "ThunderRT5DriveListBox", NULL,
};
const char* const kListBoxClasses[] = {
    "ListBox", "newlist", "TListBox", "ThunderListBox", "ThunderRTListBox",
    "ThunderRT5ListBox", "ThunderFileListBox", "ThunderRTFileListBox",
    "ThunderRT5FileListBox", "ThunderDirListBox", "ThunderRTDirListBox",
    "ThunderRT5DirListBox", NULL,
};
const char* const kScrollBarClasses[] = {
    "ScrollBar", "ThunderHScrollBar", "ThunderRTHScrollBar", "ThunderRT5HScrollBar",
    "ThunderVScrollBar", "ThunderRTVScrollBar", "ThunderRT5VScrollBar", NULL,
};
const char* const kStaticClasses[] = {"Static", NULL};

struct Family {
    StyleFamily family;
    const char* const* classes;
    const StyleName* names;
    size_t count;
};

#define QR_COUNT(a) (sizeof(a) / sizeof((a)[0]))

const Family kFamilies[] = {
    {STYLE_FAMILY_BUTTON, kButtonClasses, kButtonStyles, QR_COUNT(kButtonStyles)},
    {STYLE_FAMILY_EDIT, kEditClasses, kEditStyles, QR_COUNT(kEditStyles)},
    {STYLE_FAMILY_COMBOBOX, kComboClasses, kComboStyles, QR_COUNT(kComboStyles)},
    {STYLE_FAMILY_LISTBOX, kListBoxClasses, kListBoxStyles, QR_COUNT(kListBoxStyles)},
    {STYLE_FAMILY_SCROLLBAR, kScrollBarClasses, kScrollBarStyles, QR_COUNT(kScrollBarStyles)},
    {STYLE_FAMILY_STATIC, kStaticClasses, kStaticStyles, QR_COUNT(kStaticStyles)},
};

const Family* FamilyOfClass(const char* className)
{
    if (!className || !className[0])
        return NULL;
    for (const Family& family : kFamilies)
        for (const char* const* name = family.classes; *name; ++name)
            if (SameNoCase(className, *name))
                return &family;
    return NULL;
}

// Appends as much of text as fits, always leaving the report terminated.
void Append(char* report, size_t size, size_t* len, const char* text)
{
    while (*text && *len + 1 < size)
        report[(*len)++] = *text++;
    report[*len] = 0;
}

void AppendNames(char* report, size_t size, size_t* len, const StyleName* names, size_t count,
                 DWORD value)
{
    for (size_t i = 0; i < count; ++i)
        if ((value & names[i].mask) == names[i].mask)
            Append(report, size, len, names[i].text);
}

// The longest header line: 13 characters of label, 8 digits, 2 line feeds
// and the terminator.
const size_t kLongestHeaderLine = 24;

void AppendHeader(char* report, size_t size, size_t* len, char* line, size_t lineSize,
                  const char* format, UINT handle)
{
    if (!line || lineSize < kLongestHeaderLine)
        return;
    wsprintfA(line, format, handle);
    Append(report, size, len, line);
}

}  // namespace

StyleFamily StyleFamilyOfClass(const char* className)
{
    const Family* family = FamilyOfClass(className);
    return family ? family->family : STYLE_FAMILY_NONE;
}

size_t BuildStyleReport(char* report, size_t size, char* line, size_t lineSize,
                        const char* className, UINT hWnd, UINT hParent, LONG exStyle,
                        LONG style)
{
    if (!report || size == 0)
        return 0;
    size_t len = 0;
    report[0] = 0;
    AppendHeader(report, size, &len, line, lineSize, "hWnd = %04X\n", hWnd);
    AppendHeader(report, size, &len, line, lineSize, "hParentWnd = %04X\n\n", hParent);
    AppendNames(report, size, &len, kExStyles, QR_COUNT(kExStyles), (DWORD)exStyle);
    AppendNames(report, size, &len, kWindowStyles, QR_COUNT(kWindowStyles), (DWORD)style);
    if (const Family* family = FamilyOfClass(className)) {
        AppendNames(report, size, &len, family->names, family->count, (DWORD)style);
        AppendNames(report, size, &len, kControlClosing, QR_COUNT(kControlClosing), (DWORD)style);
    } else {
        AppendNames(report, size, &len, kDefaultSection, QR_COUNT(kDefaultSection), (DWORD)style);
    }
    return len;
}

// Exported for the host, which may call it for any window and class name; it
// neither tests nor sets bStyleBusy.  The class name picks the section and is
// the caption; it is not compared with the window's real class.  A missing
// name is taken as the empty one.  Handles are printed by their low 32 bits,
// which is all a window handle uses on 64-bit Windows.
int WINAPI PrtWindowStyle(LPCSTR className, HWND hWnd)
{
    if (!className)
        className = "";
    // The report is this call's own: the box reads it to its terminator
    // while any process may write the shared block.
    char chStyleReport[1024], chStyleLine[32];
    BuildStyleReport(chStyleReport, sizeof chStyleReport, chStyleLine, sizeof chStyleLine,
                     className, (UINT)(UINT_PTR)hWnd, (UINT)(UINT_PTR)GetParent(hWnd),
                     GetWindowLongA(hWnd, GWL_EXSTYLE), GetWindowLongA(hWnd, GWL_STYLE));
    return MessageBoxA(hWndHost, chStyleReport, className, MB_OK);
}

// Ctrl+Shift+key 220: the report of the window under the pointer, one box at
// a time for the whole desktop.
void WINAPI StyleBitPrint(void)
{
    if (bStyleBusy == 1)
        return;
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    HWND hWnd = WindowFromPoint(pt);
    if (!hWnd)
        return;
    char name[63];
    ReadClassName(hWnd, name, sizeof name);
    memcpy(chClassName, name, sizeof name);
    bStyleBusy = 1;
    PrtWindowStyle(name, hWnd);
    bStyleBusy = 0;
}
