// The host's settings logic on its own: slot keys, the ring position after
// loading, the letter switches, the alias list and the hot-key line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/settings_tables.h"
#include "options.h"
#include "paths.h"
#include "shown_text.h"
#include "tables_print.h"
#include "resource.h"

static void PutText(WCHAR* to, const char16_t* text)
{
    while ((*to++ = *text++) != 0) {
    }
}

static void Fill(char hist[32][256], const char* used)  // used: '1' marks a non-empty slot
{
    memset(hist, 0, 32 * 256);
    for (int i = 0; i < 32 && used[i]; ++i)
        if (used[i] == '1')
            strcpy(hist[i], "line");
}

TEST(HostHistoryLoad, StoreSlotAfterLoadingTheRing)
{
    struct Case {
        const char* used;
        int saved;
        int expected;
    };
    const Case cases[] = {
        {"", -1, 0},                                   // empty ring
        {"111", -1, 3},                                // never wrapped: after the last line
        {"111", 3, 3},                                 // the saved slot, empty
        {"111", 1, 3},                                 // saved slot holds a line: not trusted
        {"111", 40, 3},                                // out of range
        {"111", -7, 3},
        {"11111111111111111111111111111111", -1, 0},   // full, nothing saved
        {"11111111111111111111111111111111", 17, 17},  // full: the saved slot
        {"1111111111111111111111111111111", -1, 31},   // one slot left
        {"0000011", -1, 7},                            // gaps before the lines
    };
    static char hist[32][256];
    for (const Case& c : cases) {
        Fill(hist, c.used);
        EXPECT_EQ(c.expected, NextHistorySlot(hist, c.saved))
            << "slots used \"" << c.used << "\", saved " << c.saved;
    }
}

TEST(HostOptionsFile, LetterSwitchesAreAlways26ZerosOrOnes)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", "11111111111111111111111111"},
        {"0", "01111111111111111111111111"},
        {"10x0", "10101111111111111111111111"},
        {"00000000000000000000000000000000", "00000000000000000000000000"},
    };
    for (const Case& c : cases) {
        char out[28];
        memset(out, 'z', sizeof out);
        NormaliseLetterSwitches(c.text, out);
        EXPECT_STREQ(c.expected, out) << "from \"" << c.text << "\"";
        EXPECT_EQ(0, out[27]);
    }
}

// Each Options item turns its own switch over, and that switch alone, in
// the host and in the library.
TEST(HostOptionsTable, EachMenuItemDrivesItsOwnSwitch)
{
    static int vars[QR_HOST_OPTIONS_MAX];
    static char letters[QR_LETTER_SWITCHES];
    QrLib lib;
    memset(&lib, 0, sizeof lib);
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].libValue)
            lib.*kHostOptions[i].libValue = &vars[i];
    lib.chCtrlShift = letters;
    HostOptions o;
    DefaultOptions(&o);
    ApplyOptions(&o, &lib);
    EXPECT_STREQ("11111111111111111111111111", letters);
    for (int row = 0; row < kHostOptionCount; ++row) {
        const HostOption& option = kHostOptions[row];
        if (!option.menuId)
            continue;
        int before[QR_HOST_OPTIONS_MAX];
        memcpy(before, vars, sizeof vars);
        EXPECT_TRUE(ToggleOption(&o, &lib, option.menuId));
        EXPECT_EQ(!option.def, OptionOn(&o, option.menuId)) << option.key;
        for (int i = 0; i < kHostOptionCount; ++i)
            EXPECT_EQ(i == row && option.libValue ? !option.def : before[i], vars[i]) << option.key << " moved " << kHostOptions[i].key;
    }
    EXPECT_FALSE(ToggleOption(&o, &lib, IDM_RUN)) << "not an option";
}

