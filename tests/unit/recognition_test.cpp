// Edit-field recognition, the input-method probe and the Ctrl+Shift+M
// switch, against the stand-in input-method library.
#include "edit_field.h"
#include "editline/editline.h"

#include <string.h>

#include <functional>

namespace {

// "'WinNLS32.Dll' が見つかりません", "... をローディングできません" and
// "... が異常です" in Shift-JIS, byte by byte.
const char kNotFound[] = "'WinNLS32.Dll' \x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
const char kCannotLoad[] =
    "'WinNLS32.Dll' \x82\xf0\x83\x8d\x81\x5b\x83\x66\x83\x42\x83\x93\x83\x4f\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
const char kFaulty[] = "'WinNLS32.Dll' \x82\xaa\x88\xd9\x8f\xed\x82\xc5\x82\xb7";

TEST(EditClass, TheEightNamesInAnyCaseAndNothingElse)
{
    struct Case {
        const char* name;
        int known;
    } cases[] = {
        {"Edit", 1},
        {"edit", 1},
        {"EDIT", 1},
        {"eDiT", 1},
        {"EDTBX", 1},
        {"edtbx", 1},
        {"TEdit", 1},
        {"TRichEdit", 1},
        {"trichedit", 1},
        {"TMemo", 1},
        {"ThunderTextBox", 1},
        {"ThunderRTTextBox", 1},
        {"ThunderRT5TextBox", 1},
        {"THUNDERRT5TEXTBOX", 1},
        {"ComboBox", 0},
        {"ListBox", 0},
        {"RichEdit", 0},
        {"RichEdit20A", 0},
        {"Edit ", 0},
        {"Edi", 0},
        {"EditX", 0},
        {"ThunderRT6TextBox", 0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.known, IsEditClass(c.name)) << "\"" << c.name << "\"";
}

class Recognition : public EditFieldDesktop {
protected:
    void SetUp() override
    {
        EditFieldDesktop::SetUp();
        strcpy(chAlias[0], "ll,dir");
        Enter("stored");  // one line to recall
        Type("");
    }

    // What each service does with the field: history recalls, the alias
    // expands, completion completes (against an empty list).
    struct Served {
        bool history;
        bool alias;
        bool completion;
    };
    Served Probe()
    {
        Served s;
        Type("");
        Press('K');  // typing sends the recall cursor back to the newest line
        s.history = Press(VK_UP).hookResult == 1;
        Type("ll");
        Press(VK_TAB);
        s.alias = Text() == "dir";
        Type("x");
        s.completion = CtrlPress('L').hookResult == 1;
        return s;
    }

    std::string MessageBoxes()
    {
        std::string all;
        for (const std::string& c : ws::callsTo("MessageBoxA"))
            all += c + "\n";
        return all;
    }

    static std::string BoxCall(HWND owner, const char* text)
    {
        return "MessageBoxA(" + ws::fmtHandle(owner) + ", \"" + text + "\", \"Quillrun\", 48)";
    }
};

// The known classes as they always were; beyond them (while the host's
// option is on) an edit control under a name of its own, whether Windows
// names its real class (RealGetWindowClass) or, as Wine, only answers as an
// edit control does, and the rich edit controls; never a field of many
// lines nor a password field.
TEST_F(Recognition, WhichServicesServeWhichField)
{
    const char* kForms = "WindowsForms10.EDIT.app.0.2bf8098_r6_ad1";
    // An edit control; no control at all; an editor that wants every key; an
    // edit control whose framework answers WM_GETDLGCODE with nothing.
    enum Kind { EDIT, OTHER, EDITOR, QUIET };
    struct Case {
        const char* cls;
        LONG style;
        Served expected;
        Kind kind = EDIT;
        const char* realClass = "";
        WPARAM passwordChar = 0;
        int anyField = 1;
    } cases[] = {
        {"Edit", 0, {true, true, true}},
        {"EDIT", 0, {true, true, true}},
        {"TMemo", 0, {true, true, true}},
        {"TMemo", ES_MULTILINE, {false, false, false}},
        {"Edit", ES_MULTILINE, {false, false, false}},
        {"Edit", ES_PASSWORD, {false, true, true}},
        {"ComboBox", 0, {false, false, false}},
        {"ListBox", 0, {false, false, false}},
        {kForms, 0, {true, true, true}, EDIT, "Edit"},
        {kForms, 0, {true, true, true}},
        {kForms, 0, {true, true, true}, QUIET, "Edit"},
        {"ThunderRT6TextBox", 0, {true, true, true}},
        {"RichEdit20W", 0, {true, true, true}},
        {"RichEdit50W", 0, {true, true, true}},
        {"RichEdit20W", 0, {true, true, true}, QUIET},
        {"RichEdit20W", 0, {false, false, false}, EDIT, "", '*'},
        {"RichEdit20W", ES_MULTILINE, {false, false, false}},
        {kForms, ES_PASSWORD, {false, false, false}, EDIT, "Edit"},
        {"MyCanvas", 0, {false, false, false}, OTHER},
        {"Scintilla", 0, {false, false, false}, EDITOR},
        {kForms, 0, {false, false, false}, EDIT, "Edit", 0, 0},
        {"Edit", 0, {true, true, true}, EDIT, "", 0, 0},
    };
    for (const Case& c : cases) {
        ws::WindowSpec d = Desc(c.cls, "", WS_CHILD | WS_VISIBLE | c.style, app);
        d.realClass = c.realClass;
        HWND f = c.kind == OTHER ? ws::createWindow(d) : ws::createEdit(d);
        if (c.kind == EDITOR || c.kind == QUIET) {
            LRESULT code = c.kind == EDITOR ? DLGC_HASSETSEL | DLGC_WANTALLKEYS : 0;
            ws::setHandler(f, [code](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                return msg == WM_GETDLGCODE ? code : ws::controlProc(h, msg, w, l);
            });
        }
        if (c.passwordChar)
            SendMessageA(f, EM_SETPASSWORDCHAR, c.passwordChar, 0);
        FocusOn(f);
        bAnyEditField = c.anyField;
        Served s = Probe();
        std::string row = std::string(c.cls) + " style " + std::to_string(c.style) + " real \"" + c.realClass +
                          "\" password " + std::to_string(c.passwordChar) + " any field " + std::to_string(c.anyField);
        EXPECT_EQ(c.expected.history, s.history) << row;
        EXPECT_EQ(c.expected.alias, s.alias) << row;
        EXPECT_EQ(c.expected.completion, s.completion) << row;
    }
}

TEST_F(Recognition, TheEditFieldOfAComboBoxIsServed)
{
    ws::Combo combo = ws::createComboBox(app, 7);
    FocusOn(combo.edit);
    Served s = Probe();
    EXPECT_TRUE(s.history);
    EXPECT_TRUE(s.alias);
    EXPECT_TRUE(s.completion);
}

// Recognition looks at hWndNowFocus, not at the window the key goes to.
TEST_F(Recognition, TheFocusRecordedByTheCbtHookDecides)
{
    HWND other = NewField("Static", 0);
    ws::setFocus(other);
    HWND edit = ws::createEdit(Desc("Edit", "", WS_CHILD, app));
    hWndNowFocus = edit;
    field = edit;
    EXPECT_EQ(1, Press(VK_UP).hookResult);
    EXPECT_EQ("stored", ws::windowText(edit));
}

// The CBT hook of another program may write the focus record while a
// service works on a field: the service acts on the window it tested and
// on no other (here the record turns to a field of many lines as soon as
// the service asks whether its field is a Unicode window).
TEST_F(Recognition, AServiceActsOnTheFieldItTestedWhateverTheFocusRecordSaysMeanwhile)
{
    HWND other = ws::createEdit(Desc("Edit", "other", WS_CHILD | WS_VISIBLE | ES_MULTILINE, app));
    struct Row {
        const char* service;
        const char* typed;
        UINT vk;
        bool ctrl;
        const char* shows;
    } rows[] = {
        {"history", "", VK_UP, false, "stored"},
        {"aliases", "ll", VK_RETURN, false, "dir"},
        {"completion", "x", 'L', true, nullptr},
    };
    for (const Row& r : rows) {
        FocusOn(field);
        Press('K');
        Type(r.typed);
        ws::runDuringNextCall("IsWindowUnicode", [other] { hWndNowFocus = other; });
        r.ctrl ? CtrlPress(r.vk) : Press(r.vk);
        EXPECT_EQ("other", ws::windowText(other)) << r.service;
        if (r.shows)
            EXPECT_EQ(r.shows, Text()) << r.service;
    }
}

TEST_F(Recognition, ClassNamesAreReadWithTheirLimits)
{
    // 62 characters are compared: a longer name is cut and not recognised
    // as anything of the list.
    bAnyEditField = 0;
    HWND f = NewField(std::string(70, 'E'), 0);
    EXPECT_EQ(0, CtrlPress('L').hookResult);
    EXPECT_EQ(std::string(62, 'E'), std::string(chClassName));
    (void)f;
}

TEST_F(Recognition, ProbeIsOffOutsideJapaneseSystems)
{
    ws::installInputMethod();
    ws::setInputMethodOpen(1);
    bJapaneseEnv = 0;
    ws::clearCalls();
    EXPECT_EQ(0, IMEGetOpen(field));
    EXPECT_TRUE(ws::callsTo("OpenFile").empty());
    EXPECT_TRUE(ws::callsTo("LoadLibraryA").empty());
    bJapaneseEnv = 7;  // any non-zero value lets the probe go on
    EXPECT_EQ(1, IMEGetOpen(field));
}

TEST_F(Recognition, ProbeAsksTheLibraryThroughTheRequestBlock)
{
    ws::installInputMethod();
    ws::setInputMethodOpen(1);
    ws::clearCalls();
    EXPECT_EQ(1, IMEGetOpen(field));
    std::vector<std::string> expected = {
        "LoadLibraryA(\"imm32.dll\")",  // no input-method manager here
        "OpenFile(\"WinNLS32.Dll\", 16384)",
        "LoadLibraryA(\"WinNLS32.Dll\")",
        "GetProcAddress(7E000000, \"SendIMEMessageExA\")",
        "GlobalAlloc(0x1002, 32)",
        "SendIMEMessageExA(" + ws::fmtHandle(host) + ", 5000)",
        "GlobalFree(5000)",
        "FreeLibrary(7E000000)",
    };
    EXPECT_EQ(expected, ws::calls());
    EXPECT_EQ(0, ws::loadedModules());
    EXPECT_EQ(0, ws::globalBlocksInUse());

    ws::setInputMethodOpen(0);
    EXPECT_EQ(0, IMEGetOpen(field));
    EXPECT_EQ(4u, ws::callsTo("LoadLibraryA").size()) << "both loaded anew at every call";
}

TEST_F(Recognition, ProbeAnswersTheLow16Bits)
{
    ws::installInputMethod();
    struct Case {
        DWORD answer;
        WORD result;
    } cases[] = {{0, 0}, {1, 1}, {0x10000, 0}, {0x10002, 2}, {0xFFFF, 0xFFFF}};
    for (const Case& c : cases) {
        ws::setInputMethodOpen(c.answer);
        EXPECT_EQ(c.result, IMEGetOpen(field)) << "answer 0x" << std::hex << c.answer;
    }
}

TEST_F(Recognition, ProbeAnswersClosedForEveryFailure)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"no library", [] {}},
        {"library not loadable", [] { ws::installInputMethod({true, false, {}}); }},
        {"entry point missing", [] { ws::installInputMethod({true, true, {"SendIMEMessageExA"}}); }},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        c.arrange();
        ws::setInputMethodOpen(1);
        EXPECT_EQ(0, IMEGetOpen(NULL)) << c.name;
        EXPECT_EQ(0, ws::loadedModules()) << c.name;
        EXPECT_EQ(0, ws::globalBlocksInUse()) << c.name;
    }
}

