// The macro recorder: recording with its stop key and limit, playback with
// and without the recorded timing; on the journal hooks and on the host's
// low-level hooks and SendInput.
#include "hooked_desktop.h"
#include "macro_engine.h"
#include "macro/macro.h"

#include <winsim/sim_system.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Journal hooks; the host's low-level hooks (its choice); the host's hooks
// because the journal hook was refused.
enum class MacroPath { Journal, LowLevel, JournalRefused };
const char* const kPathNames[] = {"Journal", "LowLevel", "JournalRefused"};
void PrintTo(MacroPath p, std::ostream* os) { *os << kPathNames[(int)p]; }

// A record as text, for comparing whole records: message, paramL, paramH,
// hwnd and, when asked, the time.
std::string Fields(const EVENTMSG& e, bool withTime = true)
{
    char text[64];
    snprintf(text, sizeof text, "%x %x %x %p", e.message, e.paramL, e.paramH, (void*)e.hwnd);
    return withTime ? text + std::string(" at ") + std::to_string(e.time) : text;
}

class Macro : public HookedDesktop {
protected:
    MacroPath path = MacroPath::Journal;
    bool Journal() const { return path == MacroPath::Journal; }
    // The host answers the macro requests with its engine.
    void HostTakesMacros(MacroPath p)
    {
        path = p;
        MacroTable table = {SysEvent, &iEventCnt, &bMacro};
        MacroEngineStart(table, hostInst, nullptr);
        ws::setJournalHooksRefused(p == MacroPath::JournalRefused);
        int lowLevel = p == MacroPath::LowLevel;
        ws::setHandler(host, [lowLevel](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            return msg == HM_MACRO ? MacroEngineRequest(wParam, lParam, lowLevel) : 0;
        });
    }
    void TearDown() override { MacroEngineEnd(); }
    int RecordHooks() const
    {
        return ws::hookCount(WH_JOURNALRECORD) + ws::hookCount(WH_KEYBOARD_LL) + ws::hookCount(WH_MOUSE_LL);
    }
    int Playing() const { return ws::hookCount(WH_JOURNALPLAYBACK) + MacroEnginePlaying(); }
    // Plays until the playback ends: the platform asking the journal hook,
    // or the host's timer stepping the player (the events it injected).
    std::vector<ws::PlayedEvent> Play(size_t maxEvents = 5000)
    {
        if (Journal())
            return ws::runPlayback(maxEvents);
        std::vector<ws::PlayedEvent> played;
        ws::clearInputLog();
        for (int next = 0; next >= 0 && played.size() < maxEvents;) {
            size_t seen = ws::inputLog().size();
            next = MacroEnginePlayStep();
            for (size_t i = seen; i < ws::inputLog().size(); ++i)
                if (ws::inputLog()[i].extraInfo == MACRO_INJECTED_MARK)
                    played.push_back(ws::PlayedEvent{ws::inputLog()[i].event, ws::inputLog()[i].event.time, {}});
            ws::advanceTick((DWORD)(next > 0 ? next : 0));
        }
        return played;
    }
    EVENTMSG Mouse(int x, int y)
    {
        EVENTMSG ev = {};
        ev.message = WM_MOUSEMOVE;
        ev.paramL = (UINT)x;
        ev.paramH = (UINT)y;
        ev.time = GetTickCount();
        return ev;
    }
    // Ctrl+Shift+key with real key events, all released again.
    ws::KeyResult HotKey(UINT vk)
    {
        ws::keyDown(VK_CONTROL);
        ws::keyDown(VK_SHIFT);
        ws::KeyResult r = ws::keyDown(vk);
        ws::keyUp(vk);
        ws::keyUp(VK_SHIFT);
        ws::keyUp(VK_CONTROL);
        return r;
    }
    // Starts a recording without recording anything yet.
    void StartRecording()
    {
        ASSERT_TRUE(CtrlShiftDown(VK_F6).delivered);
        HoldCtrlShift(false);
        ws::setKeyState(VK_F6, false);
        ASSERT_EQ(Journal() ? 1 : 2, RecordHooks());
    }
    void StopRecording()
    {
        ASSERT_TRUE(CtrlShiftDown(VK_F6).delivered);
        HoldCtrlShift(false);
        ws::setKeyState(VK_F6, false);
        ASSERT_EQ(0, RecordHooks());
        ASSERT_EQ(0, bMacro);
    }
    struct Key {
        UINT message;
        UINT vk;
    };
    void ExpectKeys(const std::vector<Key>& keys)
    {
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(keys[i].message, SysEvent[i].message) << "record " << i;
            EXPECT_EQ(keys[i].vk, SysEvent[i].paramL & 0xFF) << "record " << i;
        }
        EXPECT_EQ(0u, SysEvent[keys.size()].message) << "record " << keys.size();
        EXPECT_EQ(0u, SysEvent[keys.size()].time) << "record " << keys.size();
    }
};

