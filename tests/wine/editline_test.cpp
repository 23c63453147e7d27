// Edit-line services across real processes: the history ring and aliases in
// the target program's edit field and in a field of this process, file-name
// completion through the host's completion dialog, and a stand-in
// input-method library that reports the input method open.
#include "desktop.h"

#include <string.h>

using qr::Down;

namespace {

class EditLine : public WineDesktop {
protected:
    void TearDown() override
    {
        Int("bJapaneseEnv") = 0;
        WineDesktop::TearDown();
        DeleteFileA(ImeLibraryPath().c_str());
    }

    // Presses a marker key that no service acts on and waits for it, so that
    // whatever the keys before it let through has arrived.
    std::string LogAfterMarker()
    {
        qr::Tap(VK_F5);
        if (!target.WaitForLog(Down(VK_F5)))
            return "(the marker key F5 never arrived; log:" + target.Log() + ")";
        return target.Log();
    }

    // Wine has a built-in "winnls32" without an input method of its own; a
    // library of that name in a program's own folder is loaded instead of it.
    // The stand-in goes next to the target (and this program) for one test.
    static std::string ImeLibraryPath() { return qr::TestDir() + "WinNLS32.Dll"; }
};

// The integrity level of this process's token (every Wine process has the
// same): 0 when it cannot be read.
static DWORD OwnIntegrity()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    BYTE info[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0, level = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, info, sizeof info, &size)) {
        PSID sid = ((TOKEN_MANDATORY_LABEL*)info)->Label.Sid;
        level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
    }
    CloseHandle(token);
    return level;
}

TEST_F(EditLine, UpRecallsTheEnteredLineAndTheProgramNeverSeesIt)
{
    // Programs of medium integrity and above are served; under Wine every
    // token reports high.
    EXPECT_EQ((DWORD)SECURITY_MANDATORY_HIGH_RID, OwnIntegrity());
    target.SetText(1, "");
    qr::TypeText("dir");
    ASSERT_TRUE(qr::WaitFor([&] { return target.Text(1) == "dir"; })) << "typed: " << target.Text(1);
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "dir") == 0; }))
        << "slot 0 holds \"" << HistSlot(0) << "\"";
    EXPECT_EQ(1, Int("iSetIndex"));

    target.SetText(1, "");
    target.ClearLog();
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "dir"; })) << "field: " << target.Text(1);
    std::string log = LogAfterMarker();
    EXPECT_EQ(std::string::npos, log.find(Down(VK_UP))) << "log:" << log;

    // Nothing newer: Down reaches the program and the field keeps its line.
    target.ClearLog();
    qr::Tap(VK_DOWN);
    log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_DOWN))) << "log:" << log;
    EXPECT_EQ("dir", target.Text(1));
}

TEST_F(EditLine, HistoryOffInTheHostLetsUpThrough)
{
    target.SetText(1, "ls");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "ls") == 0; }));
    host.Command(IDM_HISTORY);  // Options > History: off
    ASSERT_TRUE(qr::WaitFor([&] { return host.Ask(HM_HISTORY_ON) == 0; }));
    target.SetText(1, "");
    target.ClearLog();
    qr::Tap(VK_UP);
    std::string log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_UP))) << "log:" << log;
    EXPECT_EQ("", target.Text(1));
    host.Command(IDM_HISTORY);  // on again
    ASSERT_TRUE(qr::WaitFor([&] { return host.Ask(HM_HISTORY_ON) != 0; }));
}

