// The keyboard hook: gate, swallowing, the hot-key flag, letter switches,
// context help and the actions the dispatcher itself carries out.
#include "edit_field.h"
#include "hotkeys/hotkeys.h"

#include <winsim/sim_system.h>

#include <string.h>

#include <functional>
#include <thread>

namespace {

// Every key of the command table with whether the focused program is kept
// from seeing its key-down.  Written out from the table, not from the code.
struct TableRow {
    UINT vk;
    bool swallowed;
};
const TableRow kTable[] = {
    {0x08, true},  {0x0D, true},  {0x20, true},  {0x25, false}, {0x27, false}, {0x2D, true},
    {0x2E, true},  {'0', false},  {'1', true},   {'2', true},   {'3', true},   {'4', true},
    {'5', true},   {'6', true},   {'7', false},  {'8', false},  {'9', false},  {'A', true},
    {'B', true},   {'C', true},   {'D', true},   {'E', true},   {'F', true},   {'G', true},
    {'H', true},   {'I', true},   {'J', true},   {'K', true},   {'L', true},   {'M', true},
    {'N', true},   {'O', true},   {'P', true},   {'Q', true},   {'R', true},   {'S', true},
    {'T', true},   {'U', true},   {'V', true},   {'W', true},   {'X', true},   {'Y', true},
    {'Z', true},   {0x70, false}, {0x71, false}, {0x72, false}, {0x73, false}, {0x75, false},
    {0x76, true},  {0x77, false}, {0x78, false}, {0x7A, true},  {0x7B, false}, {0xDC, true},
};

const TableRow* RowFor(UINT vk)
{
    for (const TableRow& row : kTable)
        if (row.vk == vk)
            return &row;
    return nullptr;
}

class KeyboardHook : public HookedDesktop {};

TEST_F(KeyboardHook, TableHasFiftyFourKeys)
{
    EXPECT_EQ(54, HotKeyCommandCount());
    for (int i = 0; i < HotKeyCommandCount(); ++i)
        EXPECT_NE(nullptr, RowFor(HotKeyCommandAt(i)->vk)) << "unexpected entry " << HotKeyCommandAt(i)->vk;
}

// Every code from 0 to 255: a key with an entry is swallowed or passed as the
// table says, a key without one reaches the program; the key-up that follows
// is always swallowed, because the flag was set either way.
TEST_F(KeyboardHook, EveryCodeIsSwallowedOrPassedAsTheTableSays)
{
    for (UINT vk = 0; vk < 256; ++vk) {
        if (vk == VK_CONTROL || vk == VK_SHIFT)
            continue;  // pressing them would change the very state under test
        ws::clearMessages(app);
        const TableRow* row = RowFor(vk);
        bool expectDelivered = !(row && row->swallowed);
        ws::KeyResult down = CtrlShiftDown(vk);
        EXPECT_EQ(expectDelivered, down.delivered) << "key-down of 0x" << std::hex << vk;
        EXPECT_EQ(expectDelivered ? 0 : 1, down.hookResult) << "key-down of 0x" << std::hex << vk;
        ws::KeyResult up = ws::keyUp(vk);
        EXPECT_FALSE(up.delivered) << "key-up of 0x" << std::hex << vk;
        EXPECT_EQ(1, up.hookResult);
        bKBLock = 0;  // Ctrl+Shift+W locks the keyboard: unlock for the next key
    }
}

// The gate's conditions, each failing alone: the key reaches the program and
// the flag is left alone.
TEST_F(KeyboardHook, EachGateConditionAloneLetsTheKeyPass)
{
    struct Case {
        const char* name;
        void (*arrange)();
        int code;
    } cases[] = {
        {"shift up", [] { ws::setKeyState(VK_SHIFT, false); }, HC_ACTION},
        {"ctrl up", [] { ws::setKeyState(VK_CONTROL, false); }, HC_ACTION},
        {"file dialog up", [] { bDlg = 1; }, HC_ACTION},
        {"hot keys off", [] { bCtrlShift = 0; }, HC_ACTION},
        {"keyboard locked", [] { bKBLock = 1; }, HC_ACTION},
        {"peeked event", [] {}, HC_NOREMOVE},
    };
    for (const Case& c : cases) {
        RestoreDefaults();
        HoldCtrlShift(true);
        c.arrange();
        ws::clearMessages(app);
        int zure = iZure;
        ws::KeyResult r = ws::keyDown('S', c.code);
        EXPECT_EQ(0, r.hookResult) << c.name;
        EXPECT_TRUE(HostMessages(HM_HOTKEY).empty()) << c.name;
        EXPECT_EQ(0, bHotKeyDown) << c.name;
        EXPECT_EQ(zure, iZure) << c.name;
        if (c.code == HC_ACTION)
            EXPECT_EQ(1, ProgramGot(WM_KEYDOWN, 'S')) << c.name;
    }
}

TEST_F(KeyboardHook, GateTestsOnlyTheExactValues)
{
    HoldCtrlShift(true);
    bDlg = 2;         // only 1 closes the gate
    bCtrlShift = 7;   // only 0 closes it
    bKBLock = 2;      // only 1 locks
    ws::KeyResult r = ws::keyDown('S');
    EXPECT_EQ(1, r.hookResult);
    EXPECT_EQ(1u, HostMessages(HM_HOTKEY).size());
}

TEST_F(KeyboardHook, KeyboardLockLetsOnlyWThrough)
{
    bKBLock = 1;
    EXPECT_TRUE(CtrlShiftDown('S').delivered);
    EXPECT_EQ(0, bHotKeyDown);
    EXPECT_TRUE(HostMessages(HM_HOTKEY).empty());
    EXPECT_FALSE(CtrlShiftDown('W').delivered);
    EXPECT_EQ(1, bHotKeyDown);
}

TEST_F(KeyboardHook, AltDoesNotMatter)
{
    ws::setKeyState(VK_MENU, true);
    EXPECT_FALSE(CtrlShiftDown('S').delivered);
    EXPECT_EQ(1u, HostMessages(HM_HOTKEY).size());
}

TEST_F(KeyboardHook, DisabledLetterPassesBothEdgesAndLeavesTheFlag)
{
    chCtrlShift[2] = '0';  // C
    ws::KeyResult down = CtrlShiftDown('C');
    EXPECT_TRUE(down.delivered);
    EXPECT_EQ(0, bHotKeyDown);
    EXPECT_TRUE(ws::keyUp('C').delivered);
    EXPECT_EQ(0, bHotKeyDown);
}

TEST_F(KeyboardHook, OnlyZeroDisablesALetter)
{
    for (char c : {'1', '2', 'x', ' ', '\0'}) {
        RestoreDefaults();
        chCtrlShift['S' - 'A'] = c;
        EXPECT_FALSE(CtrlShiftDown('S').delivered) << "switch character " << (int)c;
        ws::keyUp('S');
    }
    RestoreDefaults();
    chCtrlShift['S' - 'A'] = '0';
    EXPECT_TRUE(CtrlShiftDown('S').delivered);
    EXPECT_TRUE(HostMessages(HM_HOTKEY).empty());
}

TEST_F(KeyboardHook, KeyWithoutEntryPassesDownButItsUpIsSwallowed)
{
    EXPECT_TRUE(CtrlShiftDown(VK_F5).delivered);
    EXPECT_EQ(1, bHotKeyDown);
    EXPECT_FALSE(ws::keyUp(VK_F5).delivered);
    EXPECT_EQ(0, bHotKeyDown);
}

TEST_F(KeyboardHook, AutoRepeatRunsTheActionEachTimeAndOneKeyUpIsSwallowed)
{
    CtrlShiftDown('S');
    ws::keyDown('S');
    ws::keyDown('S');
    EXPECT_EQ(3u, HostMessages(HM_HOTKEY).size());
    EXPECT_FALSE(ws::keyUp('S').delivered);
    // Releasing Shift and Ctrl afterwards: the gate fails, the keys pass.
    EXPECT_TRUE(ws::keyUp(VK_SHIFT).delivered);
    EXPECT_TRUE(ws::keyUp(VK_CONTROL).delivered);
}

TEST_F(KeyboardHook, KeyUpAfterCtrlReleasedPassesAndALaterKeyUpIsSwallowedInstead)
{
    CtrlShiftDown('S');
    ws::setKeyState(VK_CONTROL, false);
    EXPECT_TRUE(ws::keyUp('S').delivered);
    EXPECT_EQ(1, bHotKeyDown);
    // Later, with Ctrl and Shift held again, some other key's release is taken.
    ws::setKeyState(VK_CONTROL, true);
    ws::setKeyState('Q', true);
    EXPECT_FALSE(ws::keyUp('Q').delivered);
    EXPECT_EQ(0, bHotKeyDown);
    EXPECT_TRUE(ws::keyUp('S').delivered);  // nothing pending any more
}

TEST_F(KeyboardHook, KeyUpWhileHotKeysAreOffLeavesTheFlagSet)
{
    CtrlShiftDown('S');
    bCtrlShift = 0;
    EXPECT_TRUE(ws::keyUp('S').delivered);
    EXPECT_EQ(1, bHotKeyDown);
}

// The flag is one for the whole desktop: a second "process" thread reads the
// key-up of a hot key pressed in the first.
TEST_F(KeyboardHook, FlagIsSharedWithAnotherThread)
{
    CtrlShiftDown('S');
    LRESULT r = 0;
    std::thread other([&] { r = DllKeyHook(HC_ACTION, 'S', ws::keyFlags(false, true)); });
    other.join();
    EXPECT_EQ(1, r);
    EXPECT_EQ(0, bHotKeyDown);
}

TEST_F(KeyboardHook, BackspaceTogglesFocusMoveClickWithABeepOnlyWhenSwitchingOn)
{
    struct Case {
        int before, after;
        size_t beeps;
    } cases[] = {{1, 0, 0}, {0, 1, 1}, {2, 0, 0}, {-1, 0, 0}};
    for (const Case& c : cases) {
        RestoreDefaults();
        bFocusMoveClick = c.before;
        CtrlShiftDown(VK_BACK);
        EXPECT_EQ(c.after, bFocusMoveClick) << "from " << c.before;
        EXPECT_EQ(c.beeps, ws::callsTo("MessageBeep").size()) << "from " << c.before;
        if (c.beeps)
            EXPECT_EQ("MessageBeep(0xFFFFFFFF)", ws::callsTo("MessageBeep")[0]);
    }
}

TEST_F(KeyboardHook, EnterClearsMeFocusAndRightClearsTheRunFlags)
{
    bMeFocus = 1;
    bRun2 = bRun3 = bRun4 = bRun5 = bRun6 = 1;
    EXPECT_FALSE(CtrlShiftDown(VK_RETURN).delivered);
    EXPECT_EQ(0, bMeFocus);
    EXPECT_EQ(1, bRun2);
    ws::keyUp(VK_RETURN);
    EXPECT_TRUE(CtrlShiftDown(VK_RIGHT).delivered);
    EXPECT_EQ(0, bRun2 + bRun3 + bRun4 + bRun5 + bRun6);
}

TEST_F(KeyboardHook, HostMessagesCarryTheKeyCode)
{
    const UINT keys[] = {'1', '2', '3', '4', '5', '6', 'S', 'X', 'A', VK_F11};
    for (UINT vk : keys) {
        CtrlShiftDown(vk);
        ws::keyUp(vk);
    }
    std::vector<ws::Message> got = HostMessages(HM_HOTKEY);
    ASSERT_EQ(10u, got.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(keys[i], got[i].wParam);
        EXPECT_EQ(0, got[i].lParam);
        EXPECT_FALSE(got[i].posted);
    }
}

TEST_F(KeyboardHook, AAndF11BringTheHostToTheFrontBeforeTellingIt)
{
    for (UINT vk : {(UINT)'A', (UINT)VK_F11}) {
        ws::setForeground(app);
        ws::clearCalls();
        ws::setHandler(host, [this](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
            if (msg == HM_HOTKEY)
                EXPECT_EQ(host, GetForegroundWindow());
            return 0;
        });
        CtrlShiftDown(vk);
        ws::keyUp(vk);
        EXPECT_EQ(host, GetForegroundWindow());
    }
    EXPECT_EQ(2u, HostMessages(HM_HOTKEY).size());
}

TEST_F(KeyboardHook, PAndZSendTheirOwnHostMessages)
{
    CtrlShiftDown('P');
    ws::keyUp('P');
    CtrlShiftDown('Z');
    ASSERT_EQ(1u, HostMessages(HM_HOST_P).size());
    ASSERT_EQ(1u, HostMessages(HM_RESET).size());
    EXPECT_TRUE(HostMessages(HM_HOTKEY).empty());
}

TEST_F(KeyboardHook, StyleKeyClearsMeFocus)
{
    bMeFocus = 1;
    EXPECT_FALSE(CtrlShiftDown(VK_OEM_5).delivered);
    EXPECT_EQ(0, bMeFocus);
}

TEST_F(KeyboardHook, HotKeysWithoutHostAreStillSwallowed)
{
    DestroyWindow(host);
    EXPECT_FALSE(CtrlShiftDown('S').delivered);
    EXPECT_FALSE(CtrlShiftDown('1').delivered);
    EXPECT_EQ(0, MySetReset());
}

// --- Context help ------------------------------------------------------------

class ContextHelp : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        ws::writeFile("C:\\QR\\Quillrun.Hlp", "help");
    }
};

