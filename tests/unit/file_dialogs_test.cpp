// The host's file-open dialogs: its own "FileOpen" dialog, the common dialog
// with and without the centring hook, and the resolution of a chosen path.
#include "hooked_desktop.h"
#include "core/text.h"
#include "launch/launch.h"

#include <winsim/sim_dialogs.h>
#include <winsim/sim_system.h>

#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

bool Has(const std::vector<std::string>& items, const std::string& item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

class FileDialogs : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        ws::addFileOpenTemplate(hostInst);
        ws::writeFile("C:\\TOOLS\\edit.Exe", "MZ");
        ws::writeFile("C:\\TOOLS\\calc.Exe", "MZ");
        ws::writeFile("C:\\TOOLS\\readme.Txt", "text");
        ws::writeFile("C:\\TOOLS\\SUB\\deep.Exe", "MZ");
        ws::writeFile("C:\\TOOLS\\SUB\\notes.Txt", "text");
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\TOOLS"));
        memset(&ofs, 0x11, sizeof ofs);
        ofs.szPathName[0] = 0;
        strcpy(out, "untouched");
        bDlg = 1;  // the host sets it before calling
    }
    void SetKind(const char* value)
    {
        WritePrivateProfileStringA("Quillrun", "KindOfDialogBox", value, "Quillrun.Ini");
    }
    int Run(const char* pattern = "*.Exe", const char* ext = ".Exe")
    {
        return DoFileOpenDlg(hostInst, host, pattern, ext, 0x4010, out, &ofs);
    }
    OFSTRUCT ofs;
    char out[128];
};

TEST_F(FileDialogs, OwnDialogUnlessTheSettingAsksForTheCommonOne)
{
    for (const char* kind : {(const char*)nullptr, "0", "3", "-1", "x"}) {
        SCOPED_TRACE(kind ? kind : "(no key)");
        SetKind(kind);
        bool ran = false;
        ws::setDialogScript([&](HWND dlg) {
            ran = true;
            EXPECT_EQ("*.Exe", ws::dialogItemText(dlg, 100));
            EXPECT_EQ(600, iDlgContextID);
            EXPECT_EQ("C:\\TOOLS", ws::dialogItemText(dlg, 101));
            std::vector<std::string> items = ws::dialogListItems(dlg, 102);
            EXPECT_TRUE(Has(items, "edit.Exe"));
            EXPECT_TRUE(Has(items, "[SUB]"));
            EXPECT_TRUE(Has(items, "[..]"));
            EXPECT_TRUE(Has(items, "[-c-]"));
            EXPECT_FALSE(Has(items, "readme.Txt"));
            RECT r = ws::dialogRect(dlg);
            EXPECT_EQ(362, r.left);  // (1024 - 300) / 2
            EXPECT_EQ(284, r.top);   // (768 - 200) / 2
            EXPECT_EQ(dlg, GetForegroundWindow());
            ws::clickButton(dlg, 2);
        });
        bDlg = 1;
        EXPECT_EQ(0, Run());
        EXPECT_TRUE(ran);
        EXPECT_EQ(0, bDlg);
        EXPECT_EQ(0, iDlgContextID);
        EXPECT_TRUE(ws::openFileCalls().empty());
    }
}

TEST_F(FileDialogs, TypedNameFoundWithTheDefaultExtension)
{
    ws::setDialogScript([](HWND dlg) {
        ws::typeText(dlg, 100, "edit");
        ws::clickButton(dlg, 1);
    });
    EXPECT_EQ(1, Run());
    EXPECT_STREQ("edit.Exe", out);
    EXPECT_STREQ("C:\\TOOLS\\edit.Exe", ofs.szPathName);
    EXPECT_EQ(0, bDlg);
    EXPECT_EQ(std::vector<std::string>{"OemToCharA(\"edit.Exe\")"}, ws::callsTo("OemToCharA"));
}

