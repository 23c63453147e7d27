// winsim's own behaviour where the library's results depend on it: the
// current directory and OpenFile's search, the double-byte character steps,
// and the listing calls of dialogs.
#include <gtest/gtest.h>
#include <winsim.h>
#include <winsim/sim_dialogs.h>
#include <winsim/sim_system.h>

#include <string.h>

#include <string>

namespace {

TEST(WinsimSystem, OpenFileSearchesTheCurrentDirectoryThenTheWindowsFolder)
{
    ws::writeFile("C:\\WORK\\tool.exe", "MZ");
    ws::writeFile("C:\\WORK\\SUB\\x.txt", "x");
    ws::writeFile("Win.Ini", "[intl]");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
    EXPECT_EQ("C:\\WORK", ws::currentDirectory());
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\NOPE"));
    EXPECT_EQ("C:\\WORK", ws::currentDirectory());

    struct Case {
        const char* name;
        const char* found;  // nullptr: not found
    } cases[] = {
        {"tool.exe", "C:\\WORK\\tool.exe"},
        {"SUB\\x.txt", "C:\\WORK\\SUB\\x.txt"},
        {"SUB\\..\\tool.exe", "C:\\WORK\\tool.exe"},
        {"\\WORK\\tool.exe", "C:\\WORK\\tool.exe"},
        {"win.ini", "C:\\WINDOWS\\Win.Ini"},
        {"C:\\WORK\\missing.exe", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OFSTRUCT of;
        HFILE h = OpenFile(c.name, &of, OF_EXIST);
        if (c.found) {
            EXPECT_NE(HFILE_ERROR, h);
            EXPECT_STREQ(c.found, of.szPathName);
        } else {
            EXPECT_EQ(HFILE_ERROR, h);
        }
    }
}

TEST(WinsimSystem, CharacterStepsKeepDoubleByteCharactersWhole)
{
    const char text[] = "a\x95\x5C" "b";  // 'a', a two-byte character, 'b'
    EXPECT_EQ(text + 1, CharNextA(text));
    EXPECT_EQ(text + 3, CharNextA(text + 1));
    EXPECT_EQ(text + 4, CharNextA(text + 3));
    EXPECT_EQ(text + 4, CharNextA(text + 4));  // stays on the terminator
    EXPECT_EQ(text + 3, CharPrevA(text, text + 4));
    EXPECT_EQ(text + 1, CharPrevA(text, text + 3));
    EXPECT_EQ(text, CharPrevA(text, text + 1));
    EXPECT_EQ(text, CharPrevA(text, text));
    ws::setCodePage(1252);
    EXPECT_EQ(text + 2, CharNextA(text + 1));
    EXPECT_EQ(text + 2, CharPrevA(text, text + 3));
}

TEST(WinsimSystem, DirectoryListingCutsThePathToItsPattern)
{
    HINSTANCE inst = (HINSTANCE)(uintptr_t)0x400000;
    ws::addFileOpenTemplate(inst);
    ws::writeFile("C:\\A\\one.Exe", "MZ");
    ws::writeFile("C:\\A\\B\\two.Exe", "MZ");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    struct Case {
        const char* path;
        BOOL ok;
        const char* cut;
        const char* current;
    } cases[] = {
        {"A\\*.Exe", TRUE, "*.Exe", "C:\\A"},
        {"B", TRUE, "*.*", "C:\\A\\B"},
        {"..\\*.Txt", TRUE, "*.Txt", "C:\\A"},
        {"C:\\NOPE\\*.Exe", FALSE, "C:\\NOPE\\*.Exe", "C:\\A"},
        {"C:\\", TRUE, "*.*", "C:\\"},
    };
    ws::setDialogScript([&](HWND dlg) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path);
            char buf[64];
            strcpy(buf, c.path);
            EXPECT_EQ(c.ok, DlgDirListA(dlg, buf, 102, 101, 0x4010));
            EXPECT_STREQ(c.cut, buf);
            EXPECT_EQ(c.current, ws::currentDirectory());
            if (c.ok)
                EXPECT_EQ(c.current, ws::dialogItemText(dlg, 101));
        }
        // The root lists its folder and drive but no "[..]".
        std::vector<std::string> items = ws::dialogListItems(dlg, 102);
        EXPECT_EQ((std::vector<std::string>{"[-c-]", "[A]"}), items);
        EndDialog(dlg, 7);
    });
    EXPECT_EQ(7, DialogBoxParamA(inst, "FileOpen", NULL, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0));
}

}  // namespace
