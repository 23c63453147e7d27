// The history ring: storing on Tab and Enter, browsing with Up, Down, Ctrl+E
// and Ctrl+X, the gates that let keys pass untouched, and the save into the
// settings file.
#include "edit_field.h"
#include "foreign_writer.h"

#include "core/host_link.h"
#include "core/settings_tables.h"
#include "core/text.h"

#include <string.h>

#include <functional>

namespace {

class History : public EditFieldDesktop {
protected:
    // One browsing key and what should follow from it.
    struct Step {
        const char* key;
        UINT vk;
        bool ctrl;
        const char* shows;  // field text afterwards
        bool consumed;
        int cursor;  // iGetIndex afterwards
        const char* typed = nullptr;  // typed into the field before the key
        int hostCursor = -1;          // iGetIndex written by the host before it
    };

    void RunSteps(const Step* steps, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            const Step& s = steps[i];
            if (s.typed)
                Type(s.typed);
            if (s.hostCursor >= 0)
                iGetIndex = s.hostCursor;
            int before = FieldGot(s.vk);
            ws::KeyResult r = s.ctrl ? CtrlPress(s.vk) : Press(s.vk);
            bool consumed = FieldGot(s.vk) == before;
            EXPECT_EQ(s.consumed, consumed) << "step " << i + 1 << " (" << s.key << ")";
            EXPECT_EQ(s.consumed ? 1 : 0, r.hookResult) << "step " << i + 1 << " (" << s.key << ")";
            EXPECT_EQ(std::string(s.shows), Text()) << "step " << i + 1 << " (" << s.key << ")";
            EXPECT_EQ(s.cursor, iGetIndex) << "step " << i + 1 << " (" << s.key << ")";
        }
    }

    void EnterABC()
    {
        Enter("A");
        Enter("B");
        Enter("C");
    }
};

