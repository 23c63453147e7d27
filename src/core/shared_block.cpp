// The exported variables of the shared state block, in their declaration
// order (this file is compiled with -fno-toplevel-reorder so that the order
// of definition is the order in the block).  Every one is zero in the image;
// the non-zero initial values are written once, when the first process maps
// the library, and no later process attach resets them.
#include "core/qrhook.h"

#include <string.h>

int bMeFocus QR_SHARED = 0;
int bRun2 QR_SHARED = 0;
int bRun3 QR_SHARED = 0;
int bRun4 QR_SHARED = 0;
int bRun5 QR_SHARED = 0;
int bRun6 QR_SHARED = 0;
HOOKPROC hRMacroHook QR_SHARED = 0;
HHOOK hOldRMacroHook QR_SHARED = 0;
HOOKPROC hPMacroHook QR_SHARED = 0;
HHOOK hOldPMacroHook QR_SHARED = 0;
int bPlayBackFirst QR_SHARED = 0;
int iEventCnt QR_SHARED = 0;
EVENTMSG SysEvent[QR_MACRO_RECORDS] QR_SHARED = {};
int bIconAnimation QR_SHARED = 0;
int iDlgContextID QR_SHARED = 0;
int iZure QR_SHARED = 0;
char chCtrlShift[QR_LETTER_SWITCHES] QR_SHARED = "";
int bFocusMoveClick QR_SHARED = 0;
int iSelCursorIndex QR_SHARED = 0;
int bKBLock QR_SHARED = 0;
int bJapaneseEnv QR_SHARED = 0;
int bCtrlShift QR_SHARED = 0;
int bCursorChange QR_SHARED = 0;
int bDlg QR_SHARED = 0;
int lAida QR_SHARED = 0;
int bMacro QR_SHARED = 0;
int bIsHokan QR_SHARED = 0;
HWND hDlgFileList QR_SHARED = 0;
HWND hWndNowFocus QR_SHARED = 0;
char chClassName[64] QR_SHARED = "";
int bIsAlias QR_SHARED = 0;
char chAlias[QR_RING_SLOTS][QR_ALIAS_TEXT] QR_SHARED = {};
int iGetIndex QR_SHARED = 0;
int iSetIndex QR_SHARED = 0;
char chHist[QR_RING_SLOTS][QR_HIST_TEXT] QR_SHARED = {};
int bIsHistory QR_SHARED = 0;
HCURSOR hPreCursor QR_SHARED = 0;
HHOOK hCBTHook QR_SHARED = 0;
HHOOK hOldCBTHook QR_SHARED = 0;
int bButtonEditOnly QR_SHARED = 0;
HWND hWndOya QR_SHARED = 0;
POINT ptBeforeMove QR_SHARED = {0, 0};
POINT ptAfterMove QR_SHARED = {0, 0};
int lInterval QR_SHARED = 0;
int lMoved QR_SHARED = 0;
int bHeropa QR_SHARED = 0;
// The exact text of the history ring and the alias table, slot for slot, as
// the fields of Unicode windows held it; a slot counts only while the
// code-page slot beside it is its code-page form (core/text.h).
WCHAR wchHist[QR_RING_SLOTS][QR_HIST_TEXT] QR_SHARED = {};
WCHAR wchAlias[QR_RING_SLOTS][QR_ALIAS_TEXT] QR_SHARED = {};
// The settings file the host chose (full path); empty: "Quillrun.Ini" in
// the Windows folder.  chIniPath is its code-page form, for every ANSI
// reader; wchIniPath the exact path, which the library's own reads and
// writes use where the code page cannot write it (core/settings.cpp).
char chIniPath[QR_INI_PATH] QR_SHARED = "";
WCHAR wchIniPath[QR_INI_PATH] QR_SHARED = {};
// 1: the edit-line services serve every single-line text field that is an
// edit control under another class name, and rich edit fields; 0: only the
// classes of their list (editline/recognition.cpp).
int bAnyEditField QR_SHARED = 0;

// The host link: shared, not exported.
HINSTANCE hInstLib QR_SHARED = 0;
HWND hWndHost QR_SHARED = 0;
HINSTANCE hInstHost QR_SHARED = 0;
HHOOK hKeyHook QR_SHARED = 0;

// The layout the host and the recorded macro rely on, checked where the build
// has the product's width (the i686 DLL and the i386 unit tests).
static_assert(sizeof(int) == 4 && sizeof(POINT) == 8, "ints and points are 32-bit");
static_assert(sizeof(OFSTRUCT) == 136, "the existence-test record is 136 bytes");
#if defined(__i386__)
static_assert(sizeof(void*) == 4 && sizeof(HWND) == 4 && sizeof(HHOOK) == 4 && sizeof(WPARAM) == 4 &&
                  sizeof(LPARAM) == 4 && sizeof(LRESULT) == 4,
              "handles and message parameters are 32-bit");
static_assert(sizeof(EVENTMSG) == 20 && sizeof SysEvent == 20480, "an event record is 20 bytes");
#endif

// 0 while the block is new; 1 once a process has claimed the writing of the
// initial values.
static LONG lBlockCreated QR_SHARED = 0;

static void SetExportedInitialValues(void)
{
    iZure = QR_INITIAL_ZURE;
    memcpy(chCtrlShift, "11111111111111111111111111", 27);
    bFocusMoveClick = 1;
    bJapaneseEnv = 1;
    bCtrlShift = 1;
    bCursorChange = 1;
    lAida = QR_INITIAL_AIDA;
    bIsHokan = 1;
    bIsAlias = 1;
    bIsHistory = 1;
    bAnyEditField = 1;
}

// Only the first process that maps the library writes the initial values;
// the exchange keeps two processes loading it at the same moment from both
// writing (the second would overwrite what the first one's host has set).
// Nothing waits for the writer: a process killed while writing must not stop
// every later process in its attach.
void SetBlockInitialValues(void)
{
    if (InterlockedCompareExchange(&lBlockCreated, 1, 0) != 0)
        return;
    SetExportedInitialValues();
    WindowActionsInitialValues();
    SystemActionsInitialValues();
    FileDialogInitialValues();
}