class MacroOnEveryPath : public Macro, public testing::WithParamInterface<MacroPath> {
protected:
    void SetUp() override
    {
        Macro::SetUp();
        HostTakesMacros(GetParam());
    }
};
std::string PathName(const testing::TestParamInfo<MacroPath>& info) { return kPathNames[(int)info.param]; }
INSTANTIATE_TEST_SUITE_P(Paths, MacroOnEveryPath,
                         testing::Values(MacroPath::Journal, MacroPath::LowLevel, MacroPath::JournalRefused),
                         PathName);

// The F6 that starts is not recorded, the releases after it are; the stop
// key-down is not stored while the Ctrl and Shift before it are.
TEST_P(MacroOnEveryPath, RecordingBetweenTheTwoF6Presses)
{
    memset(SysEvent, 0x5A, sizeof SysEvent);  // a stale table is cleared
    ws::keyDown(VK_CONTROL);
    ws::keyDown(VK_SHIFT);
    EXPECT_TRUE(ws::keyDown(VK_F6).delivered);
    EXPECT_EQ(1, bMacro);
    EXPECT_EQ(JournalRecordProc, hRMacroHook);
    EXPECT_EQ(Journal(), hOldRMacroHook != nullptr);
    std::string inst = ws::fmtHandle(hostInst);
    std::vector<std::string> journal{"SetWindowsHookExA(0, " + inst + ", 0)"};
    std::vector<std::string> lowLevel{"SetWindowsHookExA(13, " + inst + ", 0)",
                                      "SetWindowsHookExA(14, " + inst + ", 0)"};
    if (path == MacroPath::JournalRefused)
        lowLevel.insert(lowLevel.begin(), journal[0]);
    EXPECT_EQ(Journal() ? journal : lowLevel, ws::callsTo("SetWindowsHookExA"));
    ws::keyUp(VK_F6);
    ws::keyUp(VK_SHIFT);
    ws::keyUp(VK_CONTROL);
    ws::keyDown('A');
    ws::keyUp('A');
    ws::keyDown(VK_CONTROL);
    ws::keyDown(VK_SHIFT);
    EXPECT_EQ(7, iEventCnt);
    HHOOK recordHook = hOldRMacroHook;
    ws::clearMessages(app);
    EXPECT_TRUE(ws::keyDown(VK_F6).delivered);  // the stop key reaches the program
    EXPECT_EQ(0, bMacro);
    EXPECT_EQ(0, iEventCnt);
    EXPECT_EQ(0, RecordHooks());
    if (Journal())
        EXPECT_EQ(std::vector<std::string>{"UnhookWindowsHookEx(" + ws::fmtHandle(recordHook) + ")"},
                  ws::callsTo("UnhookWindowsHookEx"));
    ws::keyUp(VK_F6);
    ws::keyUp(VK_SHIFT);

    ExpectKeys({{WM_KEYUP, VK_F6},
                {WM_KEYUP, VK_SHIFT},
                {WM_KEYUP, VK_CONTROL},
                {WM_KEYDOWN, 'A'},
                {WM_KEYUP, 'A'},
                {WM_KEYDOWN, VK_CONTROL},
                {WM_KEYDOWN, VK_SHIFT}});
    EXPECT_EQ(0, iEventCnt);
}