// The default extension is appended even to a name that has a dot.
TEST_F(FileDialogs, TypedDottedNameFoundWithTheDefaultExtension)
{
    ws::writeFile("C:\\TOOLS\\setup.v2.Exe", "MZ");
    ws::setDialogScript([](HWND dlg) {
        ws::typeText(dlg, 100, "setup.v2");
        ws::clickButton(dlg, 1);
    });
    EXPECT_EQ(1, Run());
    EXPECT_STREQ("setup.v2.Exe", out);
}

TEST_F(FileDialogs, TypedCommandLineWithParametersIsTakenAsItStands)
{
    ws::setDialogScript([](HWND dlg) {
        ws::clearCalls();
        ws::typeText(dlg, 100, "edit -r x.txt");
        ws::clickButton(dlg, 1);
    });
    EXPECT_EQ(1, Run());
    EXPECT_STREQ("edit -r x.txt", out);
    EXPECT_STREQ("edit -r x.txt", ofs.szPathName);
    EXPECT_EQ(0x11, ofs.cBytes);  // the rest of the record is left alone
    EXPECT_TRUE(ws::callsTo("OpenFile").empty());
    EXPECT_EQ(0, bDlg);
}

TEST_F(FileDialogs, TypedDirectoryIsListedWithThePattern)
{
    for (const char* typed : {"SUB", "SUB\\", "C:\\TOOLS\\SUB"}) {
        SCOPED_TRACE(typed);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\TOOLS"));
        ws::setDialogScript([typed](HWND dlg) {
            ws::typeText(dlg, 100, typed);
            ws::clickButton(dlg, 1);
            EXPECT_TRUE(ws::dialogOpen(dlg));
            EXPECT_EQ("*.Exe", ws::dialogItemText(dlg, 100));
            EXPECT_EQ("C:\\TOOLS\\SUB", ws::dialogItemText(dlg, 101));
            std::vector<std::string> items = ws::dialogListItems(dlg, 102);
            EXPECT_TRUE(Has(items, "deep.Exe"));
            EXPECT_FALSE(Has(items, "notes.Txt"));
            EXPECT_FALSE(Has(items, "edit.Exe"));
            // A name is now found relative to the listed directory.
            ws::typeText(dlg, 100, "deep");
            ws::clickButton(dlg, 1);
        });
        EXPECT_EQ(1, Run());
        EXPECT_STREQ("deep.Exe", out);
        EXPECT_STREQ("C:\\TOOLS\\SUB\\deep.Exe", ofs.szPathName);
    }
}

// A drive alone (text ending in a colon) is listed with the pattern: the
// drive's current folder.
TEST_F(FileDialogs, TypedDriveIsListedWithThePattern)
{
    ws::setDialogScript([](HWND dlg) {
        ws::typeText(dlg, 100, "C:");
        ws::clickButton(dlg, 1);
        EXPECT_TRUE(ws::dialogOpen(dlg));
        EXPECT_EQ("*.Exe", ws::dialogItemText(dlg, 100));
        EXPECT_EQ("C:\\TOOLS", ws::dialogItemText(dlg, 101));
        EXPECT_TRUE(ws::callsTo("MessageBeep").empty());
        ws::clickButton(dlg, 2);
    });
    EXPECT_EQ(0, Run());
}

TEST_F(FileDialogs, TypedPatternBecomesThePatternOfLaterListings)
{
    ws::setDialogScript([](HWND dlg) {
        ws::typeText(dlg, 100, "*.Txt");
        ws::clickButton(dlg, 1);
        EXPECT_TRUE(ws::dialogOpen(dlg));
        EXPECT_EQ("*.Txt", ws::dialogItemText(dlg, 100));
        EXPECT_TRUE(Has(ws::dialogListItems(dlg, 102), "readme.Txt"));
        EXPECT_FALSE(Has(ws::dialogListItems(dlg, 102), "edit.Exe"));
        ws::typeText(dlg, 100, "SUB");
        ws::clickButton(dlg, 1);
        EXPECT_EQ("*.Txt", ws::dialogItemText(dlg, 100));
        EXPECT_TRUE(Has(ws::dialogListItems(dlg, 102), "notes.Txt"));
        ws::clickButton(dlg, 2);
    });
    EXPECT_EQ(0, Run());
}

