// File-name completion: the list built in the host's completion dialog, the
// forward and backward steps, the reset keys and the limits of the buffers.
#include "edit_field.h"

#include "core/text.h"

#include <string.h>

#include <functional>
#include <vector>

namespace {

class Completion : public EditFieldDesktop {
protected:
    void SetUp() override
    {
        EditFieldDesktop::SetUp();
        hostAnswers[HM_HISTORY_ON] = 0;  // history off: only completion acts
        dlg = ws::createCompletionDialog();
        hDlgFileList = dlg.dialog;
        ws::writeFile("C:\\AUTOEXEC.BAT", "");
        ws::writeFile("C:\\AUTOEXEC.DOS", "");
        ws::writeFile("C:\\CONFIG.SYS", "");
        ws::writeFile("C:\\WINDOWS\\SYSTEM.INI", "");
        ws::writeFile("C:\\WINDOWS\\NOTEPAD.EXE", "");
        ws::makeDirectory("C:\\WINDOWS\\SYSTEM");
        ws::writeFile("C:\\WINDOWS\\SYSTEM\\USER.EXE", "");
    }

    // Ctrl+key in the field; the result of the press.
    ws::KeyResult Step(UINT vk) { return CtrlPress(vk); }

    std::string Pattern() const { return ws::windowText(dlg.pattern); }
    std::vector<std::string> List() const { return ws::listItems(dlg.list); }
    int ListDirs() const
    {
        int n = 0;
        for (const ws::Message& m : ws::messages(dlg.list))
            n += m.msg == LB_DIR;
        return n;
    }