TEST_F(Recognition, SwitchTurnsAClosedInputMethodOn)
{
    ws::installInputMethod();
    ws::setInputMethodOpen(0);
    ws::clearCalls();
    CtrlShiftDown('M');
    HoldCtrlShift(false);
    EXPECT_EQ(1u, ws::inputMethodOpen());
    std::vector<std::string> expected = {
        "LoadLibraryA(\"imm32.dll\")",
        "OpenFile(\"WinNLS32.Dll\", 16384)",
        "LoadLibraryA(\"WinNLS32.Dll\")",
        "GetProcAddress(7E000000, \"IME32SendIMEMessageEx\")",
        "GetProcAddress(7E000000, \"WINNLS32EnableIME\")",
        "GlobalAlloc(0x1002, 32)",
        "IME32SendIMEMessageEx(" + ws::fmtHandle(host) + ", 5000)",
        "GlobalFree(5000)",
        "WINNLS32EnableIME(0, 1)",
        "FreeLibrary(7E000000)",
    };
    std::vector<std::string> got;
    for (const std::string& c : ws::calls())
        if (c.rfind("SetWindowLongA", 0) != 0 && c.rfind("PostMessageA", 0) != 0)
            got.push_back(c);
    EXPECT_EQ(expected, got);
    EXPECT_EQ(0, ws::loadedModules());
    EXPECT_EQ(0, ws::globalBlocksInUse());
}

