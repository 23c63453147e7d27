// The library on a Japanese desktop (code page 932, Japanese system menus):
// system-menu relabelling, completion, history and aliases over Shift-JIS
// text, and the library's own Japanese texts as other programs read them.
// These tests run in their own Wine session started with a Japanese locale
// (ctest entry wine_japanese); anywhere else they skip themselves, unless
// QR_JAPANESE is set, which says that the session was meant to be Japanese.
//
// Expected texts are written as Unicode code points and turned into the
// desktop's own code page where a test needs bytes, so that they do not
// depend on the encoding of this file.
#include "desktop.h"

#include <stdlib.h>
#include <string.h>

namespace {

using qr::Ansi;
using qr::Wide;

std::wstring WindowTextW(HWND hWnd)
{
    wchar_t text[1024] = L"";
    DWORD_PTR len = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &len);
    text[1023] = 0;
    return text;
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char b[4];
        snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    return out;
}

// Shift-JIS characters whose second byte is 0x5C (the backslash's value):
// "so" (U+30BD) and "hyo" (U+8868).
const wchar_t kSoSu[] = L"\u30BD\u30FC\u30B9.txt";   // so-su
const wchar_t kSoFu[] = L"\u30BD\u30D5\u30C8.txt";   // so-fu-to
const wchar_t kHyoJi[] = L"\u8868\u793A";            // hyo-ji

class JapaneseDesktop : public WineDesktop {
protected:
    void SetUp() override
    {
        if (GetACP() != 932) {
            if (getenv("QR_JAPANESE"))
                FAIL() << "a Japanese desktop was asked for, but the code page is " << GetACP()
                       << " (is the ja_JP.UTF-8 locale generated? scripts/install-deps does it)";
            GTEST_SKIP() << "not a Japanese desktop (code page " << GetACP() << ")";
        }
        WineDesktop::SetUp();
    }
    void TearDown() override
    {
        if (GetACP() != 932)
            return;
        Int("bHeropa") = 0;
        WineDesktop::TearDown();
    }
};

// Activation relabels the items whose text begins with the expected Japanese
// label; Wine's maximize label is not the one in the table and stays.
TEST_F(JapaneseDesktop, SystemMenuIsRelabelledOnActivationOnlyWhereTheLabelsMatch)
{
    EXPECT_EQ(1, Int("bJapaneseEnv")) << "the host reads iCountry 81 on a Japanese desktop";
    struct Row {
        UINT command;
        const wchar_t* japanese;  // Wine's label
        const wchar_t* relabelled;
    };
    const Row rows[] = {
        {SC_RESTORE, L"\u5143\u306E\u30B5\u30A4\u30BA\u306B\u623B\u3059(&R)", L"&Restore"},
        {SC_MOVE, L"\u79FB\u52D5(&M)", L"&Move"},
        {SC_SIZE, L"\u30B5\u30A4\u30BA\u5909\u66F4(&S)", L"&Size"},
        {SC_MINIMIZE, L"\u30A2\u30A4\u30B3\u30F3\u5316(&N)", L"Mi&nimize"},
        {SC_MAXIMIZE, L"\u6700\u5927\u5316(&X)", L"\u6700\u5927\u5316(&X)"},
        {SC_CLOSE, L"\u9589\u3058\u308B(&C)\tAlt+F4", L"&Close\tAlt+F4"},
    };
    for (int heropa : {0, 1}) {
        Int("bHeropa") = heropa;
        ASSERT_TRUE(qr::BringToFront(host.Window()));
        ASSERT_TRUE(target.Focus(1)) << "the target was not activated again";
        for (const Row& r : rows) {
            const std::wstring expected = heropa ? r.relabelled : r.japanese;
            std::string item;
            EXPECT_TRUE(qr::WaitFor([&] { return Wide(item = target.SystemMenuItem(r.command)) == expected; },
                                    2000))
                << "bHeropa " << heropa << ", command " << r.command << ": bytes " << Hex(item);
        }
    }
}