TEST_F(ContextHelp, F1OpensHelpAtTheDialogContextAndStillReachesTheProgram)
{
    iDlgContextID = 600;
    ws::KeyResult r = ws::keyDown(VK_F1);
    EXPECT_TRUE(r.delivered);
    ASSERT_EQ(1u, ws::callsTo("WinHelpA").size());
    EXPECT_EQ("WinHelpA(" + ws::fmtHandle(host) + ", \"C:\\QR\\Quillrun.Hlp\", 1, 600)",
              ws::callsTo("WinHelpA")[0]);
}

TEST_F(ContextHelp, CtrlShiftF1WithAContextIsContextHelpOnly)
{
    iDlgContextID = 600;
    EXPECT_TRUE(CtrlShiftDown(VK_F1).delivered);
    EXPECT_EQ(0, bHotKeyDown);  // the command table never saw it
    ASSERT_EQ(1u, ws::callsTo("WinHelpA").size());
    EXPECT_NE(std::string::npos, ws::callsTo("WinHelpA")[0].find(", 600)"));
}

TEST_F(ContextHelp, F1KeyUpAndF1WithoutContextDoNothing)
{
    iDlgContextID = 600;
    ws::setKeyState(VK_F1, true);
    EXPECT_TRUE(ws::keyUp(VK_F1).delivered);
    iDlgContextID = 0;
    EXPECT_TRUE(ws::keyDown(VK_F1).delivered);
    EXPECT_TRUE(ws::callsTo("WinHelpA").empty());
}

