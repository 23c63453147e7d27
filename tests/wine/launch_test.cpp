// The launcher and the file-open dialog on a real Win32 implementation: the
// host's File > Run with its "FileOpen" dialog and the error report of a
// launch that fails, the dialog procedure driven in this process, and a
// journal record and playback round trip where the platform supports it.
#include "desktop.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

namespace {

typedef int(WINAPI* DoFileOpenDlgFn)(HINSTANCE, HWND, LPCSTR, LPCSTR, UINT, LPSTR, OFSTRUCT*);

std::string TempFolder(const char* name)
{
    char tmp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof tmp, tmp);
    std::string dir = std::string(tmp, n < sizeof tmp ? n : 0) + name;
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

bool WriteFileText(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    fputs(text, f);
    fclose(f);
    return true;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && strcasecmp(s.c_str() + s.size() - tail.size(), tail.c_str()) == 0;
}

// Sets the text of a control of any process.
void SetControlText(HWND control, const char* text)
{
    DWORD_PTR r;
    SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &r);
}

// The program a launch started: its window, which is then closed by ending
// its process.
bool EndProgramOfWindow(HWND w)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!p)
        return false;
    TerminateProcess(p, 0);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
    return true;
}

HWND OtherWindowOfClass(const char* cls, HWND except)
{
    for (HWND w = FindWindowA(cls, NULL); w; w = FindWindowExA(NULL, w, cls, NULL))
        if (w != except)
            return w;
    return NULL;
}

std::string BoxesSeen(qr::MessageBoxWatcher& watcher)
{
    std::string all;
    for (const std::string& t : watcher.Texts())
        all += "[" + t + "] ";
    return all;
}

class Launch : public WineDesktop {
protected:
    // The host's File > Run dialog, once it is up.
    HWND OpenRunDialog()
    {
        PostMessageA(host.Window(), WM_COMMAND, IDM_RUN, 0);
        return qr::WaitForWindow("#32770", "Run a program");
    }
};

// File > Run in the host: the dialog shows the pattern and sets the help
// context every process reads; a command line with a blank is accepted as it
// stands and launched, and the missing program is reported with the command
// as the caption.
TEST_F(Launch, RunDialogOfTheHostReportsAMissingProgram)
{
    HWND dlg = OpenRunDialog();
    ASSERT_NE((HWND)NULL, dlg) << "the FileOpen dialog did not open";
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iDlgContextID") == 600; }))
        << "iDlgContextID while the dialog is up: " << Int("iDlgContextID");
    // The listing hands the pattern back in capitals under Wine.
    EXPECT_TRUE(qr::WaitFor([&] { return strcasecmp(qr::WindowText(GetDlgItem(dlg, 100)).c_str(), "*.Exe") == 0; }))
        << "edit field: " << qr::WindowText(GetDlgItem(dlg, 100));

    SetControlText(GetDlgItem(dlg, 100), "qrmissing a.txt");
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(qr::WaitFor([&] { return !IsWindow(dlg); })) << "the dialog stayed open";
    EXPECT_EQ(0, Int("iDlgContextID"));
    EXPECT_EQ(0, Int("bDlg"));

    // The dialog has gone: every box from now on is the launcher's.
    qr::MessageBoxWatcher watcher;
    EXPECT_TRUE(watcher.WaitForBox("qrmissing a.txt: File Not Found", 10000)) << "boxes seen: " << BoxesSeen(watcher);
}

