// Which controls draw the pointer: class lists, parent classes, the pointer
// already on the control, the mouse vetoes, and the frame band of the window
// that frames the control.
#include "hooked_desktop.h"
#include "focus/focus.h"

#include <winsim/sim_system.h>

#include <string>

namespace {

class JumpRules : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        // A dialog at 100,100-400,300 with a caption; the pointer rests in
        // the program's window, away from it.
        dlg = ws::createWindow(Desc("#32770", "Options", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL,
                                    RECT{100, 100, 400, 300}));
        ws::setCursorPos(600, 500);
    }

    HWND Control(const std::string& cls, HWND parent)
    {
        return ws::createWindow(Desc(cls, "", WS_VISIBLE | WS_CHILD, parent, RECT{150, 200, 250, 230}));
    }

    HWND dlg = NULL;
};

// Each of the 62 classes of the jump list, written out here, qualifies.
TEST_F(JumpRules, EveryListedClassQualifies)
{
    const char* listed[] = {
        "Button", "Edit", "ComboBox", "ListBox", "ScrollBar", "TabStripWndClass", "SysListView32",
        "SysTreeView32", "TButton", "TEdit", "TRichEdit", "TCheckBox", "TRadioButton", "TListView",
        "TMemo", "TListBox", "TComboBox", "TPageControl", "TStringGrid", "ThunderCommandButton",
        "ThunderRTCommandButton", "ThunderRT5CommandButton", "ThunderTextBox", "ThunderRTTextBox",
        "ThunderRT5TextBox", "ThunderCheckBox", "ThunderRTCheckBox", "ThunderRT5CheckBox",
        "ThunderOptionButton", "ThunderRTOptionButton", "ThunderRT5OptionButton",
        "ThunderHScrollBar", "ThunderRTHScrollBar", "ThunderRT5HScrollBar", "ThunderVScrollBar",
        "ThunderRTVScrollBar", "ThunderRT5VScrollBar", "ThunderComboBox", "ThunderRTComboBox",
        "ThunderRT5ComboBox", "ThunderListBox", "ThunderRTListBox", "ThunderRT5ListBox",
        "ThunderFileListBox", "ThunderRTFileListBox", "ThunderRT5FileListBox",
        "ThunderDirListBox", "ThunderRTDirListBox", "ThunderRT5DirListBox",
        "ThunderDriveListBox", "ThunderRTDriveListBox", "ThunderRT5DriveListBox", "bosa_Grid",
        "EDTBX", "BorBtn", "BorRadio", "BorCheck", "newlist", "ThunderSSCommand",
        "ThunderSSOption", "ThunderSSRibbon", "ThunderSSCheck",
    };
    for (const char* cls : listed)
        EXPECT_EQ(1, IsMove(Control(cls, dlg))) << cls;
}

TEST_F(JumpRules, ClassNamesMatchWholeIgnoringCaseBosaByPrefix)
{
    struct Case {
        const char* cls;
        int expected;
    };
    const Case cases[] = {
        {"Button", 1},        {"BUTTON", 1},       {"button", 1},         {"Static", 0},
        {"bosa_", 1},         {"BOSA_", 1},        {"BoSa_list", 1},      {"bos", 0},
        {"bosa", 0},          {"bosa-list", 0},    {"xbosa_", 0},         {"Buttons", 0},
        {"Butto", 0},         {"Edit ", 0},        {"", 0},               {"NEWLIST", 1},
        {"thunderrt5drivelistbox", 1},             {"ThunderRT6CommandButton", 0},
        {"SysListView", 0},   {"RichEdit20A", 0},  {"msctls_trackbar32", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, IsMove(Control(c.cls, dlg))) << "class \"" << c.cls << "\"";
        EXPECT_EQ(c.expected, JumpClassListed(c.cls)) << "class \"" << c.cls << "\"";
    }
}