// Defined in the target's field, expanded in a field of this process.
TEST_F(EditLine, AnAliasDefinedInOneProgramExpandsInAnother)
{
    target.SetText(1, "alias ll dir /w");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(AliasEntry(0), "ll,dir /w") == 0; }))
        << "entry 0: \"" << AliasEntry(0) << "\"";
    EXPECT_EQ("alias ll dir /w", target.Text(1)) << "the definition line stays";

    HWND field = CreateWindowA("Edit", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 400, 300, 60, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(field != NULL);
    ASSERT_TRUE(qr::BringToFront(field));
    SetFocus(field);
    HWND* nowFocus = lib.Var<HWND>("hWndNowFocus");
    ASSERT_TRUE(qr::WaitFor([&] { return *nowFocus == field; })) << "the CBT hook did not record the field";
    SetWindowTextA(field, "LL c:\\temp");
    qr::Tap(VK_RETURN);
    char text[64] = "";
    EXPECT_TRUE(qr::WaitFor([&] {
        GetWindowTextA(field, text, sizeof text);
        return strcmp(text, "dir /w c:\\temp") == 0;
    })) << "field: " << text;
    DestroyWindow(field);
    ASSERT_TRUE(target.Focus(1));
}

TEST_F(EditLine, CtrlLCompletesFromTheHostsListBox)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\qrcomplete", NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    CreateDirectoryA("C:\\qrcomplete\\ALPINE", NULL);
    for (const char* name : {"C:\\qrcomplete\\ALPHA.TXT", "C:\\qrcomplete\\ALPHA2.TXT", "C:\\qrcomplete\\BETA.TXT"}) {
        HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f) << name;
        CloseHandle(f);
    }
    ASSERT_TRUE(FileList() != NULL) << "the host has no completion dialog";

    target.SetText(1, "type c:\\qrcomplete\\al");
    target.ClearLog();
    qr::CtrlTap('L');
    ASSERT_TRUE(qr::WaitFor([&] { return ListCount() == 3; })) << "entries listed: " << ListCount();
    char pattern[128] = "";
    GetWindowTextA(GetDlgItem(*lib.Var<HWND>("hDlgFileList"), QR_COMPLETION_PATTERN_ID), pattern, sizeof pattern);
    EXPECT_STREQ("c:\\qrcomplete\\al*.*", pattern);

    // The entries in the list box's own order, directories without brackets.
    std::string shown[3];
    for (int i = 0; i < 3; ++i) {
        shown[i] = ListEntry(i);
        if (!shown[i].empty() && shown[i][0] == '[')
            shown[i] = shown[i].substr(1, shown[i].size() - 2);
    }
    for (int step = 0; step < 4; ++step) {
        if (step > 0)
            qr::CtrlTap('L');
        std::string expected = "type c:\\qrcomplete\\" + shown[step % 3];
        EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == expected; }))
            << "step " << step + 1 << ": expected " << expected << ", field " << target.Text(1);
    }
    // Backwards after forward steps: the change of direction costs one extra
    // step, so the cursor goes from the first entry to the last, then back one.
    for (int step : {2, 1}) {
        qr::CtrlTap('O');
        std::string back = "type c:\\qrcomplete\\" + shown[step];
        EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == back; }))
            << "Ctrl+O: expected " << back << ", field " << target.Text(1);
    }
    std::string log = LogAfterMarker();
    EXPECT_EQ(std::string::npos, log.find(Down('L'))) << "log:" << log;
    EXPECT_EQ(std::string::npos, log.find(Down('O'))) << "log:" << log;

    // Backspace empties the list and reaches the program.
    target.ClearLog();
    qr::Tap(VK_BACK);
    EXPECT_TRUE(qr::WaitFor([&] { return ListCount() == 0; }));
    log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_BACK))) << "log:" << log;

    for (const char* name : {"C:\\qrcomplete\\ALPHA.TXT", "C:\\qrcomplete\\ALPHA2.TXT", "C:\\qrcomplete\\BETA.TXT"})
        DeleteFileA(name);
    RemoveDirectoryA("C:\\qrcomplete\\ALPINE");
    RemoveDirectoryA("C:\\qrcomplete");
}

