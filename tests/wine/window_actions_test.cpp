// Window actions and the style inspector on real windows of another process:
// the caption toggle on the foreground window, topmost and bottom for the
// window under the pointer, and the style report of a real push button.
#include "desktop.h"

#include <stdio.h>

class WindowActions : public WineDesktop {
protected:
    // Puts the pointer on a point of a window's client area.
    void PointAt(HWND hWnd, int x, int y)
    {
        POINT pt = {x, y};
        ClientToScreen(hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
        qr::WaitFor([&] {
            POINT now;
            return GetCursorPos(&now) && now.x == pt.x && now.y == pt.y;
        }, 2000);
    }
    // A message box disables its owner, the host window, while it is open.
    // Once the watcher has closed it, the owner is enabled again, and then the
    // hook in the target returns and lowers the busy flag.  Under Wine the
    // target's thread may sleep in the box's loop until another message comes
    // in: a message wakes it.  Killing the target before the hook has
    // returned would leave the flag up for the rest of the run.
    void WaitUntilTheBoxHasReturned()
    {
        EXPECT_TRUE(qr::WaitFor([&] { return IsWindowEnabled(host.Window()) != FALSE; }))
            << "the host window stayed disabled";
        PostMessageA(target.Window(), WM_NULL, 0, 0);
        // The first sent message may still be answered inside the box's own
        // loop (sent messages come before the posted one that ends it); the
        // second can only be answered once that loop has ended and the hook
        // has returned to the target's own message loop.
        DWORD_PTR r;
        SendMessageTimeoutA(target.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
        SendMessageTimeoutA(target.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
        qr::Settle(200);
    }
    // Where the pointer and the focus are, for failure messages.
    std::string Whereabouts(HWND button)
    {
        POINT at;
        GetCursorPos(&at);
        char text[160];
        snprintf(text, sizeof text, "pointer at %ld,%ld over %p, button %p, foreground %p, target %p",
                 at.x, at.y, (void*)WindowFromPoint(at), (void*)button, (void*)GetForegroundWindow(),
                 (void*)target.Window());
        return text;
    }
    // Position of a top-level window among the top-level windows, 0 on top.
    static int ZIndex(HWND hWnd)
    {
        int i = 0;
        for (HWND w = GetTopWindow(NULL); w; w = GetWindow(w, GW_HWNDNEXT), ++i)
            if (w == hWnd)
                return i;
        return -1;
    }
    // The top-level windows of the target's process: class and visibility.
    std::string TargetWindows()
    {
        struct Walk {
            DWORD pid;
            std::string out;
        } walk = {0, ""};
        GetWindowThreadProcessId(target.Window(), &walk.pid);
        struct Each {
            static BOOL CALLBACK Window(HWND h, LPARAM l)
            {
                Walk* w = (Walk*)l;
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                char cls[64] = "";
                GetClassNameA(h, cls, sizeof cls);
                if (pid == w->pid)
                    w->out += std::string(" ") + cls + (IsWindowVisible(h) ? "(visible)" : "(hidden)");
                return TRUE;
            }
        };
        EnumWindows(Each::Window, (LPARAM)&walk);
        DWORD_PTR r;
        walk.out += SendMessageTimeoutA(target.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)
                        ? "; target answers" : "; target hangs";
        walk.out += SendMessageTimeoutA(host.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)
                        ? "; host answers" : "; host hangs";
        return walk.out;
    }
    static std::string Hex(LONG v)
    {
        char buf[16];
        snprintf(buf, sizeof buf, "0x%08lX", (unsigned long)(DWORD)v);
        return buf;
    }
};

// The first Ctrl+Shift+F takes the caption away from the window in front;
// the second gives it back (the toggle state is one for the whole desktop, so
// the test leaves it as it found it).
TEST_F(WindowActions, CtrlShiftFRemovesAndRestoresTheCaptionOfTheForegroundWindow)
{
    HWND w = target.Window();
    LONG before = GetWindowLongA(w, GWL_STYLE);
    ASSERT_EQ(WS_CAPTION, before & WS_CAPTION) << Hex(before);

    qr::CtrlShiftTap('F');
    EXPECT_TRUE(qr::WaitFor([&] { return (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == 0; }))
        << "style after the first Ctrl+Shift+F: " << Hex(GetWindowLongA(w, GWL_STYLE));
    // Hidden, minimised and restored: the window is shown again.
    EXPECT_TRUE(qr::WaitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }));
    const LONG shown = WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE;
    EXPECT_EQ(Hex(before & ~WS_CAPTION & ~shown), Hex(GetWindowLongA(w, GWL_STYLE) & ~shown))
        << "only the caption bits change";

    ASSERT_TRUE(target.Focus(1));
    qr::CtrlShiftTap('F');
    EXPECT_TRUE(qr::WaitFor([&] { return (GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }))
        << "style after the second Ctrl+Shift+F: " << Hex(GetWindowLongA(w, GWL_STYLE));
}

// Ctrl+Shift+9 over the bare client area of the target makes the target
// topmost; Ctrl+Shift+0 then sends it to the bottom, which also takes the
// topmost state away.
TEST_F(WindowActions, NineMakesTheWindowUnderThePointerTopmostAndZeroSendsItDown)
{
    HWND w = target.Window();
    ASSERT_EQ(0, GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    PointAt(w, 200, 80);  // right of the button, below the edit fields
    ASSERT_EQ(w, WindowFromPoint([] { POINT p; GetCursorPos(&p); return p; }()));

    qr::CtrlShiftTap('9');
    EXPECT_TRUE(qr::WaitFor([&] { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }))
        << "extended style: " << Hex(GetWindowLongA(w, GWL_EXSTYLE));
    EXPECT_TRUE(qr::WaitFor([&] { int t = ZIndex(w); return t >= 0 && t < ZIndex(host.Window()); }))
        << "target at " << ZIndex(w) << ", host at " << ZIndex(host.Window());

    ASSERT_TRUE(target.Focus(1));
    qr::CtrlShiftTap('0');
    EXPECT_TRUE(qr::WaitFor([&] { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }))
        << "extended style: " << Hex(GetWindowLongA(w, GWL_EXSTYLE));
    EXPECT_TRUE(qr::WaitFor([&] { return ZIndex(w) > ZIndex(host.Window()); }))
        << "target at " << ZIndex(w) << ", host at " << ZIndex(host.Window());
}

// Ctrl+Shift+key 220 over the target's OK button: one box in the target's
// process, captioned with the class name, listing the button's styles; once
// it has been closed and its hook has returned, the key works again.
TEST_F(WindowActions, StyleReportOfARealPushButton)
{
    HWND button = GetDlgItem(target.Window(), 3);
    ASSERT_NE((HWND)NULL, button);
    ASSERT_EQ(0x50010000, GetWindowLongA(button, GWL_STYLE)) << Hex(GetWindowLongA(button, GWL_STYLE));
    PointAt(button, 5, 5);

    char expected[256];
    snprintf(expected, sizeof expected,
             "Button: hWnd = %04X\nhParentWnd = %04X\n\n"
             "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(BS_PUSHBUTTON)\nWS_TABSTOP\n",
             (unsigned)(UINT_PTR)button, (unsigned)(UINT_PTR)target.Window());
    {
        qr::MessageBoxWatcher watcher;
        target.ClearLog();
        qr::CtrlShiftTap(VK_OEM_5);
        ASSERT_TRUE(watcher.WaitForBox("Button: ", 10000))
            << "no inspector box appeared; boxes seen: " << watcher.Texts().size()
            << (watcher.Texts().empty() ? "" : ", first: " + watcher.Texts()[0]) << "; "
            << Whereabouts(button) << ", log:" << target.Log() << "; target's windows:" << TargetWindows();
        std::vector<std::string> texts = watcher.Texts();
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(std::string(expected), texts[0]);
    }
    WaitUntilTheBoxHasReturned();

    // The busy flag is down again: a second press shows a second box.
    ASSERT_TRUE(target.Focus(1));
    PointAt(button, 5, 5);
    {
        qr::MessageBoxWatcher watcher;
        target.ClearLog();
        qr::CtrlShiftTap(VK_OEM_5);
        EXPECT_TRUE(watcher.WaitForBox(": hWnd = ", 10000))
            << "no second box; " << Whereabouts(button) << ", log:" << target.Log()
            << "; target's windows:" << TargetWindows();
        std::vector<std::string> texts = watcher.Texts();
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(std::string(expected), texts[0]);
    }
    WaitUntilTheBoxHasReturned();
}

// SetWS as the host calls it, through the export table, on a window of
// another process: on = 1 sets the bits, any other value clears them, and the
// result is that of the final restore (the window was visible before it).
TEST_F(WindowActions, ExportedSetWsOnAWindowOfAnotherProcess)
{
    typedef int(WINAPI * SetWsProc)(HWND, int, int);
    SetWsProc setWs = (SetWsProc)(void*)lib.Function("SetWS");
    ASSERT_NE((SetWsProc)NULL, setWs);
    HWND w = target.Window();
    ASSERT_EQ(WS_SYSMENU, GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);

    EXPECT_NE(0, setWs(w, 6, 2));
    EXPECT_EQ(0, GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU) << Hex(GetWindowLongA(w, GWL_STYLE));
    EXPECT_TRUE(qr::WaitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }));

    LONG before = GetWindowLongA(w, GWL_STYLE);
    setWs(w, 9, 1);  // no such kind: the style is written back unchanged
    EXPECT_EQ(Hex(before & ~(WS_MINIMIZE | WS_MAXIMIZE)),
              Hex(GetWindowLongA(w, GWL_STYLE) & ~(WS_MINIMIZE | WS_MAXIMIZE)));

    setWs(w, 6, 1);
    EXPECT_EQ(WS_SYSMENU, GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);
}
