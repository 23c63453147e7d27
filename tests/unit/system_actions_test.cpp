// Shut-down, log-off and restart, the screen saver, the keyboard lock and the
// pointer shape.
#include "hooked_desktop.h"
#include "hotkeys/system_actions.h"
#include "hotkeys/hotkeys.h"

#include <winsim/sim_system.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const std::string kNone = "\x28\x82\xC8\x82\xB5\x29";  // "(nashi)" in Shift-JIS

class SystemActions : public HookedDesktop {
protected:
    std::string ScreenSaverEntry()
    {
        char buf[128];
        GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "<missing>", buf, sizeof buf, "System.Ini");
        return buf;
    }
    void SetScreenSaverEntry(const std::string& value)
    {
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", value.c_str(), "System.Ini");
    }
    void Press(UINT vk)
    {
        CtrlShiftDown(vk);
        ws::keyUp(vk);
    }
    std::vector<std::string> Boxes() { return ws::callsTo("MessageBoxA"); }
    std::string Box(const std::string& text, const std::string& caption, UINT type)
    {
        return "MessageBoxA(" + ws::fmtHandle(host) + ", \"" + text + "\", \"" + caption + "\", " +
               std::to_string(type) + ")";
    }
};

// Which branch each combination of exit flags takes.
TEST_F(SystemActions, ExitWindowsMyTakesTheBranchItsFlagsChoose)
{
    HWND progMan = ws::createWindow(Desc("ProgMan", "Program Manager"));
    struct Case {
        UINT flags;
        bool exits;        // ExitWindowsEx called with the flags
        bool closesShell;  // WM_CLOSE posted to the program manager
        const char* refusal;
    } cases[] = {
        {0, false, false, nullptr},
        {1, false, false, nullptr},
        {2, false, false, nullptr},
        {4, false, true, nullptr},
        {5, true, false, "ExitWindowsEx(Shut Down) Error."},
        {6, true, false, "ExitWindowsEx(Reboot) Error."},
        {7, true, false, "ExitWindowsEx(Reboot) Error."},
        {13, true, false, "ExitWindowsEx(Shut Down) Error."},
        {14, true, false, "ExitWindowsEx(Reboot) Error."},
    };
    for (const Case& c : cases) {
        for (BOOL answer : {TRUE, FALSE}) {
            SCOPED_TRACE("flags " + std::to_string(c.flags) + (answer ? ", allowed" : ", refused"));
            ws::clearCalls();
            ws::clearMessages(progMan);
            ws::setExitWindowsResult(answer);
            ExitWindowsMy(c.flags, 0);

            std::vector<std::string> adjust = ws::callsTo("AdjustTokenPrivileges");
            ASSERT_EQ(1u, adjust.size());
            EXPECT_NE(std::string::npos, adjust[0].find(", 0, {1, 19, 2}, 0, NULL, NULL)")) << adjust[0];
            EXPECT_EQ(std::vector<std::string>{"LookupPrivilegeValueA(NULL, \"SeShutdownPrivilege\")"},
                      ws::callsTo("LookupPrivilegeValueA"));
            EXPECT_EQ(0, ws::openTokenCount());

            std::vector<std::string> exits = ws::callsTo("ExitWindowsEx");
            if (c.exits)
                EXPECT_EQ(std::vector<std::string>{"ExitWindowsEx(" + std::to_string(c.flags) + ", 0)"}, exits);
            else
                EXPECT_TRUE(exits.empty());
            EXPECT_EQ(c.closesShell ? 1u : 0u, ws::messages(progMan).size());
            if (c.closesShell) {
                EXPECT_EQ((UINT)WM_CLOSE, ws::messages(progMan)[0].msg);
                EXPECT_TRUE(ws::messages(progMan)[0].posted);
            }
            if (c.refusal && !answer)
                EXPECT_EQ(std::vector<std::string>{Box(c.refusal, "Quillrun", MB_OK)}, Boxes());
            else
                EXPECT_TRUE(Boxes().empty());
        }
    }
}

TEST_F(SystemActions, ExitWindowsMyHandsTheReservedValueOnAndGoesOnWithoutPrivileges)
{
    ws::setPrivilegeServices(false);
    ExitWindowsMy(EWX_SHUTDOWN | EWX_FORCE, 0x1234);
    EXPECT_EQ(std::vector<std::string>{"ExitWindowsEx(5, 4660)"}, ws::callsTo("ExitWindowsEx"));
    EXPECT_TRUE(ws::callsTo("CloseHandle").empty());
}