// The last name is found by characters: "so" ends in 0x5C, and "hyo-ji"
// holds 0x5C in the middle of the line.
TEST_F(JapaneseDesktop, CompletionKeepsDoubleByteNamesWhole)
{
    const std::wstring dir = L"C:\\qrjp\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    for (const std::wstring& name : {std::wstring(kSoSu), std::wstring(kSoFu), std::wstring(kHyoJi) + L".txt"}) {
        HANDLE f = CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f) << Ansi(name);
        CloseHandle(f);
    }
    ASSERT_TRUE(FileList() != NULL) << "the host has no completion dialog";

    target.SetText(1, Ansi(L"type C:\\qrjp\\\u30BD").c_str());
    qr::CtrlTap('L');
    ASSERT_TRUE(qr::WaitFor([&] { return ListCount() == 2; })) << "entries listed: " << ListCount();
    std::wstring shown[2] = {Wide(ListEntry(0)), Wide(ListEntry(1))};
    EXPECT_TRUE((shown[0] == kSoSu && shown[1] == kSoFu) || (shown[0] == kSoFu && shown[1] == kSoSu))
        << "entries " << Hex(ListEntry(0)) << "/ " << Hex(ListEntry(1));
    for (int step = 0; step < 3; ++step) {
        if (step > 0)
            qr::CtrlTap('L');
        std::wstring expected = L"type C:\\qrjp\\" + shown[step % 2];
        EXPECT_TRUE(qr::WaitFor([&] { return Wide(target.Text(1)) == expected; }))
            << "step " << step + 1 << ": field bytes " << Hex(target.Text(1));
    }

    qr::Tap(VK_BACK);  // empties the list
    ASSERT_TRUE(qr::WaitFor([&] { return ListCount() == 0; }));
    target.SetText(1, Ansi(L"type C:\\qrjp\\" + std::wstring(kHyoJi)).c_str());
    qr::CtrlTap('L');
    std::wstring expected = L"type C:\\qrjp\\" + std::wstring(kHyoJi) + L".txt";
    EXPECT_TRUE(qr::WaitFor([&] { return Wide(target.Text(1)) == expected; }))
        << "field bytes " << Hex(target.Text(1));

    for (const std::wstring& name : {std::wstring(kSoSu), std::wstring(kSoFu), std::wstring(kHyoJi) + L".txt"})
        DeleteFileW((dir + name).c_str());
    RemoveDirectoryW(dir.c_str());
}

// Stored and recalled in the target, saved by the host when it ends and
// loaded back by the next host, byte for byte.
TEST_F(JapaneseDesktop, AShiftJisHistoryLineIsKeptByteForByte)
{
    const std::string line = Ansi(L"echo \u8868\u793A \u30BD\u30D5\u30C8 \u30CE");
    ASSERT_EQ("echo \x95\x5C\x8E\xA6 \x83\x5C\x83\x74\x83\x67 \x83\x6D", line) << "the desktop's code page";
    target.SetText(1, line.c_str());
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return line == HistSlot(0); })) << "slot 0: " << Hex(HistSlot(0));
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == line; })) << "recalled: " << Hex(target.Text(1));

    ASSERT_TRUE(host.Close());
    EXPECT_EQ(line, qr::ReadSetting("1")) << "saved: " << Hex(qr::ReadSetting("1"));
    memset(Text("chHist"), 0, 32 * 256);
    Int("iSetIndex") = Int("iGetIndex") = 0;
    ASSERT_TRUE(host.Start());
    EXPECT_TRUE(qr::WaitFor([&] { return line == HistSlot(0); })) << "loaded: " << Hex(HistSlot(0));
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == line; })) << "recalled: " << Hex(target.Text(1));
}