    ws::CompletionDialog dlg;
};

TEST_F(Completion, WorkedExampleHoldsStepByStep)
{
    Type("type c:\\au");
    ws::KeyResult first = Step('L');
    EXPECT_EQ(1, first.hookResult);
    EXPECT_EQ(0, FieldGot('L')) << "the key is consumed";
    EXPECT_EQ("c:\\au*.*", Pattern());
    EXPECT_EQ((std::vector<std::string>{"AUTOEXEC.BAT", "AUTOEXEC.DOS"}), List());
    EXPECT_EQ("type c:\\AUTOEXEC.BAT", Text());
    EXPECT_EQ(20, ws::editSelection(field).start);
    EXPECT_EQ(20, ws::editSelection(field).end);

    struct Row {
        UINT vk;
        const char* shows;
    } rows[] = {
        {'L', "type c:\\AUTOEXEC.DOS"},
        {'L', "type c:\\AUTOEXEC.BAT"},
        {'O', "type c:\\AUTOEXEC.DOS"},
        {'O', "type c:\\AUTOEXEC.BAT"},
        {'O', "type c:\\AUTOEXEC.DOS"},
        {'L', "type c:\\AUTOEXEC.BAT"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        EXPECT_EQ(1, Step(rows[i].vk).hookResult) << "row " << i + 1;
        EXPECT_EQ(rows[i].shows, Text()) << "row " << i + 1;
    }
    EXPECT_EQ(1, ListDirs()) << "the list is built once and kept";
}

TEST_F(Completion, TheListIsAskedForWithTheDirectoryAttribute)
{
    Type("c:\\");
    Step('L');
    for (const ws::Message& m : ws::messages(dlg.list))
        if (m.msg == LB_DIR)
            EXPECT_EQ(16u, m.wParam);
    EXPECT_EQ((std::vector<std::string>{"[WINDOWS]", "AUTOEXEC.BAT", "AUTOEXEC.DOS", "CONFIG.SYS"}), List());
    EXPECT_EQ("c:\\WINDOWS", Text()) << "a directory entry loses its brackets";
}

TEST_F(Completion, TheWordDecidesTheWildcard)
{
    struct Case {
        const char* line;
        const char* pattern;
    } cases[] = {
        {"dir c:\\windows\\sys", "c:\\windows\\sys*.*"},
        {"edit note.t", "note.t*"},
        {"type c:\\*.bat", "c:\\*.bat"},
        {"type c:\\auto?xec.bat", "c:\\auto?xec.bat"},
        {"copy a\tb", "b*.*"},
        {"cd ", "*.*"},
        {"", "*.*"},
        {"c:", "c:*.*"},
    };
    for (const Case& c : cases) {
        Press(VK_BACK);  // empties the list
        Type(c.line);
        Step('L');
        EXPECT_EQ(c.pattern, Pattern()) << "line \"" << c.line << "\"";
    }
}

TEST_F(Completion, ALineEndingInASpaceCompletesAnEmptyWord)
{
    SetCurrentDirectoryA("C:\\WINDOWS");
    Type("notepad ");
    Step('L');
    EXPECT_EQ("*.*", Pattern());
    EXPECT_EQ((std::vector<std::string>{"[..]", "[SYSTEM]", "NOTEPAD.EXE", "SYSTEM.INI"}), List());
    EXPECT_EQ("notepad ..", Text()) << "the parent entry becomes two dots";
    Step('L');
    EXPECT_EQ("notepad SYSTEM", Text());
}

TEST_F(Completion, ADirectoryThenABackslashListsItsInside)
{
    Type("cd c:\\windows\\sys");
    Step('L');
    EXPECT_EQ((std::vector<std::string>{"[SYSTEM]", "SYSTEM.INI"}), List());
    EXPECT_EQ("cd c:\\windows\\SYSTEM", Text());
    ws::KeyResult backslash = Press(VK_OEM_5);
    EXPECT_EQ(0, backslash.hookResult);
    EXPECT_TRUE(List().empty());
    Type("cd c:\\windows\\SYSTEM\\");
    Step('L');
    EXPECT_EQ("c:\\windows\\SYSTEM\\*.*", Pattern());
    EXPECT_EQ("cd c:\\windows\\SYSTEM\\..", Text());
    Step('L');
    EXPECT_EQ("cd c:\\windows\\SYSTEM\\USER.EXE", Text());
}

TEST_F(Completion, ADrivePrefixIsReplacedWithTheWord)
{
    SetCurrentDirectoryA("C:\\WINDOWS");
    Type("run c:note");
    Step('L');
    EXPECT_EQ("c:note*.*", Pattern());
    EXPECT_EQ("run NOTEPAD.EXE", Text());
}

TEST_F(Completion, ResetKeysEmptyTheListAnywhereAndPassOn)
{
    const UINT resets[] = {VK_BACK, VK_TAB, VK_RETURN, VK_SPACE, VK_LEFT, VK_UP,
                           VK_RIGHT, VK_DOWN, VK_DELETE, VK_OEM_5};
    hWndNowFocus = NULL;  // no recognised field at all
    for (UINT vk : resets) {
        SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)"ENTRY");
        ws::KeyResult r = Press(vk);
        EXPECT_EQ(0, r.hookResult) << "key " << vk;
        EXPECT_TRUE(r.delivered) << "key " << vk;
        EXPECT_TRUE(List().empty()) << "key " << vk;
    }
    // Typing other keys keeps the list.
    SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)"ENTRY");
    for (UINT vk : {(UINT)'A', (UINT)'1', (UINT)0xBE, (UINT)VK_HOME, (UINT)VK_ESCAPE})
        Press(vk);
    EXPECT_EQ(1u, List().size());
    // So do reset keys that the service's own gates stop.
    struct Gate {
        const char* name;
        int hokan, code;
        LPARAM flags;
    } gates[] = {
        {"service off", 0, HC_ACTION, ws::keyFlags(true, false)},
        {"negative code", 1, -1, ws::keyFlags(true, false)},
        {"auto-repeat", 1, HC_ACTION, ws::keyFlags(true, true)},
        {"release", 1, HC_ACTION, ws::keyFlags(false, true)},
    };
    for (const Gate& g : gates) {
        bIsHokan = g.hokan;
        EXPECT_EQ(0, FileHokan(g.code, VK_BACK, g.flags)) << g.name;
        EXPECT_EQ(1u, List().size()) << g.name;
    }
    // Completion comes before history: an Up that history takes for itself
    // has emptied the list all the same.
    bIsHokan = 1;
    hostAnswers[HM_HISTORY_ON] = 1;
    strcpy(chHist[0], "dir");
    iSetIndex = 1;
    hWndNowFocus = field;
    EXPECT_EQ(1, Press(VK_UP).hookResult);
    EXPECT_TRUE(List().empty());
}

TEST_F(Completion, AResetKeyRestartsTheCursorButKeepsTheLastDirection)
{
    Type("type c:\\au");
    Step('L');
    Step('L');
    ASSERT_EQ("type c:\\AUTOEXEC.DOS", Text());
    Press(VK_BACK);
    Type("type c:\\au");
    // A first Ctrl+O after Ctrl+L steps makes the extra step of a turn: the
    // second last entry.
    Step('O');
    EXPECT_EQ("type c:\\AUTOEXEC.BAT", Text());

    ws::writeFile("C:\\AUX.TXT", "");
    Press(VK_BACK);
    Type("type c:\\au");
    Step('O');
    Step('O');
    Press(VK_BACK);
    Type("type c:\\au");
    // And a first Ctrl+L after Ctrl+O steps shows the second entry.
    Step('L');
    EXPECT_EQ("type c:\\AUTOEXEC.DOS", Text());
}