// Another process shuts down while this one is between opening its token and
// adjusting it: each adjusts and closes the token it opened itself.
TEST_F(SystemActions, TwoProcessesShuttingDownAtOnceKeepTheirOwnTokens)
{
    ws::runDuringNextPrivilegeLookup([] { ExitWindowsMy(EWX_LOGOFF, 0); });
    ExitWindowsMy(EWX_LOGOFF, 0);
    // The outer call opened 7A00, the inner one 7A01.
    std::vector<std::string> adjusted, closed;
    for (const std::string& call : ws::callsTo("AdjustTokenPrivileges"))
        adjusted.push_back(call.substr(22, 4));
    for (const std::string& call : ws::callsTo("CloseHandle"))
        closed.push_back(call.substr(12, 4));
    EXPECT_EQ((std::vector<std::string>{"7A01", "7A00"}), adjusted);
    EXPECT_EQ((std::vector<std::string>{"7A01", "7A00"}), closed);
    EXPECT_EQ(0, ws::openTokenCount());
}

TEST_F(SystemActions, ForceWithoutProgramManagerPostsToNoWindow)
{
    ExitWindowsMy(EWX_FORCE, 0);
    EXPECT_EQ(std::vector<std::string>{"PostMessageA(0, 16, 0, 0)"}, ws::callsTo("PostMessageA"));
}

