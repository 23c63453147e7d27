// Aliases: command lines that define and delete, expansion of the first word,
// the matching rule, the full table and the limits of the buffers.
#include "edit_field.h"

#include <string.h>

namespace {

class Aliases : public EditFieldDesktop {
protected:
    void SetUp() override
    {
        EditFieldDesktop::SetUp();
        hostAnswers[HM_HISTORY_ON] = 0;  // history off unless a test wants it
        // The program records its line at the moment the key reaches it.
        ws::setHandler(field, [this](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_KEYDOWN)
                seenByProgram = ws::windowText(h);
            return ws::controlProc(h, msg, w, l);
        });
    }

    // Types a line and presses the key; returns the field's text afterwards.
    std::string Run(const std::string& line, UINT vk = VK_RETURN)
    {
        Type(line);
        Press(vk);
        return Text();
    }

    int Used() const
    {
        int n = 0;
        for (int i = 0; i < 32; ++i)
            n += chAlias[i][0] != 0;
        return n;
    }

    std::string seenByProgram;
};

TEST_F(Aliases, DefineThenExpandBeforeTheProgramSeesEnter)
{
    EXPECT_EQ("alias ll dir /w", Run("alias ll dir /w")) << "the definition line stays in the field";
    EXPECT_STREQ("ll,dir /w", chAlias[0]);
    EXPECT_EQ("dir /w c:\\temp", Run("ll c:\\temp"));
    EXPECT_EQ("dir /w c:\\temp", seenByProgram);
    EXPECT_EQ(2, FieldGot(VK_RETURN)) << "Enter went on to the program both times";
}

// Rows name the code page they hold for (0: both).  In Shift-JIS 0x83 0x61
// and 0x83 0x41 are two different characters; their second bytes only look
// like 'a' and 'A'.
TEST_F(Aliases, MatchingIsByWholeNameWithoutRegardToCase)
{
    strcpy(chAlias[0], "ll,dir /w");
    strcpy(chAlias[1], "\x83\x61,kana");
    strcpy(chAlias[2], "\x95\x5C,hyo");
    strcpy(chAlias[9], "LL,later entry");  // filled by the host: the first match wins
    struct Case {
        UINT page;
        const char* line;
        const char* after;
    } cases[] = {
        {0, "ll", "dir /w"},
        {0, "LL", "dir /w"},
        {0, "lL x", "dir /w x"},
        {0, "lls", "lls"},
        {0, "l", "l"},
        {0, "   ll   ", "dir /w"},
        {0, "  ll  a  b  ", "dir /w  a  b"},
        {0, "xll", "xll"},
        {0, "", ""},
        {0, "     ", "     "},
        {0, "\x83\x61 x", "kana x"},
        {932, "\x83\x41 x", "\x83\x41 x"},
        {1252, "\x83\x41 x", "kana x"},
        {0, "\x95\x5C  ", "hyo"},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases)
            if (c.page == 0 || c.page == page)
                EXPECT_EQ(c.after, Run(c.line)) << "line \"" << c.line << "\", code page " << page;
    });
}

TEST_F(Aliases, RedefinitionReplacesInPlaceWhateverTheCase)
{
    strcpy(chAlias[0], "cp,copy");
    strcpy(chAlias[1], "ll,dir");
    Run("ALIAS LL dir /w /p");
    EXPECT_STREQ("LL,dir /w /p", chAlias[1]) << "the entry keeps its place, with the name as typed";
    EXPECT_EQ(2, Used());
    Run("Alias lL  spaced  value  ");
    EXPECT_STREQ("lL,spaced  value  ", chAlias[1]) << "inner and trailing spaces kept";
}

TEST_F(Aliases, NamesThatOnlyBeginAlikeAreDifferentEntries)
{
    strcpy(chAlias[0], "llx,dir /x");
    Run("alias ll dir /w");
    EXPECT_STREQ("llx,dir /x", chAlias[0]);
    EXPECT_STREQ("ll,dir /w", chAlias[1]);
    Run("alias ll");
    EXPECT_STREQ("llx,dir /x", chAlias[0]);
    EXPECT_EQ(0, chAlias[1][0]) << "ll deleted";
    EXPECT_EQ("dir /x", Run("llx"));
}

TEST_F(Aliases, ADeletionLeavesAHoleTheNextNameFills)
{
    Run("alias a 1");
    Run("alias b 2");
    Run("alias c 3");
    Run("alias B");
    EXPECT_EQ(0, chAlias[1][0]);
    Run("alias d 4");
    EXPECT_STREQ("d,4", chAlias[1]);
    EXPECT_STREQ("c,3", chAlias[2]);
}

