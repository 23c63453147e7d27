// The window-style inspector: the report text for representative windows, the
// class families, the one-box-at-a-time flag and the message box itself.
#include "hooked_desktop.h"
#include "hotkeys/style_report.h"

#include <string.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::string Report(const char* cls, UINT hWnd, UINT hParent, LONG exStyle, LONG style)
{
    char report[1024];
    char line[32];
    size_t len = BuildStyleReport(report, sizeof report, line, sizeof line, cls, hWnd, hParent,
                                  exStyle, style);
    EXPECT_EQ(strlen(report), len) << cls;
    return report;
}

TEST(StyleReport, RepresentativeWindows)
{
    struct Case {
        const char* name;
        const char* cls;
        UINT hWnd, hParent;
        LONG exStyle, style;
        const char* expected;
    } cases[] = {
        {"push button", "Button", 0x0A3C, 0x0A38, 0, 0x50010000,
         "hWnd = 0A3C\nhParentWnd = 0A38\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(BS_PUSHBUTTON)\nWS_TABSTOP\n"},
        {"auto check box", "Button", 0x1234, 0x0100, 0x00000004, 0x50010003,
         "hWnd = 1234\nhParentWnd = 0100\n\n"
         "WS_EX_NOPARENTNOTIFY\n(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n"
         "(BS_PUSHBUTTON)\nBS_DEFPUSHBUTTON\nBS_CHECKBOX\nBS_AUTOCHECKBOX\nWS_TABSTOP\n"},
        {"group box", "Button", 0x20, 0x10, 0, 0x50020007,
         "hWnd = 0020\nhParentWnd = 0010\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n"
         "(BS_PUSHBUTTON)\nBS_DEFPUSHBUTTON\nBS_CHECKBOX\nBS_AUTOCHECKBOX\nBS_RADIOBUTTON\n"
         "BS_3STATE\nBS_AUTO3STATE\nBS_GROUPBOX\nWS_GROUP\n"},
        {"owner-drawn button, left text", "Button", 0x20, 0x10, 0, 0x4000002B,
         "hWnd = 0020\nhParentWnd = 0010\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\n"
         "(BS_PUSHBUTTON)\nBS_DEFPUSHBUTTON\nBS_CHECKBOX\nBS_AUTOCHECKBOX\nBS_USERBUTTON\n"
         "BS_AUTORADIOBUTTON\nBS_OWNERDRAW\nBS_LEFTTEXT\n"},
        {"scroll bar value 2", "ScrollBar", 0xBEEF, 0x0042, 0, 0x50000002,
         "hWnd = BEEF\nhParentWnd = 0042\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n"
         "SBS_HORZ\nSBS_TOPALIGN\nSBS_LEFTALIGN\nSBS_SIZEBOXTOPLEFTALIGN\n"},
        {"frame window with caption", "Notepad", 0x00010030, 0, 0x00000110, 0x14CF0000,
         "hWnd = 10030\nhParentWnd = 0000\n\n"
         "WS_EX_ACCEPTFILES\n(WS_OVERLAPPED)\nWS_CLIPSIBLINGS\nWS_VISIBLE\nWS_CAPTION\nWS_BORDER\n"
         "WS_DLGFRAME\nWS_SYSMENU\nWS_THICKFRAME\nWS_OVERLAPPEDWINDOW\n"
         "WS_MINIMIZEBOX\nWS_MAXIMIZEBOX\n"},
        {"topmost popup window", "MyPopup", 0xDEADBEEF, 0x1, 0x0000002D, (LONG)0x90880000,
         "hWnd = DEADBEEF\nhParentWnd = 0001\n\n"
         "WS_EX_DLGMODALFRAME\nWS_EX_NOPARENTNOTIFY\nWS_EX_TOPMOST\nWS_EX_TRANSPARENT\n"
         "(WS_OVERLAPPED)\nWS_POPUP\nWS_VISIBLE\nWS_BORDER\nWS_SYSMENU\nWS_POPUPWINDOW\n"},
        {"unknown class: TMemo", "TMemo", 0x30, 0x2F, 0, 0x50010004,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_MAXIMIZEBOX\n"},
        {"empty class name", "", 0x30, 0x2F, 0, 0x50030000,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_MINIMIZEBOX\nWS_MAXIMIZEBOX\n"},
        {"BUTTON in upper case", "BUTTON", 0x30, 0x2F, 0, 0x50000001,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(BS_PUSHBUTTON)\nBS_DEFPUSHBUTTON\n"},
        {"single-line edit", "Edit", 0x30, 0x2F, 0, 0x50810080,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_BORDER\n(ES_LEFT)\nES_AUTOHSCROLL\nWS_TABSTOP\n"},
        {"drop-down list combo box", "ComboBox", 0x30, 0x2F, 0, 0x50210243,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_VSCROLL\n"
         "CBS_SIMPLE\nCBS_DROPDOWN\nCBS_DROPDOWNLIST\nCBS_AUTOHSCROLL\nCBS_HASSTRINGS\nWS_TABSTOP\n"},
        {"standard list box, lower case", "listbox", 0x30, 0x2F, 0, 0x50A10003,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_BORDER\nWS_VSCROLL\n"
         "LBS_NOTIFY\nLBS_SORT\nLBS_STANDARD\nWS_TABSTOP\n"},
        {"list box without a section line", "ListBox", 0x30, 0x2F, 0, 0x50000000,
         "hWnd = 0030\nhParentWnd = 002F\n\n(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n"},
        {"centred static without prefix", "Static", 0x30, 0x2F, 0, 0x50000081,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(SS_LEFT)\nSS_CENTER\nSS_NOPREFIX\n"},
        {"static of the left-no-wrap type", "static", 0x30, 0x2F, 0, 0x0000000C,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\n(SS_LEFT)\nSS_BLACKRECT\nSS_GRAYFRAME\nSS_LEFTNOWORDWRAP\n"},
        {"size box of a development tool", "ThunderRT5VScrollBar", 0x30, 0x2F, 0, 0x0001000D,
         "hWnd = 0030\nhParentWnd = 002F\n\n"
         "(WS_OVERLAPPED)\nSBS_HORZ\nSBS_VERT\nSBS_BOTTOMALIGN\nSBS_RIGHTALIGN\n"
         "SBS_SIZEBOXBOTTOMRIGHTALIGN\nSBS_SIZEBOX\nWS_TABSTOP\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(c.expected), Report(c.cls, c.hWnd, c.hParent, c.exStyle, c.style))
            << c.name;
}

TEST(StyleReport, ClassFamiliesMatchWholeNamesInTableOrder)
{
    struct Case {
        const char* cls;
        StyleFamily family;
    } cases[] = {
        {"Button", STYLE_FAMILY_BUTTON},
        {"button", STYLE_FAMILY_BUTTON},
        {"BorCheck", STYLE_FAMILY_BUTTON},
        {"TRadioButton", STYLE_FAMILY_BUTTON},
        {"ThunderRT5CommandButton", STYLE_FAMILY_BUTTON},
        {"ThunderSSCheck", STYLE_FAMILY_BUTTON},
        {"Edit", STYLE_FAMILY_EDIT},
        {"EDTBX", STYLE_FAMILY_EDIT},
        {"TRichEdit", STYLE_FAMILY_EDIT},
        {"ThunderRT5TextBox", STYLE_FAMILY_EDIT},
        {"TMemo", STYLE_FAMILY_NONE},
        {"ComboBox", STYLE_FAMILY_COMBOBOX},
        {"ThunderRT5DriveListBox", STYLE_FAMILY_COMBOBOX},
        {"thunderdrivelistbox", STYLE_FAMILY_COMBOBOX},
        {"ListBox", STYLE_FAMILY_LISTBOX},
        {"newlist", STYLE_FAMILY_LISTBOX},
        {"NEWLIST", STYLE_FAMILY_LISTBOX},
        {"ThunderRT5DirListBox", STYLE_FAMILY_LISTBOX},
        {"ComboLBox", STYLE_FAMILY_NONE},
        {"ScrollBar", STYLE_FAMILY_SCROLLBAR},
        {"ThunderHScrollBar", STYLE_FAMILY_SCROLLBAR},
        {"Static", STYLE_FAMILY_STATIC},
        {"STATIC", STYLE_FAMILY_STATIC},
        {"ButtonX", STYLE_FAMILY_NONE},
        {"Butto", STYLE_FAMILY_NONE},
        {" Button", STYLE_FAMILY_NONE},
        {"#32770", STYLE_FAMILY_NONE},
        {"", STYLE_FAMILY_NONE},
        {NULL, STYLE_FAMILY_NONE},
        {"\x82\x61utton", STYLE_FAMILY_NONE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.family, StyleFamilyOfClass(c.cls)) << (c.cls ? c.cls : "(null)");
}

// Every bit set and the widest handles: the report is whole and well inside
// the buffer for each family.
TEST(StyleReport, EveryBitSetFitsTheBuffer)
{
    const char* classes[] = {"Button", "Edit", "ComboBox", "ListBox", "ScrollBar", "Static", "Frame"};
    for (const char* cls : classes) {
        std::string r = Report(cls, 0xFFFFFFFF, 0xFFFFFFFF, -1, -1);
        EXPECT_LT(r.size(), 700u) << cls;
        EXPECT_EQ(0u, r.find("hWnd = FFFFFFFF\nhParentWnd = FFFFFFFF\n\nWS_EX_DLGMODALFRAME\n")) << cls;
        const char* tail = strcmp(cls, "Frame") == 0 ? "WS_MINIMIZEBOX\nWS_MAXIMIZEBOX\n" : "WS_GROUP\nWS_TABSTOP\n";
        EXPECT_EQ(r.size() - strlen(tail), r.rfind(tail)) << cls;
    }
    EXPECT_EQ(607u, Report("ListBox", 0xFFFFFFFF, 0xFFFFFFFF, -1, -1).size());
}

// Small buffers: the report is cut short and stays terminated; a line buffer
// too small for a header line gets no header written into it.
TEST(StyleReport, SmallBuffersAreNeverOverrun)
{
    char report[41];
    char line[32];
    memset(report, 'x', sizeof report);
    size_t len = BuildStyleReport(report, 20, line, sizeof line, "Button", 0x10, 0x20, 0, 0x50010000);
    EXPECT_EQ(19u, len);
    EXPECT_EQ(std::string("hWnd = 0010\nhParent"), std::string(report));
    EXPECT_EQ('x', report[20]);

    char shortLine[8];
    memset(shortLine, 'y', sizeof shortLine);
    len = BuildStyleReport(report, sizeof report, shortLine, sizeof shortLine, "Nothing", 0x10,
                           0x20, 0, 0);
    EXPECT_EQ(std::string("(WS_OVERLAPPED)\n"), std::string(report));
    EXPECT_EQ(std::string(8, 'y'), std::string(shortLine, 8));

    EXPECT_EQ(0u, BuildStyleReport(report, 0, line, sizeof line, "Button", 1, 2, 0, 0));
}

// ---------------------------------------------------------------------------
// The hot key and the message box.

struct ShownBox {
    HWND owner;
    std::string text, caption;
    UINT type;
};

class StyleInspector : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        dialog = ws::createWindow(Desc("#32770", "Options", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL,
                                       RECT{800, 0, 1000, 200}));
        button = ws::createWindow(Desc("Button", "OK", 0x50010000, dialog, RECT{810, 150, 890, 180}));
        ws::setMessageBoxHandler([this](HWND owner, const std::string& text, const std::string& caption,
                                        UINT type) {
            boxes.push_back(ShownBox{owner, text, caption, type});
            if (whileOpen)
                whileOpen();
            return IDOK;
        });
    }
    void PressInspectKey()
    {
        CtrlShiftDown(VK_OEM_5);
        ws::keyUp(VK_OEM_5);
    }

    HWND dialog = NULL, button = NULL;
    std::vector<ShownBox> boxes;
    std::function<void()> whileOpen;
};

TEST_F(StyleInspector, ReportOfThePushButtonUnderThePointer)
{
    ASSERT_EQ((HWND)(uintptr_t)0x10012, dialog);
    ASSERT_EQ((HWND)(uintptr_t)0x10013, button);
    bMeFocus = 1;
    ws::setCursorPos(820, 160);
    PressInspectKey();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(host, boxes[0].owner);
    EXPECT_EQ("hWnd = 10013\nhParentWnd = 10012\n\n"
              "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(BS_PUSHBUTTON)\nWS_TABSTOP\n",
              boxes[0].text);
    EXPECT_EQ("Button", boxes[0].caption);
    EXPECT_EQ((UINT)MB_OK, boxes[0].type);
    EXPECT_EQ(0, bMeFocus);
    EXPECT_EQ(0, bStyleBusy);
    EXPECT_EQ(std::string("Button"), chClassName);
}

TEST_F(StyleInspector, TopLevelWindowWithoutOwnerShowsParentZero)
{
    ws::setCursorPos(900, 50);  // on the dialog frame
    PressInspectKey();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("hWnd = 10012\nhParentWnd = 0000\n\n"
              "(WS_OVERLAPPED)\nWS_POPUP\nWS_VISIBLE\nWS_CAPTION\nWS_BORDER\nWS_DLGFRAME\n",
              boxes[0].text);
    EXPECT_EQ("#32770", boxes[0].caption);
}

// The window under the pointer is what the platform reports there: a
// disabled button is passed over for its dialog.
TEST_F(StyleInspector, DisabledButtonIsPassedOverForItsDialog)
{
    EnableWindow(button, FALSE);
    ws::setCursorPos(820, 160);
    PressInspectKey();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("#32770", boxes[0].caption);
}

TEST_F(StyleInspector, NothingUnderThePointerShowsNothing)
{
    ws::setCursorPos(1010, 700);
    PressInspectKey();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(0, bStyleBusy);
}

// While one box is open the key does nothing, in the same program or in
// another one (another thread here); once it is closed the key works again.
TEST_F(StyleInspector, SecondPressWhileABoxIsOpenShowsNothing)
{
    ws::setCursorPos(820, 160);
    int busyInside = -1;
    whileOpen = [&] {
        busyInside = bStyleBusy;
        whileOpen = nullptr;
        PressInspectKey();
        std::thread other([this] { PressInspectKey(); });
        other.join();
    };
    PressInspectKey();
    EXPECT_EQ(1, busyInside);
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ(0, bStyleBusy);
    PressInspectKey();
    EXPECT_EQ(2u, boxes.size());
}

TEST_F(StyleInspector, ClassNameIsReadWithACountOf63)
{
    std::string longName(70, 'Q');
    HWND wide = ws::createWindow(Desc(longName, "", WS_VISIBLE, NULL, RECT{0, 700, 100, 760}));
    ws::setCursorPos(10, 710);
    PressInspectKey();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(std::string(62, 'Q'), boxes[0].caption);
    EXPECT_EQ(0u, boxes[0].text.find("hWnd = " + ws::fmtHandle(wide) + "\n"));
}

// The host's own call: the class name argument picks the section and is the
// caption whatever the real class; the busy flag is neither tested nor set.
TEST_F(StyleInspector, HostCallUsesTheGivenClassNameAndIgnoresTheBusyFlag)
{
    bStyleBusy = 1;
    int busyInside = -1;
    whileOpen = [&] { busyInside = bStyleBusy; };
    ws::setMessageBoxHandler([&](HWND owner, const std::string& text, const std::string& caption, UINT type) {
        boxes.push_back(ShownBox{owner, text, caption, type});
        busyInside = bStyleBusy;
        return IDCANCEL;
    });
    EXPECT_EQ(IDCANCEL, PrtWindowStyle("Edit", button));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("hWnd = 10013\nhParentWnd = 10012\n\n"
              "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\n(ES_LEFT)\nWS_TABSTOP\n",
              boxes[0].text);
    EXPECT_EQ("Edit", boxes[0].caption);
    EXPECT_EQ(1, busyInside);
    EXPECT_EQ(1, bStyleBusy);
}

TEST_F(StyleInspector, HostCallWithoutAClassNameGetsTheDefaultSection)
{
    EXPECT_EQ(IDOK, PrtWindowStyle(NULL, button));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("hWnd = 10013\nhParentWnd = 10012\n\n"
              "(WS_OVERLAPPED)\nWS_CHILD\nWS_VISIBLE\nWS_MAXIMIZEBOX\n",
              boxes[0].text);
    EXPECT_EQ("", boxes[0].caption);
}

// Window handles use their low 32 bits on 64-bit Windows; a wider value is
// printed by those bits, never as a longer number.
TEST_F(StyleInspector, HandleIsPrintedByItsLow32Bits)
{
    HWND wide = (HWND)(uintptr_t)(sizeof(void*) > 4 ? 0x1200012345ull : 0x12345ull);
    PrtWindowStyle("Static", wide);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("hWnd = 12345\nhParentWnd = 0000\n\n(WS_OVERLAPPED)\n(SS_LEFT)\n", boxes[0].text);
}

}  // namespace