TEST_P(MacroOnEveryPath, EventsBeyondTheLimitAreDropped)
{
    StartRecording();
    for (int i = 0; i < 1100; ++i) {
        ws::advanceTick(1);
        ws::mouseEvent(WM_MOUSEMOVE, i, 2 * i);
    }
    EXPECT_EQ(1023, iEventCnt);
    EXPECT_EQ(1022u, SysEvent[1022].paramL);
    EXPECT_EQ(2044u, SysEvent[1022].paramH);
    EXPECT_EQ(0u, SysEvent[1023].message);
    EXPECT_EQ(0u, SysEvent[1023].paramL);
    EXPECT_EQ(0u, SysEvent[1023].time);
    StopRecording();
    EXPECT_EQ(0, iEventCnt);
    EXPECT_EQ(1022u, SysEvent[1022].paramL);
}

TEST_F(Macro, NotificationsWithoutAnEventAreNotRecorded)
{
    StartRecording();
    EVENTMSG ev = Mouse(1, 1);
    EXPECT_EQ(0, JournalRecordProc(-1, 0, (LPARAM)&ev));
    EXPECT_EQ(0, JournalRecordProc(HC_SYSMODALON, 0, 0));
    EXPECT_EQ(0, JournalRecordProc(HC_SYSMODALOFF, 0, 0));
    EXPECT_EQ(0, JournalRecordProc(HC_ACTION, 0, 0));
    EXPECT_EQ(0, iEventCnt);
    EXPECT_EQ(0, JournalRecordProc(HC_ACTION, 0, (LPARAM)&ev));
    EXPECT_EQ(1, iEventCnt);
}

TEST_P(MacroOnEveryPath, PlaybackWhileRecordingIsRefused)
{
    StartRecording();
    ws::KeyResult r = CtrlShiftDown(VK_F9);
    EXPECT_TRUE(r.delivered);
    EXPECT_EQ(0, Playing());
    EXPECT_EQ((UINT)WM_KEYDOWN, SysEvent[0].message);
    EXPECT_EQ((UINT)VK_F9, SysEvent[0].paramL & 0xFF);
}

// Three mouse moves recorded at 5000, 5100 and 5350 play back at their
// distances from the first one.
TEST_P(MacroOnEveryPath, TimedPlaybackKeepsTheRecordedDistances)
{
    StartRecording();
    ws::setTick(5000);
    ws::mouseEvent(WM_MOUSEMOVE, 10, 10);
    ws::setTick(5100);
    ws::mouseEvent(WM_MOUSEMOVE, 20, 20);
    ws::setTick(5350);
    ws::mouseEvent(WM_MOUSEMOVE, 30, 30);
    ws::setTick(6000);
    StopRecording();

    ws::setTick(20000);
    EXPECT_TRUE(CtrlShiftDown(VK_F9).delivered);
    HoldCtrlShift(false);
    EXPECT_EQ(0, bPlayBackFirst);
    EXPECT_EQ(JournalPlayBackProc, hPMacroHook);
    EXPECT_EQ(1, Playing());
    std::vector<ws::PlayedEvent> played = Play();

    struct Expected {
        UINT message;
        DWORD tick;
        DWORD time;
        std::vector<LRESULT> asks;
    } expected[] = {
        {WM_MOUSEMOVE, 20000, 20000, {0}},
        {WM_MOUSEMOVE, 20100, 20100, {100, 0}},
        {WM_MOUSEMOVE, 20350, 20350, {250, 0}},
        {0, 20350, 20350, {0}},  // the zero record ends it (handed out by the journal hook only)
    };
    ASSERT_EQ(Journal() ? 4u : 3u, played.size());
    for (size_t i = 0; i < played.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        EXPECT_EQ(expected[i].message, played[i].event.message);
        EXPECT_EQ(expected[i].tick, played[i].tick);
        EXPECT_EQ(expected[i].time, played[i].event.time);
        if (Journal())
            EXPECT_EQ(expected[i].asks, played[i].asks);
    }
    EXPECT_EQ(30, ws::cursorPos().x);
    EXPECT_EQ(0, Playing());
    EXPECT_EQ(0, iEventCnt);
    // The macro stays for the next playback.
    EXPECT_EQ(20u, SysEvent[1].paramL);
}

