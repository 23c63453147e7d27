// Cost of the library per event, counted in instructions by callgrind.  Each
// scenario runs a batch of events through the installed hooks on winsim;
// beside it the same batch runs through a floor hook that does only what the
// design requires for that event (chain on, plus the host message where the
// design sends one).  scripts/bench runs this under valgrind and reads the
// inclusive cost of the hook procedures from the dumps.
#include <winsim.h>
#include <winsim_editline.h>

#include <stdio.h>
#include <string.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include "core/qrhook.h"

namespace {

const int kEvents = 100;  // key strokes (down and up) or focus changes per batch

HWND gHost, gApp, gDialog, gEdit, gButton, gOtherEdit;

// The host message as the design sends it: to the host window looked up
// anew, with a bound on the wait.
void AskHost(UINT msg)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(FindWindowA("Quillrun", NULL), msg, 0, 0, SMTO_ABORTIFHUNG, 300, &answer);
}

extern "C" LRESULT CALLBACK FloorKeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    // History asks the host at every key event.
    AskHost(HM_HISTORY_ON);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" LRESULT CALLBACK FloorCbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SETFOCUS)
        AskHost(HM_POINTER_JUMP);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

ws::WindowSpec Win(const char* cls, LONG style, HWND parent, RECT r, int id = 0)
{
    ws::WindowSpec s;
    s.cls = cls;
    s.style = style;
    s.parent = parent;
    s.rect = r;
    s.id = id;
    return s;
}

void BuildDesktop()
{
    ws::reset();
    bJapaneseEnv = 1;  // the block's initial value; one scenario changes it
    gHost = ws::createWindow(Win("Quillrun", WS_VISIBLE, NULL, RECT{0, 0, 100, 100}));
    ws::setHandler(gHost, [](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        return msg == HM_HISTORY_ON || msg == HM_POINTER_JUMP ? 1 : 0;
    });
    gApp = ws::createWindow(Win("Notepad", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL, RECT{0, 200, 800, 700}));
    gDialog = ws::createWindow(Win("#32770", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL, RECT{100, 100, 500, 300}));
    gEdit = ws::createEdit(Win("Edit", WS_VISIBLE | WS_CHILD, gDialog, RECT{120, 120, 480, 140}, 100));
    gOtherEdit = ws::createEdit(Win("Edit", WS_VISIBLE | WS_CHILD, gDialog, RECT{120, 150, 480, 170}, 101));
    gButton = ws::createWindow(Win("Button", WS_VISIBLE | WS_CHILD, gDialog, RECT{120, 250, 200, 280}, 1));
    ws::CompletionDialog completion = ws::createCompletionDialog();
    hDlgFileList = completion.dialog;
    ws::makeDirectory("C:\\big");
    char name[64];
    for (int i = 0; i < 1000; ++i) {
        snprintf(name, sizeof name, "C:\\big\\file%04d.txt", i);
        ws::writeFile(name, "");
    }
    SethWndhInstance(gHost, NULL);
}

void Stroke(UINT vk)
{
    ws::keyDown(vk);
    ws::keyUp(vk);
}

// --- Scenarios: each runs kEvents events --------------------------------------

void LetterOutsideEditField()
{
    ws::changeFocus(gApp);
    for (int i = 0; i < kEvents; ++i)
        Stroke('A');
}

void LetterInEditField()
{
    ws::changeFocus(gEdit);
    for (int i = 0; i < kEvents; ++i)
        Stroke('A');
}

void UpRecallsHistory()
{
    ws::changeFocus(gEdit);
    for (int i = 0; i < kEvents; ++i)
        Stroke(VK_UP);
}

void CtrlLFirstListsTheFolder()
{
    ws::changeFocus(gEdit);
    ws::setKeyState(VK_CONTROL, true);
    for (int i = 0; i < kEvents / 10; ++i) {  // each one lists 1,000 entries
        ws::setKeyState(VK_CONTROL, false);
        Stroke(VK_BACK);  // empties the list: the next Ctrl+L lists anew
        SetWindowTextA(gEdit, "type c:\\big\\f");
        ws::setKeyState(VK_CONTROL, true);
        Stroke('L');
    }
    ws::setKeyState(VK_CONTROL, false);
}

void CtrlLNextStep()
{
    ws::changeFocus(gEdit);
    ws::setKeyState(VK_CONTROL, true);
    for (int i = 0; i < kEvents; ++i)
        Stroke('L');
    ws::setKeyState(VK_CONTROL, false);
}

void CtrlShiftHotKey()
{
    ws::changeFocus(gApp);
    ws::setKeyState(VK_CONTROL, true);
    ws::setKeyState(VK_SHIFT, true);
    for (int i = 0; i < kEvents; ++i)
        Stroke('B');
    ws::setKeyState(VK_CONTROL, false);
    ws::setKeyState(VK_SHIFT, false);
}

void FocusChangeWithJump()
{
    for (int i = 0; i < kEvents; ++i) {
        ws::setCursorPos(700, 650);  // away from the controls: every change jumps
        ws::changeFocus(i % 2 ? gButton : gOtherEdit);
    }
}

struct Scenario {
    const char* name;
    void (*setUp)();
    void (*run)();
};

void NoSetUp() {}

// A full ring: every Up finds a line (after the oldest comes the newest).
void HistoryLines()
{
    ws::changeFocus(gEdit);
    for (int i = 0; i < 32; ++i) {
        char line[32];
        snprintf(line, sizeof line, "echo line %d", i);
        SetWindowTextA(gEdit, line);
        Stroke(VK_RETURN);
    }
}

// As the host sets it outside Japan: no input-method probes.
void HistoryLinesNoInputMethod()
{
    HistoryLines();
    bJapaneseEnv = 0;
}

void CompletionListBuilt()
{
    ws::changeFocus(gEdit);
    SetWindowTextA(gEdit, "type c:\\big\\f");
    ws::setKeyState(VK_CONTROL, true);
    Stroke('L');
    ws::setKeyState(VK_CONTROL, false);
}

const Scenario kScenarios[] = {
    {"letter_outside_edit_field", NoSetUp, LetterOutsideEditField},
    {"letter_in_edit_field", NoSetUp, LetterInEditField},
    {"up_recalls_history", HistoryLines, UpRecallsHistory},
    {"up_recalls_history_no_ime", HistoryLinesNoInputMethod, UpRecallsHistory},
    {"ctrl_l_lists_1000_entries", NoSetUp, CtrlLFirstListsTheFolder},
    {"ctrl_l_next_step", CompletionListBuilt, CtrlLNextStep},
    {"ctrl_shift_hot_key", NoSetUp, CtrlShiftHotKey},
    {"focus_change_with_jump", NoSetUp, FocusChangeWithJump},
};

void RunBatch(const Scenario& s, bool floor)
{
    BuildDesktop();
    if (floor) {
        SetWindowsHookExA(WH_KEYBOARD, FloorKeyHook, NULL, 0);
        SetWindowsHookExA(WH_CBT, FloorCbtHook, NULL, 0);
    } else {
        SetMyHook(0, 0);
        SetMyCBTHook(0, 0);
    }
    s.setUp();
    char name[96];
    snprintf(name, sizeof name, "%s%s", s.name, floor ? "__floor" : "");
    CALLGRIND_TOGGLE_COLLECT;
    s.run();
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(name);
    if (!floor)
        ResetMyHook(0, 0);
}

}  // namespace

int main()
{
    for (const Scenario& s : kScenarios) {
        RunBatch(s, false);
        RunBatch(s, true);
        printf("%s\n", s.name);
    }
    return 0;
}