TEST_F(Completion, OneEntryShowsOnEveryStep)
{
    Type("c:\\con");
    for (UINT vk : {'L', 'L', 'O', 'O', 'L'}) {
        Step(vk);
        EXPECT_EQ("c:\\CONFIG.SYS", Text());
    }
}

// Shift-JIS names: "so-su" and "so-fu" begin with "so" (0x83 0x5C), "hyo-ji"
// holds the second byte 0x5C in the middle.  On a Japanese system they
// complete whole; under a single-byte code page the same bytes are other
// characters, and 0x5C is a backslash there.
TEST_F(Completion, DoubleByteNamesCompleteWhole)
{
    const std::string so = "\x83\x5C", soSu = so + "\x81\x5B\x83\x58.txt",
                      soFu = so + "\x83\x74\x83\x67.txt", hyoJi = "\x95\x5C\x8E\xA6";
    for (const std::string& name : {soSu, soFu, hyoJi + ".txt"})
        ws::writeFile("C:\\JP\\" + name, "");
    struct Case {
        UINT page;
        const char* line;
        std::vector<std::string> shown;  // after each Ctrl+L
    } cases[] = {
        {932, "type C:\\jp\\\x83\x5C", {"type C:\\jp\\" + soSu, "type C:\\jp\\" + soFu}},
        {1252, "type C:\\jp\\\x83\x5C", {"type C:\\jp\\\x83\\"}},
        {932, "type C:\\jp\\\x95\x5C\x8E\xA6", {"type C:\\jp\\" + hyoJi + ".txt"}},
        {1252, "type C:\\jp\\\x95\x5C\x8E\xA6", {"type C:\\jp\\\x95\\"}},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (c.page != page)
                continue;
            Press(VK_BACK);  // empties the list
            Type(c.line);
            for (const std::string& shown : c.shown) {
                EXPECT_EQ(1, Step('L').hookResult);
                EXPECT_EQ(shown, Text()) << "line \"" << c.line << "\", code page " << page;
            }
        }
    });
}

// The list box keeps UTF-16 names: a Unicode window's field gets them
// exactly, an ANSI window's field their code-page form.  An empty list is
// asked for with the field's exact pattern.
TEST_F(Completion, AUnicodeFieldCompletesToExactNames)
{
    const std::u16string names[] = {u"\u30D5\u30A1\u30A4\u30EB\U0001F600.txt", u"[\u00C6r\u00F8]"};
    for (const std::u16string& n : names)
        SendMessageW(dlg.list, LB_ADDSTRING, 0, (LPARAM)n.c_str());
    std::u16string shown[2];
    for (int i = 0; i < 2; ++i) {
        WCHAR entry[64] = {};
        SendMessageW(dlg.list, LB_GETTEXT, i, (LPARAM)entry);
        shown[i] = entry[0] == u'[' ? std::u16string(entry + 1, TextLength(entry) - 2) : entry;
    }
    NewUnicodeField();
    TypeW(u"type C:\\x\\a");
    for (int step = 0; step < 3; ++step) {
        EXPECT_EQ(1, Step('L').hookResult);
        EXPECT_EQ(u"type C:\\x\\" + shown[step % 2], TextW()) << "step " << step;
    }
    NewField("Edit", 0);
    Type("type C:\\x\\a");
    Step('O');
    EXPECT_EQ("type C:\\x\\" + CodePageOf(shown[1]), Text());

    Press(VK_BACK);
    NewUnicodeField();
    TypeW(u"type C:\\\u00C6");
    Step('L');
    EXPECT_EQ(u"C:\\\u00C6*.*", ws::windowTextW(dlg.pattern));
}

TEST_F(Completion, NoMatchRemovesThePartAfterTheBackslash)
{
    Type("type c:\\windows\\zz");
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("type c:\\windows\\", Text());
    EXPECT_EQ(16, ws::editSelection(field).end);
    Type("zz");
    EXPECT_EQ(1, Step('O').hookResult);
    EXPECT_EQ("", Text()) << "a word without a backslash goes whole";
    // The list stayed empty: the next Ctrl+L lists what is left (and makes
    // the extra step of a turn after the Ctrl+O).
    Type("type c:\\windows\\");
    Step('L');
    EXPECT_EQ((std::vector<std::string>{"[..]", "[SYSTEM]", "NOTEPAD.EXE", "SYSTEM.INI"}), List());
    EXPECT_EQ("type c:\\windows\\SYSTEM", Text());
}

