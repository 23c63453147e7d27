// The window-style inspector's report, built from plain values so that it can
// be tested and fuzzed without windows.
#pragma once

#include <windows.h>

#include <stddef.h>

// Class families of the inspector; each has its own section of style names.
enum StyleFamily {
    STYLE_FAMILY_NONE = 0,
    STYLE_FAMILY_BUTTON,
    STYLE_FAMILY_EDIT,
    STYLE_FAMILY_COMBOBOX,
    STYLE_FAMILY_LISTBOX,
    STYLE_FAMILY_SCROLLBAR,
    STYLE_FAMILY_STATIC,
};

// The family of a class name: whole name, ASCII letter case ignored, families
// in the order button, edit, combo box, list box, scroll bar, static.  NULL
// and the empty name belong to none.
StyleFamily StyleFamilyOfClass(const char* className);

// Builds the report into report (size bytes, always terminated): the window's
// and its parent's handles (low 32 bits, "%04X"), formatted one at a time in
// line (lineSize bytes), then the names of the extended styles, the window
// styles and the family's section.  Returns the length of the report.
size_t BuildStyleReport(char* report, size_t size, char* line, size_t lineSize,
                        const char* className, UINT hWnd, UINT hParent, LONG exStyle,
                        LONG style);

// 1 while an inspector message box is open in any process.
extern "C" int bStyleBusy;
