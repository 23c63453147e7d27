// The host link: process attach, handing over the host window, installing and
// removing the hooks, and the host messages.
#include "hooked_desktop.h"
#include "shared_snapshot.h"

#include <functional>
#include <thread>

namespace {

TEST(HostLink, SethWndhInstanceStoresBothAndReturnsTheInstance)
{
    HWND w = ws::createWindow(Desc("Quillrun"));
    HINSTANCE inst = (HINSTANCE)(uintptr_t)0x400000;
    EXPECT_EQ(inst, SethWndhInstance(w, inst));
    EXPECT_EQ(w, hWndHost);
    EXPECT_EQ(inst, hInstHost);
}

TEST(HostLink, HooksAreInstalledForEveryThreadFromTheLibraryModule)
{
    hInstLib = (HINSTANCE)(uintptr_t)0x10000000;
    EXPECT_EQ(0, SetMyHook(5, 6));
    EXPECT_EQ(0, SetMyCBTHook(5, 6));
    EXPECT_NE(nullptr, hKeyHook);
    EXPECT_NE(nullptr, hOldCBTHook);
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
    EXPECT_EQ(1, ws::hookCount(WH_CBT));
    const std::vector<std::string> expected = {
        "SetWindowsHookExA(2, 10000000, 0)",
        "SetWindowsHookExA(5, 10000000, 0)",
    };
    EXPECT_EQ(expected, ws::callsTo("SetWindowsHookExA"));
}

TEST(HostLink, ResetRemovesBothHooksAndLeavesJournalHooksAlone)
{
    SetMyHook(0, 0);
    SetMyCBTHook(0, 0);
    HHOOK playback = SetWindowsHookExA(WH_JOURNALPLAYBACK, JournalPlayBackProc, NULL, 0);
    hOldPMacroHook = playback;
    EXPECT_EQ(0, ResetMyHook(0, 0));
    EXPECT_EQ(0, ws::hookCount(WH_KEYBOARD));
    EXPECT_EQ(0, ws::hookCount(WH_CBT));
    EXPECT_EQ(1, ws::hookCount(WH_JOURNALPLAYBACK));
}

// Installing twice without removing must not leave the first hook behind:
// every key would run through the library twice and the first hook could
// never be removed.
TEST(HostLink, SecondInstallReplacesTheFirstHook)
{
    SetMyHook(0, 0);
    HHOOK first = hKeyHook;
    ws::clearCalls();
    SetMyHook(0, 0);
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
    EXPECT_NE(first, hKeyHook);
    // The new hook is in place before the old one goes.
    EXPECT_EQ((std::vector<std::string>{"SetWindowsHookExA(2, 0, 0)", "UnhookWindowsHookEx(" + ws::fmtHandle(first) + ")"}),
              ws::calls());

    SetMyCBTHook(0, 0);
    HHOOK firstCbt = hOldCBTHook;
    ws::clearCalls();
    SetMyCBTHook(0, 0);
    EXPECT_EQ(1, ws::hookCount(WH_CBT));
    EXPECT_EQ((std::vector<std::string>{"SetWindowsHookExA(5, 0, 0)", "UnhookWindowsHookEx(" + ws::fmtHandle(firstCbt) + ")"}),
              ws::calls());

    // A second install that is refused leaves the working hooks and handles.
    HHOOK key = hKeyHook, cbt = hOldCBTHook;
    ws::setHookInstallFails(true);
    SetMyHook(0, 0);
    SetMyCBTHook(0, 0);
    ws::setHookInstallFails(false);
    EXPECT_EQ(key, hKeyHook);
    EXPECT_EQ(cbt, hOldCBTHook);
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
    EXPECT_EQ(1, ws::hookCount(WH_CBT));

    ResetMyHook(0, 0);
    EXPECT_EQ(0, ws::hookCount(WH_KEYBOARD));
    EXPECT_EQ(0, ws::hookCount(WH_CBT));
}

TEST(HostLink, ToggleHotKeyRunsOnceAfterADoubleInstall)
{
    HWND host = ws::createWindow(Desc("Quillrun"));
    SethWndhInstance(host, NULL);
    SetMyHook(0, 0);
    SetMyHook(0, 0);
    ws::setKeyState(VK_CONTROL, true);
    ws::setKeyState(VK_SHIFT, true);
    ws::keyDown('B');
    EXPECT_EQ(1034, iZure);
}

TEST(HostLink, ResetAfterResetAndInstallAfterResetWork)
{
    SetMyHook(0, 0);
    ResetMyHook(0, 0);
    ResetMyHook(0, 0);
    SetMyHook(0, 0);
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
}

// A refused installation is not reported: the null handle is stored and the
// later removal receives it.
TEST(HostLink, RefusedInstallStoresANullHandleAndRemovalCopes)
{
    ws::setHookInstallFails(true);
    EXPECT_EQ(0, SetMyHook(0, 0));
    EXPECT_EQ(0, SetMyCBTHook(0, 0));
    EXPECT_EQ(nullptr, hKeyHook);
    EXPECT_EQ(nullptr, hOldCBTHook);
    EXPECT_EQ(0, ResetMyHook(0, 0));
    ws::setHookInstallFails(false);
    SetMyHook(0, 0);
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
}

TEST(HostLink, MySetResetReturnsTheHostsReply)
{
    HWND host = ws::createWindow(Desc("Quillrun"));
    ws::setHandler(host, [](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT { return msg == HM_RESET ? 77 : 0; });
    EXPECT_EQ(77, MySetReset());
    ASSERT_EQ(1u, ws::messages(host).size());
    EXPECT_EQ(23907u, ws::messages(host)[0].msg);
}

TEST(HostLink, HostWindowIsLookedUpByClassAtEveryUse)
{
    EXPECT_EQ(0, MySetReset());  // no host window: a null window answers 0
    HWND first = ws::createWindow(Desc("Quillrun"));
    ws::setHandler(first, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    EXPECT_EQ(1, MySetReset());
    DestroyWindow(first);
    // The host restarted: a new window, found without anyone telling the library.
    HWND second = ws::createWindow(Desc("Quillrun"));
    ws::setHandler(second, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 2; });
    EXPECT_EQ(2, MySetReset());
    // A child of class "Quillrun" or another class is never taken for the host.
    DestroyWindow(second);
    HWND parent = ws::createWindow(Desc("Other"));
    ws::createWindow(Desc("Quillrun", "", WS_VISIBLE | WS_CHILD, parent));
    EXPECT_EQ(0, MySetReset());
}

// A host that stops reading its messages (a hung program) holds up each
// event for a bounded time only, and not at all once it is seen as hung; an
// unanswered question reads as 0.  Once the host reads again it is asked and
// answered as before.
class HungHost : public HookedDesktop {
protected:
    void ReleaseKeys()
    {
        HoldCtrlShift(false);
        for (UINT vk : {'A', 'S', 'P'})
            ws::keyUp(vk);
        ws::clearMessages(host);
    }
};

TEST_F(HungHost, EveryHostMessageIsBoundedAndReadsAsZero)
{
    struct Case {
        const char* name;
        UINT msg;
        std::function<LRESULT()> event;  // what the event returned
    };
    HWND button = ws::createWindow(Desc("Button", "OK", WS_VISIBLE | WS_CHILD, app, RECT{350, 350, 430, 380}));
    const Case cases[] = {
        {"a key stroke asks 1554", HM_HISTORY_ON, [] { return ws::keyDown('A').hookResult; }},
        {"a focus change asks 10869", HM_POINTER_JUMP,
         [button] { return ws::runCbtHooks(HCBT_SETFOCUS, (WPARAM)button, 0); }},
        {"Ctrl+Shift+S sends 9782", HM_HOTKEY, [this] { return CtrlShiftDown('S').hookResult; }},
        {"Ctrl+Shift+P sends 1081", HM_HOST_P, [this] { return CtrlShiftDown('P').hookResult; }},
        {"MySetReset sends 23907", HM_RESET, [] { return MySetReset(); }},
    };
    for (UINT m : {HM_HISTORY_ON, HM_POINTER_JUMP, HM_HOTKEY, HM_HOST_P, HM_RESET})
        hostAnswers[m] = 1;
    for (const Case& c : cases) {
        RestoreDefaults();
        ws::setCursorPos(600, 500);
        LRESULT answered = c.event();
        ASSERT_EQ(1u, HostMessages(c.msg).size()) << c.name << ": the answering host is asked";
        RestoreDefaults();
        ws::setCursorPos(600, 500);

        ws::stopResponding(host);
        DWORD start = GetTickCount();
        LRESULT stopped = c.event();
        DWORD waited = GetTickCount() - start;
        EXPECT_GT(waited, 0u) << c.name << ": the host was not asked";
        EXPECT_LE(waited, 1000u) << c.name << ": held up too long";
        EXPECT_EQ(0u, HostMessages(c.msg).size()) << c.name;
        EXPECT_EQ(600, ws::cursorPos().x) << c.name << ": no answer lets the pointer jump";
        if (c.msg == HM_RESET)
            EXPECT_EQ(0, stopped) << c.name << ": no answer is not the host's reply";
        else
            EXPECT_EQ(answered, stopped) << c.name << ": the event ends as with a host that answers";

        ws::advanceTick(5000);  // seen as hung now: not waited for at all
        ReleaseKeys();
        start = GetTickCount();
        c.event();
        EXPECT_EQ(0u, GetTickCount() - start) << c.name << ": a hung host is waited for";

        ws::resumeResponding(host);
        ReleaseKeys();
        c.event();
        EXPECT_EQ(1u, HostMessages(c.msg).size()) << c.name << ": the host reads again";
    }
}

// --- The shared block --------------------------------------------------------

// A further process mapping the library finds the values the host has set.
TEST(SharedBlock, ALaterProcessAttachKeepsWhatTheHostSet)
{
    iZure = 7;
    bIsHistory = 0;
    chCtrlShift[0] = '0';
    SetBlockInitialValues();
    EXPECT_EQ(7, iZure);
    EXPECT_EQ(0, bIsHistory);
    EXPECT_EQ('0', chCtrlShift[0]);
}

// Every value of the library's list lies in the block, in the list's order.
TEST(SharedBlock, HoldsEveryValueOfTheListInItsOrder)
{
    const std::pair<const char*, const void*> order[] = {
#define QR_FUNCTION(result, name, params, exported, bytes, binder)
#define QR_VALUE(type, name, dims, exported, binder) {#name, &name},
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE
    };
    const char* previous = nullptr;
    for (const auto& value : order) {
        const char* p = static_cast<const char*>(value.second);
        EXPECT_TRUE(p >= SharedBlockBegin() && p < SharedBlockEnd()) << value.first << " lies outside the block";
        EXPECT_TRUE(!previous || p > previous) << value.first << " out of order";
        previous = p;
    }
}

// A value the host writes is seen by the next hook call in any thread at once,
// and a change made by a hook in one thread is seen in all others.
TEST(SharedBlock, ValuesAreSeenFromAnotherThreadWithoutNotice)
{
    HWND host = ws::createWindow(Desc("Quillrun"));
    SethWndhInstance(host, NULL);
    SetMyHook(0, 0);
    ws::setKeyState(VK_CONTROL, true);
    ws::setKeyState(VK_SHIFT, true);
    chCtrlShift[1] = '0';  // the host disables Ctrl+Shift+B
    LRESULT r = -1;
    std::thread other([&] { r = DllKeyHook(HC_ACTION, 'B', ws::keyFlags(true, false)); });
    other.join();
    EXPECT_EQ(0, r);
    EXPECT_EQ(1024, iZure);
    chCtrlShift[1] = '1';
    std::thread again([&] { r = DllKeyHook(HC_ACTION, 'B', ws::keyFlags(true, false)); });
    again.join();
    EXPECT_EQ(1, r);
    EXPECT_EQ(1034, iZure);
}

}  // namespace

// --- The exchange of the tables between the two widths -------------------------

#include "pair_tables.h"

#include <algorithm>

namespace {

// Tables given as their lines, oldest first, ring starting at `first`; and
// their aliases by slot.
struct PairSide {
    int first;
    std::vector<const char*> lines;
    std::vector<const char*> aliases;
    int zure;
};

PairTables Tables(const PairSide& side)
{
    PairTables t;
    memset(&t, 0, sizeof t);
    int slot = side.first;
    for (const char* line : side.lines) {
        strcpy(t.hist[slot], line);
        for (size_t i = 0; line[i]; ++i)
            t.exactHist[slot][i] = (WCHAR)(unsigned char)line[i];
        slot = (slot + 1) % QR_RING_SLOTS;
    }
    t.setIndex = slot;
    for (size_t i = 0; i < side.aliases.size(); ++i)
        strcpy(t.alias[i], side.aliases[i]);
    t.values[QR_PAIR_VALUE_KBLOCK] = side.zure;
    return t;
}

// The lines from the newest back, as Up shows them, and the aliases.
std::string Shown(const PairTables& t)
{
    std::string out;
    for (int i = 0, slot = PairNewestSlot(&t); i < QR_RING_SLOTS && t.hist[slot][0]; ++i) {
        out += std::string(t.hist[slot]) + "|";
        slot = (slot + QR_RING_SLOTS - 1) % QR_RING_SLOTS;
    }
    out += " aliases:";
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot)
        if (t.alias[slot][0])
            out += std::string(" ") + t.alias[slot];
    return out + " value:" + std::to_string(t.values[QR_PAIR_VALUE_KBLOCK]);
}

struct MergeRow {
    const char* scenario;
    PairSide into, base, changed;
    int added;
    const char* shown;
};

const MergeRow kMergeRows[] = {
    {"nothing changed on the other side",
     {0, {"a", "b"}, {"x,1"}, 0}, {0, {"a"}, {"x,1"}, 0}, {0, {"a"}, {"x,1"}, 0},
     0, "b|a| aliases: x,1 value:0"},
    {"a line stored on the other side goes after the newest",
     {0, {"a"}, {}, 0}, {0, {"a"}, {}, 0}, {0, {"a", "b"}, {}, 0},
     1, "b|a| aliases: value:0"},
    {"lines stored on both sides at once are all kept",
     {0, {"a", "mine"}, {}, 0}, {0, {"a"}, {}, 0}, {0, {"a", "theirs1", "theirs2"}, {}, 0},
     2, "theirs2|theirs1|mine|a| aliases: value:0"},
    {"the ring wraps on the other side",
     {30, {"a", "b"}, {}, 0}, {30, {"a", "b"}, {}, 0}, {30, {"a", "b", "c", "d"}, {}, 0},
     2, "d|c|b|a| aliases: value:0"},
    {"a line equal to the newest is not stored twice",
     {0, {"a", "same"}, {}, 0}, {0, {"a"}, {}, 0}, {0, {"a", "same"}, {}, 0},
     0, "same|a| aliases: value:0"},
    {"an alias written on the other side",
     {0, {}, {"x,1"}, 0}, {0, {}, {"x,1"}, 0}, {0, {}, {"x,1", "y,2"}, 0},
     0, " aliases: x,1 y,2 value:0"},
    {"the same alias slot written on both sides: the other entry moves to a free slot",
     {0, {}, {"x,1", "mine,1"}, 0}, {0, {}, {"x,1"}, 0}, {0, {}, {"x,1", "theirs,2"}, 0},
     0, " aliases: x,1 mine,1 theirs,2 value:0"},
    {"an alias removed on the other side",
     {0, {}, {"x,1", "y,2"}, 0}, {0, {}, {"x,1", "y,2"}, 0}, {0, {}, {"x,1"}, 0},
     0, " aliases: x,1 value:0"},
    {"a value switched on the other side",
     {0, {}, {}, 0}, {0, {}, {}, 0}, {0, {}, {}, 1},
     0, " aliases: value:1"},
    {"a value switched on this side only stays",
     {0, {}, {}, 1}, {0, {}, {}, 0}, {0, {}, {}, 0},
     0, " aliases: value:1"},
};

TEST(PairExchange, EachSidesChangesReachTheOtherAndNothingIsLost)
{
    for (const MergeRow& row : kMergeRows) {
        PairTables into = Tables(row.into), base = Tables(row.base), changed = Tables(row.changed);
        EXPECT_EQ(row.added, MergePairChanges(&into, &base, &changed)) << row.scenario;
        EXPECT_EQ(row.shown, Shown(into)) << row.scenario;
    }
}

// The host takes the companion's change, the companion the host's tables and
// what its programs stored meanwhile: both end with one ring in one order.
TEST(PairExchange, ARoundTripLeavesBothSidesWithTheSameRing)
{
    PairTables common = Tables({0, {"a"}, {}, 0});
    PairTables host = Tables({0, {"a", "host line"}, {}, 0});
    PairTables sentByCompanion = Tables({0, {"a", "companion line"}, {}, 0});
    PairTables companionNow = Tables({0, {"a", "companion line", "stored meanwhile"}, {}, 0});

    MergePairChanges(&host, &common, &sentByCompanion);
    PairTables handedOver = host;
    PairTables companion = host;
    MergePairChanges(&companion, &sentByCompanion, &companionNow);
    EXPECT_EQ("stored meanwhile|companion line|host line|a| aliases: value:0", Shown(companion));

    MergePairChanges(&host, &handedOver, &companion);  // the next exchange
    EXPECT_EQ(Shown(companion), Shown(host));
}

// Records another program sends to either window, one field damaged in each;
// the sender's own reading of such a block sends it repaired.
const std::pair<const char*, void (*)(PairTables*)> kDamagedRecordRows[] = {
    {"the ring's next slot outside the ring", [](PairTables* t) { t->setIndex = QR_RING_SLOTS; }},
    {"a history line without a terminator", [](PairTables* t) { memset(t->hist[3], 'a', QR_HIST_TEXT); }},
    {"an exact alias without a terminator", [](PairTables* t) { std::fill_n(t->exactAlias[5], QR_ALIAS_TEXT, u'x'); }},
    {"an option above its range", [](PairTables* t) { t->values[0] = 2; }},
    {"the keyboard lock neither on nor off", [](PairTables* t) { t->values[QR_PAIR_VALUE_KBLOCK] = -1; }},
    {"a letter switch neither 0 nor 1", [](PairTables* t) { t->letterSwitches[4] = '2'; }},
    {"another settings file", [](PairTables* t) { strcpy(t->iniPath, "C:\\elsewhere.ini"); }},
    {"another secret", [](PairTables* t) { t->secret[15] ^= 1; }},
};

TEST(PairExchange, ARecordWithAnyFieldDamagedIsDroppedWhole)
{
    const unsigned char secret[QR_PAIR_SECRET] = {7, 1, 8, 2, 8};
    ProfilePath file;
    ProfilePathOf(&file, u"C:\\Users\\me\\AppData\\Roaming\\Quillrun\\Quillrun.Ini");
    PairTables good = Tables({30, {"a", "b", "c"}, {"x,1"}, 1});
    memcpy(good.secret, secret, QR_PAIR_SECRET);
    MakePairTablesValid(&good, &file);
    ASSERT_TRUE(PairRecordValid(QR_PAIR_CHANGED, &good, sizeof good, secret, &file)) << "the well-formed record";
    const unsigned char other[QR_PAIR_SECRET] = {7, 1, 8, 2, 9};
    EXPECT_TRUE(PairRecordValid(QR_PAIR_POLL, secret, QR_PAIR_SECRET, secret, &file)) << "a poll";
    EXPECT_FALSE(PairRecordValid(QR_PAIR_POLL, other, QR_PAIR_SECRET, secret, &file)) << "a poll, another secret";
    for (const auto& row : kDamagedRecordRows) {
        PairTables damaged = good;
        row.second(&damaged);
        EXPECT_FALSE(PairRecordValid(QR_PAIR_TABLES, &damaged, sizeof damaged, secret, &file)) << row.first;
        MakePairTablesValid(&damaged, &file);
        bool repairable = memcmp(damaged.secret, secret, QR_PAIR_SECRET) == 0;
        EXPECT_EQ(repairable, PairRecordValid(QR_PAIR_CHANGED, &damaged, sizeof damaged, secret, &file) != 0)
            << row.first << ": read from a block";
    }
}

}  // namespace