// File > Run with the host's own dialog: a program typed with its full path
// in a folder whose name holds blanks (taken by the dialog as a command
// line) starts, and so does one picked in a folder whose name holds a
// letter outside ASCII (found by the dialog's existence test, which hands
// back its path); a picked file that is no program is reported with the
// launcher's text under the file's path.
TEST_F(Launch, RunDialogOfTheHostStartsAProgramInAnyFolder)
{
    // "C:\qr<e-acute>" in the ANSI code page, where it has that letter.
    char special[MAX_PATH];
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"C:\\qr\u00e9", -1, special, sizeof special, NULL, &lost);
    const std::string folder = special;
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(CopyFileA((qr::TestDir() + "qr_target.exe").c_str(), (folder + "\\qrtarget.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteFileText(folder + "\\notprog.exe", "not a program"));

    struct Case {
        std::string typed;
        const char* windowClass;  // of the program that starts, or NULL
        const char* box;          // the start of the box's text, or NULL
    };
    const std::vector<Case> cases = {
        {"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe", "WORDPADTOP", NULL},
        {folder + "\\qrtarget.exe", "QRTarget", NULL},
        {folder + "\\notprog.exe", NULL, "notprog.exe: "},
    };
    for (const Case& c : cases) {
        if (lost && c.typed.find(folder) == 0)
            continue;  // no such letter in this code page
        SCOPED_TRACE(c.typed);
        HWND dlg = OpenRunDialog();
        ASSERT_NE((HWND)NULL, dlg) << "the FileOpen dialog did not open";
        ASSERT_TRUE(qr::WaitFor([&] { return qr::WindowText(GetDlgItem(dlg, 100)) != ""; }));
        SetControlText(GetDlgItem(dlg, 100), c.typed.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(qr::WaitFor([&] { return !IsWindow(dlg); }, 10000))
            << "the dialog stayed open, field: " << qr::WindowText(GetDlgItem(dlg, 100));
        qr::MessageBoxWatcher watcher;
        if (c.windowClass) {
            HWND started = NULL;
            EXPECT_TRUE(qr::WaitFor([&] { return (started = OtherWindowOfClass(c.windowClass, target.Window())) != NULL; }, 15000))
                << "no " << c.windowClass << " window; boxes: " << BoxesSeen(watcher);
            if (started) {
                EXPECT_TRUE(EndProgramOfWindow(started));
            }
        } else {
            const std::string caption = folder + "\\" + c.box;
            EXPECT_TRUE(watcher.WaitForBox(caption, 10000)) << "boxes: " << BoxesSeen(watcher);
        }
        EXPECT_EQ(0, Int("bDlg"));
    }
}

// The dialog procedure in this process, with the host's template: a typed
// directory is listed with the pattern, a typed pattern is kept, and a name
// typed without its extension is found with the default one.
TEST_F(Launch, FileOpenDialogNavigatesAndFindsTheFile)
{
    std::string dir = TempFolder("qrlaunch");
    std::string sub = dir + "\\Sub";
    CreateDirectoryA(sub.c_str(), NULL);
    ASSERT_TRUE(WriteFileText(sub + "\\probe.Exe", "not a program"));
    ASSERT_TRUE(WriteFileText(sub + "\\notes.Txt", "text"));

    HMODULE templates = LoadLibraryExA((qr::BinDir() + "Quillrun.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE((HMODULE)NULL, templates);
    DoFileOpenDlgFn open = (DoFileOpenDlgFn)(void*)lib.Function("DoFileOpenDlg");
    ASSERT_NE((DoFileOpenDlgFn)NULL, open);

    struct Run {
        DoFileOpenDlgFn open;
        HINSTANCE inst;
        char out[128];
        OFSTRUCT ofs;
        int result;
    } run = {open, (HINSTANCE)templates, "", {}, -2};
    Int("bDlg") = 1;
    struct Opener {
        static DWORD WINAPI Open(void* p)
        {
            Run* r = (Run*)p;
            r->result = r->open(r->inst, NULL, "*.Exe", ".Exe", 0x4010, r->out, &r->ofs);
            return 0;
        }
    };
    HANDLE thread = CreateThread(NULL, 0, Opener::Open, &run, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);

    HWND dlg = qr::WaitForWindow("#32770", "Run a program");
    ASSERT_NE((HWND)NULL, dlg);
    // The window exists before its controls: wait for the initialised field.
    ASSERT_TRUE(qr::WaitFor([&] { return qr::WindowText(GetDlgItem(dlg, 100)) != ""; }));
    HWND edit = GetDlgItem(dlg, 100), path = GetDlgItem(dlg, 101), list = GetDlgItem(dlg, 102);
    EXPECT_EQ(600, Int("iDlgContextID"));

    // A directory: listed with the pattern, the pattern back in the field.
    SetControlText(edit, dir.c_str());
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(qr::WaitFor([&] { return EndsWithNoCase(qr::WindowText(path), "qrlaunch"); }))
        << "directory line: " << qr::WindowText(path);
    EXPECT_STRCASEEQ("*.Exe", qr::WindowText(edit).c_str());
    EXPECT_NE(LB_ERR, SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "[Sub]"));

    // A pattern: kept for the next listing.
    SetControlText(edit, "*.Txt");
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_STRCASEEQ("*.Txt", qr::WindowText(edit).c_str());
    SetControlText(edit, "Sub");
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(EndsWithNoCase(qr::WindowText(path), "qrlaunch\\sub")) << qr::WindowText(path);
    EXPECT_STRCASEEQ("*.Txt", qr::WindowText(edit).c_str());
    EXPECT_NE(LB_ERR, SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "notes.Txt"));
    EXPECT_EQ(LB_ERR, SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "probe.Exe"));

    // Emptying the field disables OK.
    SetControlText(edit, "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDOK)));

    // A name without its extension: found with the default one.
    SetControlText(edit, "probe");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDOK)));
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(1, run.result);
    EXPECT_STREQ("probe.Exe", run.out);
    EXPECT_TRUE(EndsWithNoCase(run.ofs.szPathName, "qrlaunch\\Sub\\probe.Exe")) << run.ofs.szPathName;
    EXPECT_EQ(0, Int("bDlg"));
    EXPECT_EQ(0, Int("iDlgContextID"));
    FreeLibrary(templates);
}

