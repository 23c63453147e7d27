// The plain text helpers of the edit-line services at their edges: short and
// odd entries, buffer limits, and the settings key names.  The text tables
// run under a single-byte code page and under Shift-JIS (932), where a lead
// byte and the byte after it are one character: a row names its code page,
// or 0 for both.
#include <gtest/gtest.h>
#include <winsim/sim_system.h>

#include <string.h>

#include <string>

#include "core/settings_tables.h"
#include "editline/editline.h"
#include "core/text.h"

namespace {

// Shift-JIS: "so" (0x83 0x5C, its second byte a backslash), "hyo" (0x95
// 0x5C), "ji" (0x8E 0xA6), "zo" (0x83 0x5D, its second byte a ']').
#define SO "\x83\x5C"
#define HYO "\x95\x5C"
#define JI "\x8E\xA6"
#define ZO "\x83\x5D"

bool RunsUnder(UINT rowPage, UINT page) { return rowPage == 0 || rowPage == page; }

TEST(LineText, DirectoryBracketsGoWhateverTheEntry)
{
    struct Case {
        UINT page;
        const char* entry;
        const char* after;
    } cases[] = {
        {0, "[system]", "system"}, {0, "[..]", ".."}, {0, "[]", ""}, {0, "[", ""},
        {0, "[x", ""},             {0, "FILE.TXT", "FILE.TXT"}, {0, "", ""}, {0, "a]", "a]"},
        {0, "[" SO "]", SO},
        // The last character goes whole, even where its second byte is ']'.
        {932, "[a" ZO, "a"},   {1252, "[a" ZO, "a\x83"},
        {932, "[" HYO JI, HYO}, {1252, "[" HYO JI, HYO "\x8E"},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (!RunsUnder(c.page, page))
                continue;
            char buf[16];
            strcpy(buf, c.entry);
            StripDirectoryBrackets(buf);
            EXPECT_STREQ(c.after, buf) << "entry \"" << c.entry << "\", code page " << page;
        }
    });
}

TEST(LineText, TheLastNameIsWhatFollowsTheLastSeparator)
{
    struct Case {
        UINT page;
        const char* line;
        const char* completion;
        const char* after;
    } cases[] = {
        {0, "type c:\\au*.*", "AUTOEXEC.BAT", "type c:\\AUTOEXEC.BAT"},
        {0, "c:", "X", "X"},
        {0, "a\tb", "C", "a\tC"},
        {0, "a b\\", "C", "a b\\C"},
        {0, "", "C", "C"},
        {0, "word ", "", "word "},
        {0, "dir\\sub", "", "dir\\"},
        // A second byte 0x5C is no backslash on a Japanese system.
        {932, "type C:\\jp\\" SO, SO "X.txt", "type C:\\jp\\" SO "X.txt"},
        {1252, "type C:\\jp\\" SO, SO "X.txt", "type C:\\jp\\\x83\\" SO "X.txt"},
        {932, "type C:\\jp\\" HYO JI, HYO JI ".txt", "type C:\\jp\\" HYO JI ".txt"},
        {1252, "type C:\\jp\\" HYO JI, HYO JI ".txt", "type C:\\jp\\\x95\\" HYO JI ".txt"},
        {932, SO " " HYO, "x", SO " x"},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (!RunsUnder(c.page, page))
                continue;
            char buf[64];
            strcpy(buf, c.line);
            EXPECT_EQ(1, ReplaceLastName(buf, sizeof buf, c.completion)) << c.line << ", code page " << page;
            EXPECT_STREQ(c.after, buf) << c.line << ", code page " << page;
        }
    });
}

TEST(LineText, ReplacingAndAppendingStopAtTheBufferSize)
{
    char buf[8] = "ab\\cd";
    EXPECT_EQ(1, ReplaceLastName(buf, sizeof buf, "wxyz"));  // 3 + 4 + 1 = 8
    EXPECT_STREQ("ab\\wxyz", buf);
    EXPECT_EQ(0, ReplaceLastName(buf, sizeof buf, "vwxyz"));
    EXPECT_STREQ("ab\\wxyz", buf) << "kept as it was";

    char line[8] = "abcd";
    EXPECT_EQ(1, AppendIfFits(line, sizeof line, "*.*"));
    EXPECT_STREQ("abcd*.*", line);
    EXPECT_EQ(0, AppendIfFits(line, sizeof line, "*"));
    EXPECT_STREQ("abcd*.*", line);
}