// The journal hook hands the records out with their times shifted; the
// host's injected events carry the time they were sent.
TEST_P(MacroOnEveryPath, PlaybackAtOnceHasNoDelaysButKeepsTheShiftedTimes)
{
    StartRecording();
    ws::setTick(5000);
    ws::mouseEvent(WM_MOUSEMOVE, 10, 10);
    ws::setTick(7000);
    ws::mouseEvent(WM_MOUSEMOVE, 20, 20);
    StopRecording();

    ws::setTick(9000);
    EXPECT_TRUE(CtrlShiftDown(VK_F12).delivered);
    HoldCtrlShift(false);
    EXPECT_EQ(1, bPlayBackFirst);
    std::vector<ws::PlayedEvent> played = Play();
    ASSERT_EQ(Journal() ? 3u : 2u, played.size());
    for (const ws::PlayedEvent& p : played) {
        if (Journal())
            EXPECT_EQ(std::vector<LRESULT>{0}, p.asks);
        EXPECT_EQ(9000u, p.tick);
    }
    EXPECT_EQ(9000u, played[0].event.time);
    EXPECT_EQ(Journal() ? 11000u : 9000u, played[1].event.time);
    if (Journal())
        EXPECT_EQ(4000u, played[2].event.time);  // the zero record shifted by 4000
    EXPECT_EQ(0, Playing());
}

// The offset follows the clock while the first record is asked for again and
// again; once past it, a record already due plays at once with the time now.
TEST_F(Macro, OffsetIsFixedWhenPlaybackMovesPastTheFirstRecord)
{
    StartRecording();
    ws::setTick(5000);
    ws::journalEvent(Mouse(1, 1));
    ws::setTick(5500);
    ws::journalEvent(Mouse(2, 2));
    StopRecording();

    EVENTMSG ev = {};
    ws::setTick(10000);
    EXPECT_EQ(0, JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev));
    EXPECT_EQ(10000u, ev.time);
    ws::setTick(10300);
    EXPECT_EQ(0, JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev));
    EXPECT_EQ(10300u, ev.time);
    JournalPlayBackProc(HC_SKIP, 0, 0);
    EXPECT_EQ(1, iEventCnt);
    ws::setTick(10500);
    EXPECT_EQ(300, JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev));
    EXPECT_EQ(10800u, ev.time);
    ws::setTick(12000);  // the record is overdue
    EXPECT_EQ(0, JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev));
    EXPECT_EQ(12000u, ev.time);
    EXPECT_EQ(0, JournalPlayBackProc(HC_NOREMOVE, 0, (LPARAM)&ev));
    EXPECT_EQ(1, iEventCnt);
}

// The journal hook hands the zero record out once; the host injects nothing.
TEST_P(MacroOnEveryPath, PlaybackOfAnEmptyTableEndsAtTheZeroRecord)
{
    size_t zeroRecord = Journal() ? 1 : 0;
    CtrlShiftDown(VK_F9);
    HoldCtrlShift(false);
    std::vector<ws::PlayedEvent> played = Play();
    ASSERT_EQ(zeroRecord, played.size());
    if (Journal())
        EXPECT_EQ(0u, played[0].event.message);
    EXPECT_EQ(0, Playing());

    // A recording stopped at once is just as empty.
    RestoreDefaults();
    StartRecording();
    StopRecording();
    CtrlShiftDown(VK_F12);
    HoldCtrlShift(false);
    EXPECT_EQ(zeroRecord, Play().size());
    EXPECT_EQ(0, Playing());
}