TEST_F(JumpRules, ButtonEditOnlyExactlyOneNarrowsTheList)
{
    struct Case {
        const char* cls;
        int onlyOne;  // result with bButtonEditOnly 1
    };
    const Case cases[] = {
        {"Edit", 1},          {"TButton", 1},       {"TMemo", 1},          {"bosa_x", 1},
        {"EDTBX", 1},         {"BorBtn", 1},        {"ThunderSSCommand", 1}, {"ThunderRT5TextBox", 1},
        {"ListBox", 0},       {"SysTreeView32", 0}, {"BorRadio", 0},       {"ThunderSSOption", 0},
        {"TCheckBox", 0},     {"ComboBox", 0},      {"Static", 0},
    };
    for (const Case& c : cases) {
        bButtonEditOnly = 1;
        EXPECT_EQ(c.onlyOne, IsMove(Control(c.cls, dlg))) << c.cls << " with bButtonEditOnly 1";
        // Any other value leaves the whole list in force.
        bButtonEditOnly = 2;
        EXPECT_EQ(std::string(c.cls) == "Static" ? 0 : 1, IsMove(Control(c.cls, dlg)))
            << c.cls << " with bButtonEditOnly 2";
    }
}

TEST_F(JumpRules, ExcludedParentClassesInAnyCase)
{
    struct Case {
        const char* parentCls;
        int expected;
    };
    const Case cases[] = {
        {"PROJECT", 0},      {"Project", 0},       {"pRoJeCt", 0},  {"wndclass_pbrs", 0},
        {"WNDCLASS_PBRS", 0}, {"PROJECTS", 1},     {"PROJEC", 1},   {"wndclass_pbr", 1},
        {"#32770", 1},
    };
    for (const Case& c : cases) {
        HWND parent = ws::createWindow(Desc(c.parentCls, "", WS_VISIBLE | WS_POPUP, NULL,
                                            RECT{100, 100, 400, 300}));
        HWND button = Control("Button", parent);
        EXPECT_EQ(c.expected, IsMove(button)) << "parent class " << c.parentCls;
        EXPECT_EQ(c.parentCls, std::string(chClassName));  // the parent's name was read last
    }
}

TEST_F(JumpRules, ControlWithoutParentNeverQualifies)
{
    HWND lone = ws::createWindow(Desc("Button", "", WS_VISIBLE | WS_POPUP, NULL, RECT{0, 0, 20, 20}));
    EXPECT_EQ(1, IsTobanai(lone));
    EXPECT_EQ(0, IsMove(lone));
    bFocusMoveClick = 2;  // no frame veto: the missing parent decides
    EXPECT_EQ(0, IsMove(lone));
    EXPECT_EQ(0, IsMove(NULL));
}

TEST_F(JumpRules, PointerAlreadyOnTheControlMeansNoJump)
{
    const char* classes[] = {"Button", "Edit", "bosa_x"};
    for (const char* cls : classes) {
        HWND control = Control(cls, dlg);
        ws::setCursorPos(200, 215);  // inside 150,200-250,230
        EXPECT_EQ(0, IsMove(control)) << cls;
        ws::setCursorPos(200, 240);  // in the dialog, below the control
        EXPECT_EQ(1, IsMove(control)) << cls;
    }
}

TEST_F(JumpRules, MouseVetoFollowsFocusMoveClick)
{
    HWND button = Control("Button", dlg);
    struct Case {
        int mode;
        bool leftDown;
        POINT at;
        int expected;
        const char* what;
    };
    const Case cases[] = {
        {0, true, {600, 500}, 0, "mode 0, left button down"},
        {0, false, {600, 500}, 1, "mode 0, left button up"},
        {0, false, {250, 105}, 1, "mode 0, pointer on the caption"},
        {1, false, {250, 105}, 0, "mode 1, pointer on the caption"},
        {1, false, {300, 250}, 1, "mode 1, pointer in the client area"},
        {1, true, {300, 250}, 1, "mode 1, left button down in the client area"},
        {2, true, {250, 105}, 1, "mode 2, button down on the caption"},
        {-1, true, {250, 105}, 1, "mode -1, button down on the caption"},
    };
    for (const Case& c : cases) {
        bFocusMoveClick = c.mode;
        ws::setKeyState(VK_LBUTTON, c.leftDown);
        ws::setCursorPos(c.at.x, c.at.y);
        EXPECT_EQ(c.expected, IsMove(button)) << c.what;
    }
}