TEST_F(Recognition, SwitchNeverTurnsAnOpenInputMethodOff)
{
    ws::installInputMethod();
    ws::setInputMethodOpen(1);
    FepEnable();
    EXPECT_EQ(1u, ws::inputMethodOpen());
    EXPECT_TRUE(ws::callsTo("WINNLS32EnableIME").empty());
    EXPECT_TRUE(ws::callsTo("MessageBoxA").empty());
}

// The switch reads the whole answer, not only its low 16 bits as the probe
// does; with no request block to be had nothing was asked and nothing is
// switched.
TEST_F(Recognition, SwitchActsOnlyOnAnAnswerOfClosed)
{
    struct Case {
        DWORD answer;
        bool allocFails;
        bool switched;
    } cases[] = {{0, false, true}, {1, false, false}, {0x10000, false, false}, {0, true, false}};
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        ws::installInputMethod();
        ws::setInputMethodOpen(c.answer);
        ws::setGlobalAllocFails(c.allocFails);
        ws::clearCalls();
        FepEnable();
        EXPECT_EQ(c.switched, !ws::callsTo("WINNLS32EnableIME").empty())
            << "answer 0x" << std::hex << c.answer << (c.allocFails ? ", no memory" : "");
        EXPECT_TRUE(ws::callsTo("MessageBoxA").empty());
        EXPECT_EQ(0, ws::loadedModules());
        EXPECT_EQ(0, ws::globalBlocksInUse());
    }
}

