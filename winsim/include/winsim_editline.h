// winsim's test-control API for the controls the edit-line services work
// with (edit fields, combo boxes, list boxes, the host's completion dialog),
// the directory listings of LB_DIR, and the stand-in input-method library.
#pragma once

#include <winsim.h>

#include <string>
#include <vector>

namespace ws {

// The window procedure of the standard controls: an "Edit" keeps its text
// and selection (WM_GETTEXT, WM_GETTEXTLENGTH, WM_SETTEXT, EM_GETSEL,
// EM_SETSEL), a "ListBox" its items (LB_ADDSTRING, LB_RESETCONTENT,
// LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_DIR), a "ComboBox" its
// drop-down state (CB_SHOWDROPDOWN, CB_GETDROPPEDSTATE).  Chosen by the
// window's class; a test's own handler may hand messages on to it.  Text
// comes and goes in UTF-16 for a message sent with a W call; a list box
// keeps each item in both forms, as the platform's keeps UTF-16.
LRESULT controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A window whose messages go to controlProc (class "Edit" when desc.cls is
// empty).  The text of an edit field is its window text.
HWND createControl(WindowSpec desc);
HWND createEdit(WindowSpec desc);

// The caret or selection of an edit field (start <= end).  Setting the text
// puts the caret at 0, as the platform's edit control does.
struct Selection {
    int start;
    int end;
};
Selection editSelection(HWND edit);
std::string windowText(HWND hwnd);
// The text as GetWindowTextW reads it (a Unicode window's own UTF-16 text).
std::u16string windowTextW(HWND hwnd);

// A drop-down combo box: the box, its edit field (id 1001) and its list, a
// hidden top-level window of class "ComboLBox" shown while dropped down.
struct Combo {
    HWND box;
    HWND edit;
    HWND list;
};
Combo createComboBox(HWND parent, int id);

// The host's completion dialog: a top-level dialog with a sorted list box
// (control 202) and a static text (control 200), Unicode windows as the
// host makes them.
struct CompletionDialog {
    HWND dialog;
    HWND list;
    HWND pattern;
};
CompletionDialog createCompletionDialog();
std::vector<std::string> listItems(HWND listBox);

// A folder of the simulated drives ("C:\work") created for real.  LB_DIR
// matches a pattern without drive or folder in the current directory
// (SetCurrentDirectoryA).
void makeDirectory(const std::string& winPath);

// The stand-in "WinNLS32.Dll".  present: the file lies in the Windows folder
// where OpenFile and LoadLibraryA find it; loadable: the
// file is a library that LoadLibraryA loads; missing: entry points it lacks.
struct InputMethodLibrary {
    bool present = true;
    bool loadable = true;
    std::vector<std::string> missing;
};
void installInputMethod(const InputMethodLibrary& library = InputMethodLibrary());
// The value the library puts into the request block's wParam for an
// IME_GETOPEN request: non-zero while the input method is open.
void setInputMethodOpen(DWORD value);
DWORD inputMethodOpen();

// The stand-in "imm32.dll", the platform's input-method manager, which the
// probe and the switch load at run time.  present: it lies in the system
// folder and LoadLibraryA loads it (not installed after reset); missing:
// entry points it lacks.  Every window has an input context, closed at
// first, until a test takes it away; a context handed out by ImmGetContext
// counts as held until ImmReleaseContext.
struct InputMethodManager {
    bool present = true;
    std::vector<std::string> missing;
};
void installInputMethodManager(const InputMethodManager& manager = InputMethodManager());
void setImeOpen(HWND hwnd, bool open);
bool imeOpen(HWND hwnd);
void removeInputContext(HWND hwnd);
int inputContextsHeld();

// Modules loaded and not yet freed, and global memory blocks not yet freed.
int loadedModules();
int globalBlocksInUse();
// Makes GlobalAlloc fail (return NULL), as when memory runs out.
void setGlobalAllocFails(bool fails);

}  // namespace ws