// The host's player moves the pointer to every recorded pixel exactly.
TEST_P(MacroOnEveryPath, FullTablePassesTheLastRequestOnAndEnds)
{
    for (int i = 0; i < 1023; ++i) {
        SysEvent[i].message = WM_MOUSEMOVE;
        SysEvent[i].paramL = (UINT)i;
        SysEvent[i].paramH = (UINT)(767 - i % 768);
        SysEvent[i].time = (DWORD)(1 + i);
    }
    ActStartPlayback(1);
    std::vector<ws::PlayedEvent> played = Play();
    ASSERT_EQ(Journal() ? 1024u : 1023u, played.size());
    for (UINT i = 0; i < 1023; ++i) {
        ASSERT_EQ(i, played[i].event.paramL) << "event " << i;
        ASSERT_EQ(767 - i % 768, played[i].event.paramH) << "event " << i;
    }
    if (Journal())
        EXPECT_EQ(0u, played[1023].event.message);  // not filled by the hook
    EXPECT_EQ(0, Playing());
}

// A second start while a playback runs replaces it: one hook, the one whose
// handle is stored, and playback starts over.
TEST_F(Macro, SecondStartReplacesTheRunningPlayback)
{
    SysEvent[0].message = WM_MOUSEMOVE;
    SysEvent[0].time = 1;
    SysEvent[1].message = WM_MOUSEMOVE;
    SysEvent[1].time = 2;
    ActStartPlayback(1);
    HHOOK first = hOldPMacroHook;
    EVENTMSG ev = {};
    JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev);
    JournalPlayBackProc(HC_SKIP, 0, 0);
    ASSERT_EQ(1, iEventCnt);

    CtrlShiftDown(VK_F9);
    HoldCtrlShift(false);
    EXPECT_EQ(1, ws::hookCount(WH_JOURNALPLAYBACK));
    EXPECT_NE(first, hOldPMacroHook);
    EXPECT_EQ(std::vector<std::string>{"UnhookWindowsHookEx(" + ws::fmtHandle(first) + ")"},
              ws::callsTo("UnhookWindowsHookEx"));
    EXPECT_EQ(0, iEventCnt);
    EXPECT_EQ(0, bPlayBackFirst);
    EXPECT_EQ(3u, ws::runPlayback().size());
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
}

// A macro that holds its own playback key: the replay restarts itself each
// time; it never leaves more than one playback hook behind.
TEST_F(Macro, MacroThatReplaysItselfKeepsOneHook)
{
    StartRecording();
    HotKey(VK_F12);  // recorded: the keys, and no playback (recording)
    StopRecording();
    ASSERT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
    ActStartPlayback(1);
    ws::runPlayback(50);
    EXPECT_LE(ws::hookCount(WH_JOURNALPLAYBACK), 1);
    EXPECT_EQ(ws::hookCount(WH_JOURNALPLAYBACK) == 1, hOldPMacroHook != nullptr);
}

// The host's player: a macro that replays itself starts over until the stop
// key ends it; the stop key reaches no program and starts no recording, and
// the keys the macro still holds are released.  The player's own events are
// never recorded.
TEST_F(Macro, StopKeyEndsTheHostsPlaybackAndReleasesItsKeys)
{
    HostTakesMacros(MacroPath::LowLevel);
    StartRecording();
    INPUT own = {};
    own.type = INPUT_KEYBOARD;
    own.ki.wVk = 'B';
    own.ki.dwExtraInfo = MACRO_INJECTED_MARK;
    SendInput(1, &own, sizeof own);
    HotKey(VK_F12);  // recorded: the keys, and no playback (recording)
    StopRecording();
    ExpectKeys({{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, VK_F12}, {WM_KEYUP, VK_F12},
                {WM_KEYUP, VK_SHIFT}, {WM_KEYUP, VK_CONTROL}});

    ActStartPlayback(1);
    EXPECT_LE(40u, Play(40).size());
    EXPECT_EQ(1, MacroEnginePlaying());
    EXPECT_LT(GetAsyncKeyState(VK_F12), 0);
    EXPECT_FALSE(CtrlShiftDown(VK_F6).delivered);
    EXPECT_EQ(0, bMacro);
    EXPECT_EQ(0, RecordHooks());
    EXPECT_EQ(0, MacroEnginePlaying());
    EXPECT_EQ(-1, MacroEnginePlayStep());
    for (int vk : {VK_F12, VK_SHIFT, VK_CONTROL})
        EXPECT_GE(GetAsyncKeyState(vk), 0) << "key " << vk << " still down";
    EXPECT_EQ(0, ws::hookCount(WH_KEYBOARD_LL));
}

