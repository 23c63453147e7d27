// Window actions of the Ctrl+Shift keys: style toggles and SetWS, z-order,
// disable and enable, close, system commands to all windows, list boxes and
// list views under the pointer, the pointer-return tuning keys and the host
// window.
#include "hooked_desktop.h"
#include "hotkeys/window_actions.h"

#include <limits.h>

#include <string>
#include <vector>

namespace {

std::string Hex(LONG v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%08X", (unsigned)v);
    return buf;
}

std::string H(HWND h) { return ws::fmtHandle(h); }

class WindowActions : public HookedDesktop {
protected:
    // A full Ctrl+Shift stroke: key-down and key-up with Ctrl and Shift held.
    void Press(UINT vk)
    {
        CtrlShiftDown(vk);
        ws::keyUp(vk);
    }
    void PressOver(HWND hwnd, UINT vk)
    {
        PointAt(hwnd);
        Press(vk);
    }
    void PointAt(HWND hwnd)
    {
        RECT r;
        ASSERT_TRUE(GetWindowRect(hwnd, &r));
        ws::setCursorPos(r.left + 1, r.top + 1);
    }
    int Received(HWND hwnd, UINT msg) const
    {
        int n = 0;
        for (const ws::Message& m : ws::messages(hwnd))
            n += m.msg == msg;
        return n;
    }
    HWND Window(const std::string& cls, LONG style, RECT rect, HWND parent = NULL)
    {
        return ws::createWindow(Desc(cls, "", style, parent, rect));
    }
};

const LONG kFrame = WS_VISIBLE | WS_OVERLAPPEDWINDOW;  // 0x10CF0000

// ---------------------------------------------------------------------------
// SetWS and the seven style toggles.

TEST_F(WindowActions, EachToggleFirstRemovesItsStyleThenGivesItBack)
{
    struct Case {
        UINT vk;
        LONG afterFirst;
    } cases[] = {
        {'C', 0x104F0000}, {'F', 0x100F0000}, {'G', 0x108F0000}, {'H', 0x10CE0000},
        {'L', 0x10CD0000}, {'O', 0x10C70000}, {'T', 0x10CB0000},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        SetWindowLongA(app, GWL_STYLE, kFrame);
        Press(c.vk);
        EXPECT_EQ(Hex(c.afterFirst), Hex(ws::style(app))) << "first press of " << (char)c.vk;
        Press(c.vk);
        EXPECT_EQ(Hex(kFrame), Hex(ws::style(app))) << "second press of " << (char)c.vk;
    }
}

// The toggle state belongs to the key, not to the window: after removing the
// caption of one window, the next press adds a caption to whichever window is
// in front, and the press after that removes it again.
TEST_F(WindowActions, CaptionToggleAlternatesAcrossForegroundWindows)
{
    HWND other = Window("Other", WS_VISIBLE | WS_THICKFRAME, RECT{0, 400, 100, 500});
    SetWindowLongA(app, GWL_STYLE, kFrame);

    Press('F');
    EXPECT_EQ(Hex(0x100F0000), Hex(ws::style(app)));

    ws::setForeground(other);
    Press('F');
    EXPECT_EQ(Hex(0x10C40000), Hex(ws::style(other)));
    EXPECT_EQ(Hex(0x100F0000), Hex(ws::style(app))) << "the window behind is left alone";

    ws::setForeground(app);
    Press('F');
    EXPECT_EQ(Hex(0x100F0000), Hex(ws::style(app))) << "a third press removes, already gone";
    Press('F');
    EXPECT_EQ(Hex(kFrame), Hex(ws::style(app)));
}

TEST_F(WindowActions, TogglesKeepOneStateEachWhateverTheOthersDo)
{
    SetWindowLongA(app, GWL_STYLE, kFrame);
    Press('H');  // max box off
    Press('L');  // min box off
    Press('H');  // max box on again; the min box toggle is still at "off"
    EXPECT_EQ(Hex(0x10CD0000), Hex(ws::style(app)));
    Press('L');
    EXPECT_EQ(Hex(kFrame), Hex(ws::style(app)));
}

TEST_F(WindowActions, SetWsSetsOnlyForOnOfOneAndLeavesUnknownKindsAlone)
{
    struct Case {
        const char* name;
        LONG before;
        int kind;
        int on;
        LONG after;
    } cases[] = {
        {"caption on", WS_VISIBLE, 2, 1, 0x10C00000},
        {"caption off takes both bits", kFrame, 2, 0, 0x100F0000},
        {"on = 2 clears", kFrame, 2, 2, 0x100F0000},
        {"on = -1 clears", WS_VISIBLE | WS_BORDER, 1, -1, WS_VISIBLE},
        {"border on keeps the rest", WS_VISIBLE | WS_SYSMENU, 1, 1, 0x10880000},
        {"dlg frame off leaves the border", kFrame, 3, 0, 0x108F0000},
        {"thick frame on", WS_VISIBLE, 7, 1, 0x10040000},
        {"kind 0 unchanged", kFrame, 0, 1, kFrame},
        {"kind 8 unchanged", kFrame, 8, 0, kFrame},
        {"kind -1 unchanged", kFrame, -1, 1, kFrame},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        SetWindowLongA(app, GWL_STYLE, c.before);
        ws::clearCalls();
        int result = SetWS(app, c.kind, c.on);
        EXPECT_EQ(Hex(c.after), Hex(ws::style(app))) << c.name;
        // The style is written back for every kind, then the window is
        // hidden, minimised and restored; the result is the last call's.
        std::vector<std::string> expected = {
            "SetWindowLongA(" + H(app) + ", -16, " + std::to_string(c.after) + ")",
            "ShowWindow(" + H(app) + ", 0)",
            "ShowWindow(" + H(app) + ", 6)",
            "ShowWindow(" + H(app) + ", 9)",
        };
        EXPECT_EQ(expected, ws::calls()) << c.name;
        EXPECT_EQ(1, result) << c.name << ": the minimised window was visible before the restore";
    }
}

TEST_F(WindowActions, SetWsOnNoWindowReturnsTheFailedShow)
{
    EXPECT_EQ(0, SetWS(NULL, 2, 1));
}

// ---------------------------------------------------------------------------
// Z-order.

TEST_F(WindowActions, ZeroSendsTheWindowUnderThePointerToTheBottom)
{
    HWND lower = Window("Lower", WS_VISIBLE, RECT{800, 0, 900, 100});
    HWND upper = Window("Upper", WS_VISIBLE, RECT{850, 50, 950, 150});
    ws::setCursorPos(870, 70);  // where both overlap
    ASSERT_EQ(upper, WindowFromPoint(POINT{870, 70}));

    Press('0');
    EXPECT_EQ((std::vector<std::string>{"SetWindowPos(" + H(upper) + ", HWND_BOTTOM, 0, 0, 0, 0, 0x53)"}),
              ws::callsTo("SetWindowPos"));
    EXPECT_EQ(lower, WindowFromPoint(POINT{870, 70}));
    EXPECT_EQ(upper, ws::zOrder(NULL).back());
}

// A topmost window stays above windows that are opened after it.
TEST_F(WindowActions, NineMakesTheWindowUnderThePointerTopmost)
{
    HWND under = Window("Under", WS_VISIBLE, RECT{800, 0, 900, 100});
    ws::setCursorPos(810, 10);
    Press('9');
    EXPECT_EQ((std::vector<std::string>{"SetWindowPos(" + H(under) + ", HWND_TOPMOST, 0, 0, 0, 0, 0x53)"}),
              ws::callsTo("SetWindowPos"));
    EXPECT_EQ(WS_EX_TOPMOST, GetWindowLongA(under, GWL_EXSTYLE));
    HWND later = Window("Later", WS_VISIBLE, RECT{800, 0, 900, 100});
    EXPECT_EQ(under, WindowFromPoint(POINT{810, 10})) << "above " << H(later);
}

// A button inside a dialog: the button itself is what the key acts on, not
// its dialog.
TEST_F(WindowActions, NineOverAButtonActsOnTheButton)
{
    HWND dialog = Window("#32770", WS_VISIBLE | WS_POPUP | WS_CAPTION, RECT{800, 0, 1000, 200});
    HWND button = Window("Button", WS_VISIBLE | WS_CHILD, RECT{810, 150, 890, 180}, dialog);
    PressOver(button, '9');
    EXPECT_EQ((std::vector<std::string>{"SetWindowPos(" + H(button) + ", HWND_TOPMOST, 0, 0, 0, 0, 0x53)"}),
              ws::callsTo("SetWindowPos"));
    EXPECT_EQ(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowActions, ZOrderKeysOverNothingDoNothing)
{
    ws::setCursorPos(1000, 700);
    ASSERT_EQ(NULL, WindowFromPoint(POINT{1000, 700}));
    Press('0');
    Press('9');
    EXPECT_TRUE(ws::callsTo("SetWindowPos").empty());
}

// ---------------------------------------------------------------------------
// Disable and enable.

TEST_F(WindowActions, SevenHoldsOneWindowAndRefusesASecondWithTheBeep)
{
    HWND first = Window("First", WS_VISIBLE, RECT{800, 0, 900, 100});
    HWND second = Window("Second", WS_VISIBLE, RECT{800, 200, 900, 300});

    PressOver(first, '7');
    EXPECT_FALSE(IsWindowEnabled(first));
    EXPECT_TRUE(ws::callsTo("MessageBeep").empty());

    PressOver(second, '7');
    EXPECT_TRUE(IsWindowEnabled(second)) << "only one window is held at a time";
    EXPECT_EQ((std::vector<std::string>{"MessageBeep(0xFFFFFFFF)"}), ws::callsTo("MessageBeep"));

    PressOver(second, '8');  // the pointer does not matter: the held window is enabled
    EXPECT_TRUE(IsWindowEnabled(first));
    EXPECT_TRUE(IsWindowEnabled(second));

    ws::clearCalls();
    Press('8');
    EXPECT_TRUE(ws::callsTo("EnableWindow").empty()) << "nothing is held any more";

    PressOver(second, '7');
    EXPECT_FALSE(IsWindowEnabled(second));
    EXPECT_TRUE(ws::callsTo("MessageBeep").empty());
}

TEST_F(WindowActions, HeldWindowDestroyedBeforeEightIsReleasedAllTheSame)
{
    HWND held = Window("Held", WS_VISIBLE, RECT{800, 0, 900, 100});
    HWND next = Window("Next", WS_VISIBLE, RECT{800, 200, 900, 300});
    PressOver(held, '7');
    DestroyWindow(held);
    ws::clearCalls();
    Press('8');
    EXPECT_EQ((std::vector<std::string>{"EnableWindow(" + H(held) + ", 1)"}), ws::callsTo("EnableWindow"));
    PressOver(next, '7');
    EXPECT_FALSE(IsWindowEnabled(next));
    EXPECT_TRUE(ws::callsTo("MessageBeep").empty());
}

TEST_F(WindowActions, SevenOverNothingHoldsNothing)
{
    HWND later = Window("Later", WS_VISIBLE, RECT{800, 0, 900, 100});
    ws::setCursorPos(1000, 700);
    Press('7');
    EXPECT_TRUE(ws::callsTo("EnableWindow").empty());
    PressOver(later, '7');
    EXPECT_FALSE(IsWindowEnabled(later));
    EXPECT_TRUE(ws::callsTo("MessageBeep").empty());
}

// ---------------------------------------------------------------------------
// Close.

TEST_F(WindowActions, SpaceClosesControlsButNeverNumberedSystemClasses)
{
    struct Case {
        const char* cls;
        bool closes;
    } cases[] = {
        {"#32770", false},
        {"#32768", false},
        {"#", false},
        {"", false},
        {"Edit", true},
        {"A#32770", true},
        {"AVeryLongApplicationWindowClassNameBeyondThirtyOne", true},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        HWND dialog = Window("#32770", WS_VISIBLE | WS_POPUP, RECT{800, 0, 1000, 200});
        HWND target = Window(c.cls, WS_VISIBLE | WS_CHILD, RECT{810, 10, 990, 40}, dialog);
        int closes = 0;
        ws::setHandler(target, [&closes](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
            closes += msg == WM_CLOSE;
            return 0;
        });
        PressOver(target, ' ');
        EXPECT_EQ(c.closes, !ws::exists(target)) << "class '" << c.cls << "'";
        EXPECT_EQ(c.closes ? 1 : 0, closes) << "class '" << c.cls << "'";
        EXPECT_TRUE(ws::exists(dialog)) << "class '" << c.cls << "'";
        DestroyWindow(dialog);
    }
}

TEST_F(WindowActions, SpaceSendsCloseBeforeDestroying)
{
    HWND edit = Window("Edit", WS_VISIBLE, RECT{800, 0, 900, 100});
    std::vector<UINT> seen;
    ws::setHandler(edit, [&seen](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(msg);
        return 0;
    });
    PressOver(edit, ' ');
    EXPECT_EQ((std::vector<UINT>{WM_CLOSE, WM_DESTROY}), seen);
}

TEST_F(WindowActions, SpaceOverTheFrameOfAStandardDialogDoesNothing)
{
    HWND dialog = Window("#32770", WS_VISIBLE | WS_POPUP, RECT{800, 0, 1000, 200});
    Window("Edit", WS_VISIBLE | WS_CHILD, RECT{810, 10, 990, 40}, dialog);
    ws::setCursorPos(900, 150);  // on the dialog, beside the edit control
    Press(' ');
    EXPECT_TRUE(ws::exists(dialog));
    EXPECT_EQ(0, Received(dialog, WM_CLOSE));
    EXPECT_TRUE(ws::callsTo("DestroyWindow").empty());
}

// ---------------------------------------------------------------------------
// System commands to every top-level window.

TEST_F(WindowActions, SystemCommandKeysReachEveryTopLevelWindow)
{
    struct Case {
        UINT vk;
        WPARAM command;
    } cases[] = {{'I', 0xF060}, {'J', 0xF120}, {'N', 0xF030}, {'U', 0xF020}};
    HWND child = Window("Button", WS_VISIBLE | WS_CHILD, RECT{310, 310, 350, 330}, app);
    for (const Case& c : cases) {
        RestoreDefaults();
        ws::clearMessages(child);
        Press(c.vk);
        for (HWND top : {host, app}) {
            std::vector<ws::Message> got;
            for (const ws::Message& m : ws::messages(top))
                if (m.msg == WM_SYSCOMMAND)
                    got.push_back(m);
            ASSERT_EQ(1u, got.size()) << (char)c.vk << " to " << H(top);
            const ws::Message& m = got[0];
            EXPECT_EQ(c.command, m.wParam) << (char)c.vk;
            EXPECT_EQ(0, m.lParam);
            EXPECT_TRUE(m.posted);
        }
        EXPECT_TRUE(ws::messages(child).empty()) << (char)c.vk;
        ASSERT_EQ(1u, ws::callsTo("PostMessageA").size());
        EXPECT_EQ("PostMessageA(" + H((HWND)(LONG_PTR)-1) + ", 274, " + std::to_string(c.command) + ", 0)",
                  ws::callsTo("PostMessageA")[0]);
    }
}

TEST_F(WindowActions, KArrangesTheDesktopsIcons)
{
    Press('K');
    EXPECT_EQ((std::vector<std::string>{"ArrangeIconicWindows(10000)"}), ws::callsTo("ArrangeIconicWindows"));
}

// ---------------------------------------------------------------------------
// Font, list box, list view.

TEST_F(WindowActions, F8ResetsTheFontOfTheControlUnderThePointer)
{
    HWND button = Window("Button", WS_VISIBLE | WS_CHILD, RECT{310, 310, 350, 330}, app);
    PressOver(button, VK_F8);
    ASSERT_EQ(1, Received(button, WM_SETFONT));
    const ws::Message& m = ws::messages(button).back();
    EXPECT_EQ(0u, m.wParam);
    EXPECT_EQ(1, m.lParam);
    EXPECT_EQ(0, Received(app, WM_SETFONT));
}

TEST_F(WindowActions, F2WidensOnlyListBoxesOfTheClassList)
{
    struct Case {
        const char* cls;
        bool widened;
    } cases[] = {
        {"ListBox", true},
        {"LISTBOX", true},
        {"listbox", true},
        {"ThunderListBox", true},
        {"TListBox", true},
        {"ThunderRTListBox", true},
        {"ThunderRTFileListBox", true},
        {"ThunderRTDirListBox", true},
        {"ThunderRT5ListBox", true},
        {"ThunderRT5DirListBox", true},
        {"thunderrt5filelistbox", true},
        {"ComboLBox", false},   // the drop-down list of a combo box
        {"newlist", false},     // a list box to the inspector, not here
        {"ThunderFileListBox", false},
        {"ListBox2", false},
        {"ListBo", false},
        {"", false},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        HWND list = Window(c.cls, WS_VISIBLE | WS_CHILD, RECT{310, 310, 500, 500}, app);
        PressOver(list, VK_F2);
        const std::vector<ws::Message>& got = ws::messages(list);
        if (c.widened) {
            ASSERT_EQ(1u, got.size()) << c.cls;
            EXPECT_EQ(0x0194u, got[0].msg);
            EXPECT_EQ(1600u, got[0].wParam);
            EXPECT_EQ(0, got[0].lParam);
        } else {
            EXPECT_TRUE(got.empty()) << c.cls;
        }
        DestroyWindow(list);
    }
}

// A class name read earlier must not make F2 act on a pointer over nothing.
TEST_F(WindowActions, F2OverNothingSendsNothing)
{
    HWND list = Window("ListBox", WS_VISIBLE | WS_CHILD, RECT{310, 310, 500, 500}, app);
    PressOver(list, VK_F2);
    ws::clearMessages(list);
    ws::setCursorPos(1000, 700);
    Press(VK_F2);
    EXPECT_TRUE(ws::messages(list).empty());
    EXPECT_EQ(0, Received(app, 0x0194));
}

TEST_F(WindowActions, F3TurnsFullRowSelectionOnAndKeepsTheOtherExtendedStyles)
{
    HWND view = Window("SysListView32", WS_VISIBLE | WS_CHILD, RECT{310, 310, 500, 500}, app);
    LPARAM exStyle = 0x00000005;  // grid lines and check boxes
    ws::setHandler(view, [&exStyle](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == 0x1037)
            return exStyle;
        if (msg == 0x1036) {
            LPARAM mask = wParam ? (LPARAM)wParam : ~(LPARAM)0;
            exStyle = (exStyle & ~mask) | (lParam & mask);
        }
        return 0;
    });
    PressOver(view, VK_F3);
    EXPECT_EQ(0x25, exStyle);
    PressOver(view, VK_F3);
    EXPECT_EQ(0x25, exStyle) << "a second press changes nothing";
    const std::vector<ws::Message>& got = ws::messages(view);
    ASSERT_EQ(4u, got.size());
    EXPECT_EQ(0x1037u, got[0].msg);
    EXPECT_EQ(0x1036u, got[1].msg);
    EXPECT_EQ(0u, got[1].wParam) << "mask 0: the whole value applies";
    EXPECT_EQ(0x25, got[1].lParam);
}

// ---------------------------------------------------------------------------
// Pointer, tuning keys, icon animation, host window.

TEST_F(WindowActions, LeftPutsThePointerAtTheScreenCentre)
{
    struct Case {
        int cx, cy;
        const char* call;
    } cases[] = {
        {1024, 768, "SetCursorPos(512, 384)"},
        {1023, 767, "SetCursorPos(511, 383)"},
        {1, 1, "SetCursorPos(0, 0)"},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        ws::setScreenSize(c.cx, c.cy);
        ws::setCursorPos(5, 5);
        Press(VK_LEFT);
        EXPECT_EQ((std::vector<std::string>{c.call}), ws::callsTo("SetCursorPos"));
    }
}

TEST_F(WindowActions, ZureStepsDownTo4ThenMinus6AndStops)
{
    for (int i = 0; i < 102; ++i)
        Press('V');
    EXPECT_EQ(4, iZure);
    Press('V');
    EXPECT_EQ(-6, iZure);
    Press('V');
    EXPECT_EQ(-6, iZure);
    Press('B');
    EXPECT_EQ(4, iZure);
    Press('B');
    EXPECT_EQ(14, iZure);
}

TEST_F(WindowActions, ZureRaisesWithoutLimitUpToTheLargestInt)
{
    iZure = 2147483630;
    Press('B');
    EXPECT_EQ(2147483640, iZure);
    Press('B');
    EXPECT_EQ(INT_MAX, iZure) << "no wrap into a negative offset";
    Press('B');
    EXPECT_EQ(INT_MAX, iZure);
}

TEST_F(WindowActions, AidaStepsDownTo1000AndStops)
{
    for (int i = 0; i < 29; ++i)
        Press('D');
    EXPECT_EQ(1000, lAida);
    Press('D');
    EXPECT_EQ(1000, lAida);

    lAida = 1500;
    Press('D');
    EXPECT_EQ(500, lAida);
    Press('D');
    EXPECT_EQ(500, lAida);
    Press('E');
    EXPECT_EQ(1500, lAida);

    lAida = 2147483000;
    Press('E');
    EXPECT_EQ(INT_MAX, lAida);
}

TEST_F(WindowActions, InsertTogglesIconAnimationToExactlyOneOrZero)
{
    struct Case {
        int before, after;
    } cases[] = {{0, 1}, {1, 0}, {5, 1}, {-1, 1}};
    for (const Case& c : cases) {
        RestoreDefaults();
        bIconAnimation = c.before;
        Press(VK_INSERT);
        EXPECT_EQ(c.after, bIconAnimation) << "from " << c.before;
    }
}

TEST_F(WindowActions, DeleteHidesTheHostThenShowsItMinimised)
{
    Press(VK_DELETE);
    EXPECT_FALSE(IsWindowVisible(host));
    Press(VK_DELETE);
    EXPECT_TRUE(IsWindowVisible(host));
    EXPECT_NE(0, ws::style(host) & WS_MINIMIZE);
    EXPECT_EQ((std::vector<std::string>{"ShowWindow(" + H(host) + ", 0)", "ShowWindow(" + H(host) + ", 2)"}),
              ws::callsTo("ShowWindow"));
}

}  // namespace