TEST(LineText, SettingsKeyNames)
{
    struct Case {
        const char* prefix;
        int slot;
        const char* key;
    } cases[] = {
        {"", 0, "1"},         {"", 8, "9"},         {"", 9, "a"},
        {"", 14, "f"},        {"", 15, "10"},       {"", 26, "1b"},
        {"", 31, "20"},       {"Alias-", 0, "Alias-1"}, {"Alias-", 10, "Alias-b"},
        {"Alias-", 31, "Alias-20"},
    };
    for (const Case& c : cases) {
        char key[16];
        SlotKeyName(key, sizeof key, c.prefix, c.slot);
        EXPECT_STREQ(c.key, key) << c.prefix << c.slot;
    }
    char tiny[4];
    SlotKeyName(tiny, sizeof tiny, "Alias-", 31);
    EXPECT_STREQ("Ali", tiny) << "cut, and terminated";
}

TEST(LineText, RingIndexesStayInTheRing)
{
    struct Case {
        int value, back, forward;
    } cases[] = {
        {0, 31, 1}, {1, 0, 2}, {31, 30, 0}, {32, 31, 1}, {-1, 31, 1}, {1 << 30, 31, 1}, {-2147483647 - 1, 31, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.back, RingStep(c.value, -1)) << c.value;
        EXPECT_EQ(c.forward, RingStep(c.value, 1)) << c.value;
    }
    // Steps of any size, as the exchange of the two widths counts them.
    EXPECT_EQ(3, RingStep(3, -2147483647 - 1));
    EXPECT_EQ(2, RingStep(3, 2147483647));
}

TEST(LineText, ASlotWithoutTerminatorIsCopiedToTheBufferSize)
{
    char slot[8];
    memset(slot, 'q', sizeof slot);
    char out[16];
    ProfileSafeCopy(out, sizeof out, slot, sizeof slot);
    EXPECT_STREQ("qqqqqqqq", out);
    ProfileSafeCopy(out, sizeof out, "a\rb\nc", 16);
    EXPECT_STREQ("a b c", out);

    // Cut at the buffer (4 bytes) or at srcMax, never inside a character.
    struct Case {
        UINT page;
        const char* src;
        size_t srcMax;
        const char* copied;
    } cases[] = {
        {0, "abcdef", 6, "abc"},
        {932, "ab" SO, 6, "ab"},    {1252, "ab" SO, 6, "ab\x83"},
        {932, "a" SO "x", 2, "a"},  {1252, "a" SO "x", 2, "a\x83"},
        {0, "a" SO, 3, "a" SO},
        {0, "\x83", 6, "\x83"},  // a lead byte alone before the terminator
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (!RunsUnder(c.page, page))
                continue;
            char small[4];
            CopyBounded(small, sizeof small, c.src, c.srcMax);
            EXPECT_STREQ(c.copied, small) << "srcMax " << c.srcMax << ", code page " << page;
        }
    });
}

// Lines that the profile reader would change are saved so that they read
// back exactly: blanks at the ends and enclosing quotes survive.
TEST(LineText, ValuesThatWouldLoseCharactersAreSavedInQuotes)
{
    struct Case {
        const char* slot;
        const char* saved;
    } cases[] = {
        {"dir /w", "dir /w"},
        {"dir ", "\"dir \""},
        {"  cd ..", "\"  cd ..\""},
        {"\tx", "\"\tx\""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"'single'", "\"'single'\""},
        {"\"only at the start", "\"only at the start"},
        {"'", "'"},
        {"a\r\n", "\"a  \""},
        {"", ""},
    };
    for (const Case& c : cases) {
        char out[32];
        ProfileSafeCopy(out, sizeof out, c.slot, strlen(c.slot) + 1);
        EXPECT_STREQ(c.saved, out) << "slot \"" << c.slot << '"';
    }
    // No room for the quotes: the value is saved as it is, never overrun.
    char tight[5];
    ProfileSafeCopy(tight, sizeof tight, "ab  ", 5);
    EXPECT_STREQ("ab  ", tight);
}

}  // namespace