// The frame band of a frame window with a thick frame, a caption and a menu
// bar, at each of its edges.
TEST_F(JumpRules, FrameBandEdgesWithFrameCaptionAndMenu)
{
    ws::setSystemMetric(SM_CYMENU, 20);
    ws::setSystemMetric(SM_CYCAPTION, 18);
    ws::setSystemMetric(SM_CXFRAME, 4);
    ws::setSystemMetric(SM_CYFRAME, 3);
    HWND frame = ws::createWindow(Desc("Main", "", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL,
                                       RECT{100, 100, 400, 300}));
    ws::giveMenuBar(frame);
    HWND edit = Control("Edit", frame);
    struct Case {
        int x, y, expected;
    };
    const Case cases[] = {
        // Top: frame 3 + menu 20 + caption 18 below the top row at 100.
        {250, 99, 0},  {250, 100, 1}, {250, 141, 1}, {250, 142, 0},
        // Bottom: 300 - 3.
        {250, 296, 0}, {250, 297, 1}, {250, 300, 1}, {250, 301, 0},
        // Left: 100 + 4.
        {99, 200, 0},  {100, 200, 1}, {104, 200, 1}, {105, 200, 0},
        // Right: 400 - 4.
        {395, 200, 0}, {396, 200, 1}, {400, 200, 1}, {401, 200, 0},
        // Corners.
        {100, 300, 1}, {400, 100, 1}, {401, 301, 0},
    };
    for (const Case& c : cases) {
        ws::setCursorPos(c.x, c.y);
        EXPECT_EQ(c.expected, IsTobanai(edit)) << "pointer at " << c.x << "," << c.y;
    }
}

TEST_F(JumpRules, FrameWithoutFrameCaptionOrMenuHasOnlyItsOutermostRowsAndColumns)
{
    const LONG styles[] = {
        (LONG)(WS_VISIBLE | WS_POPUP),
        (LONG)(WS_VISIBLE | WS_POPUP | WS_BORDER),    // one bit of the caption only
        (LONG)(WS_VISIBLE | WS_POPUP | WS_DLGFRAME),  // the other bit only
    };
    for (LONG style : styles) {
        HWND frame = ws::createWindow(Desc("Pane", "", style, NULL, RECT{100, 100, 400, 300}));
        HWND edit = Control("Edit", frame);
        struct Case {
            int x, y, expected;
        };
        const Case cases[] = {
            {250, 100, 1}, {250, 101, 0}, {250, 300, 1}, {250, 299, 0},
            {100, 200, 1}, {101, 200, 0}, {400, 200, 1}, {399, 200, 0},
        };
        for (const Case& c : cases) {
            ws::setCursorPos(c.x, c.y);
            EXPECT_EQ(c.expected, IsTobanai(edit))
                << "style 0x" << std::hex << style << std::dec << ", pointer at " << c.x << "," << c.y;
        }
    }
}

TEST_F(JumpRules, FrameBandOnScreenLeftOfAndAboveThePrimary)
{
    HWND frame = ws::createWindow(Desc("Main", "", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL,
                                       RECT{-800, -600, -400, -300}));
    HWND edit = Control("Edit", frame);
    struct Case {
        int x, y, expected;
    };
    // Caption 19 (the default metric) below the top row.
    const Case cases[] = {
        {-600, -600, 1}, {-600, -581, 1}, {-600, -580, 0}, {-800, -450, 1},
        {-799, -450, 0}, {-400, -450, 1}, {-600, -300, 1}, {-600, -299, 0},
    };
    for (const Case& c : cases) {
        ws::setCursorPos(c.x, c.y);
        EXPECT_EQ(c.expected, IsTobanai(edit)) << "pointer at " << c.x << "," << c.y;
    }
}

