// The keyboard hook across real processes: one shared block, swallowing and
// passing on, host messages, and removing the hooks.
#include "desktop.h"

#include <string.h>

using qr::Down;
using qr::Up;

class HotKeys : public WineDesktop {};

// Presses Ctrl+Shift+vk in the target, then an ordinary marker key (Q); once
// the marker has arrived, anything the hot key let through has arrived too.
static std::string LogOfHotKey(qr::Target& target, WORD vk)
{
    target.ClearLog();
    qr::CtrlShiftTap(vk);
    qr::Tap('Q');
    if (!target.WaitForLog(Up('Q')))
        return "(the marker key Q never arrived; log:" + target.Log() + ")";
    return target.Log();
}

TEST_F(HotKeys, HotKeyInAnotherProgramRaisesZureForEveryProcess)
{
    qr::CtrlShiftTap('B');
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 1034; }))
        << "iZure after Ctrl+Shift+B in the target: expected 1034, got " << Int("iZure");
    qr::CtrlShiftTap('B');
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 1044; }))
        << "iZure after a second Ctrl+Shift+B: expected 1044, got " << Int("iZure");
}

TEST_F(HotKeys, ValueWrittenInThisProcessSteersTheHookInTheTarget)
{
    Int("iZure") = 500;
    qr::CtrlShiftTap('B');
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 510; }))
        << "expected 510 (500 written here, raised by the hook there), got " << Int("iZure");

    // 'B' switched off in the per-letter switches: the key goes through.
    Text("chCtrlShift")[1] = '0';
    std::string log = LogOfHotKey(target, 'B');
    EXPECT_NE(std::string::npos, log.find(Down('B'))) << "log:" << log;
    EXPECT_EQ(510, Int("iZure"));
}

TEST_F(HotKeys, SwitchTheHostWritesIsReadByTheHookInTheTarget)
{
    host.Command(IDM_CTRLSHIFT);  // Options > Ctrl+Shift hot keys: off
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bCtrlShift") == 0; }))
        << "the host did not switch bCtrlShift off";
    std::string log = LogOfHotKey(target, 'B');
    EXPECT_NE(std::string::npos, log.find(Down('B'))) << "hot keys off, B must arrive; log:" << log;
    EXPECT_EQ(1024, Int("iZure"));

    host.Command(IDM_CTRLSHIFT);  // on again
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bCtrlShift") == 1; }));
    log = LogOfHotKey(target, 'B');
    EXPECT_EQ(std::string::npos, log.find(Down('B'))) << "hot keys on, B must not arrive; log:" << log;
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 1034; }));
}

TEST_F(HotKeys, SwallowedKeysNeverReachTheEditFieldWhileOthersDo)
{
    struct Case {
        WORD vk;
        bool downArrives, upArrives;
    };
    const Case cases[] = {
        {'B', false, false},       // raises iZure, swallowed
        {'1', false, false},       // host message 9782, swallowed
        {'X', false, false},       // host message 9782, swallowed
        {VK_RIGHT, true, false},   // run flags off, passed on; its key-up is swallowed
        {VK_F5, true, false},      // no command: passed on; its key-up is swallowed
    };
    for (const Case& c : cases) {
        std::string log = LogOfHotKey(target, c.vk);
        EXPECT_EQ(c.downArrives, log.find(Down(c.vk)) != std::string::npos)
            << "Ctrl+Shift+key 0x" << std::hex << c.vk << " key-down; log:" << log;
        EXPECT_EQ(c.upArrives, log.find(Up(c.vk)) != std::string::npos)
            << "Ctrl+Shift+key 0x" << std::hex << c.vk << " key-up; log:" << log;
    }

    // Ordinary keys reach the field and become text.
    target.SetText(1, "");
    target.ClearLog();
    qr::TypeText("dir");
    ASSERT_TRUE(target.WaitForLog(Up('R')));
    EXPECT_EQ("dir", target.Text(1));
}

TEST_F(HotKeys, HostSeesHotKeysPressedInAnotherProgram)
{
    qr::CtrlShiftTap('S');
    EXPECT_TRUE(qr::WaitFor([&] { return host.HotKeyLine() == "Hot keys received: 1, last: Ctrl+Shift+S"; }))
        << "host line: " << host.HotKeyLine();
    qr::CtrlShiftTap('6');
    EXPECT_TRUE(qr::WaitFor([&] { return host.HotKeyLine() == "Hot keys received: 2, last: Ctrl+Shift+6"; }))
        << "host line: " << host.HotKeyLine();
    // Ctrl+Shift+Z asks the host to reset its options: it answers 1 and puts
    // the defaults back into the block.
    Int("bIsAlias") = 0;
    qr::CtrlShiftTap('Z');
    EXPECT_TRUE(qr::WaitFor([&] { return Int("bIsAlias") == 1; }))
        << "Ctrl+Shift+Z did not reset the host's options";
}

TEST_F(HotKeys, RemovingTheHooksLetsHotKeysThrough)
{
    HWND edit2 = target.Edit(2);
    ASSERT_TRUE(target.Focus(2));
    // The CBT hook records the focus window (once it does: older builds of
    // the library leave hWndNowFocus alone).
    bool cbtRecords = qr::WaitFor([&] { return *lib.Var<HWND>("hWndNowFocus") == edit2; }, 1000);
    HWND focusBefore = *lib.Var<HWND>("hWndNowFocus");

    host.Command(IDM_HOOKS);  // Options > Hooks installed: off (ResetMyHook)
    ASSERT_TRUE(qr::WaitFor([&] { return host.StateLine().find("removed") != std::string::npos; }));
    ASSERT_TRUE(target.Focus(1));
    std::string log = LogOfHotKey(target, 'B');
    EXPECT_NE(std::string::npos, log.find(Down('B'))) << "hooks removed; log:" << log;
    EXPECT_NE(std::string::npos, log.find(Up('B'))) << "hooks removed; log:" << log;
    EXPECT_EQ(1024, Int("iZure"));
    if (cbtRecords) {
        EXPECT_EQ(focusBefore, *lib.Var<HWND>("hWndNowFocus"))
            << "the CBT hook still records focus changes after ResetMyHook";
    }

    host.Command(IDM_HOOKS);  // installed again
    ASSERT_TRUE(qr::WaitFor([&] { return host.StateLine() == QR_WINE_HOOKS_INSTALLED; }));
    log = LogOfHotKey(target, 'B');
    EXPECT_EQ(std::string::npos, log.find(Down('B'))) << "hooks installed again; log:" << log;
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 1034; }));
}

TEST_F(HotKeys, ClosingTheHostRemovesTheHooks)
{
    ASSERT_TRUE(host.Close());
    ASSERT_TRUE(target.Focus(1));
    std::string log = LogOfHotKey(target, 'B');
    EXPECT_NE(std::string::npos, log.find(Down('B'))) << "host closed; log:" << log;
    EXPECT_EQ(1024, Int("iZure"));
}

// X key events from the X server (as a user types), not SendInput.
TEST_F(HotKeys, XServerKeysPassThroughTheHookToo)
{
    target.ClearLog();
    ASSERT_TRUE(qr::XKeysTo("QR target", "ctrl+shift+b q")) << "xdotool cannot be started";
    ASSERT_TRUE(target.WaitForLog(Up('Q'))) << "log:" << target.Log();
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iZure") == 1034; })) << "iZure " << Int("iZure");
    EXPECT_EQ(std::string::npos, target.Log().find(Down('B'))) << "log:" << target.Log();
}
