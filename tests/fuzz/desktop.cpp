#include "desktop.h"

#include <string.h>

#include <winsim.h>
#include <winsim_editline.h>

#include "core/qrhook.h"
#include "shared_snapshot.h"

void FuzzInput::text(char* buf, size_t bufSize, size_t max)
{
    size_t n = byte();
    if (n > max)
        n = max;
    if (n > bufSize - 1)
        n = bufSize - 1;
    size_t i = 0;
    for (; i < n && !empty(); ++i) {
        char c = (char)byte();
        buf[i] = c ? c : ' ';
    }
    buf[i] = 0;
}

static HWND gWindows[16];
static int gWindowCount = 0;

static HWND Keep(HWND h)
{
    if (gWindowCount < 16)
        gWindows[gWindowCount++] = h;
    return h;
}

// Controls of the standard classes behave as such (edit fields keep their
// text, list boxes list folders); other windows only record their messages.
static HWND Make(const char* cls, LONG style, HWND parent, RECT r, int id = 0)
{
    ws::WindowSpec s;
    s.cls = cls;
    s.style = style;
    s.parent = parent;
    s.rect = r;
    s.id = id;
    bool control = !strcmp(cls, "Edit") || !strcmp(cls, "ListBox") || !strcmp(cls, "ComboBox");
    return Keep(control ? ws::createControl(s) : ws::createWindow(s));
}

void FuzzResetDesktop()
{
    static bool snapshotTaken = false;
    if (!snapshotTaken) {
        SnapshotSharedBlock();
        snapshotTaken = true;
    }
    ws::reset();
    RestoreSharedBlock();
    gWindowCount = 0;
    HWND host = Make("Quillrun", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL, RECT{0, 0, 200, 100});
    ws::setHandler(host, [](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        return msg == HM_HISTORY_ON || msg == HM_POINTER_JUMP ? 1 : 0;
    });
    HWND dlg = Make("#32770", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL, RECT{100, 100, 500, 400});
    Make("Button", WS_VISIBLE | WS_CHILD | WS_TABSTOP, dlg, RECT{120, 350, 200, 380}, 1);
    Make("Edit", WS_VISIBLE | WS_CHILD, dlg, RECT{120, 120, 480, 140}, 100);
    Make("Edit", WS_VISIBLE | WS_CHILD | ES_PASSWORD, dlg, RECT{120, 150, 480, 170}, 101);
    Make("Edit", WS_VISIBLE | WS_CHILD | ES_MULTILINE, dlg, RECT{120, 180, 480, 260}, 102);
    Make("ComboBox", WS_VISIBLE | WS_CHILD, dlg, RECT{120, 270, 480, 290}, 103);
    Make("ListBox", WS_VISIBLE | WS_CHILD, dlg, RECT{120, 300, 480, 340}, 104);
    Make("bosa_List", WS_VISIBLE | WS_POPUP, NULL, RECT{600, 100, 700, 200});
    HWND app = Make("Notepad", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL, RECT{0, 400, 800, 700});
    Make("Edit", WS_VISIBLE | WS_CHILD | ES_MULTILINE, app, RECT{0, 420, 800, 700}, 15);
    ws::CompletionDialog completion = ws::createCompletionDialog();
    Keep(completion.dialog);
    Keep(completion.list);
    hDlgFileList = completion.dialog;
    // Something for Ctrl+L to list: a few files and a folder.
    ws::makeDirectory("C:\\work\\sub");
    ws::writeFile("C:\\work\\alpha.txt", "");
    ws::writeFile("C:\\work\\beta.exe", "");
    SetCurrentDirectoryA("C:\\work");
    SethWndhInstance(host, (HINSTANCE)(uintptr_t)0x400000);
    SetMyHook(0, 0);
    SetMyCBTHook(0, 0);
    ws::setFocus(app);
    ws::setForeground(app);
}

HWND FuzzWindow(uint8_t index)
{
    // A few indexes give handles that are no window at all, and the null one.
    if (index % 20 == 17)
        return NULL;
    if (index % 20 == 18)
        return (HWND)(uintptr_t)0xDEAD;
    return gWindowCount ? gWindows[index % gWindowCount] : NULL;
}

struct Exported {
    void* address;
    size_t size;
};

#define VAR(v) {(void*)&(v), sizeof(v)}
static const Exported kExported[] = {
    VAR(bMeFocus), VAR(bRun2), VAR(bRun3), VAR(bRun4), VAR(bRun5), VAR(bRun6),
    VAR(hRMacroHook), VAR(hOldRMacroHook), VAR(hPMacroHook), VAR(hOldPMacroHook),
    VAR(bPlayBackFirst), VAR(iEventCnt), VAR(SysEvent), VAR(bIconAnimation), VAR(iDlgContextID),
    VAR(iZure), VAR(chCtrlShift), VAR(bFocusMoveClick), VAR(iSelCursorIndex), VAR(bKBLock),
    VAR(bJapaneseEnv), VAR(bCtrlShift), VAR(bCursorChange), VAR(bDlg), VAR(lAida), VAR(bMacro),
    VAR(bIsHokan), VAR(hDlgFileList), VAR(hWndNowFocus), VAR(chClassName), VAR(bIsAlias),
    VAR(chAlias), VAR(iGetIndex), VAR(iSetIndex), VAR(chHist), VAR(bIsHistory), VAR(hPreCursor),
    VAR(hCBTHook), VAR(hOldCBTHook), VAR(bButtonEditOnly), VAR(hWndOya), VAR(ptBeforeMove),
    VAR(ptAfterMove), VAR(lInterval), VAR(lMoved), VAR(bHeropa),
};

void FuzzWriteExportedVariable(FuzzInput& in)
{
    const Exported& v = kExported[in.byte() % (sizeof kExported / sizeof kExported[0])];
    // Text and tables get a run of bytes at an offset (possibly without any
    // terminator); numbers and handles get a whole value.
    size_t offset = v.size > 8 ? (in.u32() % v.size) : 0;
    size_t n = in.byte() % 16 + 1;
    for (size_t i = 0; i < n && offset + i < v.size; ++i)
        static_cast<uint8_t*>(v.address)[offset + i] = in.byte();
}