TEST_F(ContextHelp, MissingHelpFileShowsNothing)
{
    ws::writeFile("C:\\QR\\Other.txt", "");
    ws::setModuleFileName(hostInst, "C:\\QR\\Elsewhere.EXE");
    iDlgContextID = 600;
    EXPECT_TRUE(ws::keyDown(VK_F1).delivered);
    EXPECT_TRUE(ws::callsTo("WinHelpA").empty());
    EXPECT_TRUE(ws::callsTo("MessageBoxA").empty());
}

TEST_F(ContextHelp, CtrlShiftF1OpensContext777OnlyWithTheHostInFront)
{
    ws::setForeground(app);
    EXPECT_TRUE(CtrlShiftDown(VK_F1).delivered);
    EXPECT_TRUE(ws::callsTo("WinHelpA").empty());
    ws::keyUp(VK_F1);

    ws::setForeground(host);
    EXPECT_TRUE(CtrlShiftDown(VK_F1).delivered);
    ASSERT_EQ(1u, ws::callsTo("WinHelpA").size());
    EXPECT_NE(std::string::npos, ws::callsTo("WinHelpA")[0].find("Quillrun.Hlp\", 1, 777)"));
}

// The last three characters of the module name give way to "Hlp"; on a
// Japanese system a full-width extension is three characters of two bytes.
TEST_F(ContextHelp, TheExtensionIsCutByCharacters)
{
    iDlgContextID = 600;
    ws::setModuleFileName(hostInst, "C:\\QR\\Quillrun.\x82\x85\x82\x98\x82\x85");
    ws::forEachCodePage([&](UINT page) {
        ws::clearCalls();
        ws::keyDown(VK_F1);
        ws::keyUp(VK_F1);
        size_t expected = page == 932 ? 1 : 0;  // 1252: "Quillrun.\x82\x85\x82Hlp" is missing
        EXPECT_EQ(expected, ws::callsTo("WinHelpA").size()) << "code page " << page;
    });
}