TEST(HostAliasList, ListsDefinedAliasesAndStopsAtTheBufferEnd)
{
    static char alias[32][128];
    memset(alias, 0, sizeof alias);
    strcpy(alias[2], "ll,dir /w");
    strcpy(alias[5], "e,edit a,b");
    memset(alias[9], 'n', 128);  // no terminator, no comma
    char out[512];
    EXPECT_EQ(3, FormatAliasList(alias, out, sizeof out));
    EXPECT_EQ(std::string("ll = dir /w\ne = edit a,b\n") + std::string(128, 'n') + " = \n", out);

    // Room for the first line only: the second is left out whole.
    char small[20];
    EXPECT_EQ(1, FormatAliasList(alias, small, sizeof small));
    EXPECT_STREQ("ll = dir /w\n", small);
    memset(alias, 0, sizeof alias);
    EXPECT_EQ(0, FormatAliasList(alias, out, sizeof out));
    EXPECT_STREQ("", out);

    // The exact table where it is tied to the code-page one, else the
    // code-page entry: a list the user can read, whatever the code page.
    static WCHAR exact[32][128], shown[32][128];
    memset(exact, 0, sizeof exact);
    PutText(exact[0], u"\u0142,\u65E5");  // written since as "w,x": not shown
    strcpy(alias[0], "w,x");
    PutText(exact[1], u"\u0151,\u00E9t\u00E9");
    WideCharToMultiByte(CP_ACP, 0, exact[1], -1, alias[1], 128, NULL, NULL);
    ExactAliasTable(alias, exact, shown);
    WCHAR list[256];
    EXPECT_EQ(2, FormatAliasList(shown, list, 256));
    EXPECT_EQ(u"w = x\n\u0151 = \u00E9t\u00E9\n", std::u16string(list));
}

// The autosave writes when the print changes and only then.
TEST(HostAutosave, FingerprintChangesWithWhatIsSavedOnly)
{
    struct Tables {
        char hist[32][256];
        char alias[32][128];
        WCHAR exactHist[32][256];
        WCHAR exactAlias[32][128];
        int next;
        unsigned long long Print() const { return TablesFingerprint(hist, alias, exactHist, exactAlias, next); }
    };
    static Tables base, t;
    memset(&base, 0, sizeof base);
    strcpy(base.hist[0], "dir");
    strcpy(base.hist[1], "type a.txt");
    strcpy(base.alias[4], "ll,dir /w");
    PutText(base.exactHist[1], u"type \u00E4.txt");
    base.next = 2;
    struct Case {
        const char* name;
        void (*change)(Tables*);
        bool differs;
    };
    const Case cases[] = {
        {"nothing changed", [](Tables*) {}, false},
        {"bytes behind a terminator", [](Tables* t) { t->hist[0][10] = 'x'; t->alias[9][1] = 'y'; t->exactHist[1][20] = 'z'; }, false},
        {"a new line", [](Tables* t) { strcpy(t->hist[2], "ver"); }, true},
        {"a line overwritten", [](Tables* t) { t->hist[1][0] = 'T'; }, true},
        {"one letter longer", [](Tables* t) { strcat(t->hist[0], "x"); }, true},
        {"text moved to the next slot", [](Tables* t) { strcpy(t->hist[0], "dirtype a.txt"); t->hist[1][0] = 0; }, true},
        {"the last slot", [](Tables* t) { strcpy(t->hist[31], "x"); }, true},
        {"a full slot without terminator", [](Tables* t) { memset(t->hist[7], 'f', 256); }, true},
        {"an alias deleted", [](Tables* t) { t->alias[4][0] = 0; }, true},
        {"an alias defined", [](Tables* t) { strcpy(t->alias[31], "q,quit"); }, true},
        {"the store slot", [](Tables* t) { t->next = 3; }, true},
        {"history text as an alias", [](Tables* t) { t->hist[1][0] = 0; strcpy(t->alias[0], "type a.txt"); }, true},
        // Two letters the code page writes alike differ only in the exact text.
        {"exact text alone", [](Tables* t) { t->exactHist[1][5] = 0x00E5; }, true},
        {"an exact alias alone", [](Tables* t) { PutText(t->exactAlias[4], u"ll,dir /\u03A9"); }, true},
        {"exact text as an exact alias", [](Tables* t) { t->exactHist[1][0] = 0; PutText(t->exactAlias[0], u"type \u00E4.txt"); }, true},
    };
    for (const Case& c : cases) {
        t = base;
        c.change(&t);
        EXPECT_EQ(c.differs, t.Print() != base.Print()) << c.name;
    }
}