TEST_F(FileDialogs, PatternThatListsNothingAndMissingFileBeepAndStayOpen)
{
    ws::setDialogScript([](HWND dlg) {
        ws::clearCalls();
        ws::typeText(dlg, 100, "Q:\\*.Exe");  // no such drive
        ws::clickButton(dlg, 1);
        EXPECT_TRUE(ws::dialogOpen(dlg));
        EXPECT_EQ(1u, ws::callsTo("MessageBeep").size());
        ws::typeText(dlg, 100, "nothing");
        ws::clickButton(dlg, 1);
        EXPECT_TRUE(ws::dialogOpen(dlg));
        EXPECT_EQ(2u, ws::callsTo("MessageBeep").size());
        // The default extension is appended even to a name with one.
        EXPECT_EQ((std::vector<std::string>{"OpenFile(\"nothing\", 16384)", "OpenFile(\"nothing.Exe\", 16384)"}),
                  ws::callsTo("OpenFile"));
        ws::clickButton(dlg, 2);
    });
    EXPECT_EQ(0, Run());
    EXPECT_STREQ("nothing.Exe", out);  // the stale text still reaches the host
    EXPECT_EQ(0, bDlg);
}

TEST_F(FileDialogs, ClearedFieldDisablesOk)
{
    ws::setDialogScript([](HWND dlg) {
        HWND ok = GetDlgItem(dlg, 1);
        ws::typeText(dlg, 100, "");
        EXPECT_FALSE(IsWindowEnabled(ok));
        ws::clickButton(dlg, 1);  // a disabled button does nothing
        EXPECT_TRUE(ws::dialogOpen(dlg));
        ws::typeText(dlg, 100, "e");
        EXPECT_TRUE(IsWindowEnabled(ok));
        ws::clickButton(dlg, 2);
    });
    EXPECT_EQ(0, Run());
}

TEST_F(FileDialogs, ListSelectionAndDoubleClick)
{
    ws::setDialogScript([](HWND dlg) {
        ASSERT_TRUE(ws::selectItem(dlg, 102, "calc.Exe"));
        EXPECT_EQ("calc.Exe", ws::dialogItemText(dlg, 100));
        ASSERT_TRUE(ws::selectItem(dlg, 102, "[SUB]"));
        EXPECT_EQ("SUB\\*.Exe", ws::dialogItemText(dlg, 100));
        ASSERT_TRUE(ws::selectItem(dlg, 102, "[SUB]", true));
        EXPECT_TRUE(ws::dialogOpen(dlg));
        EXPECT_EQ("C:\\TOOLS\\SUB", ws::dialogItemText(dlg, 101));
        EXPECT_EQ("*.Exe", ws::dialogItemText(dlg, 100));
        ASSERT_TRUE(ws::selectItem(dlg, 102, "deep.Exe", true));
        EXPECT_FALSE(ws::dialogOpen(dlg));
    });
    EXPECT_EQ(1, Run());
    EXPECT_STREQ("deep.Exe", out);
    EXPECT_STREQ("C:\\TOOLS\\SUB\\deep.Exe", ofs.szPathName);
}

TEST_F(FileDialogs, MissingTemplateReturnsMinusOneAndLeavesTheFlag)
{
    HINSTANCE other = (HINSTANCE)(uintptr_t)0x500000;
    bDlg = 1;
    EXPECT_EQ(-1, DoFileOpenDlg(other, host, "*.Exe", ".Exe", 0x4010, out, &ofs));
    EXPECT_EQ(1, bDlg);
    EXPECT_EQ(0, iDlgContextID);
    EXPECT_STREQ("", out);
}

