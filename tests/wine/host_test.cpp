// The host program on a real Win32 implementation: its start-up from the
// settings file, its answers to the host messages, its options, its
// completion dialog and what it saves when it ends.
#include "desktop.h"

#include <direct.h>
#include <stdio.h>
#include <string.h>

class HostProgram : public WineDesktop {};

TEST_F(HostProgram, AnswersHistoryAndJumpQuestionsByItsOptions)
{
    EXPECT_EQ(1, host.Ask(1554)) << "history on by default";
    EXPECT_EQ(1, host.Ask(10869)) << "pointer jump on by default";
    host.Command(IDM_HISTORY);
    EXPECT_EQ(0, host.Ask(1554)) << "history switched off in the menu";
    EXPECT_EQ(1, host.Ask(10869));
    host.Command(IDM_JUMP);
    EXPECT_EQ(0, host.Ask(10869)) << "pointer jump switched off in the menu";
    // The reset (Ctrl+Shift+Z, MySetReset) answers 1 and switches both on.
    EXPECT_EQ(1, host.Ask(23907));
    EXPECT_EQ(1, host.Ask(1554));
    EXPECT_EQ(1, host.Ask(10869));
}

TEST_F(HostProgram, MenuTogglesWriteTheSharedSwitches)
{
    struct Case {
        int command;
        const char* variable;
        int initial, toggled;
    };
    const Case cases[] = {
        {IDM_ALIAS, "bIsAlias", 1, 0},     {IDM_HOKAN, "bIsHokan", 1, 0},
        {IDM_CTRLSHIFT, "bCtrlShift", 1, 0}, {IDM_HEROPA, "bHeropa", 0, 1},
        {IDM_SAVEHISTORY, "bIsHistory", 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.initial, Int(c.variable)) << c.variable << " at start";
        host.Command(c.command);
        EXPECT_EQ(c.toggled, Int(c.variable)) << c.variable << " after one toggle";
        host.Command(c.command);
        EXPECT_EQ(c.initial, Int(c.variable)) << c.variable << " after two toggles";
    }
    // The reset puts the defaults back, and the tuning values with them.
    host.Command(IDM_HEROPA);
    host.Command(IDM_ALIAS);
    Int("iZure") = 77;
    EXPECT_EQ(1, host.Ask(23907));
    EXPECT_EQ(0, Int("bHeropa"));
    EXPECT_EQ(1, Int("bIsAlias"));
    EXPECT_EQ(1024, Int("iZure"));
}

TEST_F(HostProgram, SecondHostLeavesTheFirstAlone)
{
    int code = qr::Run("\"" + qr::BinDir() + "Quillrun.exe\"");
    EXPECT_EQ(0, code) << "the second host should end at once";
    EXPECT_TRUE(IsWindow(host.Window()));
    EXPECT_EQ("Hooks installed.", host.StateLine());
}

TEST_F(HostProgram, CompletionDialogIsHiddenAndListsInAnsi)
{
    HWND dlg = *lib.Var<HWND>("hDlgFileList");
    ASSERT_TRUE(IsWindow(dlg)) << "hDlgFileList is not a window";
    EXPECT_FALSE(IsWindowVisible(dlg));
    DWORD dlgPid = 0, hostPid = 0;
    GetWindowThreadProcessId(dlg, &dlgPid);
    GetWindowThreadProcessId(host.Window(), &hostPid);
    EXPECT_EQ(hostPid, dlgPid) << "the completion dialog belongs to the host";
    HWND list = GetDlgItem(dlg, 202);
    ASSERT_NE(nullptr, GetDlgItem(dlg, 200)) << "no pattern line 200";
    ASSERT_NE(nullptr, list) << "no list box 202";

    // Listed from this process, as the library lists from the focused
    // program's process; the entries come back as ANSI text.
    _mkdir("C:\\qrhokan");
    _mkdir("C:\\qrhokan\\sub");
    const std::string longName = "C:\\qrhokan\\" + std::string(150, 'l') + ".txt";
    for (const std::string& name : {std::string("C:\\qrhokan\\alpha.txt"), longName}) {
        FILE* f = fopen(name.c_str(), "w");
        ASSERT_NE(nullptr, f) << name;
        fclose(f);
    }
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_DIR, DDL_DIRECTORY, (LPARAM) "C:\\qrhokan\\*.*");
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    std::string all;
    int refused = 0;
    for (LRESULT i = 0; i < count; ++i) {
        char text[600];
        memset(text, 0x7F, sizeof text);
        LRESULT len = SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        if (len == LB_ERR) {
            ++refused;
        } else {
            ASSERT_GE(len, 0);
            ASSERT_LT(len, 256);
            EXPECT_EQ((size_t)len, strlen(text)) << "entry " << i << " is not ANSI text of its length";
            all += std::string(" ") + text;
        }
        // Nothing is written past what a 256-byte reader can hold.
        EXPECT_EQ(0x7F, text[256]) << "entry " << i;
    }
    EXPECT_NE(std::string::npos, all.find(" alpha.txt")) << "entries:" << all;
    EXPECT_NE(std::string::npos, all.find(" [sub]")) << "entries:" << all;
    EXPECT_EQ(1, refused) << "the entry too long for a 256-byte reader; entries:" << all;
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

