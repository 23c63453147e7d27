// The simulated desktop raises focus, activation and destruction
// notifications in the platform's order, and honours a hook's veto.
#include <gtest/gtest.h>
#include <winsim.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>& Heard()
{
    static std::vector<std::string> h;
    return h;
}
LRESULT gVetoCode = -1;

std::string Name(HWND h) { return ws::fmtHandle(h); }

LRESULT Listener(int code, WPARAM wParam, LPARAM lParam)
{
    std::string line = std::to_string(code) + ":" + Name((HWND)wParam);
    if (code == HCBT_SETFOCUS)
        line += "<-" + Name((HWND)lParam);
    if (code == HCBT_ACTIVATE)
        line += "<-" + Name(((CBTACTIVATESTRUCT*)lParam)->hWndActive);
    Heard().push_back(line);
    return code == gVetoCode ? 1 : 0;
}

class WinsimFocus : public testing::Test {
protected:
    void SetUp() override
    {
        Heard().clear();
        gVetoCode = -1;
        SetWindowsHookExA(WH_CBT, Listener, NULL, 0);
        main = ws::createWindow({"Main", "", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, NULL, {0, 0, 500, 400}});
        ws::activate(main);
        dlg = ws::createWindow({"#32770", "", (LONG)(WS_VISIBLE | WS_POPUP), 0, NULL, {50, 50, 250, 150}});
        button = ws::createWindow({"Button", "", WS_VISIBLE | WS_CHILD, 0, dlg, {60, 100, 120, 120}});
        Heard().clear();
    }
    HWND main = NULL, dlg = NULL, button = NULL;
};

TEST_F(WinsimFocus, FocusIntoInactiveDialogAnnouncesFocusThenActivation)
{
    ASSERT_TRUE(ws::changeFocus(button));

    EXPECT_EQ((std::vector<std::string>{"9:" + Name(button) + "<-" + Name(main),
                                        "5:" + Name(dlg) + "<-" + Name(main)}),
              Heard());
    EXPECT_EQ(button, GetFocus());
    EXPECT_EQ(dlg, GetActiveWindow());
}

TEST_F(WinsimFocus, ActivationAnnouncesItselfThenGivesTheWindowTheFocus)
{
    ASSERT_TRUE(ws::activate(dlg));

    EXPECT_EQ((std::vector<std::string>{"5:" + Name(dlg) + "<-" + Name(main),
                                        "9:" + Name(dlg) + "<-" + Name(main)}),
              Heard());
    EXPECT_EQ(dlg, GetFocus());
}

TEST_F(WinsimFocus, VetoedStepsChangeNothing)
{
    gVetoCode = HCBT_SETFOCUS;
    EXPECT_FALSE(ws::changeFocus(button));
    EXPECT_EQ(main, GetFocus());
    EXPECT_EQ(main, GetActiveWindow());

    gVetoCode = HCBT_ACTIVATE;
    EXPECT_FALSE(ws::changeFocus(button));
    EXPECT_EQ(main, GetFocus());
    EXPECT_EQ(main, GetActiveWindow());

    gVetoCode = HCBT_DESTROYWND;
    EXPECT_FALSE(DestroyWindow(dlg));
    EXPECT_TRUE(ws::exists(dlg));
}

TEST_F(WinsimFocus, DestructionIsAnnouncedBeforeTheWindowGoesAndBeforeItsChildren)
{
    bool aliveWhenHeard = false;
    ws::setHandler(dlg, [&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_DESTROY)
            Heard().push_back("WM_DESTROY");
        return 0;
    });
    aliveWhenHeard = ws::exists(dlg);

    ASSERT_TRUE(DestroyWindow(dlg));

    ASSERT_GE(Heard().size(), 2u);
    EXPECT_EQ("4:" + Name(dlg), Heard()[0]);
    EXPECT_EQ("4:" + Name(button), Heard()[1]);
    EXPECT_EQ("WM_DESTROY", Heard().back());
    EXPECT_TRUE(aliveWhenHeard);
    EXPECT_FALSE(ws::exists(dlg));
}

TEST_F(WinsimFocus, SystemMenuStringsAndChanges)
{
    HMENU sys = GetSystemMenu(main, FALSE);
    ASSERT_NE(nullptr, sys);
    EXPECT_EQ(sys, GetSystemMenu(main, FALSE));
    EXPECT_EQ(nullptr, GetSystemMenu(button, FALSE));  // no WS_SYSMENU
    EXPECT_EQ(nullptr, GetMenu(main));
    HMENU bar = ws::giveMenuBar(main);
    EXPECT_EQ(bar, GetMenu(main));

    char buf[8] = "xxxxxxx";
    EXPECT_EQ(7, GetMenuStringA(sys, SC_CLOSE, buf, sizeof buf, MF_BYCOMMAND));
    EXPECT_STREQ("&Close\t", buf);  // cut to the buffer, terminated
    EXPECT_EQ(0, GetMenuStringA(sys, 0x9999, buf, sizeof buf, MF_BYCOMMAND));
    EXPECT_STREQ("&Close\t", buf);  // a missing item leaves the buffer alone

    EXPECT_TRUE(ModifyMenuA(sys, SC_MOVE, MF_BYCOMMAND | MF_STRING, 0x77, "Shift"));
    EXPECT_FALSE(ModifyMenuA(sys, SC_MOVE, MF_BYCOMMAND | MF_STRING, SC_MOVE, "Again"));
    EXPECT_EQ(5, GetMenuStringA(sys, 0x77, buf, sizeof buf, MF_BYCOMMAND));

    EXPECT_EQ(nullptr, GetSystemMenu(main, TRUE));
    EXPECT_EQ(5, GetMenuStringA(sys, SC_MOVE, buf, sizeof buf, MF_BYCOMMAND));  // "&Move" again
}

}  // namespace
