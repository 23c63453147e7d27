// The pointer follows the focus: a control of a dialog that receives the
// focus draws the pointer to its centre, and the pointer goes back when the
// dialog closes soon after, unless the user has moved it meanwhile.
#include "hooked_desktop.h"

#include <string>
#include <vector>

namespace {

struct Dialog {
    HWND dlg, ok, edit;
};

class PointerJump : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        hostAnswers[HM_POINTER_JUMP] = 1;
        ws::setCursorPos(600, 500);  // over the program's window
    }

    // A dialog at 100,100-400,300 with an OK button (centre 190,261) and an
    // edit field (centre 220,150).
    Dialog OpenDialog()
    {
        Dialog d;
        d.dlg = ws::createWindow(Desc("#32770", "Find", WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                      NULL, RECT{100, 100, 400, 300}));
        d.ok = ws::createWindow(Desc("Button", "OK", WS_VISIBLE | WS_CHILD, d.dlg,
                                     RECT{150, 250, 231, 273}, IDOK));
        d.edit = ws::createWindow(Desc("Edit", "", WS_VISIBLE | WS_CHILD, d.dlg,
                                       RECT{120, 140, 321, 161}, 100));
        return d;
    }

    // The host allows jumps (asked with 0, 0) and answers returns with
    // returnAnswer.
    void HostAnswersReturnWith(LRESULT returnAnswer)
    {
        ws::setHandler(host, [returnAnswer](HWND, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg != HM_POINTER_JUMP)
                return 0;
            return wParam == 0 ? 1 : returnAnswer;
        });
    }

    static std::string Pos(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    static std::string Cursor() { return Pos(ws::cursorPos()); }
};

TEST_F(PointerJump, DefaultButtonOfNewDialogDrawsPointerToItsCentre)
{
    ws::setTick(50000);
    Dialog d = OpenDialog();
    int showCount = ws::cursorShowCount();

    ASSERT_TRUE(ws::changeFocus(d.ok));

    EXPECT_EQ("190,261", Cursor());
    EXPECT_EQ(d.ok, hWndNowFocus);
    EXPECT_EQ(d.dlg, hWndOya);
    EXPECT_EQ("600,500", Pos(ptBeforeMove));
    EXPECT_EQ("190,261", Pos(ptAfterMove));
    EXPECT_EQ(50000, lInterval);
    EXPECT_EQ(50000, lMoved);
    EXPECT_EQ((std::vector<std::string>{"SetCursorPos(190, 261)"}), ws::callsTo("SetCursorPos"));
    EXPECT_EQ((std::vector<std::string>{"ShowCursor(FALSE)", "ShowCursor(TRUE)"}),
              ws::callsTo("ShowCursor"));
    EXPECT_EQ(showCount, ws::cursorShowCount());
    // The host was asked once, with 0 and 0.
    ASSERT_EQ(1u, HostMessages(HM_POINTER_JUMP).size());
    EXPECT_EQ(0u, HostMessages(HM_POINTER_JUMP)[0].wParam);
    EXPECT_EQ(0, HostMessages(HM_POINTER_JUMP)[0].lParam);
}

// Half of each extent, truncated towards zero, added to the left and top
// edges: also for controls left of and above the primary screen, and for a
// rectangle whose edges are the wrong way round.
TEST_F(PointerJump, CentreOfOddAndInvertedRectangles)
{
    struct Case {
        RECT rect;
        const char* centre;
    };
    const Case cases[] = {
        {{150, 250, 231, 273}, "190,261"},
        {{-101, -51, -50, -20}, "-76,-36"},
        {{10, 10, 5, 3}, "8,7"},
        {{0, 0, 1, 1}, "0,0"},
    };
    for (const Case& c : cases) {
        Dialog d = OpenDialog();
        HWND control = ws::createWindow(Desc("Button", "", WS_VISIBLE | WS_CHILD, d.dlg, c.rect));
        ws::setCursorPos(600, 500);
        ws::changeFocus(control);
        EXPECT_EQ(c.centre, Cursor()) << c.rect.left << "," << c.rect.top << "-" << c.rect.right << ","
                                      << c.rect.bottom;
    }
}

TEST_F(PointerJump, FocusMovingWithinDialogKeepsPositionFromBeforeFirstJump)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ws::setCursorPos(700, 20);  // somewhere else, not over the edit field
    ws::advanceTick(300);
    DWORD second = 1000 + 300;

    ws::changeFocus(d.edit);

    EXPECT_EQ("220,150", Cursor());
    EXPECT_EQ("600,500", Pos(ptBeforeMove));
    EXPECT_EQ("220,150", Pos(ptAfterMove));
    EXPECT_EQ(d.dlg, hWndOya);
    EXPECT_EQ((int)second, lInterval);
}