TEST_F(ContextHelp, ShortOrMissingModuleNamesNeverOverrunTheBuffer)
{
    iDlgContextID = 600;
    for (std::string name : {std::string(""), std::string("ab"), std::string("abc"),
                             std::string(200, 'x') + ".EXE"}) {
        ws::setModuleFileName(hostInst, name);
        ws::clearCalls();
        ws::keyDown(VK_F1);
        ws::keyUp(VK_F1);
        EXPECT_TRUE(ws::callsTo("WinHelpA").empty()) << name;
        EXPECT_LT(strlen(chKeyHookBuf), sizeof chKeyHookBuf);
    }
}

// --- The hook chain ----------------------------------------------------------

// Another program's keyboard hook, installed before the library's and so
// called after it.  It must see every event the library does not consume,
// and the library must answer 1 or exactly what it answered.
class KeyboardChain : public EditFieldDesktop {
protected:
    void SetUp() override
    {
        EditFieldDesktop::SetUp();
        UnhookWindowsHookEx(hKeyHook);
        hKeyHook = 0;
        NeighbourHook::Install(WH_KEYBOARD);
        SetMyHook(0, 0);
        completion = ws::createCompletionDialog();
        ws::writeFile("C:\\QR\\Quillrun.Hlp", "help");
        ws::writeFile("C:\\notes.txt", "");
    }
    ws::CompletionDialog completion{};
};

