// The macro recorder: recording with its stop key and limit, playback with
// and without the recorded timing.
#include "hooked_desktop.h"

#include <winsim/sim_system.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

class Macro : public HookedDesktop {
protected:
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
        ASSERT_EQ(1, ws::hookCount(WH_JOURNALRECORD));
    }
    void StopRecording()
    {
        ASSERT_TRUE(CtrlShiftDown(VK_F6).delivered);
        HoldCtrlShift(false);
        ws::setKeyState(VK_F6, false);
        ASSERT_EQ(0, ws::hookCount(WH_JOURNALRECORD));
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

// The F6 that starts is not recorded, the releases after it are; the stop
// key-down is not stored while the Ctrl and Shift before it are.
TEST_F(Macro, RecordingBetweenTheTwoF6Presses)
{
    memset(SysEvent, 0x5A, sizeof SysEvent);  // a stale table is cleared
    ws::keyDown(VK_CONTROL);
    ws::keyDown(VK_SHIFT);
    EXPECT_TRUE(ws::keyDown(VK_F6).delivered);
    EXPECT_EQ(1, bMacro);
    EXPECT_EQ(JournalRecordProc, hRMacroHook);
    EXPECT_NE(nullptr, hOldRMacroHook);
    EXPECT_EQ(std::vector<std::string>{"SetWindowsHookExA(0, " + ws::fmtHandle(hostInst) + ", 0)"},
              ws::callsTo("SetWindowsHookExA"));
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
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALRECORD));
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

TEST_F(Macro, EventsBeyondTheLimitAreDropped)
{
    StartRecording();
    for (int i = 0; i < 1100; ++i) {
        ws::advanceTick(1);
        ws::journalEvent(Mouse(i, 2 * i));
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

TEST_F(Macro, PlaybackWhileRecordingIsRefused)
{
    StartRecording();
    ws::KeyResult r = CtrlShiftDown(VK_F9);
    EXPECT_TRUE(r.delivered);
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
    EXPECT_EQ((UINT)WM_KEYDOWN, SysEvent[0].message);
    EXPECT_EQ((UINT)VK_F9, SysEvent[0].paramL & 0xFF);
}

// Three mouse moves recorded at 5000, 5100 and 5350 play back at their
// distances from the first one.
TEST_F(Macro, TimedPlaybackKeepsTheRecordedDistances)
{
    StartRecording();
    ws::setTick(5000);
    ws::journalEvent(Mouse(10, 10));
    ws::setTick(5100);
    ws::journalEvent(Mouse(20, 20));
    ws::setTick(5350);
    ws::journalEvent(Mouse(30, 30));
    ws::setTick(6000);
    StopRecording();

    ws::setTick(20000);
    EXPECT_TRUE(CtrlShiftDown(VK_F9).delivered);
    HoldCtrlShift(false);
    EXPECT_EQ(0, bPlayBackFirst);
    EXPECT_EQ(JournalPlayBackProc, hPMacroHook);
    EXPECT_EQ(1, ws::hookCount(WH_JOURNALPLAYBACK));
    std::vector<ws::PlayedEvent> played = ws::runPlayback();

    struct Expected {
        UINT message;
        DWORD tick;
        DWORD time;
        std::vector<LRESULT> asks;
    } expected[] = {
        {WM_MOUSEMOVE, 20000, 20000, {0}},
        {WM_MOUSEMOVE, 20100, 20100, {100, 0}},
        {WM_MOUSEMOVE, 20350, 20350, {250, 0}},
        {0, 20350, 20350, {0}},  // the zero record ends it
    };
    ASSERT_EQ(4u, played.size());
    for (size_t i = 0; i < played.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        EXPECT_EQ(expected[i].message, played[i].event.message);
        EXPECT_EQ(expected[i].tick, played[i].tick);
        EXPECT_EQ(expected[i].time, played[i].event.time);
        EXPECT_EQ(expected[i].asks, played[i].asks);
    }
    EXPECT_EQ(30, ws::cursorPos().x);
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
    EXPECT_EQ(0, iEventCnt);
    // The macro stays for the next playback.
    EXPECT_EQ(20u, SysEvent[1].paramL);
}

TEST_F(Macro, PlaybackAtOnceHasNoDelaysButKeepsTheShiftedTimes)
{
    StartRecording();
    ws::setTick(5000);
    ws::journalEvent(Mouse(10, 10));
    ws::setTick(7000);
    ws::journalEvent(Mouse(20, 20));
    StopRecording();

    ws::setTick(9000);
    EXPECT_TRUE(CtrlShiftDown(VK_F12).delivered);
    HoldCtrlShift(false);
    EXPECT_EQ(1, bPlayBackFirst);
    std::vector<ws::PlayedEvent> played = ws::runPlayback();
    ASSERT_EQ(3u, played.size());
    for (const ws::PlayedEvent& p : played) {
        EXPECT_EQ(std::vector<LRESULT>{0}, p.asks);
        EXPECT_EQ(9000u, p.tick);
    }
    EXPECT_EQ(9000u, played[0].event.time);
    EXPECT_EQ(11000u, played[1].event.time);
    EXPECT_EQ(4000u, played[2].event.time);  // the zero record shifted by 4000
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
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

TEST_F(Macro, PlaybackOfAnEmptyTableHandsOutTheZeroRecordOnce)
{
    CtrlShiftDown(VK_F9);
    HoldCtrlShift(false);
    std::vector<ws::PlayedEvent> played = ws::runPlayback();
    ASSERT_EQ(1u, played.size());
    EXPECT_EQ(0u, played[0].event.message);
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));

    // A recording stopped at once is just as empty.
    RestoreDefaults();
    StartRecording();
    StopRecording();
    CtrlShiftDown(VK_F12);
    HoldCtrlShift(false);
    EXPECT_EQ(1u, ws::runPlayback().size());
}

TEST_F(Macro, FullTablePassesTheLastRequestOnAndEnds)
{
    for (int i = 0; i < 1023; ++i) {
        SysEvent[i].message = WM_MOUSEMOVE;
        SysEvent[i].paramL = (UINT)i;
        SysEvent[i].time = (DWORD)(1 + i);
    }
    ActStartPlayback(1);
    std::vector<ws::PlayedEvent> played = ws::runPlayback();
    ASSERT_EQ(1024u, played.size());
    EXPECT_EQ(1022u, played[1022].event.paramL);
    EXPECT_EQ(0u, played[1023].event.message);  // not filled by the hook
    EXPECT_EQ(0, ws::hookCount(WH_JOURNALPLAYBACK));
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