TEST_F(PointerJump, FocusInAnotherDialogTakesThePositionAnew)
{
    Dialog first = OpenDialog();
    ws::changeFocus(first.ok);
    DestroyWindow(ws::createWindow(Desc("tooltips_class32")));  // back to idle, no return
    ws::setCursorPos(650, 550);
    Dialog second = OpenDialog();
    ws::changeFocus(second.edit);

    EXPECT_EQ(second.dlg, hWndOya);
    EXPECT_EQ("650,550", Pos(ptBeforeMove));
}

TEST_F(PointerJump, DialogClosedFiveSecondsLaterWithPointerUntouchedSendsItBack)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ws::advanceTick(5000);
    ws::clearCalls();
    ws::clearMessages(host);
    int showCount = ws::cursorShowCount();

    DestroyWindow(d.dlg);

    EXPECT_EQ("600,500", Cursor());
    EXPECT_EQ((std::vector<std::string>{"SetCursorPos(600, 500)"}), ws::callsTo("SetCursorPos"));
    EXPECT_EQ((std::vector<std::string>{"ShowCursor(FALSE)", "ShowCursor(TRUE)"}),
              ws::callsTo("ShowCursor"));
    EXPECT_EQ(showCount, ws::cursorShowCount());
    // The host was asked with the destroyed window.
    ASSERT_FALSE(HostMessages(HM_POINTER_JUMP).empty());
    EXPECT_EQ((WPARAM)d.dlg, HostMessages(HM_POINTER_JUMP)[0].wParam);
    EXPECT_EQ(NULL, hWndOya);
    EXPECT_EQ(0, lMoved);
    EXPECT_NE(0, lInterval);  // never cleared
    // No window never returns the pointer, not even now that nothing is
    // pending and the pointer is within reach of where the jump left it.
    EXPECT_EQ(0, IsBackNeeded(lInterval, NULL));

    // The host is asked with the destruction's wParam and lParam as they came.
    Dialog again = OpenDialog();
    ws::changeFocus(again.ok);
    ws::clearMessages(host);
    ws::runCbtHooks(HCBT_DESTROYWND, (WPARAM)again.dlg, (LPARAM)0x6A);
    ASSERT_EQ(1u, HostMessages(HM_POINTER_JUMP).size());
    EXPECT_EQ((WPARAM)again.dlg, HostMessages(HM_POINTER_JUMP)[0].wParam);
    EXPECT_EQ((LPARAM)0x6A, HostMessages(HM_POINTER_JUMP)[0].lParam);
}

TEST_F(PointerJump, PointerMovedWithinToleranceReturnsBeyondItStays)
{
    struct Case {
        int zure, dx, dy;
        bool returns;
    };
    const Case cases[] = {
        {1024, 1024, 0, true},    {1024, 0, 1024, true},   {1024, -1024, -1024, true},
        {1024, 1025, 0, false},   {1024, 0, -1025, false}, {1024, -1025, 3, false},
        {5, 5, -5, true},         {5, 6, 0, false},        {0, 0, 0, true},
        {0, 1, 0, false},         {-1, 0, 0, false},       {-1024, 0, 0, false},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        hostAnswers[HM_POINTER_JUMP] = 1;
        iZure = c.zure;
        ws::setCursorPos(600, 500);
        Dialog d = OpenDialog();
        ws::changeFocus(d.ok);
        ws::advanceTick(1000);
        ws::setCursorPos(190 + c.dx, 261 + c.dy);

        DestroyWindow(d.dlg);

        std::string expected = c.returns ? "600,500" : Pos(POINT{190 + c.dx, 261 + c.dy});
        EXPECT_EQ(expected, Cursor()) << "iZure " << c.zure << ", moved by " << c.dx << "," << c.dy;
        EXPECT_EQ(NULL, hWndOya);
    }
}

TEST_F(PointerJump, ReturnOnlyWithinAidaMilliseconds)
{
    struct Case {
        int aida;
        DWORD after;
        bool returns;
    };
    const Case cases[] = {
        {30000, 29999, true}, {30000, 30000, false}, {30000, 30001, false},
        {1000, 999, true},    {1000, 1000, false},   {0, 0, false},
        {-5, 0, false},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        hostAnswers[HM_POINTER_JUMP] = 1;
        lAida = c.aida;
        ws::setCursorPos(600, 500);
        Dialog d = OpenDialog();
        ws::changeFocus(d.ok);
        ws::advanceTick(c.after);

        DestroyWindow(d.dlg);

        EXPECT_EQ(c.returns ? "600,500" : "190,261", Cursor())
            << "lAida " << c.aida << ", closed after " << c.after << " ms";
    }
}