TEST_F(Aliases, DeletingAMissingNameTakesTheExpansionPath)
{
    strcpy(chAlias[3], "alias,shown");
    EXPECT_EQ("shown nothing", Run("alias nothing"));
}

TEST_F(Aliases, KeywordAloneWithTabAsksTheHostForTheList)
{
    strcpy(chAlias[0], "ll,dir");
    Run("  alias  ", VK_TAB);
    std::vector<ws::Message> posts = HostMessages(WM_SYSCOMMAND);
    ASSERT_EQ(1u, posts.size());
    EXPECT_TRUE(posts[0].posted);
    EXPECT_EQ(11u, posts[0].wParam);
    EXPECT_EQ(0, posts[0].lParam);
    EXPECT_EQ(1, FieldGot(VK_TAB)) << "the Tab goes on";

    Run("alias", VK_RETURN);
    EXPECT_EQ(1u, HostMessages(WM_SYSCOMMAND).size()) << "Enter does not ask";
    EXPECT_STREQ("ll,dir", chAlias[0]);
    EXPECT_EQ(1, Used());
}

// With Enter the keyword alone deletes the entry with an empty name, which
// only the host can have written.
TEST_F(Aliases, KeywordAloneWithEnterMatchesOnlyAnEmptyName)
{
    strcpy(chAlias[0], "ll,dir");
    strcpy(chAlias[1], ",empty name");
    Run("alias");
    EXPECT_STREQ("ll,dir", chAlias[0]);
    EXPECT_EQ(0, chAlias[1][0]);
}

TEST_F(Aliases, AliasesAndAliasCommaDoNothing)
{
    strcpy(chAlias[0], "aliases,expanded");
    strcpy(chAlias[1], "alias,,expanded");
    EXPECT_EQ("aliases", Run("aliases"));
    EXPECT_EQ("alias,x y", Run("alias,x y"));
    EXPECT_EQ("aliases ll dir", Run("aliases ll dir"));
    EXPECT_STREQ("aliases,expanded", chAlias[0]);
    EXPECT_EQ(2, Used());
    EXPECT_TRUE(HostMessages(WM_SYSCOMMAND).empty());
}

TEST_F(Aliases, AFullTableRefusesNewNamesWithTheBeepButRedefines)
{
    for (int i = 0; i < 32; ++i)
        snprintf(chAlias[i], sizeof chAlias[i], "n%d,v%d", i, i);
    Run("alias extra value");
    EXPECT_EQ(1u, ws::callsTo("MessageBeep").size());
    EXPECT_EQ("MessageBeep(0xFFFFFFFF)", ws::callsTo("MessageBeep")[0]);
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ("n" + std::to_string(i) + ",v" + std::to_string(i), std::string(chAlias[i]));
    Run("alias n7 seven");
    EXPECT_STREQ("n7,seven", chAlias[7]);
    EXPECT_EQ(1u, ws::callsTo("MessageBeep").size());
}

TEST_F(Aliases, TabsCountAsSpacesAlsoInTheValue)
{
    Run("\talias\tt\tdir\t/w");
    EXPECT_STREQ("t,dir /w", chAlias[0]);
    EXPECT_EQ("dir /w a", Run("\tt\ta"));
}

TEST_F(Aliases, TabExpandsAndReachesTheProgram)
{
    strcpy(chAlias[0], "ll,dir /w");
    EXPECT_EQ("dir /w", Run("ll", VK_TAB));
    EXPECT_EQ(1, FieldGot(VK_TAB));
    EXPECT_EQ("dir /w", seenByProgram);
}

TEST_F(Aliases, HistoryStoresTheExpandedLineAndTheDefinitionLine)
{
    hostAnswers[HM_HISTORY_ON] = 1;
    Run("alias ll dir /w");
    Run("ll c:\\");
    EXPECT_STREQ("alias ll dir /w", chHist[0]);
    EXPECT_STREQ("dir /w c:\\", chHist[1]);
}

TEST_F(Aliases, PasswordFieldsAndAnOpenInputMethodAreServed)
{
    strcpy(chAlias[0], "pw,secret");
    SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_PASSWORD);
    EXPECT_EQ("secret 1", Run("pw 1"));
    SetWindowLongA(field, GWL_STYLE, WS_CHILD);
    ws::installInputMethod();
    ws::setInputMethodOpen(1);
    EXPECT_EQ("secret 2", Run("pw 2"));
}