// The single-line fields of today's programs beyond the Edit class (the
// target's fields 10 to 13: rich edit 2.0 and 4.1, edit controls under a
// Windows Forms and a Visual Basic 6 class name): each is served as an Edit
// is, Unicode text exactly.  A multi-line and a password rich edit field
// (14, 15) are left as they were, and nothing of them enters the history.
// With the host's option off, only the classes of the list are served.
TEST_F(EditLine, RichEditAndFrameworkFieldsAreServedAndNoOtherKind)
{
    auto wait = [&](int id, const std::wstring& text) {
        return qr::WaitFor([&] { return target.TextW(id) == text; });
    };
    // The keys sent before it have been handled (input keeps its order).
    auto handled = [&] {
        target.ClearLog();
        LogAfterMarker();
    };
    auto selection = [&](int id) {
        DWORD_PTR sel = 0;
        SendMessageTimeoutW(target.Edit(id), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &sel);
        return sel;
    };
    ASSERT_TRUE(CreateDirectoryA("C:\\qrfields", NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    CloseHandle(CreateFileA("C:\\qrfields\\alpha.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "alias ll dir /w");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(AliasEntry(0), "ll,dir /w") == 0; }));

    const struct {
        int id;
        std::wstring line;
    } served[] = {
        {10, L"echo \u0142\u00f3d\u017a \u65e5\u672c"},
        {11, L"echo \u03b6\u03b7 \U0001F600"},
        {12, L"echo \u0436\u0443\u043a"},
        {13, L"echo thunder"},  // an ANSI window
    };
    for (const auto& r : served) {
        ASSERT_TRUE(target.Focus(r.id)) << "field " << r.id;
        target.SetTextW(r.id, r.line);
        qr::Tap(VK_RETURN);
        ASSERT_TRUE(qr::WaitFor([&] { return Int("iSetIndex") == 2; })) << "field " << r.id << ": not stored";
        target.SetTextW(r.id, L"");
        qr::Tap(VK_UP);
        EXPECT_TRUE(wait(r.id, r.line)) << "field " << r.id << ": Up recalled nothing";
        EXPECT_EQ(MAKELONG(r.line.size(), r.line.size()), selection(r.id)) << "field " << r.id << ": caret";
        target.SetTextW(r.id, L"ll x");
        qr::Tap(VK_RETURN);
        EXPECT_TRUE(wait(r.id, L"dir /w x")) << "field " << r.id << ": no expansion";
        target.SetTextW(r.id, L"type C:\\qrfields\\al");
        qr::CtrlTap('L');
        EXPECT_TRUE(wait(r.id, L"type C:\\qrfields\\alpha.txt")) << "field " << r.id << ": no completion";
        Int("iSetIndex") = 1;  // the next field's line goes into slot 1 as well
    }

    // A multi-line and a password field: Ctrl+L, Up and (in the password
    // field) an alias line entered change nothing and store nothing (a
    // marker key after them tells that they have been handled).
    const int setIndex = Int("iSetIndex");
    for (int id : {14, 15}) {
        std::wstring text = id == 15 ? L"ll secret" : target.TextW(id);
        ASSERT_TRUE(target.Focus(id)) << "field " << id;
        target.SetTextW(id, text);
        SendMessageTimeoutW(target.Edit(id), EM_SETSEL, 2, 4, SMTO_ABORTIFHUNG, 5000, NULL);
        qr::CtrlTap('L');
        handled();
        EXPECT_EQ(MAKELONG(2, 4), selection(id)) << "field " << id << ": Ctrl+L moved the selection";
        qr::Tap(id == 15 ? VK_RETURN : VK_UP);
        handled();
        EXPECT_EQ(text, target.TextW(id)) << "field " << id;
    }
    EXPECT_EQ(setIndex, Int("iSetIndex")) << "a field of many lines or a password field went into the history";

    // The option off: a framework's field is left alone, an Edit served.
    host.Command(IDM_ANYEDIT);
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bAnyEditField") == 0; }));
    for (int id : {12, 1}) {
        ASSERT_TRUE(target.Focus(id));
        target.SetTextW(id, L"");
        qr::Tap(VK_UP);
        handled();
    }
    EXPECT_EQ(L"", target.TextW(12)) << "served with the option off";
    EXPECT_EQ("alias ll dir /w", target.Text(1)) << "the Edit field recalled nothing";

    DeleteFileA("C:\\qrfields\\alpha.txt");
    RemoveDirectoryA("C:\\qrfields");
}

TEST_F(EditLine, AnOpenInputMethodMakesHistoryPassKeysOn)
{
    target.SetText(1, "cls");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "cls") == 0; }));

    ASSERT_TRUE(CopyFileA((qr::TestDir() + "ime\\WinNLS32.dll").c_str(), ImeLibraryPath().c_str(), FALSE))
        << "cannot place the stand-in library at " << ImeLibraryPath();
    Int("bJapaneseEnv") = 1;
    typedef WORD(WINAPI * ProbeProc)(HWND);
    ProbeProc probe = (ProbeProc)(void (*)(void))lib.Function("IMEGetOpen");
    ASSERT_TRUE(probe != NULL);
    EXPECT_NE(0, probe(NULL)) << "the probe in this process";

    target.SetText(1, "");
    target.ClearLog();
    qr::Tap(VK_UP);
    std::string log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_UP))) << "log:" << log;
    EXPECT_EQ("", target.Text(1));

    // Without the library the input method counts as closed again.
    ASSERT_TRUE(DeleteFileA(ImeLibraryPath().c_str())) << "the library is still in use";
    EXPECT_EQ(0, probe(NULL));
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "cls"; })) << "field " << target.Text(1);
}