TEST_F(PointerJump, TickCountWrappingBetweenJumpAndCloseStillReturns)
{
    ws::setTick(0xFFFFFF00u);
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ws::advanceTick(0x200);  // the tick count wraps to 0x100

    DestroyWindow(d.dlg);

    EXPECT_EQ("600,500", Cursor());
}

TEST_F(PointerJump, HostRefusingReturnLeavesPointerButEndsPendingState)
{
    HostAnswersReturnWith(0);
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ASSERT_EQ(d.dlg, hWndOya);
    ws::advanceTick(100);
    ws::clearCalls();

    DestroyWindow(d.dlg);

    EXPECT_EQ("190,261", Cursor());
    EXPECT_TRUE(ws::callsTo("SetCursorPos").empty());
    EXPECT_TRUE(ws::callsTo("ShowCursor").empty());
    EXPECT_EQ(NULL, hWndOya);
    EXPECT_EQ(0, lMoved);
}

TEST_F(PointerJump, HostRefusingJumpLeavesPointerAndStateAlone)
{
    hostAnswers[HM_POINTER_JUMP] = 0;
    Dialog d = OpenDialog();

    ws::changeFocus(d.ok);

    EXPECT_EQ(d.ok, hWndNowFocus);
    EXPECT_EQ("600,500", Cursor());
    EXPECT_EQ(NULL, hWndOya);
    EXPECT_EQ(0, lInterval);
    EXPECT_TRUE(ws::callsTo("SetCursorPos").empty());
}

// Destroying another window does not return the pointer (unless its class
// begins with "bosa_"), and it ends the pending return.
TEST_F(PointerJump, UnrelatedWindowDestroyedInBetweenCancelsReturn)
{
    const char* classes[] = {"tooltips_class32", "bosa", "xbosa_list", "Button", ""};
    for (const char* cls : classes) {
        RestoreDefaults();
        hostAnswers[HM_POINTER_JUMP] = 1;
        ws::setCursorPos(600, 500);
        Dialog d = OpenDialog();
        ws::changeFocus(d.ok);
        HWND other = ws::createWindow(Desc(cls, "", WS_POPUP));
        ws::advanceTick(500);

        DestroyWindow(other);
        EXPECT_EQ("190,261", Cursor()) << "class \"" << cls << "\"";
        EXPECT_EQ(NULL, hWndOya) << "class \"" << cls << "\"";

        DestroyWindow(d.dlg);
        EXPECT_EQ("190,261", Cursor()) << "dialog after class \"" << cls << "\"";
    }
}

TEST_F(PointerJump, BosaWindowClosingSoonAfterJumpReturnsPointerWhereverItStands)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    HWND list = ws::createWindow(Desc("BOSA_LIST", "", WS_POPUP | WS_VISIBLE, NULL,
                                      RECT{0, 0, 50, 50}));
    ws::setCursorPos(10, 10);  // far beyond iZure
    ws::advanceTick(1000);

    DestroyWindow(list);

    EXPECT_EQ("600,500", Cursor());
    EXPECT_EQ("BOSA_LIST", std::string(chClassName));
    EXPECT_EQ(NULL, hWndOya);
}

// The class name buffer is shared: a window whose class cannot be read (gone
// already) is decided on an empty name, not on what another process left.
TEST_F(PointerJump, UnreadableClassNameNeverReturnsThePointer)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    HWND gone = ws::createWindow(Desc("Static"));
    DestroyWindow(gone);
    strcpy(chClassName, "bosa_left_behind");
    EXPECT_EQ(0, IsBackNeeded(lInterval, gone));
    EXPECT_STREQ("", chClassName);
}

TEST_F(PointerJump, BosaWindowStillReturnsPointerAfterPendingStateEnded)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ws::advanceTick(100);
    DestroyWindow(d.dlg);  // returns the pointer and ends the pending state
    ws::setCursorPos(5, 5);
    HWND bosa = ws::createWindow(Desc("bosa_Popup"));
    ws::advanceTick(100);

    DestroyWindow(bosa);

    EXPECT_EQ("600,500", Cursor());
}