TEST_F(JumpRules, ExtremeRectanglesDoNotOverflow)
{
    const RECT huge = {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
    EXPECT_EQ(1, FrameBandHit(huge, POINT{0, -2147483647 - 1}, 4, 4, 2147483647, 2147483647));
    EXPECT_EQ(0, FrameBandHit(huge, POINT{0, 0}, 0, 0, 0, 0));
    EXPECT_EQ(1, FrameBandHit(huge, POINT{2147483647, 0}, 0, 0, 0, 0));
}

// Controls in a window inside an MDI client are framed by that window.
class MdiFrames : public JumpRules {
protected:
    void SetUp() override
    {
        JumpRules::SetUp();
        main = ws::createWindow(Desc("AppFrame", "", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL,
                                     RECT{0, 0, 800, 600}));
        client = ws::createWindow(Desc("MdiClient", "", WS_VISIBLE | WS_CHILD, main,
                                       RECT{4, 42, 796, 596}));
        doc = ws::createWindow(Desc("DocWindow", "", WS_VISIBLE | WS_CHILD | WS_CAPTION | WS_THICKFRAME,
                                    client, RECT{200, 200, 600, 500}));
        panel = ws::createWindow(Desc("Panel", "", WS_VISIBLE | WS_CHILD, doc, RECT{210, 230, 590, 490}));
        edit = Control("Edit", panel);
    }
    HWND main = NULL, client = NULL, doc = NULL, panel = NULL, edit = NULL;
};

TEST_F(MdiFrames, BandIsThatOfTheDocumentWindowNotTheMainWindow)
{
    struct Case {
        int x, y, expected;
        const char* what;
    };
    // Document window: frame 4, caption 19: band down to 200 + 4 + 19 = 223.
    const Case cases[] = {
        {400, 210, 1, "document caption"},
        {400, 223, 1, "last row of the document caption"},
        {400, 224, 0, "document client area"},
        {400, 10, 0, "main window caption, outside the document window"},
        {2, 300, 0, "main window frame"},
        {203, 300, 1, "document left frame"},
        {597, 300, 1, "document right frame"},
    };
    for (const Case& c : cases) {
        ws::setCursorPos(c.x, c.y);
        EXPECT_EQ(c.expected, IsTobanai(edit)) << c.what;
    }
    // The names were read upper-cased into the scratch buffer.
    EXPECT_EQ("MDICLIENT", std::string(chClassName));
}

TEST_F(MdiFrames, ControlDirectlyInTheMdiClientIsFramedByIt)
{
    HWND button = Control("Button", client);
    ws::setCursorPos(400, 42);  // top row of the client: its outermost row
    EXPECT_EQ(1, IsTobanai(button));
    ws::setCursorPos(400, 10);  // main caption, outside the client
    EXPECT_EQ(0, IsTobanai(button));
}

// Class names are upper-cased and searched by characters: the Shift-JIS
// characters 0x83 0x6D and 0x83 0x4D end in bytes that read as 'm' and 'M',
// and on a Japanese system they never start an "MDI".  The panels lie in the
// document's client area, so the document's caption is band only when the
// document is the frame.
TEST_F(MdiFrames, ASecondByteNeverStartsMdi)
{
    struct Case {
        UINT page;
        const char* panelClass;
        int onDocumentCaption;
    } cases[] = {
        {932, "\x83\x6D" "di", 1},  {1252, "\x83\x6D" "di", 0},
        {932, "\x83\x4D" "DI", 1},  {1252, "\x83\x4D" "DI", 0},
        {0, "xMdi", 0},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (c.page != 0 && c.page != page)
                continue;
            HWND inner = ws::createWindow(Desc(c.panelClass, "", WS_VISIBLE | WS_CHILD, doc, RECT{220, 240, 580, 480}));
            ws::setCursorPos(400, 210);
            EXPECT_EQ(c.onDocumentCaption, IsTobanai(Control("Edit", inner)))
                << "panel class \"" << c.panelClass << "\", code page " << page;
        }
    });
}

TEST_F(MdiFrames, ControlInNestedPanelsOfADialogIsFramedByTheDialog)
{
    HWND outer = ws::createWindow(Desc("Group", "", WS_VISIBLE | WS_CHILD, dlg, RECT{110, 130, 390, 290}));
    HWND inner = ws::createWindow(Desc("Group", "", WS_VISIBLE | WS_CHILD, outer, RECT{120, 140, 380, 280}));
    HWND button = Control("Button", inner);
    ws::setCursorPos(250, 110);  // dialog caption
    EXPECT_EQ(1, IsTobanai(button));
    ws::setCursorPos(115, 200);  // inside the dialog, on the outer group only
    EXPECT_EQ(0, IsTobanai(button));
}

}  // namespace