TEST_F(HostProgram, AliasListIsShownWhenTheLibraryAsks)
{
    qr::MessageBoxWatcher boxes;
    strcpy(Text("chAlias") + 3 * 128, "ll,dir /w");
    // What the library posts for the keyword "Alias" alone with Tab.
    PostMessageA(host.Window(), WM_SYSCOMMAND, 11, 0);
    EXPECT_TRUE(boxes.WaitForBox("ll = dir /w"));
    std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ(0u, texts[0].find("Quillrun aliases: ")) << texts[0];
}

class HostWithSettings : public WineDesktop {
protected:
    std::vector<std::string> Settings() override
    {
        return {
            "[Quillrun]",      "Zure=300",          "Aida=5000",
            "Alias=0",         "Heropa=1",          "History=0",
            "CtrlShiftKeys=01", "1=dir c:\\",        "2=type readme.txt",
            "3=ver",           "Alias-1=ll,dir /w", "Alias-20=last,x",
            "HistoryNext=3",
        };
    }
};

TEST_F(HostWithSettings, SettingsFileFillsTheSharedBlockAtStartUp)
{
    EXPECT_EQ(300, Int("iZure"));
    EXPECT_EQ(5000, Int("lAida"));
    EXPECT_EQ(0, Int("bIsAlias"));
    EXPECT_EQ(1, Int("bHeropa"));
    EXPECT_EQ(1, Int("bIsHokan")) << "a key that is missing keeps its default";
    EXPECT_EQ(0, host.Ask(1554)) << "History=0: the history service is off";
    EXPECT_STREQ("01111111111111111111111111", Text("chCtrlShift"));
    const char(*hist)[256] = lib.Var<char[256]>("chHist");
    const char(*alias)[128] = lib.Var<char[128]>("chAlias");
    EXPECT_STREQ("dir c:\\", hist[0]);
    EXPECT_STREQ("type readme.txt", hist[1]);
    EXPECT_STREQ("ver", hist[2]);
    EXPECT_STREQ("", hist[3]);
    EXPECT_STREQ("ll,dir /w", alias[0]);
    EXPECT_STREQ("last,x", alias[31]) << "key Alias-20 is slot 32";
    EXPECT_EQ(3, Int("iSetIndex"));
    EXPECT_EQ(2, Int("iGetIndex")) << "the recall starts at the newest line";
}

TEST_F(HostWithSettings, TuningAndRingPositionAreSavedWhenTheHostEnds)
{
    qr::CtrlShiftTap('B');  // 300 -> 310
    ASSERT_TRUE(qr::WaitFor([&] { return Int("iZure") == 310; })) << Int("iZure");
    host.Command(IDM_HEROPA);  // 1 -> 0
    Int("iSetIndex") = 5;
    ASSERT_TRUE(host.Close());
    EXPECT_EQ("310", qr::ReadSetting("Zure"));
    EXPECT_EQ("5000", qr::ReadSetting("Aida"));
    EXPECT_EQ("0", qr::ReadSetting("Heropa"));
    EXPECT_EQ("5", qr::ReadSetting("HistoryNext"));
    EXPECT_EQ(nullptr, *lib.Var<HWND>("hDlgFileList")) << "the completion dialog is gone";
}