// Arguments that do not fit are refused: the pattern and extension before
// them stay.
TEST_F(FileDialogs, PatternAndExtensionTooLongAreRefused)
{
    ws::setDialogScript([](HWND dlg) {
        EXPECT_EQ("*.Exe", ws::dialogItemText(dlg, 100));
        ws::typeText(dlg, 100, "edit");
        ws::clickButton(dlg, 1);
    });
    EXPECT_EQ(1, Run("*.VeryLongExtens", ".Program"));  // 16 and 8 characters
    EXPECT_STREQ("edit.Exe", out);
    EXPECT_EQ(2u, ws::callsTo("MessageBeep").size()) << "each refusal beeps";

    // Limits exactly: 15 and 7 characters are taken.
    ws::writeFile("C:\\TOOLS\\tool.Longex", "MZ");
    ws::setDialogScript([](HWND dlg) {
        EXPECT_EQ("*.VeryLongExten", ws::dialogItemText(dlg, 100));
        ws::typeText(dlg, 100, "tool");
        ws::clickButton(dlg, 1);
    });
    ws::clearCalls();
    EXPECT_EQ(1, Run("*.VeryLongExten", ".Longex"));
    EXPECT_STREQ("tool.Longex", out);
    EXPECT_TRUE(ws::callsTo("MessageBeep").empty());
}