TEST_F(Recognition, SwitchWarnsAboutAMissingUnloadableOrFaultyLibrary)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* text;
    } cases[] = {
        {"missing", [] {}, kNotFound},
        {"not loadable", [] { ws::installInputMethod({true, false, {}}); }, kCannotLoad},
        {"no send entry", [] { ws::installInputMethod({true, true, {"IME32SendIMEMessageEx"}}); }, kFaulty},
        {"no enable entry", [] { ws::installInputMethod({true, true, {"WINNLS32EnableIME"}}); }, kFaulty},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        c.arrange();
        ws::clearCalls();
        FepEnable();
        std::vector<std::string> boxes = ws::callsTo("MessageBoxA");
        ASSERT_EQ(1u, boxes.size()) << c.name;
        EXPECT_EQ(BoxCall(host, c.text), boxes[0]) << c.name;
        EXPECT_TRUE(ws::callsTo("WINNLS32EnableIME").empty()) << c.name;
        EXPECT_EQ(0, ws::loadedModules()) << c.name;
    }
}

TEST_F(Recognition, CtrlShiftMWithoutTheLibraryShowsTheNotFoundBox)
{
    CtrlShiftDown('M');
    std::vector<std::string> boxes = ws::callsTo("MessageBoxA");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(BoxCall(host, kNotFound), boxes[0]);

    RestoreDefaults();
    bJapaneseEnv = 0;
    CtrlShiftDown('M');
    EXPECT_TRUE(ws::callsTo("MessageBoxA").empty()) << "only on Japanese systems";
}

// The services test for an open input method at every key stroke that needs
// it; an input method that comes and goes between strokes is followed,
// whichever interface reports it.  Tab still stores while it is open.
TEST_F(Recognition, AnOpenInputMethodIsAskedAboutAtEveryStroke)
{
    struct Case {
        const char* name;
        std::function<void(bool open)> setOpen;
    } cases[] = {
        {"WinNLS32.Dll", [](bool open) { ws::setInputMethodOpen(open); }},
        {"imm32.dll", [this](bool open) { ws::setImeOpen(field, open); }},
    };
    ws::installInputMethod();
    ws::installInputMethodManager();
    for (const Case& c : cases) {
        c.setOpen(true);
        Type("x");
        EXPECT_EQ(0, Press(VK_UP).hookResult) << c.name;
        EXPECT_EQ(0, CtrlPress('L').hookResult) << c.name;
        Type(c.name);
        Press(VK_TAB);
        EXPECT_STREQ(c.name, chHist[RingStep(iSetIndex, -1)]) << "stored while open";
        c.setOpen(false);
        EXPECT_EQ(1, Press(VK_UP).hookResult) << c.name;
        EXPECT_EQ(1, CtrlPress('L').hookResult) << c.name;
    }
    EXPECT_EQ(0, ws::inputContextsHeld());
}