TEST_F(Completion, WithoutTheDialogItBehavesAsWithoutAMatch)
{
    hDlgFileList = NULL;
    Type("type c:\\au");
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("type c:\\", Text());
    hDlgFileList = app;  // a window without controls 202 and 200
    Type("type c:\\au");
    EXPECT_EQ(1, Step('O').hookResult);
    EXPECT_EQ("type c:\\", Text());
}

TEST_F(Completion, KeysAndFieldsThatAreLeftAlone)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool ctrl;
    } cases[] = {
        {"L without Ctrl", [] {}, false},
        {"multi-line field", [this] { SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_MULTILINE); }, true},
        {"not an edit class", [this] { NewField("ComboBox", 0); }, true},
        {"input method open",
         [] {
             ws::installInputMethod();
             ws::setInputMethodOpen(1);
         },
         true},
        {"service off", [] { bIsHokan = 0; }, true},
        {"no focus window", [] { hWndNowFocus = NULL; }, true},
        {"host not answering", [this] { ws::stopResponding(dlg.dialog); }, true},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        c.arrange();
        Type("type c:\\au");
        for (UINT vk : {'L', 'O'}) {
            DWORD start = GetTickCount();
            ws::KeyResult r = c.ctrl ? Step(vk) : Press(vk);
            EXPECT_EQ(0, r.hookResult) << c.name;
            EXPECT_EQ(1, FieldGot(vk)) << c.name;
            EXPECT_LE(GetTickCount() - start, 300u) << c.name << ": the key waited more than one bound";
        }
        EXPECT_EQ("type c:\\au", Text()) << c.name;
        EXPECT_TRUE(List().empty()) << c.name;
    }
}

// A listing that takes the host longer than a host message's bound (a large
// folder, a network drive, a cold disk) is waited for: the host answers,
// only late.  A host that never answers is not.
TEST_F(Completion, ASlowListingCompletesOnTheFirstPress)
{
    struct Row {
        DWORD listingMs;
        bool completes;
    } rows[] = {{200, true}, {1500, true}, {4500, true}, {8000, false}};
    for (const Row& r : rows) {
        Press(VK_BACK);
        ws::answerLate(dlg.list, r.listingMs, LB_DIR);
        Type("type c:\\au");
        DWORD start = GetTickCount();
        EXPECT_EQ(r.completes ? 1 : 0, Step('L').hookResult) << r.listingMs << " ms";
        EXPECT_EQ(r.completes ? "type c:\\AUTOEXEC.BAT" : "type c:\\au", Text()) << r.listingMs << " ms";
        EXPECT_LE(GetTickCount() - start, r.completes ? r.listingMs : 5000u) << r.listingMs << " ms";
    }
}

// A host that stops answering in the middle of a step leaves the field, the
// direction and the cursor as they were: the next step after it answers
// again goes on from the entry shown last.
TEST_F(Completion, AStepTheHostCutsShortKeepsTheCursor)
{
    ws::writeFile("C:\\AUTOEXEC.NEW", "");
    Type("type c:\\au");
    Step('L');
    Step('L');
    ASSERT_EQ("type c:\\AUTOEXEC.DOS", Text());
    bool armed = true;
    ws::setHandler(dlg.list, [&](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == LB_GETTEXTLEN && armed) {
            armed = false;
            ws::stopResponding(dlg.dialog);  // answers this one, then no more
        }
        return ws::controlProc(h, msg, w, l);
    });
    EXPECT_EQ(0, Step('L').hookResult);
    EXPECT_EQ("type c:\\AUTOEXEC.DOS", Text());
    ws::resumeResponding(dlg.dialog);
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("type c:\\AUTOEXEC.NEW", Text());
}

TEST_F(Completion, ShiftAndAltAreNotTested)
{
    Type("type c:\\au");
    ws::setKeyState(VK_MENU, true);
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("type c:\\AUTOEXEC.BAT", Text());
}