TEST_F(Aliases, FieldsThatAreNotServed)
{
    strcpy(chAlias[0], "ll,dir");
    SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_MULTILINE);
    EXPECT_EQ("ll", Run("ll"));
    FocusOn(ws::createControl(Desc("Button", "", WS_CHILD, app)));
    EXPECT_EQ("ll", Run("ll"));
    hWndNowFocus = NULL;
    EXPECT_EQ("ll", Run("ll"));
    FocusOn(ws::createEdit(Desc("tmemo", "", WS_CHILD, app)));
    EXPECT_EQ("dir", Run("ll"));
    bIsAlias = 0;
    EXPECT_EQ("ll", Run("ll"));
    bIsAlias = 2;
    EXPECT_EQ("dir", Run("ll"));
}

TEST_F(Aliases, OnlyTheFirstPressOfTabOrEnterActs)
{
    strcpy(chAlias[0], "ll,dir");
    Type("ll");
    Alias(HC_ACTION, VK_RETURN, ws::keyFlags(true, true));
    Alias(HC_ACTION, VK_RETURN, ws::keyFlags(false, true));
    Alias(-1, VK_RETURN, ws::keyFlags(true, false));
    Alias(HC_ACTION, VK_SPACE, ws::keyFlags(true, false));
    EXPECT_EQ("ll", Text());
    Alias(HC_ACTION, VK_RETURN, ws::keyFlags(true, false));
    EXPECT_EQ("dir", Text());
}

TEST_F(Aliases, ALongNameIsCutAfter31Characters)
{
    std::string name31(31, 'n');
    Run("alias " + name31 + "XYZ value");
    EXPECT_EQ(name31 + ",XYZ value", std::string(chAlias[0])) << "the rest of the word starts the value";
    // Expanding: the cut name matches, and the line goes on after the 31st
    // character.
    EXPECT_EQ("XYZ valueABC d", Run(name31 + "ABC d"));

    // 30 letters and a double-byte character do not fit in 31 bytes: on a
    // Japanese system the character goes whole to the value, never half.
    const std::string name30(30, 'm'), so = "\x83\x5C";
    struct {
        UINT page;
        std::string entry;
    } cut[] = {{932, name30 + "," + so + " v"}, {1252, name30 + "\x83,\\ v"}};
    ws::forEachCodePage([&](UINT page) {
        memset(chAlias, 0, sizeof chAlias);
        Run("alias " + name30 + so + " v");
        for (const auto& c : cut)
            if (c.page == page)
                EXPECT_EQ(c.entry, std::string(chAlias[0])) << "code page " << page;
    });
}

// An entry holds 127 characters: a longer definition is refused with the
// beep of a full table, and the table is unchanged.
TEST_F(Aliases, ADefinitionTooLongForItsEntryIsRefused)
{
    strcpy(chAlias[0], "k,old");
    std::string fits(125, 'v');  // "k," and 125 characters
    Run("alias k " + fits);
    EXPECT_EQ("k," + fits, std::string(chAlias[0]));
    Run("alias k " + fits + "w");
    EXPECT_EQ("k," + fits, std::string(chAlias[0]));
    EXPECT_EQ(1u, ws::callsTo("MessageBeep").size());
    Run("alias new " + std::string(200, 'x'));
    EXPECT_EQ(1, Used());
    EXPECT_EQ(2u, ws::callsTo("MessageBeep").size());
}

// A Unicode window's field defines and expands with the exact text; the
// code-page table takes each entry's code-page form.  Two names the code
// page writes alike ("?" both) are two aliases.
TEST_F(Aliases, AUnicodeFieldDefinesAndExpandsExactly)
{
    const std::u16string one = u"\u0142", other = u"\u0151", value = u"echo \u65E5\u672C \U0001F600";
    ws::forEachCodePage([&](UINT page) {
        RestoreDefaults();
        NewUnicodeField();
        struct Row {
            std::u16string line, after;  // the field after Enter
        } rows[] = {
            {u"alias " + one + u" " + value, u"alias " + one + u" " + value},
            {u"alias " + other + u" echo other", u"alias " + other + u" echo other"},
            {one + u" x", value + u" x"},
            {u"  " + other + u"  ", u"echo other"},
            {u"alias " + one, u"alias " + one},  // deletes it
            {one + u" x", one + u" x"},
        };
        for (const Row& r : rows) {
            TypeW(r.line);
            Press(VK_RETURN);
            EXPECT_EQ(r.after, TextW()) << CodePageOf(r.line) << ", code page " << page;
            if (r.line.rfind(u"alias " + other, 0) == 0) {
                EXPECT_EQ(one + u"," + value, wchAlias[0]);
                EXPECT_EQ(CodePageOf(one + u"," + value), chAlias[0]);
                EXPECT_EQ(other + u",echo other", wchAlias[1]);
            }
        }
        EXPECT_EQ(0, chAlias[0][0]) << "deleted in both tables";
        EXPECT_EQ(0, wchAlias[0][0]);
        // An ANSI field reads the code-page table.
        NewField("Edit", 0);
        EXPECT_EQ("echo other y", Run(CodePageOf(other) + " y")) << "code page " << page;
    });
}