TEST_F(KeyboardChain, NeighbourSeesWhatTheLibraryDoesNotConsumeAndItsAnswerStands)
{
    struct Edge {
        bool neighbourSees;
        bool one;  // the hook answers 1; otherwise exactly the neighbour's answer
    };
    struct Row {
        const char* name;
        UINT vk;
        bool ctrl, shift;
        std::function<void()> arrange;
        Edge down, up;
    } rows[] = {
        {"plain letter", 'K', false, false, [] {}, {true, false}, {true, false}},
        {"swallowed hot key", 'S', true, true, [] {}, {true, true}, {true, true}},
        {"hot key passed on", VK_RIGHT, true, true, [] {}, {true, false}, {true, true}},
        {"gate closed by the file dialog", 'S', true, true, [] { bDlg = 1; }, {true, false}, {true, false}},
        {"context help", VK_F1, false, false, [] { iDlgContextID = 600; }, {true, false}, {true, false}},
        {"Up recalled by history", VK_UP, false, false,
         [] {
             strcpy(chHist[0], "dir");
             iSetIndex = 1;
         },
         {false, true}, {true, false}},
        {"Ctrl+L completed", 'L', true, false,
         [this] {
             hDlgFileList = completion.dialog;
             Type("type c:\\no");
         },
         {false, true}, {true, false}},
    };
    for (const Row& row : rows) {
        for (LRESULT neighbourAnswer : {(LRESULT)0, (LRESULT)0x4D2}) {
            SCOPED_TRACE(std::string(row.name) + ", neighbour answers " + std::to_string(neighbourAnswer));
            RestoreDefaults();
            FocusOn(field);
            Type("");
            ws::clearMessages(field);
            row.arrange();
            NeighbourHook::answer = neighbourAnswer;
            ws::setKeyState(VK_CONTROL, row.ctrl);
            ws::setKeyState(VK_SHIFT, row.shift);
            const Edge* edges[] = {&row.down, &row.up};
            for (int e = 0; e < 2; ++e) {
                bool down = e == 0;
                SCOPED_TRACE(down ? "key-down" : "key-up");
                std::vector<NeighbourHook::Seen>& seen = NeighbourHook::seen;
                seen.clear();
                ws::KeyResult r = down ? ws::keyDown(row.vk) : ws::keyUp(row.vk);
                const Edge& x = *edges[e];
                ASSERT_EQ(x.neighbourSees ? 1u : 0u, seen.size());
                if (x.neighbourSees) {
                    EXPECT_EQ(HC_ACTION, seen[0].code);
                    EXPECT_EQ(row.vk, seen[0].wParam);
                    EXPECT_EQ(ws::keyFlags(down, !down), seen[0].lParam);
                }
                EXPECT_EQ(x.one ? 1 : neighbourAnswer, r.hookResult);
                bool programSees = !x.one && neighbourAnswer == 0;
                EXPECT_EQ(programSees ? 1 : 0, FieldGot(row.vk, down ? WM_KEYDOWN : WM_KEYUP));
            }
            if (row.vk == VK_F1)
                EXPECT_EQ(1u, ws::callsTo("WinHelpA").size()) << "context help was not shown once";
        }
    }
}

