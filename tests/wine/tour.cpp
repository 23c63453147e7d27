// The main job's scripted tour: with the host running, type a line into the
// single-line "Find what" field of Wine's notepad, recall it with Up, press
// hot keys, and print what happened at each step.  On a Japanese desktop
// (code page 932) it also recalls a line of Japanese text.  Leaves the
// windows open for a screenshot; "qr_tour --close" closes notepad and the
// host.
#include <stdio.h>
#include <string.h>

#include "harness.h"
#include "resource.h"

static int failures;

static void Step(const char* text) { printf("tour: %s\n", text), fflush(stdout); }

static void Result(bool ok, const std::string& text)
{
    printf("      %s %s\n", ok ? "ok  " : "FAIL", text.c_str());
    fflush(stdout);
    if (!ok)
        ++failures;
}

// The Find dialog is told by its owner and its "Find what" field: its title
// is "Find" only on an English desktop.
struct DialogSearch {
    HWND owner;
    HWND found;
};

static BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam)
{
    DialogSearch* s = (DialogSearch*)lParam;
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0 && GetWindow(hWnd, GW_OWNER) == s->owner && GetDlgItem(hWnd, 0x480) &&
        IsWindowVisible(hWnd)) {
        s->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

static HWND FindDialogOf(HWND owner, DWORD timeoutMs = 10000)
{
    DialogSearch s = {owner, NULL};
    qr::WaitFor([&] {
        EnumWindows(FindDialog, (LPARAM)&s);
        return s.found != NULL;
    }, timeoutMs);
    return s.found;
}

// Text of the desktop's code page as UTF-8, for this program's output.
static std::string Utf8(const std::string& text)
{
    wchar_t wide[512] = L"";
    char out[1024] = "";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 512);
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, NULL, NULL);
    return out;
}