// The exact table follows what others write into the code-page table: an
// ANSI field's definition and the host's entries.
TEST_F(Aliases, TheExactTableFollowsTheCodePageTable)
{
    const std::u16string one = u"\u0142";  // "?" in both code pages
    NewUnicodeField();
    TypeW(u"alias " + one + u" exact");
    Press(VK_RETURN);
    NewField("Edit", 0);
    Run("alias ? plain");  // the same entry, by its code-page name
    strcpy(chAlias[5], "hw,host value");
    NewUnicodeField();
    struct Row {
        std::u16string line, after;
    } rows[] = {{one + u" x", one + u" x"}, {u"? x", u"plain x"}, {u"hw q", u"host value q"}};
    for (const Row& r : rows) {
        TypeW(r.line);
        Press(VK_RETURN);
        EXPECT_EQ(r.after, TextW()) << CodePageOf(r.line);
    }
}

// A UTF-16 definition must fit the code-page table too: 62 kana are 124
// bytes of Shift-JIS and fit with "k,", 63 do not; under 1252 every kana is
// one "?".
TEST_F(Aliases, AUnicodeDefinitionMustFitTheCodePageTable)
{
    ws::forEachCodePage([&](UINT page) {
        for (int kana : {62, 63}) {
            RestoreDefaults();
            NewUnicodeField();
            TypeW(u"alias k " + std::u16string(kana, u'\u30A2'));
            Press(VK_RETURN);
            bool fits = page != 932 || kana == 62;
            EXPECT_EQ(fits, wchAlias[0][0] != 0) << kana << " kana, code page " << page;
            EXPECT_EQ(fits, chAlias[0][0] != 0) << kana << " kana, code page " << page;
            EXPECT_EQ(fits ? 0u : 1u, ws::callsTo("MessageBeep").size());
        }
    });
}

// The expanded line must fit in 255 characters; otherwise the field keeps
// its line.
TEST_F(Aliases, AnExpansionThatDoesNotFitIsLeftUndone)
{
    snprintf(chAlias[0], sizeof chAlias[0], "e,%s", std::string(120, 'v').c_str());
    std::string rest = " " + std::string(134, 'r');  // 120 + 135 = 255
    EXPECT_EQ(std::string(120, 'v') + rest, Run("e" + rest));
    std::string longer = " " + std::string(135, 'r');
    EXPECT_EQ("e" + longer, Run("e" + longer));
}

// The host may fill an entry to its last byte: the value ends with the entry.
// The field is read with a limit of 255 bytes: 254 bytes of text.
TEST_F(Aliases, TheFieldIsReadUpTo254Bytes)
{
    strcpy(chAlias[0], "e,X");
    EXPECT_EQ("X " + std::string(252, 'r'), Run("e " + std::string(253, 'r')));
}

TEST_F(Aliases, AnEntryWithoutTerminatorIsReadOnlyToItsEnd)
{
    memset(chAlias[0], 'v', sizeof chAlias[0]);
    memcpy(chAlias[0], "f,", 2);
    memset(chAlias[1], 'x', sizeof chAlias[1]);  // no comma, no terminator
    EXPECT_EQ(std::string(126, 'v') + " z", Run("f z"));
    EXPECT_EQ("x", Run("x"));
}

// Whatever a line held (a password, say) does not stay in the shared block.
TEST_F(Aliases, TheLineDoesNotStayInTheSharedBlock)
{
    strcpy(chAlias[0], "pw,login");
    SetWindowLongA(field, GWL_STYLE, WS_CHILD | ES_PASSWORD);
    Run("pw Hunter2Secret");
    EXPECT_EQ("login Hunter2Secret", Text());
    EXPECT_FALSE(SharedBlockHolds("Hunter2Secret"));
    Run("Tr0ub4dor plain");
    EXPECT_FALSE(SharedBlockHolds("Tr0ub4dor"));
}

}  // namespace