// The same input recorded on either path leaves the same records, and each
// recording plays back on the other path: the host sends every record of a
// journal recording as it was, and the journal hook plays the host's
// recording at its recorded distances.
TEST_F(Macro, RecordingsOfEitherPathPlayBackOnTheOther)
{
    std::vector<EVENTMSG> recorded[2];
    for (MacroPath p : {MacroPath::Journal, MacroPath::LowLevel}) {
        RestoreDefaults();
        HostTakesMacros(p);
        ws::setTick(3000);
        HotKey(VK_F6);
        ws::advanceTick(40);
        ws::keyDown('Q');
        ws::keyDown('Q');  // auto-repeat
        ws::keyUp('Q');
        ws::mouseEvent(WM_LBUTTONDOWN, 300, 200);
        ws::advanceTick(25);
        ws::mouseEvent(WM_LBUTTONUP, 301, 200);
        INPUT keys[4] = {};  // right Ctrl+V from another program, with scan codes
        for (int i = 0; i < 4; ++i) {
            bool ctrl = i == 0 || i == 3;
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki = {WORD(ctrl ? VK_CONTROL : 'V'), WORD(ctrl ? 0x1D : 0x2F),
                          (ctrl ? KEYEVENTF_EXTENDEDKEY : 0u) | (i >= 2 ? KEYEVENTF_KEYUP : 0u), 0, 0};
        }
        ASSERT_EQ(4u, SendInput(4, keys, sizeof(INPUT)));
        ws::advanceTick(60);
        HotKey(VK_F6);
        recorded[(int)p].assign(SysEvent, SysEvent + StoredRecords(SysEvent));
    }
    ASSERT_EQ(14u, recorded[0].size());
    ASSERT_EQ(recorded[0].size(), recorded[1].size());
    for (size_t i = 0; i < recorded[0].size(); ++i)
        EXPECT_EQ(Fields(recorded[0][i]), Fields(recorded[1][i])) << "record " << i << ": journal, host";

    HostTakesMacros(MacroPath::Journal);
    ws::setTick(50000);
    ActStartPlayback(0);
    std::vector<ws::PlayedEvent> played = Play();
    ASSERT_EQ(15u, played.size());  // and the zero record
    for (size_t i = 0; i < recorded[1].size(); ++i)
        EXPECT_EQ(50000 + recorded[1][i].time - recorded[1][0].time, played[i].tick) << "event " << i;

    RestoreDefaults();
    HostTakesMacros(MacroPath::LowLevel);
    std::copy(recorded[0].begin(), recorded[0].end(), SysEvent);
    ActStartPlayback(1);
    played = Play();
    // A button goes out with a move to its position first (the script has no
    // moves of its own).
    played.erase(std::remove_if(played.begin(), played.end(),
                                [](const ws::PlayedEvent& e) { return e.event.message == WM_MOUSEMOVE; }),
                 played.end());
    ASSERT_EQ(14u + 2, played.size());  // and the release of Ctrl and Shift, held at the end
    for (size_t i = 0; i < recorded[0].size(); ++i)
        EXPECT_EQ(Fields(recorded[0][i], false), Fields(played[i].event, false)) << "event " << i << ": recorded, sent";
}