TEST(HostHotKeyLine, NamesTheKeyTheLibraryForwarded)
{
    struct Case {
        WPARAM vk;
        const char* expected;
    };
    const Case cases[] = {
        {'1', "Hot keys received: 4, last: Ctrl+Shift+1"},
        {'S', "Hot keys received: 4, last: Ctrl+Shift+S"},
        {0x7A, "Hot keys received: 4, last: Ctrl+Shift+F11"},
        {0x13, "Hot keys received: 4, last: Ctrl+Shift+key 19"},
    };
    for (const Case& c : cases) {
        char line[96];
        DescribeHotKey(c.vk, 4, line, sizeof line);
        EXPECT_STREQ(c.expected, line);
    }
}

// The library is looked for beside the program, whose folder ends at the
// last backslash character: on a Japanese desktop (code page 932) the
// second byte 0x5C of "hyo" and "so" is part of a name.  Rows name the code
// page they hold for (0: any).
TEST(HostLibraryPath, BesideTheProgramWhateverItsName)
{
    struct Case {
        UINT page;
        const char* program;
        const char* library;
    };
    const Case cases[] = {
        {0, "C:\\QR\\Quillrun.exe", "C:\\QR\\QRHook.dll"},
        {0, "Quillrun.exe", "QRHook.dll"},
        {932, "C:\\QR\\\x95\x5C.exe", "C:\\QR\\QRHook.dll"},
        {1252, "C:\\QR\\\x95\x5C.exe", "C:\\QR\\\x95\\QRHook.dll"},
        {932, "C:\\\x83\x5C\\Q.exe", "C:\\\x83\x5C\\QRHook.dll"},
    };
    for (const Case& c : cases) {
        if (c.page != 0 && c.page != GetACP())
            continue;
        char out[64] = "";
        EXPECT_EQ(1, LibraryPathBeside(c.program, out, sizeof out)) << c.program;
        EXPECT_STREQ(c.library, out) << "code page " << GetACP();
    }
    char tiny[12];
    EXPECT_EQ(0, LibraryPathBeside("C:\\QR\\Quillrun.exe", tiny, sizeof tiny)) << "does not fit";
}

// A change made while a save runs (a line stored in another program
// meanwhile) is saved at the next look; a save that failed is tried again.
TEST(HostAutosave, AChangeDuringASaveIsSavedNextTime)
{
    static char hist[32][256], alias[32][128];
    static WCHAR exactHist[32][256], exactAlias[32][128];
    static int next;
    QrLib lib;
    memset(&lib, 0, sizeof lib);
    lib.chHist = hist;
    lib.chAlias = alias;
    lib.wchHist = exactHist;
    lib.wchAlias = exactAlias;
    lib.iSetIndex = &next;
    struct Row {
        const char* name;
        int (*save)(QrLib*);
        bool changedAfter;
    } rows[] = {
        {"a quiet save", [](QrLib*) { return 1; }, false},
        {"a line stored during the save", [](QrLib* l) { strcpy(l->chHist[3], "meanwhile"); ++*l->iSetIndex; return 1; }, true},
        {"a save that failed", [](QrLib*) { return 0; }, true},
    };
    for (const Row& r : rows) {
        memset(hist, 0, sizeof hist);
        strcpy(hist[0], "dir");
        next = 1;
        unsigned long long saved = 0;
        EXPECT_EQ(r.save != rows[2].save, SaveTables(&lib, &saved, r.save) != 0) << r.name;
        EXPECT_EQ(r.changedAfter, LibraryTablesPrint(&lib) != saved) << r.name;
    }
}