namespace {

// UTF-16 text is stepped by characters too: a surrogate pair (here the
// smiling face, U+1F600) is one character, never split by a cut, and its
// units are never taken for a separator.
#define FACE u"\U0001F600"

TEST(LineText, UnicodeTextIsCutAndScannedByCharacters)
{
    struct Case {
        std::u16string src;
        size_t size;
        std::u16string copied;
    } cuts[] = {
        {u"ab" FACE, 4, u"ab"}, {u"ab" FACE, 5, u"ab" FACE}, {u"a" FACE "x", 3, u"a"}, {u"\xD83D", 4, u"\xD83D"},
    };
    for (const Case& c : cuts) {
        WCHAR out[8];
        CopyBounded(out, c.size, c.src.c_str(), c.src.size() + 1);
        EXPECT_EQ(c.copied, out) << "size " << c.size;
    }
    WCHAR line[32] = u"type C:\\" FACE "\\a" FACE;
    EXPECT_EQ(1, ReplaceLastName(line, 32, u"[..]"));
    StripDirectoryBrackets(line + 11);
    EXPECT_EQ(std::u16string(u"type C:\\" FACE "\\.."), line);
    WCHAR entry[8] = u"[" FACE "]";
    StripDirectoryBrackets(entry);
    EXPECT_EQ(std::u16string(FACE), entry);
    EXPECT_STREQ("*", CompletionWildcard(u"\u00E9.t"));
    EXPECT_EQ(nullptr, CompletionWildcard(u"\u00E9*"));
}

// The settings-file form of exact text is printable ASCII without blanks or
// quotes, which every profile reader gives back unchanged, and it reads
// back to the same units; a cut keeps characters whole; anything that is
// not such a form reads as nothing.
TEST(LineText, ExactTextMakesTheTripThroughTheSettingsFile)
{
    const std::u16string texts[] = {u"", u"plain", u" blanks \"quoted\" 'too' 100%",
                                    u"\u00C6r\u00F8 \u65E5\u672C\u8A9E " FACE,
                                    u"\xDC00 lone \xD800", u"\r\n\t"};
    for (const std::u16string& t : texts) {
        char value[QR_EXACT_VALUE];
        ExactToValue(value, sizeof value, t.c_str(), t.size() + 1);
        for (const char* p = value; *p; ++p)
            EXPECT_TRUE(*p > ' ' && *p < 0x7F && *p != '"' && *p != '\'') << value;
        WCHAR back[64];
        EXPECT_EQ(1, ExactFromValue(back, 64, value)) << value;
        EXPECT_EQ(t, back) << value;
    }
    char small[20];
    ExactToValue(small, 14, u"ab" FACE, 8);  // the face takes 12 bytes and the terminator 1
    EXPECT_STREQ("ab", small);
    ExactToValue(small, 15, u"ab" FACE, 8);
    EXPECT_STREQ("ab%F0%9F%98%80", small);
    WCHAR two[3];
    EXPECT_EQ(1, ExactFromValue(two, 3, "a%F0%9F%98%80"));
    EXPECT_EQ(std::u16string(u"a"), two);
    for (const char* bad : {"%", "%4", "%G1", "%C3", "%C3%28", "%C0%80", "%F4%90%80%80", "\x83\x5C"}) {
        WCHAR out[8] = u"x";
        EXPECT_EQ(0, ExactFromValue(out, 8, bad)) << bad;
        EXPECT_EQ(0, out[0]) << bad;
    }
}

// Exact text counts for a code-page slot only while the slot is its
// code-page form, read within the slot's bound.
TEST(LineText, ExactTextIsTiedToItsCodePageForm)
{
    struct Case {
        std::u16string exact;
        std::string slot;
        size_t slotSize;
        bool tied;
    } cases[] = {
        {u"\u0142 x", "? x", 8, true},  {u"\u0142 x", "l x", 8, false}, {u"", "", 8, false},
        {u"abc", "abc", 8, true},       {u"abcdefgh", "abcdefg", 8, true},  // cut to the slot
        {u"abcdefgh", "abcdefgh", 8, false},                               // no terminator
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            char slot[16] = {};
            memcpy(slot, c.slot.data(), c.slot.size());
            EXPECT_EQ(c.tied, ExactTied(c.exact.c_str(), 16, slot, c.slotSize) != 0)
                << c.slot << ", code page " << page;
        }
    });
}

}  // namespace