// A Japanese name and value; "a" (0x83 0x41) and "di" (0x83 0x61) differ
// only in a second byte that reads as 'A' and 'a', and are different names.
TEST_F(JapaneseDesktop, AnAliasWithAJapaneseNameAndValueExpands)
{
    target.SetText(1, Ansi(L"alias \u8868\u793A \u30BD\u30D5\u30C8 /w").c_str());
    qr::Tap(VK_RETURN);
    const std::string entry = Ansi(L"\u8868\u793A,\u30BD\u30D5\u30C8 /w");
    ASSERT_TRUE(qr::WaitFor([&] { return entry == AliasEntry(0); })) << "entry 0: " << Hex(AliasEntry(0));
    target.SetText(1, Ansi(L"\u8868\u793A C:\\qrjp").c_str());
    qr::Tap(VK_RETURN);
    const std::string expanded = Ansi(L"\u30BD\u30D5\u30C8 /w C:\\qrjp");
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == expanded; })) << "field: " << Hex(target.Text(1));

    target.SetText(1, Ansi(L"alias \u30A2 one").c_str());
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return Ansi(L"\u30A2,one") == AliasEntry(1); }));
    const std::string other = Ansi(L"\u30C2 x");
    target.SetText(1, other.c_str());
    target.ClearLog();
    qr::Tap(VK_RETURN);
    qr::Tap(VK_F5);  // a marker no service acts on: the Enter before it has been handled
    ASSERT_TRUE(target.WaitForLog(qr::Down(VK_F5)));
    EXPECT_EQ(other, target.Text(1)) << "field: " << Hex(target.Text(1));
}

// Ctrl+Shift+F4 in the target writes "(nashi)" as the screen saver, and the
// next press writes the entry back.
TEST_F(JapaneseDesktop, TheScreenSaverEntryReadsNashi)
{
    ASSERT_TRUE(WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "qrsaver.scr", "System.Ini"));
    WritePrivateProfileStringA(NULL, NULL, NULL, "System.Ini");
    auto entryW = [] {
        wchar_t w[64] = L"";
        GetPrivateProfileStringW(L"boot", L"SCRNSAVE.EXE", L"", w, 64, L"System.Ini");
        return std::wstring(w);
    };
    auto entryA = [] {
        char a[64] = "";
        GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", a, sizeof a, "System.Ini");
        return std::string(a);
    };
    qr::CtrlShiftTap(VK_F4);
    EXPECT_TRUE(qr::WaitFor([&] { return entryW() == L"(\u306A\u3057)"; })) << "entry: " << Hex(entryA());
    EXPECT_EQ("\x28\x82\xC8\x82\xB5\x29", entryA());
    qr::CtrlShiftTap(VK_F4);
    EXPECT_TRUE(qr::WaitFor([&] { return entryA() == "qrsaver.scr"; })) << "entry: " << Hex(entryA());
}

// The common dialog as the user sees it: its title and the names in its
// list of file types.
class JapaneseCommonDialog : public JapaneseDesktop {
protected:
    std::vector<std::string> Settings() override { return {"[Quillrun]", "KindOfDialogBox=2"}; }
};