// The exit keys save history and aliases before anything else happens.
TEST_F(SystemActions, ExitKeysSaveHistoryFirst)
{
    struct Case {
        UINT vk;
        const char* exitCall;
        bool privilege;
    } cases[] = {
        {'Q', "ExitWindowsEx(5, 0)", false},
        {'R', "ExitWindowsEx(4, 0)", false},
        {'Y', "ExitWindowsEx(6, 0)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, (char)c.vk));
        RestoreDefaults();
        ws::setExitWindowsResult(FALSE);
        strcpy(chHist[0], "dir /w");
        CtrlShiftDown(c.vk);
        const std::vector<std::string>& calls = ws::calls();
        size_t save = calls.size(), exit = calls.size();
        for (size_t i = 0; i < calls.size(); ++i) {
            if (save == calls.size() && calls[i].find("Quillrun.Ini") != std::string::npos)
                save = i;
            if (calls[i] == c.exitCall)
                exit = i;
        }
        ASSERT_LT(exit, calls.size()) << "no " << c.exitCall;
        EXPECT_LT(save, exit) << "history not saved before the exit call";
        EXPECT_NE(std::string::npos, ws::readFile("Quillrun.Ini").find("dir /w"));
        EXPECT_EQ(c.privilege, !ws::callsTo("AdjustTokenPrivileges").empty());
        // Only the restart key reports a refusal.
        EXPECT_EQ(c.vk == 'Y' ? 1u : 0u, Boxes().size());
    }
}

TEST_F(SystemActions, ScreenSaverSwitchedOffAndOnRestoresTheEntry)
{
    SetScreenSaverEntry("C:\\WINDOWS\\SSTARS.SCR");
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
    Press(VK_F4);
    EXPECT_EQ("C:\\WINDOWS\\SSTARS.SCR", ScreenSaverEntry());
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
    Press(VK_F4);
    EXPECT_EQ("C:\\WINDOWS\\SSTARS.SCR", ScreenSaverEntry());
}

TEST_F(SystemActions, ScreenSaverValueSavedAtTheFirstPressOverwritesAnOutsideChange)
{
    SetScreenSaverEntry("MYSTIFY.SCR");
    Press(VK_F4);
    SetScreenSaverEntry("BEZIER.SCR");
    Press(VK_F4);
    EXPECT_EQ("MYSTIFY.SCR", ScreenSaverEntry());
}

TEST_F(SystemActions, MissingScreenSaverEntryComesBackAsNone)
{
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
}

// The shared block goes away while the entry is suppressed (the host and
// every program holding the library ended): the user's entry is not lost.
// The copy lies in the settings file the host chose.
TEST_F(SystemActions, ScreenSaverEntrySurvivesTheEndOfTheSharedBlock)
{
    static const char kUserFile[] = "C:\\Users\\me\\Quillrun\\Quillrun.Ini";
    ws::writeFile(kUserFile, "");
    strcpy(chIniPath, kUserFile);
    SetScreenSaverEntry("SSTARS.SCR");
    Press(VK_F4);
    ASSERT_EQ(kNone, ScreenSaverEntry());
    EXPECT_NE(std::string::npos, ws::readFile(kUserFile).find("SavedScrnSave=SSTARS.SCR"));

    RestoreDefaults();  // a fresh block, and the host tells the file again
    strcpy(chIniPath, kUserFile);
    Press(VK_F4);       // finds the entry suppressed already
    EXPECT_EQ(kNone, ScreenSaverEntry());
    Press(VK_F4);
    EXPECT_EQ("SSTARS.SCR", ScreenSaverEntry());

    // Once restored, a later round trip still works.
    Press(VK_F4);
    Press(VK_F4);
    EXPECT_EQ("SSTARS.SCR", ScreenSaverEntry());
}

// The user's own "none" (no entry at all) after a suppression whose block
// has gone: the copy that suppression left never comes back.
TEST_F(SystemActions, ACopyFromAnEarlierSuppressionNeverComesBack)
{
    SetScreenSaverEntry("SSTARS.SCR");
    Press(VK_F4);
    RestoreDefaults();
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", NULL, "System.Ini");
    Press(VK_F4);
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
    RestoreDefaults();
    Press(VK_F4);
    Press(VK_F4);
    EXPECT_EQ(kNone, ScreenSaverEntry());
}

TEST_F(SystemActions, SuppressingPressOnASuppressedEntryKeepsTheSavedCopy)
{
    SetScreenSaverEntry("SSTARS.SCR");
    Press(VK_F4);
    RestoreDefaults();
    Press(VK_F4);
    RestoreDefaults();  // and gone once more before the restoring press
    Press(VK_F4);
    Press(VK_F4);
    EXPECT_EQ("SSTARS.SCR", ScreenSaverEntry());
}

TEST_F(SystemActions, ScreenSaverStartsWithTheSwitch)
{
    struct Case {
        const char* entry;  // nullptr: no entry
        const char* run;    // nullptr: refused
    } cases[] = {
        {"C:\\WINDOWS\\SSTARS.SCR", "C:\\WINDOWS\\SSTARS.SCR /S"},
        {nullptr, " /S"},
        {"\x28\x82\xC8\x82\xB5\x29", "\x28\x82\xC8\x82\xB5\x29 /S"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry ? c.entry : "(no entry)");
        RestoreDefaults();
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", c.entry, "System.Ini");
        ws::KeyResult r = CtrlShiftDown(VK_F7);
        EXPECT_FALSE(r.delivered);
        EXPECT_EQ(std::vector<std::string>{std::string("WinExec(\"") + c.run + "\", 3)"},
                  ws::callsTo("WinExec"));
    }
}

TEST_F(SystemActions, ScreenSaverEntryTooLongForTheSwitchIsNotRun)
{
    // 76 characters and " /S" fill the 80-byte line exactly.
    std::string fits = "C:\\" + std::string(73, 'S');
    SetScreenSaverEntry(fits);
    CtrlShiftDown(VK_F7);
    EXPECT_EQ(std::vector<std::string>{"WinExec(\"" + fits + " /S\", 3)"}, ws::callsTo("WinExec"));

    for (size_t len : {77u, 78u, 120u}) {
        SCOPED_TRACE(len);
        RestoreDefaults();
        SetScreenSaverEntry(std::string(len, 'S'));
        CtrlShiftDown(VK_F7);
        EXPECT_TRUE(ws::callsTo("WinExec").empty());
        EXPECT_EQ(std::vector<std::string>{"MessageBeep(0x0)"}, ws::callsTo("MessageBeep"));
        EXPECT_EQ('\0', chKeyHookBuf[79]);
    }
}

TEST_F(SystemActions, KeyboardLockCapturesAndShowsTheLockPointer)
{
    ws::addCursor(hostInst, "WinLock");
    ws::addCursor(hostInst, "QRWhite");
    ws::KeyResult r = CtrlShiftDown('W');
    EXPECT_FALSE(r.delivered);
    EXPECT_EQ(1, bKBLock);
    EXPECT_EQ(host, ws::captureWindow());
    EXPECT_EQ("WinLock", ws::cursorName(ws::normalPointer()));

    // While locked the other hot keys reach the program.
    ws::keyUp('W');
    EXPECT_TRUE(CtrlShiftDown('Q').delivered);
    ws::keyUp('Q');
    EXPECT_TRUE(ws::callsTo("ExitWindowsEx").empty());
}

// Unlocking: the chosen pointer only when the switch is exactly 1 and the
// index names a cursor, else the host's saved pointer.
TEST_F(SystemActions, UnlockBringsBackTheChosenOrTheSavedPointer)
{
    struct Case {
        int cursorChange;
        int index;
        const char* expected;  // nullptr: the saved pointer
    } cases[] = {
        {1, 1, "QRWhite"}, {1, 0, "Quillrun"}, {1, 55, "Y_04"}, {1, 72, "INVMSCUR"},
        {0, 1, nullptr},   {2, 1, nullptr},    {1, 73, nullptr}, {1, -1, nullptr},
        {1, 100000, nullptr},
    };
    HCURSOR saved = ws::addCursor((HINSTANCE)(uintptr_t)0x9000, "Saved");
    for (const char* name : {"WinLock", "Quillrun", "QRWhite", "Y_04", "INVMSCUR"})
        ws::addCursor(hostInst, name);
    for (const Case& c : cases) {
        SCOPED_TRACE("bCursorChange " + std::to_string(c.cursorChange) + ", index " + std::to_string(c.index));
        RestoreDefaults();
        hPreCursor = saved;
        bCursorChange = c.cursorChange;
        iSelCursorIndex = c.index;
        CtrlShiftDown('W');
        ws::keyUp('W');
        CtrlShiftDown('W');
        EXPECT_EQ(0, bKBLock);
        EXPECT_EQ(nullptr, ws::captureWindow());
        EXPECT_EQ(c.expected ? c.expected : "Saved", ws::cursorName(ws::normalPointer()));
    }
}

// Only 0 means unlocked: any other value the host may write locks no
// further, the press unlocks.
TEST_F(SystemActions, LockValuesOtherThanZeroAreUnlocked)
{
    for (int locked : {1, 2, -1}) {
        RestoreDefaults();
        bKBLock = locked;
        SetCapture(host);
        CtrlShiftDown('W');
        EXPECT_EQ(0, bKBLock) << "from " << locked;
        EXPECT_EQ(nullptr, ws::captureWindow()) << "from " << locked;
    }
}

TEST_F(SystemActions, SetMyCursorActsForAnyNonZeroSwitch)
{
    ws::addCursor(hostInst, "Panda");
    for (int change : {0, 1, 2, -1}) {
        SCOPED_TRACE(change);
        RestoreDefaults();
        bCursorChange = change;
        SetMyCursor("Panda");
        EXPECT_EQ(change != 0 ? 1u : 0u, ws::callsTo("SetSystemCursor").size());
    }
}

TEST_F(SystemActions, PointerFunctionsReportSuccess)
{
    ws::addCursor(hostInst, "Bear");
    EXPECT_NE(FALSE, SetNewCursor("Bear"));
    EXPECT_EQ("Bear", ws::cursorName(ws::normalPointer()));
    EXPECT_EQ(FALSE, SetNewCursor("NoSuchCursor"));
    EXPECT_EQ("Bear", ws::cursorName(ws::normalPointer()));

    hPreCursor = NULL;
    EXPECT_EQ(FALSE, ReSetMyCursor());
    hPreCursor = ws::addCursor((HINSTANCE)(uintptr_t)0x9000, "Arrow");
    EXPECT_NE(FALSE, ReSetMyCursor());
    EXPECT_EQ("Arrow", ws::cursorName(ws::normalPointer()));
}

TEST_F(SystemActions, CursorTableHasSeventyThreeNames)
{
    EXPECT_EQ(73, CursorNameCount());
    EXPECT_STREQ("Quillrun", CursorNameAt(0));
    EXPECT_STREQ("Y_02", CursorNameAt(54));
    EXPECT_STREQ("Y_04", CursorNameAt(55));
    EXPECT_STREQ("INVMSCUR", CursorNameAt(72));
    EXPECT_EQ(nullptr, CursorNameAt(73));
    EXPECT_EQ(nullptr, CursorNameAt(-1));
}

}  // namespace