// Records in the layout of the record hook (paramL: key, scan code, the key
// message's flags without the injection bits; paramH: repeat count, bit 15
// extended) and back to input; the cases the recordings above do not make.
TEST(MacroRecords, LowLevelEventsBecomeRecordsAndRecordsInput)
{
    struct Case {
        WPARAM message;
        DWORD vk, scan, flags;
        UINT paramL;
        WORD inputVk;
        DWORD inputFlags;
    } cases[] = {
        {WM_SYSKEYDOWN, VK_LMENU, 0x38, LLKHF_ALTDOWN, 0x203812, VK_MENU, 0},
        {WM_SYSKEYUP, 'X', 0x2D, LLKHF_ALTDOWN | LLKHF_UP | LLKHF_INJECTED, 0xE02D58, 'X', KEYEVENTF_KEYUP},
        {WM_KEYUP, VK_RSHIFT, 0x36, LLKHF_UP, 0xC03610, VK_SHIFT, KEYEVENTF_KEYUP},
    };
    RECT screen = {0, 0, 1366, 768};
    INPUT in;
    for (const Case& c : cases) {
        EVENTMSG r = RecordFromKey(c.message, KBDLLHOOKSTRUCT{c.vk, c.scan, c.flags, 777, 0}, 0, NULL);
        EXPECT_EQ(Fields(EVENTMSG{(UINT)c.message, c.paramL, 1, 777, NULL}), Fields(r));
        ASSERT_EQ(1, InputFromRecord(r, screen, &in));
        EXPECT_EQ(c.inputVk, in.ki.wVk);
        EXPECT_EQ(c.scan, in.ki.wScan);
        EXPECT_EQ(c.inputFlags, in.ki.dwFlags) << std::hex << "key " << c.vk;
    }
    // A position off the screen goes to its edge.
    EVENTMSG off;
    ASSERT_EQ(1, RecordFromMouse(WM_RBUTTONDOWN, MSLLHOOKSTRUCT{{2000, -3}, 0, 0, 5, 0}, NULL, &off));
    ASSERT_EQ(1, InputFromRecord(off, screen, &in));
    EXPECT_EQ(65489, in.mi.dx);
    EXPECT_EQ(0, in.mi.dy);
    EXPECT_EQ(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | MOUSEEVENTF_RIGHTDOWN, in.mi.dwFlags);
    EVENTMSG wheel = {};
    EXPECT_EQ(0, RecordFromMouse(WM_MOUSEWHEEL, MSLLHOOKSTRUCT{{1, 1}, 120u << 16, 0, 5, 0}, NULL, &wheel));
    EXPECT_EQ(0, InputFromRecord(wheel, screen, &in));  // the zero record
}

TEST_F(Macro, PlaybackEndsOnAnIndexOutsideTheTable)
{
    SysEvent[0].time = 5;
    ActStartPlayback(1);
    iEventCnt = 5000;  // written by the host
    EVENTMSG ev = {};
    EXPECT_EQ(0, JournalPlayBackProc(HC_GETNEXT, 0, (LPARAM)&ev));
    JournalPlayBackProc(HC_SKIP, 0, 0);
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
    EXPECT_EQ(0, iEventCnt);
}

// Journal hooks of another program, installed before the library's and so
// called after them.  A stored record and a played event are the library's
// own; everything else is handed on, and playback answers what the next
// hook answered.
class MacroChain : public Macro {
protected:
    void SetUp() override
    {
        Macro::SetUp();
        NeighbourHook::Install(WH_JOURNALRECORD);
        NeighbourHook::Install(WH_JOURNALPLAYBACK);
        NeighbourHook::answer = 0x4D2;
        ws::clearCalls();
    }
    static constexpr LRESULT kNeighbours = -2;  // the answer is the neighbour's
};