TEST_F(Completion, CtrlShiftLAndOCompleteInsteadOfRunningTheirHotKeys)
{
    Type("type c:\\au");
    HWND front = GetForegroundWindow();
    LONG style = GetWindowLongA(front, GWL_STYLE);
    ws::setKeyState(VK_SHIFT, true);
    ws::KeyResult l = Step('L');
    ws::KeyResult o = Step('O');
    EXPECT_EQ(1, l.hookResult);
    EXPECT_EQ(1, o.hookResult);
    EXPECT_FALSE(l.delivered);
    EXPECT_EQ("type c:\\AUTOEXEC.DOS", Text());
    EXPECT_EQ(style, GetWindowLongA(front, GWL_STYLE)) << "a style hot key ran";
    EXPECT_TRUE(ws::callsTo("SetWindowLongA").empty());
}

TEST_F(Completion, OnlyTheFirstPressActs)
{
    Type("type c:\\au");
    ws::setKeyState(VK_CONTROL, true);
    EXPECT_EQ(0, FileHokan(HC_ACTION, 'L', ws::keyFlags(true, true)));
    EXPECT_EQ(0, FileHokan(HC_ACTION, 'L', ws::keyFlags(false, true)));
    EXPECT_EQ(0, FileHokan(-1, 'L', ws::keyFlags(true, false)));
    EXPECT_EQ(0, FileHokan(-1, VK_BACK, ws::keyFlags(true, false)));
    EXPECT_EQ("type c:\\au", Text());
    EXPECT_EQ(1, FileHokan(HC_ACTION, 'L', ws::keyFlags(true, false)));
    EXPECT_EQ("type c:\\AUTOEXEC.BAT", Text());
}

TEST_F(Completion, TheListIsSharedByEveryField)
{
    Type("type c:\\au");
    Step('L');
    HWND other = NewField("TEdit", 0);
    (void)other;
    Type("print x");
    Step('L');
    EXPECT_EQ("print AUTOEXEC.DOS", Text()) << "the old list goes on, replacing the last word";
}

// A field text of more than 252 bytes leaves no room for the wildcard: the
// key passes on and the field is left as it is.
TEST_F(Completion, ALineWithoutRoomForTheWildcardIsLeftAlone)
{
    std::string fits = std::string(251, 'a') + " c";  // 253 + "*.*" > 255
    std::string fits2 = std::string(250, 'a') + " c";  // 252 + "*.*" = 255
    Type(fits);
    EXPECT_EQ(0, Step('L').hookResult);
    EXPECT_EQ(fits, Text());
    EXPECT_EQ(1, FieldGot('L'));
    EXPECT_EQ(0, ListDirs());
    Type(fits2);
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("c*.*", Pattern());
    EXPECT_EQ(1, ListDirs());
    EXPECT_EQ(fits2, Text()) << "the completed line would not fit either";
}

// A completed line longer than 255 bytes, or a list entry longer than the
// entry buffer, leaves the field as it is; the cursor moves on.
// The field is read with a limit of 255 bytes: 254 bytes of text.  Its 255th
// byte (a backslash here) is not part of the line that is completed.
TEST_F(Completion, TheFieldIsReadUpTo254Bytes)
{
    SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)"X");
    std::string line = std::string(251, 'a') + " c:\\";  // 255 bytes
    Type(line);
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ(std::string(251, 'a') + " X", Text());
}

TEST_F(Completion, ACompletionThatDoesNotFitIsLeftUndone)
{
    std::string head = std::string(240, 'a') + " c:\\";  // 244 bytes
    Type(head + "con");
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ(head + "CONFIG.SYS", Text()) << "244 + 10 bytes fit";
    Press(VK_BACK);
    Type(head + "auto");
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ(head + "auto", Text()) << "244 + 12 = 256 bytes do not fit";
}

TEST_F(Completion, AnEntryLongerThanTheBufferIsNotRead)
{
    SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)"AAA.TXT");
    std::string huge = "B" + std::string(300, 'b');
    SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)huge.c_str());
    SendMessageA(dlg.list, LB_ADDSTRING, 0, (LPARAM)"CCC.TXT");
    Type("x");
    Step('L');
    EXPECT_EQ("AAA.TXT", Text());
    Step('L');
    EXPECT_EQ("AAA.TXT", Text()) << "the long entry is skipped";
    Step('L');
    EXPECT_EQ("CCC.TXT", Text());
}

// Whatever a field held (a password, say) does not stay in the shared block.
TEST_F(Completion, TheLineDoesNotStayInTheSharedBlock)
{
    SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_PASSWORD);
    Type("Hunter2Secret c:\\au");
    EXPECT_EQ(1, Step('L').hookResult);
    EXPECT_EQ("Hunter2Secret c:\\AUTOEXEC.BAT", Text()) << "password fields are served";
    EXPECT_FALSE(SharedBlockHolds("Hunter2Secret"));
}

}  // namespace