TEST_F(History, WorkedExampleHoldsStepByStep)
{
    EnterABC();
    EXPECT_STREQ("A", chHist[0]);
    EXPECT_STREQ("B", chHist[1]);
    EXPECT_STREQ("C", chHist[2]);
    EXPECT_EQ(3, iSetIndex);
    EXPECT_EQ(2, iGetIndex);

    const Step steps[] = {
        {"Up", VK_UP, false, "C", true, 1},
        {"Up", VK_UP, false, "B", true, 0},
        {"Up", VK_UP, false, "A", true, 31},
        {"Up past the oldest", VK_UP, false, "A", false, 31},
        {"Down turning", VK_DOWN, false, "B", true, 1},
        {"Down", VK_DOWN, false, "C", true, 2},
        {"Down past the newest", VK_DOWN, false, "C", false, 2},
        {"Up turning", VK_UP, false, "B", true, 0},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
}

// The direction of the last recall decides the extra step of a turn; Ctrl+X
// counts as newer like Down, and a store leaves the direction as it was.
TEST_F(History, DirectionOfTheLastRecallSurvivesStoresAndFailedSteps)
{
    EnterABC();
    const Step steps[] = {
        {"Up", VK_UP, false, "C", true, 1},
        {"Down with no newer line steps back twice", VK_DOWN, false, "C", false, 1},
        {"Up", VK_UP, false, "B", true, 0},
        {"Ctrl+X turning", 'X', true, "C", true, 2},
        {"Up after Ctrl+X turns", VK_UP, false, "B", true, 0},
        {"Ctrl+X turning", 'X', true, "C", true, 2},
        {"Enter of a new line", VK_RETURN, false, "D", false, 3, "D"},
        {"Up still turns: the second newest", VK_UP, false, "C", true, 1},
        {"Down turning", VK_DOWN, false, "D", true, 3},
        {"Up turning onto an empty slot steps forward again", VK_UP, false, "D", false, 0, nullptr, 0},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST_F(History, RecallPutsTheCaretAtTheEndGoingBackAndAtTheStartGoingForward)
{
    EnterABC();
    Type("");
    Press(VK_UP);
    Press(VK_UP);
    ASSERT_EQ("B", Text());
    EXPECT_EQ(1, ws::editSelection(field).start);
    EXPECT_EQ(1, ws::editSelection(field).end);
    Type("something long");
    Press(VK_DOWN);
    ASSERT_EQ("C", Text());
    EXPECT_EQ(0, ws::editSelection(field).start);
    EXPECT_EQ(0, ws::editSelection(field).end);
}

TEST_F(History, CtrlEAndCtrlXBrowseLikeUpAndDown)
{
    EnterABC();
    const Step steps[] = {
        {"Ctrl+E", 'E', true, "C", true, 1},
        {"Ctrl+E", 'E', true, "B", true, 0},
        {"Ctrl+X turning", 'X', true, "C", true, 2},
        {"Ctrl+X with no newer line", 'X', true, "C", false, 2},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST_F(History, ShiftIsNotTested)
{
    EnterABC();
    ws::setKeyState(VK_SHIFT, true);
    const Step steps[] = {
        {"Shift+Up", VK_UP, false, "C", true, 1},
        {"Shift+Up", VK_UP, false, "B", true, 0},
        {"Shift+Down", VK_DOWN, false, "C", true, 2},
    };
    RunSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST_F(History, CtrlShiftEAndXRecallInsteadOfRunningTheirHotKeys)
{
    EnterABC();
    int aida = lAida;
    ws::setKeyState(VK_SHIFT, true);
    ws::setKeyState(VK_CONTROL, true);
    ws::KeyResult e = Press('E');
    EXPECT_EQ(1, e.hookResult);
    EXPECT_FALSE(e.delivered);
    EXPECT_EQ("C", Text());
    EXPECT_EQ(aida, lAida) << "the Ctrl+Shift+E hot key ran";
    Press('E');
    ws::KeyResult x = Press('X');
    EXPECT_EQ(1, x.hookResult);
    EXPECT_EQ("C", Text());
}

TEST_F(History, StoringRules)
{
    Enter("");
    EXPECT_EQ(0, iSetIndex) << "an empty line is not stored";

    Enter("DIR");
    Enter("DIR");
    EXPECT_EQ(1, iSetIndex) << "the same line twice in a row is stored once";
    Enter("dir");
    EXPECT_EQ(2, iSetIndex) << "case matters";
    EXPECT_STREQ("dir", chHist[1]);

    Type("copy a b");
    EXPECT_FALSE(Press(VK_TAB).hookResult) << "a store lets the key pass";
    EXPECT_EQ(1, FieldGot(VK_TAB));
    EXPECT_STREQ("copy a b", chHist[2]);
    EXPECT_EQ(3, iSetIndex);
    EXPECT_EQ(2, iGetIndex);
}

// A Unicode window's field: the ring takes the line's code-page form, the
// exact line goes beside it, and a recall there shows the exact line.  The
// lines lie outside both code pages (a character of two units among them).
TEST_F(History, AUnicodeFieldKeepsTheExactLine)
{
    const std::u16string lines[] = {u"\u0142\u00F3d\u017A", u"\u30D5\u30A1\u30A4\u30EB \u00E9", u"smile \U0001F600"};
    ws::forEachCodePage([&](UINT page) {
        RestoreDefaults();
        NewUnicodeField();
        for (int i = 0; i < 3; ++i) {
            TypeW(lines[i]);
            Press(VK_RETURN);
            EXPECT_EQ(CodePageOf(lines[i]), chHist[i]) << "slot " << i << ", code page " << page;
            EXPECT_EQ(lines[i], wchHist[i]) << "slot " << i << ", code page " << page;
        }
        TypeW(u"");
        EXPECT_EQ(1, Press(VK_UP).hookResult);
        EXPECT_EQ(lines[2], TextW()) << "code page " << page;
        EXPECT_EQ(int(lines[2].size()), ws::editSelection(field).start) << "the caret at the end, in units";
        Press(VK_UP);
        EXPECT_EQ(lines[1], TextW());
        Press(VK_DOWN);
        EXPECT_EQ(lines[2], TextW());
        // An ANSI window's field gets the code page's form, as ever.
        NewField("Edit", 0);
        Press(VK_UP);
        EXPECT_EQ(CodePageOf(lines[1]), Text()) << "code page " << page;
    });
}

// The exact line counts only while its slot still holds its code-page form,
// and the library's own code-page store forgets it even where the new line
// has the same form: a slot written since never shows stale exact text.
TEST_F(History, AnExactLineCountsOnlyWhileItsSlotIsItsCodePageForm)
{
    const std::u16string exact = u"\u0142";  // outside both code pages: "?"
    struct Row {
        const char* name;
        const char* hostWrites;  // into the slot
        const char* ansiStores;  // into the slot, from an ANSI field
        std::u16string recalled;
    } rows[] = {
        {"nothing rewrites the slot", nullptr, nullptr, exact},
        {"the host writes the slot", "other", nullptr, u"other"},
        {"an ANSI field stores a line there", nullptr, "x", u"x"},
        {"an ANSI field stores the same form", nullptr, "?", u"?"},
    };
    for (const Row& r : rows) {
        RestoreDefaults();
        NewUnicodeField();
        TypeW(exact);
        Press(VK_RETURN);
        if (r.hostWrites)
            strcpy(chHist[0], r.hostWrites);
        if (r.ansiStores) {
            iSetIndex = 0;
            NewField("Edit", 0);
            Enter(r.ansiStores);
        }
        NewUnicodeField();
        iGetIndex = 0;
        Press(VK_UP);
        EXPECT_EQ(r.recalled, TextW()) << r.name;
    }
}

// In a Unicode window's field a line equal to the newest one is the same
// exact text; lines the code page writes alike are different lines.
TEST_F(History, AUnicodeFieldComparesTheExactTextWithTheNewestLine)
{
    struct Row {
        bool firstUnicode;
        std::u16string first;
        bool secondUnicode;
        std::u16string second;
        int stored;
    } rows[] = {
        {true, u"\u0142", true, u"\u0142", 1},
        {true, u"\u0142", true, u"\u0151", 2},   // both "?" in the code page
        {false, u"?", true, u"\u0142", 2},       // the newest line's exact text is "?"
        {true, u"\u0142", false, u"?", 1},       // an ANSI field compares the bytes
    };
    for (const Row& r : rows) {
        RestoreDefaults();
        for (int i = 0; i < 2; ++i) {
            bool unicode = i == 0 ? r.firstUnicode : r.secondUnicode;
            const std::u16string& line = i == 0 ? r.first : r.second;
            if (unicode) {
                NewUnicodeField();
                TypeW(line);
            } else {
                NewField("Edit", 0);
                Type(CodePageOf(line));
            }
            Press(VK_RETURN);
        }
        EXPECT_EQ(r.stored, iSetIndex) << CodePageOf(r.first) << " then " << CodePageOf(r.second);
    }
}

// The host, or any process that maps the library, may write the ring's
// recall cursor at any moment: here after every instruction of a store or a
// recall.  The service uses the slot it wrote or read, never the cursor
// read again, so no other slot's exact text is touched.
TEST_F(History, TheCursorWrittenByAnotherProcessBetweenAnyTwoInstructions)
{
    const int kForeign = 7;
    struct Row {
        const char* what;
        bool unicode;
        UINT vk;
        std::u16string typed;
        std::u16string exactAfter;  // in the store slot (10)
        std::u16string shows;
    } rows[] = {
        {"Enter in an ANSI field", false, VK_RETURN, u"dir", u"", u"dir"},
        {"Enter in a Unicode field", true, VK_RETURN, u"\u0142 dir", u"\u0142 dir", u"\u0142 dir"},
        {"Up", false, VK_UP, u"", u"stale", u"line 7"},
    };
    for (const Row& r : rows) {
        RestoreDefaults();
        for (int i = 0; i < 10; ++i) {
            std::string line = "line " + std::to_string(i);
            strcpy(chHist[i], line.c_str());
            ExactForm(wchHist[i], 256, chHist[i], 256);
        }
        memcpy(wchHist[10], u"stale", sizeof u"stale");  // no longer its slot's text
        iSetIndex = 10;
        iGetIndex = 9;
        if (r.unicode) {
            NewUnicodeField();
            TypeW(r.typed);
        } else {
            NewField("Edit", 0);
            Type(CodePageOf(r.typed));
        }
        bool ran = RunWithWriterBetweenInstructions([&] { Press(r.vk); }, [&] {
            if (iGetIndex != kForeign)
                iGetIndex = kForeign;
        });
        if (!ran)
            GTEST_SKIP() << "no single-step trap on this processor";
        EXPECT_EQ(r.shows, TextW()) << r.what;
        EXPECT_EQ(r.exactAfter, wchHist[10]) << r.what;
        EXPECT_EQ(u"line 7", std::u16string(wchHist[kForeign])) << r.what << ": another slot's exact text";
    }
}

TEST_F(History, AStoreClearsTheRestOfTheSlot)
{
    memset(chHist[0], 'z', sizeof chHist[0] - 1);
    Enter("ab");
    EXPECT_EQ(0, memcmp(chHist[0], "ab\0\0\0", 5));
    for (size_t i = 2; i < sizeof chHist[0]; ++i)
        ASSERT_EQ(0, chHist[0][i]) << "byte " << i;
}

TEST_F(History, TheRingKeepsTheLast32Lines)
{
    for (int i = 1; i <= 33; ++i)
        Enter("line " + std::to_string(i));
    EXPECT_STREQ("line 33", chHist[0]);
    EXPECT_STREQ("line 2", chHist[1]);
    EXPECT_STREQ("line 32", chHist[31]);
    EXPECT_EQ(1, iSetIndex);
    EXPECT_EQ(0, iGetIndex);

    // Browsing older past the oldest line goes on with the newest.
    for (int i = 33; i >= 2; --i) {
        Press(VK_UP);
        ASSERT_EQ("line " + std::to_string(i), Text());
    }
    Press(VK_UP);
    EXPECT_EQ("line 33", Text());
}

TEST_F(History, UpWithAnEmptyRingReachesTheProgram)
{
    Type("typed");
    ws::KeyResult r = Press(VK_UP);
    EXPECT_EQ(0, r.hookResult);
    EXPECT_EQ(1, FieldGot(VK_UP));
    EXPECT_EQ("typed", Text());
    EXPECT_EQ(0, iGetIndex);
    EXPECT_EQ(0, iSetIndex);
}

TEST_F(History, EAndXWithoutCtrlKeepTheCursorAndOtherKeysRestartAtTheNewest)
{
    EnterABC();
    Press(VK_UP);
    Press(VK_UP);
    ASSERT_EQ(0, iGetIndex);
    Press('E');
    Press('X');
    EXPECT_EQ(0, iGetIndex) << "e and x leave the cursor";
    Press(VK_UP);
    EXPECT_EQ("A", Text());
    Press('Q');
    EXPECT_EQ(2, iGetIndex) << "any other key goes back to the newest line";
    Press(VK_UP);
    EXPECT_EQ("C", Text());
}

TEST_F(History, EnteringTheRecalledNewestLineStoresNothing)
{
    EnterABC();
    Press(VK_UP);
    ASSERT_EQ("C", Text());
    Press(VK_RETURN);
    EXPECT_EQ(3, iSetIndex);
    EXPECT_EQ(1, iGetIndex) << "the cursor stays where the recall left it";
    Press(VK_UP);
    EXPECT_EQ("B", Text());
}

TEST_F(History, TypingAfterADownRecallThenUpShowsTheSecondNewest)
{
    EnterABC();
    Press(VK_UP);
    Press(VK_UP);
    Press(VK_DOWN);
    ASSERT_EQ("C", Text());
    Press('K');  // typing: back to the newest slot
    Press(VK_UP);
    EXPECT_EQ("B", Text());
}

// Each gate alone lets every history key pass untouched.
TEST_F(History, GatesLetKeysPassUntouched)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"history switched off by the host", [this] { hostAnswers[HM_HISTORY_ON] = 0; }},
        {"no host window", [this] { DestroyWindow(host); }},
        {"host not answering", [this] { ws::stopResponding(host); }},
        {"no focus window", [] { hWndNowFocus = NULL; }},
        {"password field", [this] { SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_PASSWORD); }},
        {"multi-line field", [this] { SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_MULTILINE); }},
        {"not an edit field", [this] { FocusOn(ws::createControl(Desc("Button", "", WS_CHILD, app))); }},
        {"input method open",
         [] {
             ws::installInputMethod();
             ws::setInputMethodOpen(1);
         }},
        {"combo-box list dropped down",
         [this] {
             ws::Combo c = ws::createComboBox(app, 5);
             SendMessageA(c.box, CB_SHOWDROPDOWN, TRUE, 0);
         }},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        EnterABC();
        Type("typed");
        c.arrange();
        Type("typed");
        for (UINT vk : {VK_UP, VK_DOWN}) {
            EXPECT_EQ(0, Press(vk).hookResult) << c.name << ", key " << vk;
            EXPECT_EQ(1, FieldGot(vk)) << c.name << ", key " << vk;
        }
        EXPECT_EQ(0, CtrlPress('E').hookResult) << c.name << ", Ctrl+E";
        EXPECT_EQ("typed", Text()) << c.name;
        EXPECT_EQ(2, iGetIndex) << c.name;
        Type("new line");
        Press(VK_RETURN);
        EXPECT_EQ(3, iSetIndex) << c.name << ": Enter stored nothing";
    }
}

TEST_F(History, HostIsAskedFirstAtEveryEvent)
{
    hostAnswers[HM_HISTORY_ON] = 0;
    Press('A');
    Press(VK_UP);
    EXPECT_EQ(4u, HostMessages(HM_HISTORY_ON).size()) << "presses and releases";
    EXPECT_EQ(0, Hist(-1, VK_UP, 0));
    EXPECT_EQ(5u, HostMessages(HM_HISTORY_ON).size()) << "a negative hook code is asked about too";
    for (const ws::Message& m : HostMessages(HM_HISTORY_ON)) {
        EXPECT_EQ(0u, m.wParam);
        EXPECT_EQ(0, m.lParam);
    }
}

TEST_F(History, NegativeCodesRepeatsAndReleasesAreIgnored)
{
    EnterABC();
    Type("typed");
    EXPECT_EQ(0, Hist(-1, VK_UP, ws::keyFlags(true, false)));
    EXPECT_EQ(0, Hist(HC_ACTION, VK_UP, ws::keyFlags(true, true))) << "auto-repeat";
    EXPECT_EQ(0, Hist(HC_ACTION, VK_UP, ws::keyFlags(false, true))) << "release";
    EXPECT_EQ("typed", Text());
    EXPECT_EQ(2, iGetIndex);
    EXPECT_EQ(1, Hist(HC_ACTION, VK_UP, ws::keyFlags(true, false)));
    EXPECT_EQ("C", Text());
}

TEST_F(History, AltUpAndAltDownPassButAltCtrlERecalls)
{
    EnterABC();
    Type("typed");
    ws::setKeyState(VK_MENU, true);
    EXPECT_EQ(0, Press(VK_UP).hookResult);
    EXPECT_EQ(0, Press(VK_DOWN).hookResult);
    EXPECT_EQ("typed", Text());
    EXPECT_EQ(1, CtrlPress('E').hookResult);
    EXPECT_EQ("C", Text());
}

TEST_F(History, WithTheInputMethodOpenTabStillStores)
{
    ws::installInputMethod();
    ws::setInputMethodOpen(1);
    Enter("enter");
    EXPECT_EQ(0, iSetIndex) << "Enter passes while composing";
    Type("tab");
    Press(VK_TAB);
    EXPECT_EQ(1, iSetIndex);
    EXPECT_STREQ("tab", chHist[0]);
    EXPECT_EQ(0, Press(VK_UP).hookResult);
    EXPECT_EQ("tab", Text());
}

TEST_F(History, ClosedComboListDoesNotStopRecallAndComboEditIsServed)
{
    ws::Combo c = ws::createComboBox(app, 5);
    FocusOn(c.edit);
    EnterABC();
    EXPECT_EQ(1, Press(VK_UP).hookResult);
    EXPECT_EQ("C", Text());
}

TEST_F(History, ALongFieldTextIsCutTo255Bytes)
{
    Enter(std::string(300, 'q'));
    EXPECT_EQ(255u, strlen(chHist[0]));
}

// The host may write the indexes and the ring: values outside 0 to 31 are
// read as 0, and a slot filled to its last byte is shown cut to 255 bytes.
TEST_F(History, HostWrittenIndexesAndSlotsStayInsideTheRing)
{
    iSetIndex = 99;
    iGetIndex = -7;
    Enter("first");
    EXPECT_STREQ("first", chHist[0]);
    EXPECT_EQ(1, iSetIndex);
    EXPECT_EQ(0, iGetIndex);

    memset(chHist[5], 'w', sizeof chHist[5]);  // no terminator
    iGetIndex = 5;
    iSetIndex = 6;
    Type("");
    EXPECT_EQ(1, Press(VK_UP).hookResult);
    EXPECT_EQ(std::string(255, 'w'), Text());

    iGetIndex = 1000;  // read as 0: Down turns to slot 1, then 2, finds it empty
    EXPECT_EQ(0, Press(VK_DOWN).hookResult);
    EXPECT_EQ(0, iGetIndex);
    iSetIndex = -3;
    Press('Q');
    EXPECT_EQ(31, iGetIndex);
}

class HistorySave : public EditFieldDesktop {
protected:
    std::string Ini() { return ws::readFile("Quillrun.Ini"); }
    // One profile write as the recorder saw it.
    struct Write {
        std::string key, value;
        bool operator==(const Write& o) const { return key == o.key && value == o.value; }
    };
    // The writes into the code-page section of the settings file, in order.
    std::vector<Write> CodePageWrites()
    {
        std::vector<Write> out;
        const std::string prefix = "WritePrivateProfileStringA(\"Quillrun\", \"";
        for (const std::string& w : ws::callsTo("WritePrivateProfileStringA")) {
            if (w.rfind(prefix, 0) != 0)
                continue;
            size_t keyEnd = w.find('"', prefix.size());
            size_t valueStart = keyEnd + 4, valueEnd = w.find("\", \"", valueStart);
            out.push_back({w.substr(prefix.size(), keyEnd - prefix.size()), w.substr(valueStart, valueEnd - valueStart)});
            EXPECT_NE(std::string::npos, w.find(", \"Quillrun.Ini\")")) << w;
        }
        return out;
    }
};

TEST_F(HistorySave, KeysAreLowerCaseHexOfTheSlotPlusOne)
{
    strcpy(chHist[0], "zero");
    strcpy(chHist[10], "ten");
    strcpy(chHist[26], "twenty-six");
    strcpy(chHist[31], "last");
    strcpy(chAlias[0], "ll,dir /w");
    strcpy(chAlias[31], "x,y");
    HistryAndAliasSave();
    std::vector<Write> writes = CodePageWrites();
    ASSERT_EQ(64u, writes.size());
    const struct {
        size_t at;
        Write write;
    } expected[] = {
        {0, {"1", "zero"}},        {1, {"2", ""}},           {9, {"a", ""}},          {10, {"b", "ten"}},
        {15, {"10", ""}},          {26, {"1b", "twenty-six"}}, {31, {"20", "last"}},
        {32, {"Alias-1", "ll,dir /w"}}, {46, {"Alias-f", ""}}, {63, {"Alias-20", "x,y"}},
    };
    for (const auto& e : expected)
        EXPECT_TRUE(e.write == writes[e.at]) << "write " << e.at << ": expected " << e.write.key << "=\""
                                             << e.write.value << "\", actual " << writes[e.at].key << "=\""
                                             << writes[e.at].value << "\"";
    std::string ini = Ini();
    EXPECT_NE(std::string::npos, ini.find("1b=twenty-six\r\n"));
    EXPECT_NE(std::string::npos, ini.find("Alias-1=ll,dir /w\r\n"));
}

TEST_F(HistorySave, FlagsMustBeExactlyOne)
{
    struct Case {
        int history, alias;
        size_t writes;
        const char* first;
    } cases[] = {
        {1, 1, 64, "1"}, {2, 1, 32, "Alias-1"}, {1, 0, 32, "1"}, {0, 2, 0, nullptr}, {-1, 1, 32, "Alias-1"},
    };
    for (const Case& c : cases) {
        ws::clearCalls();
        bIsHistory = c.history;
        bIsAlias = c.alias;
        HistryAndAliasSave();
        std::vector<Write> writes = CodePageWrites();
        EXPECT_EQ(c.writes, writes.size()) << "history " << c.history << ", alias " << c.alias;
        if (c.first && !writes.empty())
            EXPECT_EQ(c.first, writes[0].key) << "history " << c.history << ", alias " << c.alias;
    }
}

// The exact text goes into its own section only where the code-page key
// does not give it back; a key left from an earlier text is removed.
TEST_F(HistorySave, ExactTextGoesBesideWhereTheCodePageLosesIt)
{
    WriteProfileStriMy("Quillrun-UTF8", "4", "stale");
    struct Row {
        const char* key;
        WCHAR* exact;
        char* ansi;
        std::u16string text;
        const char* slotText;  // nullptr: the exact text's code-page form
        bool saved;
        std::u16string readBack = u"";  // "": the text itself
    } rows[] = {
        {"1", wchHist[0], chHist[0], u"\u0142 \U0001F600 %\"", nullptr, true},
        {"2", wchHist[1], chHist[1], u"plain text", nullptr, false},
        {"3", wchHist[2], chHist[2], u"\u0142", "written since", false},
        {"4", wchHist[3], chHist[3], u"", "", false},
        {"Alias-1", wchAlias[0], chAlias[0], u"\u03B6,echo \u65E5", nullptr, true},
        // Line breaks become blanks in both keys, which stay tied.
        {"5", wchHist[4], chHist[4], u"echo \u0142\r\nnext", nullptr, true, u"echo \u0142  next"},
        {"6", wchHist[5], chHist[5], u"echo a\r\nnext", nullptr, false},
    };
    for (const Row& r : rows) {
        memcpy(r.exact, r.text.c_str(), (r.text.size() + 1) * sizeof(WCHAR));
        strcpy(r.ansi, r.slotText ? r.slotText : CodePageOf(r.text).c_str());
    }
    HistryAndAliasSave();
    for (const Row& r : rows) {
        char value[QR_EXACT_VALUE];
        GetPrivateProfileStringA("Quillrun-UTF8", r.key, "", value, sizeof value, "Quillrun.Ini");
        EXPECT_EQ(r.saved, value[0] != 0) << r.key << ": " << value;
        WCHAR back[256] = {};
        if (!r.saved)
            continue;
        EXPECT_TRUE(ExactFromValue(back, 256, value)) << r.key << ": " << value;
        EXPECT_EQ(r.readBack.empty() ? r.text : r.readBack, back) << r.key;
        // As the host loads them at its next start: the exact text counts.
        char code[256];
        GetPrivateProfileStringA("Quillrun", r.key, "", code, sizeof code,
                                 "Quillrun.Ini");
        EXPECT_TRUE(ExactTied(back, 256, code, 256)) << r.key << ": \"" << code << "\"";
    }
}

// The host's save and a shut-down hot key's save in another program can run
// at the same moment: neither may write a value under another key or blank
// one.  The second save here runs while the first is inside its last write.
TEST_F(HistorySave, TwoSavesAtOnceWriteEveryValueUnderItsKey)
{
    strcpy(chHist[0], "zero");
    strcpy(chAlias[31], "x,y");
    ws::runDuringProfileWrite([](const std::string& section, const std::string& key) {
        return section == "Quillrun" && key == "Alias-20";
    }, [] { HistryAndAliasSave(); });
    HistryAndAliasSave();
    char value[64];
    GetPrivateProfileStringA("Quillrun", "Alias-20", "", value, sizeof value, "Quillrun.Ini");
    EXPECT_STREQ("x,y", value);
    GetPrivateProfileStringA("Quillrun", "1", "", value, sizeof value, "Quillrun.Ini");
    EXPECT_STREQ("zero", value);
}

// A line holding CR or LF would add lines (even keys) to the settings file.
TEST_F(HistorySave, LineBreaksAreSavedAsSpaces)
{
    strcpy(chHist[0], "echo a\r\n2=injected");
    strcpy(chAlias[0], "x,one\ntwo");
    memset(chHist[1], 'm', sizeof chHist[1]);  // filled by the host, no terminator
    HistryAndAliasSave();
    std::string ini = Ini();
    EXPECT_NE(std::string::npos, ini.find("\r\n1=echo a  2=injected\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("\r\n2=" + std::string(255, 'm') + "\r\n"));
    EXPECT_NE(std::string::npos, ini.find("\r\nAlias-1=x,one two\r\n"));
    EXPECT_EQ(std::string::npos, ini.find("\r\n2=injected"));
    char value[300];
    GetPrivateProfileStringA("Quillrun", "2", "", value, sizeof value, "Quillrun.Ini");
    EXPECT_EQ(std::string(255, 'm'), value);
}

// What is saved reads back exactly through the platform's profile reader,
// also lines with blanks at their ends or in quotes (the soak found these).
TEST_F(HistorySave, EveryLineReadsBackExactly)
{
    const char* lines[] = {"dir ", "  cd ..", "\"quoted\"", "'x'", "plain"};
    std::string longLine(255, ' ');
    longLine[100] = 'x';  // blanks at both ends, a full slot
    for (int i = 0; i < 5; ++i)
        strcpy(chHist[i], lines[i]);
    memcpy(chHist[5], longLine.c_str(), 256);
    strcpy(chAlias[0], "ls,dir ");
    HistryAndAliasSave();
    char value[300];
    for (int i = 0; i < 6; ++i) {
        char key[4] = {(char)('1' + i), 0};
        GetPrivateProfileStringA("Quillrun", key, "<missing>", value, sizeof value, "Quillrun.Ini");
        EXPECT_EQ(std::string(chHist[i]), value) << "slot " << i;
    }
    GetPrivateProfileStringA("Quillrun", "Alias-1", "<missing>", value, sizeof value, "Quillrun.Ini");
    EXPECT_STREQ("ls,dir ", value);
}

// The host loads at its start what the library saved, by the same keys and
// values: every slot comes back as it was, in both forms, and so does the
// ring's store slot.
TEST_F(HistorySave, WhatIsSavedLoadsBackAsItWas)
{
    // The exact text is kept only where the code page loses it (a Unicode
    // window's line); the code-page slot is always its code-page form.
    const struct {
        std::u16string text;
        bool exact;
    } rows[] = {{u"plain", false}, {u"  blanks at both ends ", false}, {u"\"quoted\"", false},
                {u"\u0142 \U0001F600", true}};
    for (int i = 0; i < 4; ++i) {
        std::u16string entry = u"a" + std::u16string(1, u'0' + i) + u"," + rows[i].text;
        strcpy(chHist[i * 9], CodePageOf(rows[i].text).c_str());
        strcpy(chAlias[31 - i], CodePageOf(entry).c_str());
        if (rows[i].exact) {
            memcpy(wchHist[i * 9], rows[i].text.c_str(), (rows[i].text.size() + 1) * sizeof(WCHAR));
            memcpy(wchAlias[31 - i], entry.c_str(), (entry.size() + 1) * sizeof(WCHAR));
        }
    }
    HistryAndAliasSave();
    ProfilePath file;
    SettingsFilePath(&file);
    ASSERT_TRUE(SaveStoreSlot(&file, 28));

    static char hist[QR_RING_SLOTS][QR_HIST_TEXT], alias[QR_RING_SLOTS][QR_ALIAS_TEXT];
    static WCHAR exactHist[QR_RING_SLOTS][QR_HIST_TEXT], exactAlias[QR_RING_SLOTS][QR_ALIAS_TEXT];
    memset(hist, 'x', sizeof hist);
    memset(alias, 'x', sizeof alias);
    memset(exactHist, 'x', sizeof exactHist);
    memset(exactAlias, 'x', sizeof exactAlias);
    SettingsTables loaded = {hist, exactHist, alias, exactAlias};
    EXPECT_EQ(28, LoadSettingsTables(&file, &loaded));
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
        EXPECT_STREQ(chHist[slot], hist[slot]) << "history slot " << slot;
        EXPECT_EQ(std::u16string((const char16_t*)wchHist[slot]), (const char16_t*)exactHist[slot]) << slot;
        EXPECT_STREQ(chAlias[slot], alias[slot]) << "alias slot " << slot;
        EXPECT_EQ(std::u16string((const char16_t*)wchAlias[slot]), (const char16_t*)exactAlias[slot]) << slot;
    }
}

}  // namespace
