// Japanese system-menu items are relabelled in English when a window is
// activated and the option is on; anything else in the menu stays.
#include "hooked_desktop.h"

#include <string>
#include <vector>

namespace {

// Japanese system menu texts as a Japanese system shows them (code page 932
// bytes, then the mnemonic and the accelerator in ASCII).
const std::string kRestoreJa = "\x8C\xB3\x82\xCC\x83\x54\x83\x43\x83\x59\x82\xC9\x96\xDF\x82\xB7(&R)";
const std::string kMoveJa = "\x88\xDA\x93\xAE(&M)";
const std::string kSizeJa = "\x83\x54\x83\x43\x83\x59\x95\xCF\x8D\x58(&S)";
const std::string kMinimizeJa = "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBB(&N)";
const std::string kMaximizeJa = "\x8D\xC5\x91\xE5\x95\x5C\x8E\xA6(&X)";
const std::string kCloseJa = "\x95\xC2\x82\xB6\x82\xE9(&C)\tAlt+F4";
// 26 bytes of label; with its accelerator longer than the 31 bytes read.
const std::string kTaskListJa =
    "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xCC\x90\xD8\x82\xE8"
    "\x91\xD6\x82\xA6(&W)...\tCtrl+Esc";

std::vector<ws::MenuItem> JapaneseMenu()
{
    return {{SC_RESTORE, kRestoreJa},   {SC_MOVE, kMoveJa},         {SC_SIZE, kSizeJa},
            {SC_MINIMIZE, kMinimizeJa}, {SC_MAXIMIZE, kMaximizeJa}, {0, ""},
            {SC_CLOSE, kCloseJa},       {SC_TASKLIST, kTaskListJa}};
}

const std::vector<ws::MenuItem> kEnglishMenu = {
    {SC_RESTORE, "&Restore"},   {SC_MOVE, "&Move"},         {SC_SIZE, "&Size"},
    {SC_MINIMIZE, "Mi&nimize"}, {SC_MAXIMIZE, "Ma&ximize"}, {0, ""},
    {SC_CLOSE, "&Close\tAlt+F4"}, {SC_TASKLIST, "S&witch to...\tCtrl+Esc"}};

std::string Describe(const std::vector<ws::MenuItem>& items)
{
    std::string s;
    for (const ws::MenuItem& it : items)
        s += std::to_string(it.id) + "=" + it.text + "|";
    return s;
}

class MenuRelabel : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        win = ws::createWindow(Desc("Editor", "Memo", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL,
                                    RECT{50, 50, 450, 350}));
    }
    HWND win = NULL;
};

TEST_F(MenuRelabel, ActivationRelabelsEveryJapaneseItemKeepingCommands)
{
    HMENU menu = ws::setSystemMenu(win, JapaneseMenu());
    bHeropa = 1;

    ASSERT_TRUE(ws::activate(win));

    EXPECT_EQ(Describe(kEnglishMenu), Describe(ws::menuItems(menu)));
    std::vector<std::string> modified = ws::callsTo("ModifyMenuA");
    ASSERT_EQ(7u, modified.size());
    EXPECT_EQ("ModifyMenuA(" + ws::fmtHandle(menu) + ", 61536, 0, 61536, \"&Close\tAlt+F4\")",
              modified[5]);
}

TEST_F(MenuRelabel, OnlyExactlyOneSwitchesItOn)
{
    const int values[] = {0, 2, -1, 257};
    for (int value : values) {
        HWND other = ws::createWindow(Desc("Editor", "", WS_VISIBLE | WS_OVERLAPPEDWINDOW));
        HMENU menu = ws::setSystemMenu(other, JapaneseMenu());
        bHeropa = value;
        ws::clearCalls();

        ASSERT_TRUE(ws::activate(other));

        EXPECT_EQ(Describe(JapaneseMenu()), Describe(ws::menuItems(menu))) << "bHeropa " << value;
        EXPECT_TRUE(ws::callsTo("GetSystemMenu").empty()) << "bHeropa " << value;
    }
}

TEST_F(MenuRelabel, MissingCommandsDoNotStopTheOthers)
{
    HMENU menu = ws::setSystemMenu(win, {{SC_MOVE, kMoveJa}, {SC_CLOSE, kCloseJa}, {SC_TASKLIST, kTaskListJa}});

    ChangeDefMenu(win);

    EXPECT_EQ(Describe({{SC_MOVE, "&Move"}, {SC_CLOSE, "&Close\tAlt+F4"},
                        {SC_TASKLIST, "S&witch to...\tCtrl+Esc"}}),
              Describe(ws::menuItems(menu)));
    EXPECT_EQ(3u, ws::callsTo("ModifyMenuA").size());
}

