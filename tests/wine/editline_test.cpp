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

TEST_F(EditLine, UpRecallsTheEnteredLineAndTheProgramNeverSeesIt)
{
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
    ASSERT_TRUE(qr::WaitFor([&] { return host.Ask(1554) == 0; }));
    target.SetText(1, "");
    target.ClearLog();
    qr::Tap(VK_UP);
    std::string log = LogAfterMarker();
    EXPECT_NE(std::string::npos, log.find(Down(VK_UP))) << "log:" << log;
    EXPECT_EQ("", target.Text(1));
    host.Command(IDM_HISTORY);  // on again
    ASSERT_TRUE(qr::WaitFor([&] { return host.Ask(1554) != 0; }));
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
    GetWindowTextA(GetDlgItem(*lib.Var<HWND>("hDlgFileList"), 200), pattern, sizeof pattern);
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