// Ctrl+Shift+F6 in the target records, the stop key ends the recording, and
// Ctrl+Shift+F12 plays the typed keys back into the target.
TEST_F(Launch, MacroRecordedInOneProgramPlaysBack)
{
    qr::CtrlShiftTap(VK_F6);
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 1; })) << "recording did not start";
    qr::Tap('K');
    qr::Tap('L');
    if (!qr::WaitFor([&] { return Int("iEventCnt") > 0; }, 3000)) {
        // Leave the desktop as it was before skipping.
        qr::CtrlShiftTap(VK_F6);
        qr::WaitFor([&] { return Int("bMacro") == 0; }, 2000);
        GTEST_SKIP() << "this Wine does not call journal-record hooks (no event recorded)";
    }
    qr::CtrlShiftTap(VK_F6);
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 0; })) << "recording did not stop";
    EXPECT_EQ(0, Int("iEventCnt"));
    EVENTMSG* events = lib.Var<EVENTMSG>("SysEvent");
    ASSERT_NE((EVENTMSG*)NULL, events);
    bool sawK = false;
    for (int i = 0; i < 1023 && events[i].time; ++i)
        sawK = sawK || (events[i].message == WM_KEYDOWN && (events[i].paramL & 0xFF) == 'K');
    EXPECT_TRUE(sawK) << "the recording holds no key-down of K";

    ASSERT_TRUE(target.Focus(1));
    target.ClearLog();
    qr::KeyUp(VK_SHIFT);
    qr::KeyUp(VK_CONTROL);
    qr::CtrlShiftTap(VK_F12);
    if (!qr::WaitFor([&] { return Int("iEventCnt") > 0 || target.Log().find(qr::Down('K')) != std::string::npos; },
                     5000)) {
        // The playback hook is never asked for an event: take it away again.
        UnhookWindowsHookEx(*lib.Var<HHOOK>("hOldPMacroHook"));
        GTEST_SKIP() << "this Wine records through journal hooks but never calls the playback hook";
    }
    EXPECT_TRUE(target.WaitForLog(qr::Down('K'), 10000)) << "log: " << target.Log();
    EXPECT_TRUE(qr::WaitFor([&] { return Int("iEventCnt") == 0; }, 10000));
}

}  // namespace