TEST_F(MacroChain, RecordingKeepsStoredEventsAndHandsOnTheRest)
{
    ASSERT_TRUE(CtrlShiftDown(VK_F6).delivered);
    EVENTMSG mouse = Mouse(3, 4), f6 = ws::keyEventMsg(WM_KEYDOWN, VK_F6);
    struct Row {
        const char* name;
        int code;
        const EVENTMSG* event;
        bool ctrl, shift;
        int countBefore;
        bool handedOn;
        int countAfter;
    } rows[] = {
        {"event stored", HC_ACTION, &mouse, false, false, 0, false, 1},
        {"negative code", -1, &mouse, false, false, 1, true, 1},
        {"system-modal on", HC_SYSMODALON, nullptr, false, false, 1, true, 1},
        {"system-modal off", HC_SYSMODALOFF, nullptr, false, false, 1, true, 1},
        {"table full", HC_ACTION, &mouse, false, false, 1023, true, 1023},
        {"F6 with Ctrl alone is recorded", HC_ACTION, &f6, true, false, 2, false, 3},
        {"F6 with Shift alone is recorded", HC_ACTION, &f6, false, true, 3, false, 4},
        {"stop key", HC_ACTION, &f6, true, true, 4, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NeighbourHook::seen.clear();
        iEventCnt = row.countBefore;
        ws::setKeyState(VK_CONTROL, row.ctrl);
        ws::setKeyState(VK_SHIFT, row.shift);
        EVENTMSG copy = row.event ? *row.event : EVENTMSG{};
        EXPECT_EQ(0, ws::runHooks(WH_JOURNALRECORD, row.code, 0, row.event ? (LPARAM)&copy : 0));
        EXPECT_EQ(row.handedOn ? std::vector<int>{row.code} : std::vector<int>{}, NeighbourHook::Codes());
        EXPECT_EQ(row.countAfter, iEventCnt);
    }
    EXPECT_EQ((UINT)VK_F6, SysEvent[3].paramL & 0xFF);
    EXPECT_EQ(0u, SysEvent[4].message) << "the stop key was stored";
    EXPECT_EQ(1, ws::hookCount(WH_JOURNALRECORD)) << "only the neighbour's hook is left";
}

TEST_F(MacroChain, PlaybackAnswersTheNextHooksResultForAllButTheEventItHandsOut)
{
    SysEvent[0] = Mouse(5, 6);
    ActStartPlayback(1);
    EXPECT_EQ(std::vector<std::string>{"SetWindowsHookExA(1, " + ws::fmtHandle(hostInst) + ", 0)"},
              ws::callsTo("SetWindowsHookExA"));
    // The record is due 1000 ms from now (recorded at tick 1000 of a
    // recording that started at tick 0, played at tick 1000).
    struct Row {
        const char* name;
        int code;
        int indexBefore;
        int playFirst;   // bPlayBackFirst, as the host may write it
        LRESULT result;  // or kNeighbours
        int indexAfter;
    } rows[] = {
        {"negative code", -1, 0, 1, kNeighbours, 0},
        {"event handed out at once", HC_GETNEXT, 0, 1, 0, 0},
        {"event handed out timed", HC_GETNEXT, 0, 0, 1000, 0},
        {"only exactly 1 plays at once", HC_GETNEXT, 0, 2, 1000, 0},
        {"peek", HC_NOREMOVE, 0, 1, kNeighbours, 0},
        {"other code", 7, 0, 1, kNeighbours, 0},
        {"skip to the next record", HC_SKIP, 0, 1, kNeighbours, 1},
        {"request past the table", HC_GETNEXT, 1023, 1, kNeighbours, 1023},
        {"skip past the zero record ends", HC_SKIP, 1, 1, kNeighbours, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NeighbourHook::seen.clear();
        iEventCnt = row.indexBefore;
        bPlayBackFirst = row.playFirst;
        EVENTMSG ev = {};
        LRESULT r = ws::runHooks(WH_JOURNALPLAYBACK, row.code, 0, (LPARAM)&ev);
        bool handedOn = row.result == kNeighbours;
        EXPECT_EQ(handedOn ? 0x4D2 : row.result, r);
        EXPECT_EQ(handedOn ? std::vector<int>{row.code} : std::vector<int>{}, NeighbourHook::Codes());
        EXPECT_EQ(row.indexAfter, iEventCnt);
    }
    EXPECT_EQ(1, ws::hookCount(WH_JOURNALPLAYBACK)) << "only the neighbour's hook is left";
    EXPECT_EQ(nullptr, hOldPMacroHook);
}

}  // namespace