TEST_F(JapaneseCommonDialog, TitleAndFileTypesReadAsJapanese)
{
    const std::wstring title = L"\u4EFB\u610F\u306E\u30D7\u30ED\u30B0\u30E9\u30E0\u3092\u5B9F\u884C";
    const wchar_t* const types[] = {
        L"\u5B9F\u884C\u30D5\u30A1\u30A4\u30EB(*.Exe)",
        L"\u5168\u30D5\u30A1\u30A4\u30EB(*.*)",
        L"\u30D8\u30EB\u30D7\u30D5\u30A1\u30A4\u30EB(*.Hlp)",
        L"\u30C6\u30AD\u30B9\u30C8\u30D5\u30A1\u30A4\u30EB(*.Txt)",
        L"\uFF29\uFF4E\uFF49\u30D5\u30A1\u30A4\u30EB(*.Ini)",
        L"\u30C9\u30AD\u30E5\u30E1\u30F3\u30C8\u30D5\u30A1\u30A4\u30EB(*.Doc)",
        L"\uFF23\u30BD\u30FC\u30B9\u30D5\u30A1\u30A4\u30EB(*.C)",
        L"\u30D8\u30C3\u30C0\u30D5\u30A1\u30A4\u30EB(*.H)",
        L"\u30EA\u30BD\u30FC\u30B9\u30D5\u30A1\u30A4\u30EB(*.Rc)",
        L"\u30C0\u30A4\u30A2\u30ED\u30B0\u30D5\u30A1\u30A4\u30EB(*.Dlg)",
        L"\u30D3\u30C3\u30C8\u30DE\u30C3\u30D7\u30D5\u30A1\u30A4\u30EB(*.Bmp)",
        L"\uFF2A\uFF30\uFF25\uFF27\u30D5\u30A1\u30A4\u30EB(*.Jpg)",
        L"\uFF27\uFF29\uFF26\u30D5\u30A1\u30A4\u30EB(*.Gif)",
        L"\uFF37\uFF41\uFF56\u30D5\u30A1\u30A4\u30EB(*.Wav)",
        L"\uFF2D\uFF29\uFF24\uFF29\u30D5\u30A1\u30A4\u30EB(*.Mid)",
    };
    PostMessageA(host.Window(), WM_COMMAND, IDM_RUN, 0);
    HWND dlg = qr::WaitForWindow("#32770", Ansi(title).c_str());
    ASSERT_NE((HWND)NULL, dlg) << "no dialog titled " << Hex(Ansi(title));
    EXPECT_EQ(title, WindowTextW(dlg));
    HWND list = GetDlgItem(dlg, 0x470);  // cmb1: the file types
    ASSERT_NE((HWND)NULL, list);
    DWORD_PTR count = 0;
    SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    EXPECT_EQ(15u, count);
    for (DWORD_PTR i = 0; i < count && i < 15; ++i) {
        wchar_t text[128] = L"";
        DWORD_PTR len = 0;
        SendMessageTimeoutW(list, CB_GETLBTEXT, i, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &len);
        EXPECT_EQ(std::wstring(types[i]), text) << "file type " << i + 1 << ": " << Hex(Ansi(text));
    }
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(qr::WaitFor([&] { return !IsWindow(dlg); }));
    EXPECT_TRUE(qr::WaitFor([&] { return Int("bDlg") == 0; }));
}

// A host started under a Japanese file name finds the library beside it:
// the second byte 0x5C of "hyo" is no folder's backslash.
class JapaneseHostName : public JapaneseDesktop {
protected:
    bool StartHost() override { return false; }
};

TEST_F(JapaneseHostName, TheHostFindsTheLibraryBesideIt)
{
    const std::wstring dir = L"C:\\qrjp-host\\", program = dir + kHyoJi + L".exe";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW(Wide(qr::BinDir() + "Quillrun.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Wide(qr::BinDir() + "QRHook.dll").c_str(), (dir + L"QRHook.dll").c_str(), FALSE));
    qr::MessageBoxWatcher boxes;
    qr::Program p;
    ASSERT_TRUE(qr::Start("\"" + Ansi(program) + "\"", &p));
    HWND w = NULL;
    EXPECT_TRUE(qr::WaitFor([&] { return (w = FindWindowA("Quillrun", NULL)) != NULL || !p.Running(); }, 20000));
    ASSERT_NE((HWND)NULL, w) << "no host window; boxes: " << (boxes.Texts().empty() ? "" : boxes.Texts()[0]);
    EXPECT_TRUE(qr::WaitFor([&] { return qr::WindowText(GetDlgItem(w, 301)) == QR_WINE_HOOKS_INSTALLED; }))
        << qr::WindowText(GetDlgItem(w, 301));
    PostMessageA(w, WM_COMMAND, IDM_EXIT, 0);  // closing the window would hide it behind its icon
    EXPECT_TRUE(p.WaitExit());
    DeleteFileW(program.c_str());
    DeleteFileW((dir + L"QRHook.dll").c_str());
    RemoveDirectoryW(dir.c_str());
}

}  // namespace