namespace {

// The host set to the platform's common dialog with the centring hook.
class CommonDialog : public Launch {
protected:
    std::vector<std::string> Settings() override
    {
        return {"[Quillrun]", "KindOfDialogBox=1", "ExecDialogCheck=1"};
    }
};

// "Run any program", in Shift-JIS.
const char kCommonTitle[] =
    "\x94\x43\x88\xD3\x82\xCC\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8E\xC0\x8D\x73";

// The hook centres the dialog on the screen; the file chosen is resolved and,
// with "ExecDialogCheck" 1, shown under "Command Line" before it is run.
TEST_F(CommonDialog, HookCentresTheDialogAndTheChoiceIsShownForChecking)
{
    char sys[MAX_PATH];
    UINT n = GetSystemDirectoryA(sys, sizeof sys);
    std::string program = std::string(sys, n < sizeof sys ? n : 0) + "\\hostname.exe";
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no " << program << " to choose in this Wine";

    PostMessageA(host.Window(), WM_COMMAND, IDM_RUN, 0);
    HWND dlg = qr::WaitForWindow("#32770", kCommonTitle);
    ASSERT_NE((HWND)NULL, dlg) << "the common dialog with the Japanese title did not open";
    RECT r = {};
    EXPECT_TRUE(qr::WaitFor([&] {
        GetWindowRect(dlg, &r);
        int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        return cx >= 511 && cx <= 513 && cy >= 383 && cy <= 385;
    })) << "dialog at " << r.left << "," << r.top << " - " << r.right << "," << r.bottom;

    // The file-name field of the older dialog layout is edt1 (0x480).
    HWND name = GetDlgItem(dlg, 0x480);
    ASSERT_NE((HWND)NULL, name);
    SetControlText(name, program.c_str());
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(qr::WaitFor([&] { return !IsWindow(dlg); })) << "the dialog stayed open";

    // Without validation this Wine's older dialog layout hands back the name
    // alone; the name is found along the search path and kept as it is.
    qr::MessageBoxWatcher watcher;
    EXPECT_TRUE(watcher.WaitForBox("Command Line: hostname.exe", 10000)) << "boxes seen: " << BoxesSeen(watcher);
    EXPECT_TRUE(qr::WaitFor([&] { return Int("bDlg") == 0; }));
}

}  // namespace

namespace {

// A program in a folder with blanks, picked in the common dialog with its
// full path, starts: the path is kept whole and the host runs it as it
// stands.  With the centring hook this Wine shows the older layout, which
// hands back the name alone (found in the folder the dialog entered); the
// current layout hands back the full path.
TEST_F(CommonDialog, ProgramPickedInAFolderWithBlanksStarts)
{
    const std::string program = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";
    for (int kind : {1, 2}) {
        SCOPED_TRACE("KindOfDialogBox " + std::to_string(kind));
        if (kind == 2) {
            ASSERT_TRUE(host.Close());
            ASSERT_TRUE(qr::WriteSettings({"[Quillrun]", "KindOfDialogBox=2", "ExecDialogCheck=1"}));
            ASSERT_TRUE(host.Start());
        }
        PostMessageA(host.Window(), WM_COMMAND, IDM_RUN, 0);
        HWND dlg = qr::WaitForWindow("#32770", kCommonTitle);
        ASSERT_NE((HWND)NULL, dlg);
        // The file name: edt1 in the older layout, the combo box cmb13 in
        // the current one.
        HWND name = NULL;
        ASSERT_TRUE(qr::WaitFor([&] { return (name = GetDlgItem(dlg, kind == 1 ? 0x480 : 0x47C)) != NULL; }));
        SetControlText(name, program.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(qr::WaitFor([&] { return !IsWindow(dlg); })) << "the dialog stayed open";

        qr::MessageBoxWatcher watcher;
        EXPECT_TRUE(watcher.WaitForBox(kind == 1 ? "Command Line: wordpad.exe" : "Command Line: " + program, 10000))
            << "boxes: " << BoxesSeen(watcher);
        HWND started = NULL;
        EXPECT_TRUE(qr::WaitFor([&] { return (started = FindWindowA("WORDPADTOP", NULL)) != NULL; }, 15000))
            << "wordpad did not start; boxes: " << BoxesSeen(watcher);
        if (started) {
            EXPECT_TRUE(EndProgramOfWindow(started));
        }
        EXPECT_TRUE(qr::WaitFor([&] { return FindWindowA("WORDPADTOP", NULL) == NULL; }));
    }
}

}  // namespace