// The input method of the target's field, opened and closed through IMM32 in
// the target's own thread (an input context belongs to its thread).
TEST_F(EditLine, AnInputMethodOpenInTheFieldMakesHistoryPassAndCtrlShiftMOpensIt)
{
    Int("bJapaneseEnv") = 1;
    target.SetText(1, "cls");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "cls") == 0; }));

    ASSERT_TRUE(target.SetImeOpen(true)) << "the field has no input context";
    ASSERT_NE(0, target.ImeOpen());
    target.SetText(1, "");
    target.ClearLog();
    qr::Tap(VK_UP);
    std::string log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_UP))) << "open: Up reaches the program; log:" << log;
    EXPECT_EQ("", target.Text(1));
    // Tab still stores while the input method is open.
    target.SetText(1, "dir");
    qr::Tap(VK_TAB);
    EXPECT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(1), "dir") == 0; }))
        << "slot 1 holds \"" << HistSlot(1) << "\"";
    ASSERT_TRUE(target.Focus(1));

    ASSERT_TRUE(target.SetImeOpen(false));
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "dir"; })) << "closed: Up recalls; field "
                                                                      << target.Text(1);

    // Ctrl+Shift+M opens a closed input method and leaves an open one open,
    // without a warning: the input-method manager is there.
    qr::MessageBoxWatcher boxes;
    qr::CtrlShiftTap('M');
    EXPECT_TRUE(qr::WaitFor([&] { return target.ImeOpen() > 0; })) << "status " << target.ImeOpen();
    qr::CtrlShiftTap('M');
    LogAfterMarker();
    EXPECT_GT(target.ImeOpen(), 0) << "a second Ctrl+Shift+M closed it";
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts()[0];
}

}  // namespace

