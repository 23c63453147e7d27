// winsim test control for modal dialogs: templates, a script that acts as
// the user while a dialog is open, and the common open-file dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace ws {

struct DialogControl {
    int id;
    std::string cls;  // "Edit", "Static", "ListBox" or "Button"
    RECT rect;        // relative to the dialog
};
// A dialog template of a module; DialogBoxParamA fails (-1) for any other.
void addDialogTemplate(HINSTANCE inst, const std::string& name, RECT rect,
                       const std::vector<DialogControl>& controls);
// The host's "FileOpen" template: edit 100, static 101, list box 102, OK 1
// and Cancel 2, 300 by 200 pixels.
void addFileOpenTemplate(HINSTANCE inst);

// The user: runs once the dialog procedure has handled WM_INITDIALOG, inside
// DialogBoxParamA.  A dialog still open when the script returns is ended by
// winsim with -1 (and "DialogLeftOpen" recorded).
using DialogScript = std::function<void(HWND dialog)>;
void setDialogScript(DialogScript script);

// What the user does.  Nothing happens once the dialog has ended.
bool dialogOpen(HWND dialog);
// Types text into an edit field (within its limit), as a replacement of
// what it held; the dialog hears EN_CHANGE.
void typeText(HWND dialog, int id, const std::string& text);
// Clicks a button; a disabled button does nothing.
void clickButton(HWND dialog, int id);
// Selects the list entry with this text (LBN_SELCHANGE) and, when asked,
// double-clicks it (LBN_DBLCLK).  False when there is no such entry.
bool selectItem(HWND dialog, int id, const std::string& item, bool doubleClick = false);
std::vector<std::string> dialogListItems(HWND dialog, int id);
std::string dialogItemText(HWND dialog, int id);
RECT dialogRect(HWND dialog);

// The common open-file dialog: the answer function acts as the user (fills
// the file buffer and returns TRUE, or returns FALSE for Cancel); without
// one the dialog is cancelled.  A hook, when the record enables one, first
// hears WM_INITDIALOG for a dialog window of 400 by 300 pixels.
using OpenFileAnswer = std::function<BOOL(OPENFILENAMEA* ofn)>;
void setOpenFileAnswer(OpenFileAnswer answer);
struct OpenFileCall {
    OPENFILENAMEA record;   // as the caller filled it
    std::string filter;     // the filter pairs, each NUL shown as '|'
    std::string title;
    HWND hookDialog;        // NULL without a hook
    UINT_PTR hookResult;
    RECT hookDialogRect;    // after the hook's WM_INITDIALOG
};
std::vector<OpenFileCall> openFileCalls();

}  // namespace ws