TEST_F(FileDialogs, CommonDialogRecordFilterAndTitle)
{
    struct Case {
        const char* kind;
        DWORD flags;
        bool hook;
    } cases[] = {{"1", 0x1924, true}, {"2", 0x1904, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        RestoreDefaults();
        SetKind(c.kind);
        bDlg = 1;
        EXPECT_EQ(0, Run());  // cancelled
        EXPECT_EQ(0, bDlg);
        EXPECT_STREQ("", ofs.szPathName);
        EXPECT_STREQ("untouched", out);
        std::vector<ws::OpenFileCall> calls = ws::openFileCalls();
        ASSERT_FALSE(calls.empty());
        const OPENFILENAMEA& rec = calls.back().record;
        EXPECT_EQ(sizeof(void*) == 8 ? 136u : 76u, rec.lStructSize);
        EXPECT_EQ(c.flags, rec.Flags);
        EXPECT_EQ(host, rec.hwndOwner);
        EXPECT_EQ(1u, rec.nFilterIndex);
        EXPECT_EQ(1023u, rec.nMaxFile);
        EXPECT_EQ(1023u, rec.nMaxFileTitle);
        EXPECT_EQ(nullptr, rec.lpstrInitialDir);
        EXPECT_EQ(nullptr, rec.lpstrDefExt);
        EXPECT_EQ(nullptr, rec.lpstrCustomFilter);
        EXPECT_EQ(c.hook, rec.lpfnHook != nullptr);
        EXPECT_EQ("\x94\x43\x88\xD3\x82\xCC\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8E\xC0\x8D\x73",
                  calls.back().title);
        const std::string filter =
            "\x8E\xC0\x8D\x73\x83\x74\x83\x40\x83\x43\x83\x8B(*.Exe)|*.Exe|"
            "\x91\x53\x83\x74\x83\x40\x83\x43\x83\x8B(*.*)|*.*|"
            "\x83\x77\x83\x8B\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B(*.Hlp)|*.Hlp|"
            "\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B(*.Txt)|*.Txt|"
            "\x82\x68\x82\x8E\x82\x89\x83\x74\x83\x40\x83\x43\x83\x8B(*.Ini)|*.Ini|"
            "\x83\x68\x83\x4C\x83\x85\x83\x81\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B(*.Doc)|*.Doc|"
            "\x82\x62\x83\x5C\x81\x5B\x83\x58\x83\x74\x83\x40\x83\x43\x83\x8B(*.C)|*.C|"
            "\x83\x77\x83\x62\x83\x5F\x83\x74\x83\x40\x83\x43\x83\x8B(*.H)|*.H|"
            "\x83\x8A\x83\x5C\x81\x5B\x83\x58\x83\x74\x83\x40\x83\x43\x83\x8B(*.Rc)|*.Rc|"
            "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x83\x74\x83\x40\x83\x43\x83\x8B(*.Dlg)|*.Dlg|"
            "\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B(*.Bmp)|*.Bmp|"
            "\x82\x69\x82\x6F\x82\x64\x82\x66\x83\x74\x83\x40\x83\x43\x83\x8B(*.Jpg)|*.Jpg|"
            "\x82\x66\x82\x68\x82\x65\x83\x74\x83\x40\x83\x43\x83\x8B(*.Gif)|*.Gif|"
            "\x82\x76\x82\x81\x82\x96\x83\x74\x83\x40\x83\x43\x83\x8B(*.Wav)|*.Wav|"
            "\x82\x6C\x82\x68\x82\x63\x82\x68\x83\x74\x83\x40\x83\x43\x83\x8B(*.Mid)|*.Mid|";
        EXPECT_EQ(filter, calls.back().filter);
        if (c.hook) {
            EXPECT_EQ(1u, calls.back().hookResult);
            EXPECT_EQ(312, calls.back().hookDialogRect.left);  // (1024 - 400) / 2
            EXPECT_EQ(234, calls.back().hookDialogRect.top);   // (768 - 300) / 2
        }
        // The host is brought to the front, last of all by the hook.
        std::vector<std::string> fg = ws::callsTo("SetForegroundWindow");
        ASSERT_FALSE(fg.empty());
        EXPECT_EQ("SetForegroundWindow(" + ws::fmtHandle(host) + ")", fg.back());
        EXPECT_EQ(c.hook ? 3u : 1u, fg.size());
    }
}

TEST_F(FileDialogs, CommonDialogChoiceIsResolvedIntoTheRecord)
{
    SetKind("2");
    ws::setOpenFileAnswer([](OPENFILENAMEA* ofn) {
        strcpy(ofn->lpstrFile, "C:\\TOOLS\\edit");
        return TRUE;
    });
    for (const char* check : {"0", "2", "-1"}) {
        WritePrivateProfileStringA("Quillrun", "ExecDialogCheck", check, "Quillrun.Ini");
        EXPECT_EQ(1, Run());
        EXPECT_STREQ("C:\\TOOLS\\edit", ofs.szPathName);
        EXPECT_STREQ("untouched", out);
        EXPECT_TRUE(ws::callsTo("MessageBoxA").empty()) << "ExecDialogCheck " << check;
    }

    WritePrivateProfileStringA("Quillrun", "ExecDialogCheck", "1", "Quillrun.Ini");
    ws::setOpenFileAnswer([](OPENFILENAMEA* ofn) {
        strcpy(ofn->lpstrFile, "C:\\TOOLS\\NOTEPAD README.TXT");
        return TRUE;
    });
    EXPECT_EQ(1, Run());
    EXPECT_STREQ("NOTEPAD README.TXT", ofs.szPathName);
    EXPECT_EQ(std::vector<std::string>{"MessageBoxA(" + ws::fmtHandle(host) +
                                       ", \"NOTEPAD README.TXT\", \"Command Line\", 0)"},
              ws::callsTo("MessageBoxA"));
}

TEST_F(FileDialogs, CommonDialogRefusesACommandLineTooLongForTheRecord)
{
    SetKind("1");
    ws::setOpenFileAnswer([](OPENFILENAMEA* ofn) {
        strcpy(ofn->lpstrFile, ("C:\\TOOLS\\edit.Exe " + std::string(120, 'a')).c_str());
        return TRUE;
    });
    strcpy(ofs.szPathName, "before");
    EXPECT_EQ(0, Run());
    EXPECT_STREQ("before", ofs.szPathName);
    EXPECT_EQ(1u, ws::callsTo("MessageBeep").size());
    EXPECT_EQ(0, bDlg);
}

// The resolution by itself, against a chosen set of existing files.
std::set<std::string> gExisting;
std::vector<std::string> gAsked;
int FakeExists(const char* path)
{
    gAsked.push_back(path);
    return gExisting.count(path) ? 1 : 0;
}

// Rows name the code page they hold for (0: both).
TEST(CommandLineResolution, TableOfCases)
{
    // "A." and three Shift-JIS characters: an extension of three characters
    // on a Japanese system, six bytes without a dot elsewhere.
    const std::string jpExt = "C:\\T\\A.\x95\x5C\x8E\xA6\x83\x5C";
    struct Case {
        UINT page;
        std::string path;
        std::set<std::string> existing;
        std::string expected;
    } cases[] = {
        {0, "C:\\TOOLS\\EDIT.EXE", {"C:\\TOOLS\\EDIT.EXE"}, "C:\\TOOLS\\EDIT.EXE"},
        {0, "C:\\TOOLS\\EDIT", {"C:\\TOOLS\\EDIT.Exe"}, "C:\\TOOLS\\EDIT"},
        {0, "C:\\TOOLS\\EDIT", {}, "EDIT"},
        {0, "EDIT", {}, "EDIT"},
        {0, "C:\\TOOLS\\NOTEPAD README.TXT", {}, "NOTEPAD README.TXT"},
        {0, "C:\\TOOLS\\NOTEPAD README.TXT", {"C:\\TOOLS\\NOTEPAD"}, "C:\\TOOLS\\NOTEPAD README.TXT"},
        {0, "C:\\Program Files\\A\\B.EXE", {}, "Program Files\\A\\B.EXE"},
        // A picked file in a folder with a blank is the whole path.
        {0, "C:\\Program Files\\A\\B.EXE", {"C:\\Program Files\\A\\B.EXE"}, "C:\\Program Files\\A\\B.EXE"},
        {0, "C:\\TOOLS\\A.B", {"C:\\TOOLS\\A.B.Exe"}, "A.B"},  // has an extension: no ".Exe" tried
        {0, "C:\\T\\X", {"C:\\T\\X.Exe"}, "C:\\T\\X"},
        {0, "", {}, ""},
        // A Shift-JIS name whose second byte is a backslash (0x95 0x5C).
        {932, "C:\\DIR\\\x95\x5C", {}, "\x95\x5C"},
        {1252, "C:\\DIR\\\x95\x5C", {}, ""},
        {932, "C:\\DIR\\\x95\x5C ab", {}, "\x95\x5C ab"},
        {932, jpExt, {jpExt + ".Exe"}, "A.\x95\x5C\x8E\xA6\x83\x5C"},
        {1252, jpExt, {jpExt + ".Exe"}, jpExt},
    };
    ws::forEachCodePage([&](UINT page) {
        for (const Case& c : cases) {
            if (c.page != 0 && c.page != page)
                continue;
            SCOPED_TRACE("path '" + c.path + "', code page " + std::to_string(page));
            gExisting = c.existing;
            gAsked.clear();
            char dest[128] = "";
            ASSERT_EQ(1, ResolveCommandLine(c.path.c_str(), dest, sizeof dest, FakeExists));
            EXPECT_EQ(c.expected, dest);
        }
    });
    gAsked.clear();
    gExisting.clear();
    char dest[128];
    ResolveCommandLine("C:\\TOOLS\\A.B", dest, sizeof dest, FakeExists);
    EXPECT_EQ((std::vector<std::string>{"C:\\TOOLS\\A.B", "C:\\TOOLS\\A.B"}), gAsked);
}

TEST(CommandLineResolution, ResultThatDoesNotFitIsRefused)
{
    gExisting = {"C:\\T\\P"};
    char dest[16];
    strcpy(dest, "keep");
    EXPECT_EQ(0, ResolveCommandLine("C:\\T\\P 0123456789", dest, sizeof dest, FakeExists));
    EXPECT_STREQ("keep", dest);
    EXPECT_EQ(1, ResolveCommandLine("C:\\T\\P 01234567", dest, sizeof dest, FakeExists));
    EXPECT_STREQ("C:\\T\\P 01234567", dest);
}

TEST(CommandLineResolution, CharacterSearchSkipsSecondBytes)
{
    const char text[] = "\x95\x5C" "a\\b\x95\x5C";
    EXPECT_EQ(3, FindChar(text, '\\'));
    EXPECT_EQ(3, FindLastChar(text, '\\'));
    EXPECT_EQ(-1, FindChar("abc", '\\'));
    EXPECT_EQ(-1, FindLastChar("", '\\'));
}

}  // namespace