namespace {

// Text outside the desktop's code page, in the field of a Unicode window
// (the target's field 6): history, aliases and completion keep it exactly.
// The rows depend on the code page: on an English desktop (1252) Japanese
// and Greek text lies outside it, on a Japanese one (932) accented Latin
// letters and the euro sign; a character beyond the 16-bit range (a
// surrogate pair) lies outside both.  These tests run in both sessions.
struct ExactRows {
    std::vector<std::wstring> lines;   // history lines, stored in this order
    std::wstring aliasName, otherName;  // two names the code page writes alike
    std::wstring aliasValue;
    std::wstring folder, file, typed;   // completion: typed in C:\<folder>
};

ExactRows RowsForThisDesktop()
{
    if (GetACP() == 932)
        return {{L"C:\\\u30C7\u30FC\u30BF\\r\u00E9sum\u00E9.txt", L"na\u00EFve \u00DCbersicht \u20AC5",
                 L"smile \U0001F600 \u0142\u00F3d\u017A"},
                L"\u0142", L"\u0151", L"echo r\u00E9sum\u00E9",
                L"\u00DCbersicht", L"na\u00EFve.txt", L"copy C:\\\u00DCbersicht\\na\u00EF"};
    return {{L"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8", L"\u03A9 \u03B1\u03B2\u03B3 \u0416",
             L"smile \U0001F600 \u0142\u00F3d\u017A"},
            L"\u03B6", L"\u03B7", L"echo \u65E5\u672C",
            L"\u00C6r\u00F8", L"\u30D5\u30A1\u30A4\u30EB.txt", L"type C:\\\u00C6r\u00F8\\\u30D5\u30A1"};
}

// What an ANSI reader of the text gets: the desktop's code page.
std::string CodePageForm(const std::wstring& text) { return qr::Ansi(text); }
using qr::Utf8;

class ExactText : public WineDesktop {
protected:
    const WCHAR* ExactSlot(int slot) { return lib.Var<WCHAR>("wchHist") + 256 * slot; }
    const WCHAR* ExactAlias(int slot) { return lib.Var<WCHAR>("wchAlias") + 128 * slot; }
    // Enters a line in the Unicode field and waits until the ring has it.
    bool StoreLine(const std::wstring& line, int slot)
    {
        target.SetTextW(6, line);
        qr::Tap(VK_RETURN);
        return qr::WaitFor([&] { return ExactSlot(slot) == line; });
    }
    testing::AssertionResult Recalls(UINT key, const std::wstring& expected)
    {
        qr::Tap(key);
        if (qr::WaitFor([&] { return target.TextW(6) == expected; }))
            return testing::AssertionSuccess();
        // Which window took the key, when it was not the target's.
        return testing::AssertionFailure() << "foreground: "
                                           << (GetForegroundWindow() == target.Window() ? "the target" : "another window");
    }
};

TEST_F(ExactText, HistoryAliasesAndCompletionKeepTextOutsideTheCodePage)
{
    const ExactRows rows = RowsForThisDesktop();
    ASSERT_TRUE(target.Focus(6));
    for (size_t i = 0; i < rows.lines.size(); ++i) {
        ASSERT_NE(CodePageForm(rows.lines[i]), Utf8(rows.lines[i])) << "row " << i << " lies in the code page";
        ASSERT_TRUE(StoreLine(rows.lines[i], (int)i)) << "row " << i << " was not stored exactly";
        EXPECT_EQ(CodePageForm(rows.lines[i]), HistSlot((int)i)) << "row " << i << ": the code-page slot";
    }
    target.SetTextW(6, L"");
    for (size_t i = rows.lines.size(); i-- > 0;)
        EXPECT_TRUE(Recalls(VK_UP, rows.lines[i])) << "Up, row " << i << ": " << Utf8(target.TextW(6));
    EXPECT_TRUE(Recalls(VK_DOWN, rows.lines[1])) << "Down: " << Utf8(target.TextW(6));
    // An ANSI window's field gets the line as the code page writes it (Up
    // after Down turns back to the line before).
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == CodePageForm(rows.lines[0]); }))
        << "ANSI field: " << target.Text(1);

    // Two aliases whose names the code page writes alike stay two, and each
    // expands to its own exact value.
    ASSERT_TRUE(target.Focus(6));
    struct AliasRow {
        std::wstring name, value;
    } aliases[] = {{rows.aliasName, rows.aliasValue}, {rows.otherName, L"echo other"}};
    ASSERT_EQ(CodePageForm(rows.aliasName), CodePageForm(rows.otherName));
    for (int i = 0; i < 2; ++i) {
        target.SetTextW(6, L"alias " + aliases[i].name + L" " + aliases[i].value);
        qr::Tap(VK_RETURN);
        EXPECT_TRUE(qr::WaitFor([&] { return ExactAlias(i) == aliases[i].name + L"," + aliases[i].value; }))
            << "entry " << i << ": " << Utf8(ExactAlias(i));
    }
    EXPECT_EQ(CodePageForm(rows.aliasName + L"," + rows.aliasValue), AliasEntry(0));
    for (const AliasRow& a : aliases) {
        target.SetTextW(6, a.name + L" x");
        EXPECT_TRUE(Recalls(VK_RETURN, a.value + L" x")) << Utf8(a.name) << ": " << Utf8(target.TextW(6));
    }

    // Completion lists and writes the folder's names exactly.
    const std::wstring folder = L"C:\\" + rows.folder;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE f = CreateFileW((folder + L"\\" + rows.file).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    // A reset key first, so that the list starts afresh.
    target.SetTextW(6, L"");
    qr::Tap(VK_SPACE);
    ASSERT_TRUE(qr::WaitFor([&] { return target.TextW(6) == L" "; }));
    target.SetTextW(6, rows.typed);
    qr::CtrlTap('L');
    const std::wstring completed = rows.typed.substr(0, rows.typed.rfind(L'\\') + 1) + rows.file;
    EXPECT_TRUE(qr::WaitFor([&] { return target.TextW(6) == completed; }))
        << "Ctrl+L: " << Utf8(target.TextW(6)) << ", expected " << Utf8(completed);
    DeleteFileW((folder + L"\\" + rows.file).c_str());
    RemoveDirectoryW(folder.c_str());
}

