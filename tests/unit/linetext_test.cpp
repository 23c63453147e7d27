// The plain text helpers of the edit-line services at their edges: short and
// odd entries, buffer limits, and the settings key names.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "editline/editline.h"

namespace {

TEST(LineText, DirectoryBracketsGoWhateverTheEntry)
{
    struct Case {
        const char* entry;
        const char* after;
    } cases[] = {
        {"[system]", "system"}, {"[..]", ".."}, {"[]", ""}, {"[", ""},
        {"[x", ""},             {"FILE.TXT", "FILE.TXT"}, {"", ""}, {"a]", "a]"},
    };
    for (const Case& c : cases) {
        char buf[16];
        strcpy(buf, c.entry);
        StripDirectoryBrackets(buf);
        EXPECT_STREQ(c.after, buf) << "entry \"" << c.entry << "\"";
    }
}

TEST(LineText, TheLastNameIsWhatFollowsTheLastSeparator)
{
    struct Case {
        const char* line;
        const char* completion;
        const char* after;
    } cases[] = {
        {"type c:\\au*.*", "AUTOEXEC.BAT", "type c:\\AUTOEXEC.BAT"},
        {"c:", "X", "X"},
        {"a\tb", "C", "a\tC"},
        {"a b\\", "C", "a b\\C"},
        {"", "C", "C"},
        {"word ", "", "word "},
        {"dir\\sub", "", "dir\\"},
    };
    for (const Case& c : cases) {
        char buf[64];
        strcpy(buf, c.line);
        EXPECT_EQ(1, ReplaceLastName(buf, sizeof buf, c.completion)) << c.line;
        EXPECT_STREQ(c.after, buf) << c.line;
    }
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
        EXPECT_EQ(c.back, RingStepBack(c.value)) << c.value;
        EXPECT_EQ(c.forward, RingStepForward(c.value)) << c.value;
    }
}

TEST(LineText, ASlotWithoutTerminatorIsCopiedToTheBufferSize)
{
    char slot[8];
    memset(slot, 'q', sizeof slot);
    char out[16];
    ProfileSafeCopy(out, sizeof out, slot, sizeof slot);
    EXPECT_STREQ("qqqqqqqq", out);
    char small[4];
    CopyBounded(small, sizeof small, "abcdef", 6);
    EXPECT_STREQ("abc", small);
    ProfileSafeCopy(out, sizeof out, "a\rb\nc", 16);
    EXPECT_STREQ("a b c", out);
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