// The input-method manager is asked for the focus window of the calling
// thread; an open answer there is enough, and otherwise the older library
// is asked as before.
TEST_F(Recognition, ProbeAsksTheInputMethodManagerOfTheFocusWindow)
{
    struct Case {
        const char* name;
        std::function<void(HWND field, HWND other)> arrange;
        WORD result;
    } cases[] = {
        {"open on the focus window", [](HWND f, HWND) { ws::setImeOpen(f, true); }, 1},
        {"open on another window only", [](HWND, HWND o) { ws::setImeOpen(o, true); }, 0},
        {"closed, the library reports open", [](HWND, HWND) { ws::installInputMethod(); ws::setInputMethodOpen(1); }, 1},
        {"closed, no library", [](HWND, HWND) {}, 0},
        {"focus window without an input context",
         [](HWND f, HWND) { ws::setImeOpen(f, true); ws::removeInputContext(f); }, 0},
        {"manager without ImmGetOpenStatus",
         [](HWND f, HWND) {
             ws::installInputMethodManager({true, {"ImmGetOpenStatus"}});
             ws::setImeOpen(f, true);
         },
         0},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        ws::installInputMethodManager();
        HWND other = ws::createEdit(Desc("Edit", "", WS_CHILD, app));
        c.arrange(field, other);
        ws::clearCalls();
        EXPECT_EQ(c.result, IMEGetOpen(NULL)) << c.name;
        EXPECT_EQ(0, ws::loadedModules()) << c.name;
        EXPECT_EQ(0, ws::inputContextsHeld()) << c.name;
        if (c.result == 1 && ws::imeOpen(field))
            EXPECT_TRUE(ws::callsTo("OpenFile").empty()) << c.name << ": the library is not asked";
    }
    ws::setImeOpen(field, true);
    bJapaneseEnv = 0;
    EXPECT_EQ(0, IMEGetOpen(field)) << "only on Japanese systems";
}

// Ctrl+Shift+M opens a closed input method through the manager and never
// closes one; the older library and its warnings are for systems without
// the manager.
TEST_F(Recognition, SwitchOpensThroughTheInputMethodManager)
{
    struct Case {
        const char* name;
        std::function<void(HWND field)> arrange;
        bool openAfter;
        size_t setCalls;  // of ImmSetOpenStatus
        const char* box;  // the warning shown, or NULL
    } cases[] = {
        {"closed", [](HWND) {}, true, 1, NULL},
        {"open", [](HWND f) { ws::setImeOpen(f, true); }, true, 0, NULL},
        {"no input context", [](HWND f) { ws::removeInputContext(f); }, false, 0, NULL},
        {"manager without ImmSetOpenStatus",
         [](HWND) { ws::installInputMethodManager({true, {"ImmSetOpenStatus"}}); }, false, 0, kNotFound},
        {"no manager", [](HWND) { ws::installInputMethodManager({false, {}}); }, false, 0, kNotFound},
    };
    for (const Case& c : cases) {
        ws::reset();
        RestoreSharedBlock();
        SetUp();
        ws::installInputMethodManager();
        c.arrange(field);
        ws::clearCalls();
        CtrlShiftDown('M');
        HoldCtrlShift(false);
        EXPECT_EQ(c.openAfter, ws::imeOpen(field)) << c.name;
        std::vector<std::string> boxes = ws::callsTo("MessageBoxA");
        EXPECT_EQ(c.box ? std::vector<std::string>{BoxCall(host, c.box)} : std::vector<std::string>{}, boxes)
            << c.name;
        EXPECT_EQ(c.setCalls, ws::callsTo("ImmSetOpenStatus").size()) << c.name;
        EXPECT_EQ(0, ws::loadedModules()) << c.name;
        EXPECT_EQ(0, ws::inputContextsHeld()) << c.name;
    }
    ws::setImeOpen(field, false);
    bJapaneseEnv = 0;
    CtrlShiftDown('M');
    EXPECT_FALSE(ws::imeOpen(field)) << "only on Japanese systems";
}

}  // namespace