// --- StrCmpIMy ---------------------------------------------------------------

// Rows name the code page they hold for, 0 for both.
TEST(StrCmpIMy, ComparesIgnoringTheCaseOfAsciiLettersOnly)
{
    struct Case {
        UINT page;
        const char* a;
        const char* b;
        int sign;  // of the result
    } cases[] = {
        {0, "ListBox", "LISTBOX", 0},
        {0, "listbox", "ListBox", 0},
        {0, "ListBox", "ListBox1", -1},
        {0, "b", "A", 1},
        {0, "", "", 0},
        {0, "\xE4", "\xC4", 1},          // no change outside a..z
        {0, "[", "{", -1},
        // The second byte of a double-byte character keeps its value: two
        // different Japanese characters never compare equal.
        {932, "\x83\x61", "\x83\x41", 1},
        {932, "x\x83\x6D" "b", "X\x83\x4D" "B", 1},
        {1252, "\x83\x61", "\x83\x41", 0},
        {1252, "x\x83\x6D" "b", "X\x83\x4D" "B", 0},
        {0, "\x83\x41" "a", "\x83\x41" "A", 0},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (c.page != 0 && c.page != page)
                continue;
            int r = StrCmpIMy(c.a, c.b);
            EXPECT_EQ(c.sign, (r > 0) - (r < 0))
                << '"' << c.a << "\" vs \"" << c.b << "\", code page " << page;
        }
    });
}

TEST(StrCmpIMy, LongInputsAreCutAtTheCompareBuffer)
{
    std::string a(3000, 'a'), b(3000, 'A');
    b[2000] = 'Z';  // beyond the 1023 characters that are compared
    EXPECT_EQ(0, StrCmpIMy(a.c_str(), b.c_str()));
}

}  // namespace