// lAida after the jump is too late; so is an elapsed time that no longer
// fits a signed 32-bit count (25 days on, or no jump since a start weeks ago).
TEST_F(PointerJump, BosaWindowClosedTooLateOrAgesAfterLastJumpStays)
{
    ws::setTick(0x90000000u);  // no jump yet: its tick count is still 0
    ws::setCursorPos(5, 5);
    DestroyWindow(ws::createWindow(Desc("bosa_list")));
    EXPECT_EQ("5,5", Cursor()) << "no jump ever made";

    Dialog d = OpenDialog();
    ws::setCursorPos(600, 500);
    ws::changeFocus(d.ok);
    ws::setCursorPos(5, 5);
    ws::advanceTick(30000);
    DestroyWindow(ws::createWindow(Desc("bosa_list")));
    EXPECT_EQ("5,5", Cursor()) << "lAida after the jump";

    ws::advanceTick(25u * 24 * 3600 * 1000);
    DestroyWindow(ws::createWindow(Desc("bosa_list")));
    EXPECT_EQ("5,5", Cursor()) << "25 days after the jump";
}

TEST_F(PointerJump, FocusRemovedStoresNullAndStillAsksHost)
{
    Dialog d = OpenDialog();
    ws::changeFocus(d.ok);
    ws::clearMessages(host);
    ws::clearCalls();

    ASSERT_TRUE(ws::changeFocus(NULL));

    EXPECT_EQ(NULL, hWndNowFocus);
    ASSERT_EQ(1u, HostMessages(HM_POINTER_JUMP).size());
    EXPECT_EQ(0u, HostMessages(HM_POINTER_JUMP)[0].wParam);
    EXPECT_TRUE(ws::callsTo("SetCursorPos").empty());
    EXPECT_EQ(d.dlg, hWndOya);  // still pending
}

TEST_F(PointerJump, WithoutHostWindowFocusIsRecordedButPointerNeverMoves)
{
    Dialog d = OpenDialog();
    DestroyWindow(host);
    ws::clearCalls();

    ws::changeFocus(d.ok);
    EXPECT_EQ(d.ok, hWndNowFocus);
    EXPECT_EQ("600,500", Cursor());

    // A pending state left from earlier still ends at a destruction.
    hWndOya = d.dlg;
    lMoved = 1234;
    DestroyWindow(d.dlg);
    EXPECT_EQ(NULL, hWndOya);
    EXPECT_EQ(0, lMoved);
    EXPECT_TRUE(ws::callsTo("SetCursorPos").empty());
}

// A CBT hook installed before the library's: it sees every notification
// unchanged, and its answer is the library's answer.
class CbtChain : public PointerJump {
protected:
    void SetUp() override
    {
        PointerJump::SetUp();
        UnhookWindowsHookEx(hOldCBTHook);
        hOldCBTHook = 0;
        NeighbourHook::Install(WH_CBT);
        SetMyCBTHook(0, 0);
    }
};

TEST_F(CbtChain, EveryCodeIsHandedOnUnchangedWithTheNextHooksResult)
{
    const int codes[] = {HCBT_MOVESIZE, HCBT_MINMAX, HCBT_QS, HCBT_CREATEWND, HCBT_DESTROYWND,
                         HCBT_ACTIVATE, HCBT_CLICKSKIPPED, HCBT_KEYSKIPPED, HCBT_SYSCOMMAND,
                         HCBT_SETFOCUS, -1, 10, 77};
    std::vector<NeighbourHook::Seen>& seen = NeighbourHook::seen;
    for (int code : codes) {
        seen.clear();
        NeighbourHook::answer = 0x5A + code;
        LRESULT r = ws::runCbtHooks(code, (WPARAM)0x1234, (LPARAM)0x5678);
        ASSERT_EQ(1u, seen.size()) << "code " << code;
        EXPECT_EQ(code, seen[0].code);
        EXPECT_EQ((WPARAM)0x1234, seen[0].wParam) << "code " << code;
        EXPECT_EQ((LPARAM)0x5678, seen[0].lParam) << "code " << code;
        EXPECT_EQ(0x5A + code, r) << "code " << code;
    }
}

TEST_F(CbtChain, OlderHooksVetoOfFocusChangeStands)
{
    Dialog d = OpenDialog();
    NeighbourHook::answer = 1;

    EXPECT_FALSE(ws::changeFocus(d.ok));

    EXPECT_EQ(app, GetFocus());
    EXPECT_EQ(d.ok, hWndNowFocus);  // recorded all the same
}

}  // namespace