static int Close()
{
    HWND notepad = FindWindowA("Notepad", NULL);
    if (notepad) {
        HWND find = FindDialogOf(notepad, 0);
        if (find)
            PostMessageA(find, WM_CLOSE, 0, 0);
        PostMessageA(notepad, WM_CLOSE, 0, 0);
    }
    HWND host = FindWindowA("Quillrun", NULL);
    if (host)
        PostMessageA(host, WM_COMMAND, IDM_EXIT, 0);  // File > Exit: closing only hides it
    bool gone = qr::WaitFor([] { return !FindWindowA("Quillrun", NULL); }, 10000);
    printf("tour: the host %s\n", gone ? "saved history and aliases and ended" : "did not end");
    return gone ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "--close") == 0)
        return Close();

    qr::SharedBlock lib;
    if (!lib.Load()) {
        printf("tour: QRHook.dll cannot be loaded from %s\n", qr::BinDir().c_str());
        return 1;
    }
    int* iZure = lib.Var<int>("iZure");

    Step("waiting for the host window (class Quillrun)");
    HWND host = qr::WaitForWindow("Quillrun", NULL, 20000);
    Result(host != NULL, host ? "the host is running" : "no host window");
    if (!host)
        return 1;
    // The first start in a fresh Wine folder is slow; the window's lines
    // come a moment after the window.
    auto stateLine = [&] { return qr::WindowText(GetDlgItem(host, 301)); };
    bool hooked = qr::WaitFor([&] { return stateLine() == QR_WINE_HOOKS_INSTALLED; }, 20000);
    Result(hooked, "host says: " + stateLine());

    Step("starting notepad");
    qr::Program notepadProc;
    qr::Start("notepad.exe", &notepadProc);
    notepadProc.Detach();  // stays up for the screenshot; "--close" ends it
    HWND notepad = qr::WaitForWindow("Notepad", NULL, 20000);
    Result(notepad != NULL, notepad ? "notepad is up" : "notepad did not start");
    if (!notepad)
        return 1;
    bool front = qr::BringToFront(notepad, 10000) && qr::WaitFor([&] {
        return qr::HasFocus(FindWindowExA(notepad, NULL, "Edit", NULL));
    });
    Result(front, front ? "notepad has the focus" : "notepad did not get the focus");

    Step("opening Search > Find (Ctrl+F) for a one-line edit field");
    qr::CtrlTap('F');
    HWND find = FindDialogOf(notepad);
    Result(find != NULL, find ? "the Find dialog is open" : "no Find dialog");
    if (!find)
        return 1;
    HWND field = GetDlgItem(find, 0x480);  // the "Find what" field
    bool focused = qr::FocusDialogControl(find, field);
    Result(focused, focused ? "the \"Find what\" field has the focus" : "the field did not get the focus");

    const char* line = "hello from quillrun";
    Step("typing a line and pressing Tab (the history stores it)");
    qr::TypeText(line);
    bool typed = qr::WaitFor([&] { return qr::WindowText(field) == line; });
    Result(typed, "the field holds: " + qr::WindowText(field));
    qr::Tap(VK_TAB);
    qr::Settle(300);

    Step("back to the field, emptying it");
    qr::KeyDown(VK_SHIFT);
    qr::Tap(VK_TAB);
    qr::KeyUp(VK_SHIFT);
    qr::Tap(VK_END);
    qr::KeyDown(VK_SHIFT);
    qr::Tap(VK_HOME);
    qr::KeyUp(VK_SHIFT);
    qr::Tap(VK_DELETE);
    bool emptied = qr::WaitFor([&] { return qr::WindowText(field).empty(); });
    Result(emptied, emptied ? "the field is empty" : "the field still holds: " + qr::WindowText(field));

    Step("pressing Up");
    qr::Tap(VK_UP);
    bool recalled = qr::WaitFor([&] { return !qr::WindowText(field).empty(); }, 2000);
    std::string got = qr::WindowText(field);
    if (recalled)
        Result(got == line, "Up recalled: " + got);
    else
        Result(false, "Up recalled nothing");

    if (GetACP() == 932) {
        // "echo hyo-ji so-fu-to": Shift-JIS characters whose second byte is
        // a backslash's, put into the field as the input method would.
        char japanese[64] = "";
        WideCharToMultiByte(CP_ACP, 0, L"echo \u8868\u793A \u30BD\u30D5\u30C8", -1, japanese, sizeof japanese,
                            NULL, NULL);
        Step("a Japanese desktop (code page 932): a line of Japanese text, Tab, emptied, Up");
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)japanese);
        qr::Tap(VK_TAB);
        qr::Settle(300);
        qr::FocusDialogControl(find, field);
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)"");
        qr::Tap(VK_UP);
        bool back = qr::WaitFor([&] { return qr::WindowText(field) == japanese; }, 2000);
        Result(back, "Up recalled: " + Utf8(qr::WindowText(field)));
    }

    Step("pressing Ctrl+Shift+B (raises the pointer-return tolerance by 10)");
    int before = *iZure;
    qr::CtrlShiftTap('B');
    bool raised = qr::WaitFor([&] { return *iZure == before + 10; });
    char text[96];
    snprintf(text, sizeof text, "tolerance %d -> %d, seen from another process", before, *iZure);
    Result(raised, text);

    Step("pressing Ctrl+Shift+S (forwarded to the host)");
    HWND hotLine = GetDlgItem(host, 300);
    qr::CtrlShiftTap('S');
    bool seen = qr::WaitFor([&] { return qr::WindowText(hotLine).find("Ctrl+Shift+S") != std::string::npos; });
    Result(seen, "host says: " + qr::WindowText(hotLine));

    // Arrange the windows for the screenshot: the host above notepad, the
    // Find dialog over notepad, everything painted.
    SetWindowPos(notepad, NULL, 0, 130, 640, 420, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(find, HWND_TOP, 200, 260, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    for (HWND w : {host, notepad, find})
        RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    qr::Settle(500);

    printf("tour: %s\n", failures ? "some steps did not work (see FAIL above)" : "every step worked");
    return failures ? 2 : 0;
}