TEST_F(MenuRelabel, MixedMenuChangesOnlyTheJapaneseItems)
{
    HMENU menu = ws::setSystemMenu(win, {{SC_RESTORE, "&Restore"},
                                         {SC_MOVE, kMoveJa},
                                         {SC_SIZE, "Gr\xF6\xDF" "e \xE4ndern"},
                                         {SC_MAXIMIZE, kMaximizeJa},
                                         {0x1234, kCloseJa},  // the program's own command
                                         {SC_CLOSE, "Schlie\xDF" "en\tAlt+F4"}});

    ChangeDefMenu(win);

    EXPECT_EQ(Describe({{SC_RESTORE, "&Restore"},
                        {SC_MOVE, "&Move"},
                        {SC_SIZE, "Gr\xF6\xDF" "e \xE4ndern"},
                        {SC_MAXIMIZE, "Ma&ximize"},
                        {0x1234, kCloseJa},
                        {SC_CLOSE, "Schlie\xDF" "en\tAlt+F4"}}),
              Describe(ws::menuItems(menu)));
}

TEST_F(MenuRelabel, EnglishOrAlreadyRelabelledMenusStayAsTheyAre)
{
    HMENU menu = ws::setSystemMenu(win, JapaneseMenu());
    bHeropa = 1;
    ws::activate(win);
    for (int i = 0; i < 3; ++i) {
        ws::activate(app);
        ws::clearCalls();
        ws::activate(win);
        EXPECT_TRUE(ws::callsTo("ModifyMenuA").empty()) << "activation " << i + 2;
        EXPECT_EQ(Describe(kEnglishMenu), Describe(ws::menuItems(menu)));
    }
    // The standard menu of an English system.
    HWND english = ws::createWindow(Desc("Editor", "", WS_VISIBLE | WS_OVERLAPPEDWINDOW));
    ws::clearCalls();
    ws::activate(english);
    EXPECT_EQ(1u, ws::callsTo("GetSystemMenu").size());
    EXPECT_TRUE(ws::callsTo("ModifyMenuA").empty());
}

TEST_F(MenuRelabel, ItemsHoldingOnlyPartOfALabelStay)
{
    const std::vector<ws::MenuItem> partial = {
        {SC_MOVE, "\x88\xDA"},                   // first character of the label
        {SC_SIZE, "\x83\x54\x83\x43\x83\x59\x95\xCF\x8D"},  // one byte short
        {SC_CLOSE, "\x95\xC2\x82\xB6\x82"},      // one byte short
        {SC_MINIMIZE, "\x83\x41\x83\x43\x83\x52\x83\x93\x89\xBC"},  // last byte differs
        {SC_MAXIMIZE, " \x8D\xC5\x91\xE5\x95\x5C\x8E\xA6"},  // not at the start
        {SC_RESTORE, ""},
    };
    HMENU menu = ws::setSystemMenu(win, partial);

    ChangeDefMenu(win);

    EXPECT_EQ(Describe(partial), Describe(ws::menuItems(menu)));
    EXPECT_TRUE(ws::callsTo("ModifyMenuA").empty());
}

TEST_F(MenuRelabel, LabelWithoutMnemonicOrAccelerator)
{
    HMENU menu = ws::setSystemMenu(win, {{SC_CLOSE, "\x95\xC2\x82\xB6\x82\xE9"}, {SC_MOVE, "\x88\xDA\x93\xAE"}});

    ChangeDefMenu(win);

    EXPECT_EQ(Describe({{SC_CLOSE, "&Close\tAlt+F4"}, {SC_MOVE, "&Move"}}), Describe(ws::menuItems(menu)));
}

TEST_F(MenuRelabel, WindowWithoutSystemMenuIsLeftAlone)
{
    HWND plain = ws::createWindow(Desc("Tool", "", WS_VISIBLE | WS_POPUP));
    bHeropa = 1;

    ws::activate(plain);
    ChangeDefMenu(NULL);

    EXPECT_EQ(2u, ws::callsTo("GetSystemMenu").size());
    EXPECT_TRUE(ws::callsTo("ModifyMenuA").empty());
}

}  // namespace
