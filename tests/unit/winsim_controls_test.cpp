// winsim's controls as the platform's behave: a directory listing in a list
// box, and an edit field's caret after its text is set.
#include <gtest/gtest.h>
#include <winsim_editline.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Items = std::vector<std::string>;

TEST(WinsimControls, DirectoryListingIsSortedWithFoldersInBrackets)
{
    ws::writeFile("C:\\TOOLS\\readme", "");
    ws::writeFile("C:\\TOOLS\\Alpha.txt", "");
    ws::writeFile("C:\\TOOLS\\alpha2.txt", "");
    ws::makeDirectory("C:\\TOOLS\\Bin");
    // A double-byte character (932) whose second byte is an 'A', and a long
    // name that every '*a' could take a different part of.
    ws::writeFile("C:\\TOOLS\\Bin\\\x83\x41.txt", "");
    ws::writeFile("C:\\TOOLS\\Bin\\" + std::string(40, 'a') + ".b", "");
    std::string starsAndA = "c:\\tools\\bin\\";
    for (int i = 0; i < 8; ++i)
        starsAndA += "*a";
    ws::CompletionDialog d = ws::createCompletionDialog();
    struct Case {
        UINT attributes;
        const char* pattern;
        Items items;
    } cases[] = {
        {DDL_DIRECTORY, "c:\\tools\\*.*", {"[..]", "[Bin]", "Alpha.txt", "alpha2.txt", "readme"}},
        {DDL_DIRECTORY, "C:\\TOOLS\\*", {"[..]", "[Bin]", "Alpha.txt", "alpha2.txt", "readme"}},
        {DDL_DIRECTORY, "c:\\tools\\a*.*", {"Alpha.txt", "alpha2.txt"}},
        {DDL_DIRECTORY, "c:\\tools\\read*.*", {"readme"}},
        {DDL_READWRITE, "c:\\tools\\*.*", {"Alpha.txt", "alpha2.txt", "readme"}},
        {DDL_DIRECTORY | DDL_EXCLUSIVE, "c:\\tools\\*.*", {"[..]", "[Bin]"}},
        {DDL_DIRECTORY, "c:\\*.*", {"[TOOLS]"}},
        {DDL_DIRECTORY, "c:\\missing\\*.*", {}},
        {DDL_DIRECTORY, "c:\\tools\\**a*A.txt", {"Alpha.txt"}},
        {DDL_READWRITE, "c:\\tools\\?lpha?.*", {"alpha2.txt"}},
        {DDL_READWRITE, "c:\\tools\\*.txt?", {}},
        {DDL_READWRITE, "c:\\tools\\bin\\?.txt", {"\x83\x41.txt"}},
        {DDL_READWRITE, "c:\\tools\\bin\\*A.txt", {}},
        {DDL_READWRITE, starsAndA.c_str(), {}},
    };
    for (const Case& c : cases) {
        SendMessageA(d.list, LB_RESETCONTENT, 0, 0);
        auto start = std::chrono::steady_clock::now();
        SendMessageA(d.list, LB_DIR, c.attributes, (LPARAM)c.pattern);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(c.items, ws::listItems(d.list)) << c.pattern << " with 0x" << std::hex << c.attributes;
        // Whatever the number of '*': far below a second.
        EXPECT_LT(took.count(), 1000) << c.pattern;
    }
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\TOOLS\\Bin"));
    SendMessageA(d.list, LB_RESETCONTENT, 0, 0);
    SendMessageA(d.list, LB_DIR, DDL_DIRECTORY, (LPARAM) "..\\r*.*");
    EXPECT_EQ(Items{"readme"}, ws::listItems(d.list)) << "relative to the current directory";
    EXPECT_EQ(LB_ERR, SendMessageA(d.list, LB_GETTEXT, 1, 0));
    EXPECT_EQ(6, SendMessageA(d.list, LB_GETTEXTLEN, 0, 0));
}

TEST(WinsimControls, SettingTheTextPutsTheCaretAtTheStart)
{
    HWND edit = ws::createEdit(ws::WindowSpec());
    SetWindowTextA(edit, "abcdef");
    SendMessageA(edit, EM_SETSEL, 2, 4);
    EXPECT_EQ(2, ws::editSelection(edit).start);
    EXPECT_EQ(4, ws::editSelection(edit).end);
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "abcdef");
    EXPECT_EQ(0, ws::editSelection(edit).end);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(6, ws::editSelection(edit).end);
    SetWindowTextA(edit, "xy");
    EXPECT_EQ(0, ws::editSelection(edit).end);
    char buf[4];
    EXPECT_EQ(2, SendMessageA(edit, WM_GETTEXT, sizeof buf, (LPARAM)buf));
    EXPECT_STREQ("xy", buf);
}

}  // namespace