// The exact text goes into the settings file beside the code-page text and
// comes back with the next start of the host.
TEST_F(ExactText, SurvivesARestartOfTheHost)
{
    const ExactRows rows = RowsForThisDesktop();
    ASSERT_TRUE(target.Focus(6));
    ASSERT_TRUE(StoreLine(rows.lines[0], 0));
    target.SetTextW(6, L"alias " + rows.aliasName + L" " + rows.aliasValue);
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return ExactSlot(1)[0] != 0 && ExactAlias(0)[0] != 0; }));
    ASSERT_TRUE(host.Close());
    EXPECT_EQ(CodePageForm(rows.lines[0]), qr::ReadSetting("1")) << "an ANSI reader keeps its line";
    char exact[2400] = "";
    GetPrivateProfileStringA("Quillrun-UTF8", "1", "", exact, sizeof exact, qr::SettingsPath().c_str());
    EXPECT_NE('\0', exact[0]) << "no exact text in the file";

    RestoreBlock();  // nothing left in the shared block: all from the file
    ASSERT_TRUE(host.Start());
    ASSERT_TRUE(qr::WaitFor([&] { return ExactSlot(0) == rows.lines[0]; })) << Utf8(ExactSlot(0));
    ASSERT_TRUE(target.Focus(6));
    target.SetTextW(6, L"");
    // The definition line went into the ring after the first line.
    const std::wstring definition = L"alias " + rows.aliasName + L" " + rows.aliasValue;
    EXPECT_TRUE(Recalls(VK_UP, definition)) << Utf8(target.TextW(6));
    EXPECT_TRUE(Recalls(VK_UP, rows.lines[0])) << Utf8(target.TextW(6));
    target.SetTextW(6, rows.aliasName + L" y");
    EXPECT_TRUE(Recalls(VK_RETURN, rows.aliasValue + L" y")) << Utf8(target.TextW(6));
}

}  // namespace
