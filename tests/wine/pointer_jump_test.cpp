// The pointer follows the focus across processes: a dialog of another
// process opens with its default button focused, the real pointer jumps to
// the button's centre and goes back when the dialog closes soon after.  The
// dialog's process is this test program started again with
// --qr-dialog-child; it also shows whether its system menu was relabelled.
#include "desktop.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kDialogTitle[] = "QR dialog";
const int kReportId = 10;  // static text: the close item's label, on WM_APP
// The close item as a Japanese system shows it (code page 932 bytes).
const char kCloseJapanese[] = "\x95\xC2\x82\xB6\x82\xE9(&C)\tAlt+F4";

// --- The dialog's process ----------------------------------------------------

void AppendWord(std::vector<WORD>& t, WORD w) { t.push_back(w); }
void AppendDword(std::vector<WORD>& t, DWORD d)
{
    t.push_back(LOWORD(d));
    t.push_back(HIWORD(d));
}
void AppendText(std::vector<WORD>& t, const char* s)
{
    for (; *s; ++s)
        t.push_back((WORD)(unsigned char)*s);
    t.push_back(0);
}
void AlignDword(std::vector<WORD>& t)
{
    if (t.size() % 2)
        t.push_back(0);
}
void AppendItem(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id,
                WORD atom, const char* text)
{
    AlignDword(t);
    AppendDword(t, style | WS_CHILD | WS_VISIBLE);
    AppendDword(t, 0);
    AppendWord(t, (WORD)x);
    AppendWord(t, (WORD)y);
    AppendWord(t, (WORD)cx);
    AppendWord(t, (WORD)cy);
    AppendWord(t, id);
    AppendWord(t, 0xFFFF);
    AppendWord(t, atom);
    AppendText(t, text);
    AppendWord(t, 0);  // no creation data
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (lParam)  // give the close item its Japanese label before activation
            ModifyMenuA(GetSystemMenu(hDlg, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE,
                        kCloseJapanese);
        return TRUE;  // the focus goes to the first tab stop: the default button
    case WM_APP: {
        char text[64] = "";
        GetMenuStringA(GetSystemMenu(hDlg, FALSE), SC_CLOSE, text, sizeof text, MF_BYCOMMAND);
        SetDlgItemTextA(hDlg, kReportId, text);
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int RunDialogChild()
{
    const char* cmd = GetCommandLineA();
    if (!strstr(cmd, "--qr-dialog-child"))
        return 0;
    bool japanese = strstr(cmd, "japanese") != NULL;
    std::vector<WORD> t;
    AppendDword(t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    AppendDword(t, 0);
    AppendWord(t, 3);  // items
    AppendWord(t, 120);
    AppendWord(t, 60);
    AppendWord(t, 180);
    AppendWord(t, 80);
    AppendWord(t, 0);  // no menu
    AppendWord(t, 0);  // the dialog class
    AppendText(t, kDialogTitle);
    AppendItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 20, 50, 60, 16, IDOK, 0x0080, "OK");
    AppendItem(t, BS_PUSHBUTTON | WS_TABSTOP, 100, 50, 60, 16, IDCANCEL, 0x0080, "Cancel");
    AppendItem(t, SS_LEFT, 10, 10, 160, 12, kReportId, 0x0082, "");
    DialogBoxIndirectParamA(GetModuleHandleA(NULL), (LPCDLGTEMPLATEA)t.data(), NULL, DialogProc,
                            japanese ? 1 : 0);
    ExitProcess(0);
    return 1;
}

// Runs before the test runner's main: in the dialog's process the tests
// never start.
const int gDialogChild = RunDialogChild();

// --- The tests ---------------------------------------------------------------

class PointerJumpWine : public WineDesktop {
protected:
    // When a dialog closes, the platform activates another window and gives
    // it the focus before the dialog is destroyed; an edit field of the
    // target taking the focus then would draw the pointer to itself (a jump
    // into another window, which also ends the pending return).  Only the
    // host, which has no control that can take the focus, stays open.
    void SetUp() override
    {
        WineDesktop::SetUp();
        target.Close();
    }

    void TearDown() override
    {
        if (dialog.Running()) {
            if (dlg)
                PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            dialog.WaitExit(5000);
        }
        Int("bHeropa") = 0;
        WineDesktop::TearDown();
    }

    static POINT Cursor()
    {
        POINT p = {0, 0};
        GetCursorPos(&p);
        return p;
    }
    static std::string Str(POINT p)
    {
        char buf[32];
        snprintf(buf, sizeof buf, "%ld,%ld", (long)p.x, (long)p.y);
        return buf;
    }
    static bool PointerAt(POINT want, DWORD timeoutMs = 5000)
    {
        return qr::WaitFor([&] { return Str(Cursor()) == Str(want); }, timeoutMs);
    }
    static POINT Centre(HWND hWnd)
    {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(hWnd, &r);
        return POINT{r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
    }

    // Moves the pointer as the user does and waits until it stays there.
    // Under Wine the X server may still report an earlier position (the
    // jump's) a moment later, which puts the pointer back there: then the
    // move is made again.
    static bool MovePointerTo(POINT p)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            SetCursorPos(p.x, p.y);
            if (PointerAt(p, 2000)) {
                qr::Settle(300);
                if (Str(Cursor()) == Str(p))
                    return true;
            }
        }
        return false;
    }

    // Puts the pointer somewhere away from every window of the test.
    void ParkPointer(POINT p)
    {
        SetCursorPos(p.x, p.y);
        ASSERT_TRUE(PointerAt(p, 2000)) << "pointer at " << Str(Cursor());
    }

    // Starts the dialog's process and waits for its window.
    bool OpenDialog(bool japanese = false)
    {
        char self[MAX_PATH];
        GetModuleFileNameA(NULL, self, sizeof self);
        std::string cmd = std::string("\"") + self + "\" --qr-dialog-child" + (japanese ? " japanese" : "");
        if (!qr::Start(cmd, &dialog))
            return false;
        dlg = qr::WaitForWindow("#32770", kDialogTitle);
        // The window exists before its controls do: ready once the default
        // button has received the focus.
        return dlg && qr::WaitFor([&] {
            HWND ok = GetDlgItem(dlg, IDOK);
            return ok && *lib.Var<HWND>("hWndNowFocus") == ok;
        }) && DialogSettled();
    }

    // Under Wine the front may pass to another window a moment after the
    // dialog took it (X focus) and come back: the dialog then gives its
    // button the focus again and the pointer jumps again, which undoes a
    // move the test made in between.  Settled once the dialog has held the
    // front for 300 ms without a jump.
    bool DialogSettled()
    {
        return qr::WaitFor([&] {
            int jumped = Int("lMoved");
            if (GetForegroundWindow() != dlg)
                return false;
            qr::Settle(300);
            return GetForegroundWindow() == dlg && Int("lMoved") == jumped;
        });
    }

    bool CloseDialog()
    {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        return dialog.WaitExit(5000);
    }

    qr::Program dialog;
    HWND dlg = NULL;
};

TEST_F(PointerJumpWine, DefaultButtonDrawsThePointerAndClosingSendsItBack)
{
    const POINT parked = {40, 700};
    ParkPointer(parked);

    ASSERT_TRUE(OpenDialog()) << "the dialog did not open";
    HWND ok = GetDlgItem(dlg, IDOK);
    ASSERT_NE(nullptr, ok);
    POINT centre = Centre(ok);
    EXPECT_TRUE(PointerAt(centre)) << "pointer at " << Str(Cursor()) << ", button centre " << Str(centre);
    EXPECT_EQ(Str(parked), Str(*lib.Var<POINT>("ptBeforeMove")));
    // The library notes where the pointer went just after it moved it: the
    // pointer can be seen there before the note is written (a dialog that
    // takes the focus twice while it is placed jumps twice).
    POINT* after = lib.Var<POINT>("ptAfterMove");
    EXPECT_TRUE(qr::WaitFor([&] { return Str(*after) == Str(centre); }, 2000))
        << "jumped to " << Str(*after) << ", button centre " << Str(centre);
    EXPECT_EQ(dlg, *lib.Var<HWND>("hWndOya"));

    ASSERT_TRUE(CloseDialog()) << "the dialog's process did not end";
    EXPECT_TRUE(PointerAt(parked)) << "pointer at " << Str(Cursor());
    EXPECT_EQ(nullptr, *lib.Var<HWND>("hWndOya"));
}

TEST_F(PointerJumpWine, PointerMovedBeyondToleranceStaysWhereTheUserPutIt)
{
    Int("iZure") = 10;
    ParkPointer(POINT{40, 700});
    ASSERT_TRUE(OpenDialog());
    POINT centre = Centre(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(PointerAt(centre)) << "pointer at " << Str(Cursor()) << ", button centre " << Str(centre)
                                   << ", cancel centre " << Str(Centre(GetDlgItem(dlg, IDCANCEL)))
                                   << ", jumped to " << Str(*lib.Var<POINT>("ptAfterMove"))
                                   << ", last focus " << (void*)*lib.Var<HWND>("hWndNowFocus")
                                   << ", button " << (void*)GetDlgItem(dlg, IDOK);

    const POINT moved = {centre.x + 11, centre.y};
    ASSERT_TRUE(MovePointerTo(moved)) << "pointer at " << Str(Cursor());
    int jumped = Int("lMoved");
    ASSERT_TRUE(CloseDialog());
    qr::Settle(500);

    EXPECT_EQ(Str(moved), Str(Cursor())) << "last focus " << (void*)*lib.Var<HWND>("hWndNowFocus")
                                         << (Int("lMoved") != jumped ? ", the pointer jumped after the move" : "");
    EXPECT_EQ(nullptr, *lib.Var<HWND>("hWndOya"));
}

TEST_F(PointerJumpWine, DialogClosedAfterAidaLeavesThePointer)
{
    Int("lAida") = 1500;
    ParkPointer(POINT{40, 700});
    ASSERT_TRUE(OpenDialog());
    POINT centre = Centre(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(PointerAt(centre)) << "pointer at " << Str(Cursor());

    qr::Settle(2000);
    ASSERT_TRUE(CloseDialog());
    qr::Settle(500);

    EXPECT_EQ(Str(centre), Str(Cursor()));
}

TEST_F(PointerJumpWine, JapaneseCloseItemIsRelabelledOnActivationWhenSwitchedOn)
{
    struct Case {
        int heropa;
        std::string expected;
    };
    const Case cases[] = {{1, "&Close\tAlt+F4"}, {0, kCloseJapanese}};
    for (const Case& c : cases) {
        Int("bHeropa") = c.heropa;
        ASSERT_TRUE(OpenDialog(true)) << "bHeropa " << c.heropa;
        HWND report = GetDlgItem(dlg, kReportId);
        std::string label;
        qr::WaitFor([&] {
            DWORD_PTR r = 0;
            SendMessageTimeoutA(dlg, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
            label = qr::WindowText(report);
            return label == c.expected;
        }, 3000);
        std::string hex;
        for (unsigned char ch : label) {
            char b[4];
            snprintf(b, sizeof b, "%02X ", ch);
            hex += b;
        }
        EXPECT_EQ(c.expected, label) << "bHeropa " << c.heropa << ", bytes " << hex;
        ASSERT_TRUE(CloseDialog());
        dlg = NULL;
    }
}

}  // namespace
