// The host program on a real Win32 implementation: its start-up from the
// settings file, its answers to the host messages, its options, its
// completion dialog and what it saves when it ends.
#include "desktop.h"

#include <direct.h>
#include <shellapi.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

class HostProgram : public WineDesktop {};

namespace {

// The shell's windows of notification-area icons: under Wine the X11 driver
// (or Explorer) keeps one window per icon, a child of its tray window.
BOOL CALLBACK CollectIcon(HWND hWnd, LPARAM out)
{
    char cls[64];
    GetClassNameA(hWnd, cls, sizeof cls);
    if (strcmp(cls, "__winex11_tray_icon") == 0 || strcmp(cls, "__wine_tray_icon") == 0)
        ((std::vector<HWND>*)out)->push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK CollectIcons(HWND hWnd, LPARAM out)
{
    CollectIcon(hWnd, out);
    EnumChildWindows(hWnd, CollectIcon, out);
    return TRUE;
}

std::vector<HWND> TrayIcons()
{
    std::vector<HWND> icons;
    EnumWindows(CollectIcons, (LPARAM)&icons);
    return icons;
}

// The host's popup menu (class "#32768"), when one is up.
HWND HostPopupMenu(HWND host)
{
    DWORD hostPid = 0;
    GetWindowThreadProcessId(host, &hostPid);
    for (HWND w = FindWindowA("#32768", NULL); w; w = FindWindowExA(NULL, w, "#32768", NULL)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == hostPid && IsWindowVisible(w))
            return w;
    }
    return NULL;
}

}  // namespace

// The icon in the notification area: added at start; closing the window
// hides the host behind it; a double-click on it shows the window, a right
// click shows the host's menu; a new notification area ("TaskbarCreated")
// gets it back; File > Exit takes it away.
TEST_F(HostProgram, IconInTheNotificationAreaKeepsTheHostResident)
{
    std::vector<HWND> icons;
    ASSERT_TRUE(qr::WaitFor([&] { return (icons = TrayIcons()).size() == 1; }))
        << "icons in the notification area: " << TrayIcons().size();
    HWND icon = icons[0];

    PostMessageA(host.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(qr::WaitFor([&] { return !IsWindowVisible(host.Window()); })) << "closing did not hide it";
    qr::Settle(300);
    EXPECT_TRUE(host.Process().Running()) << "closing the window ended the host";
    EXPECT_EQ(1u, TrayIcons().size());
    EXPECT_EQ(1, host.Ask(HM_HISTORY_ON)) << "the hidden host answers the library";

    // The shell's icon window passes the mouse on to the host.
    PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    EXPECT_TRUE(qr::WaitFor([&] { return IsWindowVisible(host.Window()); })) << "a double-click did not show it";

    PostMessageA(icon, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    PostMessageA(icon, WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
    HWND menu = NULL;
    EXPECT_TRUE(qr::WaitFor([&] { return (menu = HostPopupMenu(host.Window())) != NULL; }))
        << "a right click showed no menu";
    if (menu) {
        qr::WaitFor([&] { return GetForegroundWindow() == host.Window(); }, 2000);
        qr::Tap(VK_ESCAPE);
        EXPECT_TRUE(qr::WaitFor([&] { return HostPopupMenu(host.Window()) == NULL; }))
            << "the menu did not close on Escape";
    }

    // The shell lost its icons (Explorer restarted): the host adds it again.
    NOTIFYICONDATAA nid;
    memset(&nid, 0, sizeof nid);
    nid.cbSize = sizeof nid;
    nid.hWnd = host.Window();
    nid.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid)) << "the host's icon is not (window, 1)";
    ASSERT_TRUE(qr::WaitFor([&] { return TrayIcons().empty(); }));
    PostMessageA(host.Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(qr::WaitFor([&] { return TrayIcons().size() == 1; })) << "not added again";

    ASSERT_TRUE(host.Close());
    EXPECT_TRUE(qr::WaitFor([&] { return TrayIcons().empty(); })) << "the icon stayed after File > Exit";
}

// Options > Start with Windows writes the quoted path of the host under the
// Run key and takes it away again.
TEST_F(HostProgram, StartWithWindowsWritesAndRemovesTheRunValue)
{
    const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    auto value = [&]() -> std::string {
        char text[MAX_PATH + 8] = "";
        DWORD size = sizeof text, type = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, runKey, "Quillrun", RRF_RT_REG_SZ, &type, text, &size) !=
            ERROR_SUCCESS)
            return "(none)";
        return text;
    };
    RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Quillrun");
    char full[MAX_PATH];
    GetFullPathNameA((qr::BinDir() + "Quillrun.exe").c_str(), sizeof full, full, NULL);
    const std::string expected = std::string("\"") + full + "\"";

    host.Command(IDM_STARTUP);
    EXPECT_STRCASEEQ(expected.c_str(), value().c_str());
    host.Command(IDM_STARTUP);
    EXPECT_EQ("(none)", value());

    // Written by someone else: the option reads the registry, so the next
    // choice removes it.
    const char old[] = "\"C:\\old\\Quillrun.exe\"";
    RegSetKeyValueA(HKEY_CURRENT_USER, runKey, "Quillrun", REG_SZ, old, sizeof old);
    host.Command(IDM_STARTUP);
    EXPECT_EQ("(none)", value());
}

TEST_F(HostProgram, AnswersHistoryAndJumpQuestionsByItsOptions)
{
    EXPECT_EQ(1, host.Ask(HM_HISTORY_ON)) << "history on by default";
    EXPECT_EQ(1, host.Ask(HM_POINTER_JUMP)) << "pointer jump on by default";
    host.Command(IDM_HISTORY);
    EXPECT_EQ(0, host.Ask(HM_HISTORY_ON)) << "history switched off in the menu";
    EXPECT_EQ(1, host.Ask(HM_POINTER_JUMP));
    host.Command(IDM_JUMP);
    EXPECT_EQ(0, host.Ask(HM_POINTER_JUMP)) << "pointer jump switched off in the menu";
    // The reset (Ctrl+Shift+Z, MySetReset) answers 1 and switches both on.
    EXPECT_EQ(1, host.Ask(HM_RESET));
    EXPECT_EQ(1, host.Ask(HM_HISTORY_ON));
    EXPECT_EQ(1, host.Ask(HM_POINTER_JUMP));
}

// The reset puts the defaults back, and the tuning values with them.
TEST_F(HostProgram, ResetBringsBackTheDefaults)
{
    host.Command(IDM_HEROPA);
    host.Command(IDM_ALIAS);
    Int("iZure") = 77;
    EXPECT_EQ(1, host.Ask(HM_RESET));
    EXPECT_EQ(0, Int("bHeropa"));
    EXPECT_EQ(1, Int("bIsAlias"));
    EXPECT_EQ(1024, Int("iZure"));
}

TEST_F(HostProgram, SecondHostLeavesTheFirstAlone)
{
    PostMessageA(host.Window(), WM_CLOSE, 0, 0);  // hidden behind its icon
    ASSERT_TRUE(qr::WaitFor([&] { return !IsWindowVisible(host.Window()); }));
    int code = qr::Run("\"" + qr::BinDir() + "Quillrun.exe\"");
    EXPECT_EQ(0, code) << "the second host should end at once";
    EXPECT_TRUE(IsWindow(host.Window()));
    EXPECT_TRUE(qr::WaitFor([&] { return IsWindowVisible(host.Window()); })) << "the first one stayed hidden";
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine());
}

// Wine has no integrity levels: the library's files cannot be labelled
// (SetNamedSecurityInfoW answers ERROR_ACCESS_DENIED).  The host serves as
// before, and its state line says so once, also when it is made anew; the
// installer's step (Quillrun.exe /label) ends with its failure.
TEST_F(HostProgram, UnlabelledLibraryFilesAreSaidOnceAndServedAllTheSame)
{
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine());
    EXPECT_EQ(1, qr::Run("\"" + qr::BinDir() + "Quillrun.exe\" " QR_LABEL_SWITCH)) << "the installer's step";
    host.Command(IDM_HOOKS);
    host.Command(IDM_HOOKS);
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine()) << "hooks removed and installed again";
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "served unlabelled");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "served unlabelled") == 0; })) << HistSlot(0);
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "served unlabelled"; })) << target.Text(1);
}

TEST_F(HostProgram, CompletionDialogIsHiddenAndListsNamesExactly)
{
    HWND dlg = *lib.Var<HWND>("hDlgFileList");
    ASSERT_TRUE(IsWindow(dlg)) << "hDlgFileList is not a window";
    EXPECT_FALSE(IsWindowVisible(dlg));
    DWORD dlgPid = 0, hostPid = 0;
    GetWindowThreadProcessId(dlg, &dlgPid);
    GetWindowThreadProcessId(host.Window(), &hostPid);
    EXPECT_EQ(hostPid, dlgPid) << "the completion dialog belongs to the host";
    HWND list = GetDlgItem(dlg, QR_COMPLETION_LIST_ID);
    ASSERT_NE(nullptr, GetDlgItem(dlg, QR_COMPLETION_PATTERN_ID)) << "no pattern line 200";
    ASSERT_NE(nullptr, list) << "no list box 202";
    EXPECT_TRUE(IsWindowUnicode(list)) << "an ANSI list box would keep only the code page's names";

    // Listed from this process, as the library lists from the focused
    // program's process, and read in UTF-16 as the library reads it: a name
    // outside every code page comes back whole.
    const std::wstring outside = L"\u0142\u00F3d\u017A \u30D5\u30A1 \U0001F600.txt";
    CreateDirectoryW(L"C:\\qrhokan", NULL);
    CreateDirectoryW(L"C:\\qrhokan\\sub", NULL);
    for (const std::wstring& name : {std::wstring(L"alpha.txt"), outside}) {
        HANDLE f = CreateFileW((L"C:\\qrhokan\\" + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        CloseHandle(f);
    }
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_DIR, DDL_DIRECTORY, (LPARAM)L"C:\\qrhokan\\*.*");
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    std::wstring all;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[300] = L"";
        LRESULT len = SendMessageW(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        ASSERT_EQ((size_t)len, wcslen(text)) << "entry " << i;
        all += L"|" + std::wstring(text);
    }
    all += L"|";
    for (const std::wstring& entry : {std::wstring(L"alpha.txt"), std::wstring(L"[sub]"), outside})
        EXPECT_NE(std::wstring::npos, all.find(L"|" + entry + L"|")) << "missing entry " << entry.size();
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

TEST_F(HostProgram, AliasListIsShownWhenTheLibraryAsks)
{
    qr::MessageBoxWatcher boxes;
    strcpy(Text("chAlias") + 3 * 128, "ll,dir /w");
    // What the library posts for the keyword "Alias" alone with Tab.
    PostMessageA(host.Window(), WM_SYSCOMMAND, QR_SYSCMD_ALIAS_LIST, 0);
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
    EXPECT_EQ(0, host.Ask(HM_HISTORY_ON)) << "History=0: the history service is off";
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

// A stopped host (kill -STOP: it reads no messages, as a hung program) holds
// up the keys typed into another program only for the bound of each host
// message, and not at all once the system sees it as hung.  Continued, it
// answers again: history and hot keys work.
TEST_F(HostProgram, StoppedHostHoldsUpOtherProgramsKeysOnlyBriefly)
{
    int pid = qr::UnixPid("Quillrun.exe");
    ASSERT_NE(0, pid) << "the host's Unix process was not found";
    ASSERT_TRUE(qr::UnixSignal(pid, "STOP"));
    ASSERT_TRUE(qr::WaitFor([&] { return qr::UnixState(pid) == 'T'; })) << "state " << qr::UnixState(pid);
    DWORD stopped = GetTickCount();

    // Letters, and Space and Backspace, which also reset the host's
    // completion list; once the host is seen as hung, a Ctrl+L, which asks
    // that list for its entries.  Each key: pressed and released, then timed
    // until its release reached the program.
    const WORD keys[] = {'Q', VK_SPACE, 'W', VK_BACK};
    std::string early, late;
    std::vector<DWORD> lateDelays;
    DWORD worst = 0;
    bool completionAsked = false;
    for (int i = 0; GetTickCount() - stopped < 8000; ++i) {
        WORD vk = keys[i % 4];
        bool ctrlL = !completionAsked && GetTickCount() - stopped >= 6000;
        target.ClearLog();
        DWORD sent = GetTickCount();
        if (ctrlL) {
            vk = 'L';
            completionAsked = true;
            qr::CtrlTap(vk);
        } else {
            qr::Tap(vk);
        }
        bool arrived = target.WaitForLog(qr::Up(vk), 5000);
        DWORD delay = GetTickCount() - sent;
        ASSERT_TRUE(arrived) << "key " << vk << " " << (sent - stopped) << " ms after the stop never arrived";
        worst = std::max(worst, delay);
        std::string item = std::string(ctrlL ? " Ctrl+L " : " ") + std::to_string(sent - stopped) +
                           ":" + std::to_string(delay);
        // The system sees a program as hung once it has read nothing for
        // 5 seconds; give the host's last read a second of slack.
        if (sent - stopped >= 6000) {
            late += item;
            lateDelays.push_back(delay);
        } else {
            early += item;
        }
        qr::Settle(150);
    }
    printf("[ delays  ] per key, ms after the stop:ms delay; before seen as hung:%s; after:%s\n",
           early.c_str(), late.c_str());
    EXPECT_LT(worst, 2000u) << "early:" << early << " late:" << late;
    ASSERT_FALSE(lateDelays.empty());
    std::sort(lateDelays.begin(), lateDelays.end());
    EXPECT_LT(lateDelays[lateDelays.size() / 2], 250u) << "a host seen as hung is still waited for; late:" << late;

    ASSERT_TRUE(qr::UnixSignal(pid, "CONT"));
    ASSERT_TRUE(qr::WaitFor([&] { return qr::UnixState(pid) != 'T'; }));
    ASSERT_TRUE(qr::WaitFor([&] { return host.Ask(HM_HISTORY_ON) == 1; })) << "the host does not answer again";
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "");
    qr::TypeText("after");
    ASSERT_TRUE(qr::WaitFor([&] { return target.Text(1) == "after"; })) << target.Text(1);
    qr::Tap(VK_TAB);
    ASSERT_TRUE(target.WaitForLog(qr::Up(VK_TAB))) << target.Log();
    ASSERT_TRUE(target.Focus(1));
    target.SetText(1, "");
    qr::Tap(VK_UP);
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "after"; })) << "Up recalled: " << target.Text(1);
    qr::CtrlShiftTap('S');
    EXPECT_TRUE(qr::WaitFor([&] { return host.HotKeyLine().find("Ctrl+Shift+S") != std::string::npos; }))
        << host.HotKeyLine();
}

// A host killed outright (SIGKILL, as by a crash or power loss) loses
// nothing stored a few seconds before; nothing is written while nothing
// changes; the next start has the line.
TEST_F(HostProgram, KilledHostKeepsTheLineStoredSecondsBefore)
{
    qr::TypeText("kept after a kill");
    ASSERT_TRUE(qr::WaitFor([&] { return target.Text(1) == "kept after a kill"; }));
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return std::string(Text("chHist")) == "kept after a kill"; }))
        << "the line was not stored";
    DWORD stored = GetTickCount();
    // The ring's store slot is written last.
    EXPECT_TRUE(qr::WaitFor([&] { return qr::ReadSetting("HistoryNext") == "1"; }, 6000))
        << "not saved within 6 s";
    printf("[ autosave] in the settings file %lu ms after it was stored\n",
           (unsigned long)(GetTickCount() - stored));
    EXPECT_EQ("kept after a kill", qr::ReadSetting("1"));

    WIN32_FILE_ATTRIBUTE_DATA before, after;
    ASSERT_TRUE(GetFileAttributesExA(qr::SettingsPath().c_str(), GetFileExInfoStandard, &before));
    qr::Settle(2500);
    ASSERT_TRUE(GetFileAttributesExA(qr::SettingsPath().c_str(), GetFileExInfoStandard, &after));
    EXPECT_EQ(0, CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime))
        << "the file was written again while nothing changed";

    int pid = qr::UnixPid("Quillrun.exe");
    ASSERT_NE(0, pid);
    ASSERT_TRUE(qr::UnixSignal(pid, "KILL"));
    ASSERT_TRUE(qr::WaitFor([&] { return !host.Process().Running(); })) << "the host was not killed";
    EXPECT_EQ("kept after a kill", qr::ReadSetting("1"));

    RestoreBlock();
    ASSERT_TRUE(host.Start()) << "the host did not start again";
    EXPECT_STREQ("kept after a kill", Text("chHist"));
    EXPECT_EQ(1, Int("iSetIndex"));
}

// The end of a session as the host sees it, message by message.  A session
// end that another program cancelled (WM_ENDSESSION with FALSE) leaves the
// host as it was: hooks, autosave timer, icon.  One that goes on ends the
// host's work once, whatever follows (here the WM_DESTROY of a close).
static LRESULT SendToHost(HWND host, UINT msg, WPARAM wParam)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutA(host, msg, wParam, 0, SMTO_ABORTIFHUNG, 5000, &r);
    return (LRESULT)r;
}

TEST_F(HostProgram, ACancelledSessionEndKeepsHooksTimerAndIcon)
{
    EXPECT_EQ(TRUE, SendToHost(host.Window(), WM_QUERYENDSESSION, 0));
    SendToHost(host.Window(), WM_ENDSESSION, FALSE);
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine());
    target.SetText(1, "after a cancelled end");
    qr::Tap(VK_RETURN);
    EXPECT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "after a cancelled end") == 0; }))
        << "the keyboard hook is gone";
    EXPECT_TRUE(qr::WaitFor([&] { return qr::ReadSetting("1") == "after a cancelled end"; }, 6000))
        << "the autosave timer is gone";
    PostMessageA(host.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(qr::WaitFor([&] { return !IsWindowVisible(host.Window()); }));
    qr::Settle(300);
    EXPECT_TRUE(host.Process().Running()) << "the icon is gone: closing ended the host";
}

TEST_F(HostProgram, AnEndedSessionEndsTheHostsWorkOnce)
{
    strcpy(Text("chHist"), "before the end");
    Int("iSetIndex") = 1;
    SendToHost(host.Window(), WM_ENDSESSION, TRUE);
    EXPECT_EQ("before the end", qr::ReadSetting("1"));
    EXPECT_EQ("Hooks removed (Options > Hooks installed). " QR_NOT_KEPT_OUT, host.StateLine());
    strcpy(Text("chHist"), "after the end");
    PostMessageA(host.Window(), WM_CLOSE, 0, 0);  // no icon now: the window is destroyed
    EXPECT_TRUE(host.Process().WaitExit(5000));
    EXPECT_EQ("before the end", qr::ReadSetting("1")) << "the destroyed window saved a second time";
}

// Log-off or shut-down (wineboot -e -f: WM_QUERYENDSESSION and WM_ENDSESSION
// to every window, then the process is ended, with no WM_DESTROY): the
// host agrees and saves a line another process put into the ring a moment
// before, the aliases, and the tuning values the hot keys changed.  Run in a
// program of its own: the session end ends every process with a window.
class SessionEnd : public WineDesktop {};

BOOL CALLBACK CountOwnWindows(HWND hWnd, LPARAM count)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == GetCurrentProcessId())
        ++*(int*)count;
    return TRUE;
}

TEST_F(SessionEnd, HostSavesEverythingWhenTheSessionEnds)
{
    int own = 0;
    EnumWindows(CountOwnWindows, (LPARAM)&own);
    ASSERT_EQ(0, own) << "this process has windows: the session end would end it too";

    int slot = Int("iSetIndex");
    strcpy(Text("chHist") + slot * 256, "written before log-off");
    Int("iSetIndex") = slot + 1;
    strcpy(Text("chAlias") + 2 * 128, "lo,logoff now");
    Int("iZure") = 555;  // saved only with the options, at exit
    DWORD start = GetTickCount();
    int code = qr::Run("wineboot.exe -e -f", 60000);
    printf("[ session ] wineboot -e -f took %lu ms\n", (unsigned long)(GetTickCount() - start));
    EXPECT_EQ(0, code) << "the session end was refused or failed";
    EXPECT_TRUE(host.Process().WaitExit(10000)) << "the host outlived the session";
    EXPECT_EQ("written before log-off", qr::ReadSetting("1"));
    EXPECT_EQ("lo,logoff now", qr::ReadSetting("Alias-3"));
    EXPECT_EQ("555", qr::ReadSetting("Zure"));
    EXPECT_EQ("1", qr::ReadSetting("HistoryNext"));
}

// A Windows folder the user may not write (as on every Windows from Vista
// on without administrator rights): the host keeps its file in the user's
// own folder.  Made immutable for the test and writable again after it.
class SessionEndUserFolder : public WineDesktop {
protected:
    std::string WindowsDir() { return qr::SettingsPath().substr(0, qr::SettingsPath().rfind('\\')); }
    // The lines of a Windows-folder file from before; none: no such file.
    virtual std::vector<std::string> OlderFile() { return {}; }
    void BeforeHostStarts() override
    {
        DeleteFileA(qr::UserSettingsPath().c_str());
        std::vector<std::string> older = OlderFile();
        if (older.empty())
            DeleteFileA(qr::SettingsPath().c_str());
        else
            ASSERT_TRUE(qr::WriteSettings(older) && qr::SetImmutable(qr::SettingsPath(), true));
        ASSERT_TRUE(qr::SetImmutable(WindowsDir(), true)) << "chattr +i " << WindowsDir();
    }
    void TearDown() override
    {
        WineDesktop::TearDown();
        qr::SetImmutable(qr::UserSettingsPath(), false);
        EXPECT_TRUE(qr::SetImmutable(WindowsDir(), false));
        qr::SetImmutable(qr::SettingsPath(), false);
        DeleteFileA(qr::UserSettingsPath().c_str());
    }
    std::string UserSetting(const char* key)
    {
        char value[512] = "";
        GetPrivateProfileStringA("Quillrun", key, "", value, sizeof value, qr::UserSettingsPath().c_str());
        return value;
    }
};

TEST_F(SessionEndUserFolder, HistoryIsKeptAcrossASessionEndAndTheNextStart)
{
    EXPECT_STREQ(qr::UserSettingsPath().c_str(), Text("chIniPath")) << "the file the library is told";
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine());
    strcpy(Text("chHist"), "kept in the user's folder");
    Int("iSetIndex") = 1;
    EXPECT_EQ(0, qr::Run("wineboot.exe -e -f", 60000)) << "the session end was refused or failed";
    EXPECT_TRUE(host.Process().WaitExit(10000)) << "the host outlived the session";
    EXPECT_EQ("kept in the user's folder", UserSetting("1"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(qr::SettingsPath().c_str()));

    RestoreBlock();
    ASSERT_TRUE(host.Start());
    EXPECT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "kept in the user's folder") == 0; }))
        << "slot 0 after the next start: \"" << HistSlot(0) << "\"";
}

// An older file in the Windows folder, which may not be written now, is
// carried over once; a save that fails is shown until one succeeds.
class SessionEndCarryOver : public SessionEndUserFolder {
protected:
    std::vector<std::string> OlderFile() override
    {
        return {"[Quillrun]", "Zure=300", "Heropa=1", "1=older line", "2=", "Alias-1=ol,older alias", "HistoryNext=1"};
    }
};

TEST_F(SessionEndCarryOver, AnOlderWindowsFolderFileIsCarriedOverAndAFailedSaveIsShown)
{
    EXPECT_STREQ("older line", HistSlot(0));
    EXPECT_STREQ("ol,older alias", AliasEntry(0));
    EXPECT_EQ(300, Int("iZure"));
    EXPECT_EQ(1, Int("bHeropa"));
    EXPECT_EQ("older line", UserSetting("1"));
    EXPECT_EQ("Hooks installed. Settings, history and aliases carried over from " + qr::SettingsPath() +
                  ". " QR_NOT_KEPT_OUT,
              host.StateLine());

    // The user's file refuses a write too: the next save says so.
    ASSERT_TRUE(qr::SetImmutable(qr::UserSettingsPath(), true));
    host.Command(IDM_HEROPA);
    EXPECT_TRUE(qr::WaitFor([&] { return host.StateLine().find("NOT saved") != std::string::npos; }))
        << host.StateLine();
    EXPECT_NE(std::string::npos, host.StateLine().find(qr::UserSettingsPath())) << host.StateLine();
    ASSERT_TRUE(qr::SetImmutable(qr::UserSettingsPath(), false));

    // A later save of the history works, and the failed options save is
    // tried again too: the line clears only once both are in the file.
    strcpy(Text("chHist") + 256, "newer line");
    Int("iSetIndex") = 2;
    EXPECT_TRUE(qr::WaitFor([&] {
        return host.StateLine().find("NOT saved") == std::string::npos && UserSetting("2") == "newer line";
    }, 10000)) << host.StateLine();
    EXPECT_EQ("0", UserSetting("Heropa")) << "the options were not saved again";
    ASSERT_TRUE(host.Close());
    EXPECT_EQ("newer line", UserSetting("2"));
    EXPECT_EQ("", qr::ReadSetting("2")) << "the Windows folder's file is left as it was";
    EXPECT_EQ("older line", qr::ReadSetting("1"));
}

namespace {

using qr::Utf8;
using qr::Wide;

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The user's application-data folder as the registry names it; "" puts
// back the one that was there.
bool SetAppData(const std::wstring& folder)
{
    static std::wstring original;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    if (original.empty()) {
        wchar_t value[MAX_PATH] = L"";
        DWORD size = sizeof value;
        RegQueryValueExW(key, L"AppData", NULL, NULL, (BYTE*)value, &size);
        original = value;
    }
    const std::wstring& v = folder.empty() ? original : folder;
    LONG r = RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ, (const BYTE*)v.c_str(),
                            (DWORD)((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

}  // namespace

// A user name or a folder the code page cannot write, on each desktop with
// rows of its own: the user's application-data folder (named in the
// registry's user shell folders) and the program's folder.  The host
// starts from there and serves, a session end saves into the user's
// folder, and the next start has the line.  An application-data folder in
// which the settings folder cannot be made is said in the state line.
class SessionEndFolders : public SessionEndUserFolder {
protected:
    bool StartHost() override { return false; }
    void TearDown() override
    {
        SessionEndUserFolder::TearDown();
        SetAppData(L"");
    }
};

TEST_F(SessionEndFolders, AUserFolderAndAProgramFolderOutsideTheCodePage)
{
    const struct {
        UINT page;
        std::wstring appData, programDir;
        bool folderMade;
    } rows[] = {
        {1252, L"C:\\users\\\u7530\u4e2d\\AppData\\Roaming", L"C:\\\u30c4\u30fc\u30eb\\Quillrun", true},
        {932, L"C:\\users\\Zo\u00eb\\AppData\\Roaming", L"C:\\Zo\u00eb\\Quillrun", true},
        {0, Wide(WindowsDir()), L"", false},  // immutable here
    };
    for (const auto& r : rows) {
        if (r.page != 0 && r.page != GetACP())
            continue;
        const std::string row = Utf8(r.appData);
        ASSERT_TRUE(SetAppData(r.appData)) << row;
        wchar_t appData[MAX_PATH] = L"";
        SHGetFolderPathW(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, appData);
        ASSERT_EQ(r.appData, appData) << "the shell does not name the folder of the registry";
        std::wstring program = Wide(qr::BinDir()) + L"Quillrun.exe";
        if (!r.programDir.empty()) {
            SHCreateDirectoryExW(NULL, r.programDir.c_str(), NULL);
            program = r.programDir + L"\\Quillrun.exe";
            ASSERT_TRUE(CopyFileW(Wide(qr::BinDir() + "Quillrun.exe").c_str(), program.c_str(), FALSE));
            ASSERT_TRUE(CopyFileW(Wide(qr::BinDir() + "QRHook.dll").c_str(),
                                  (r.programDir + L"\\QRHook.dll").c_str(), FALSE));
        }
        ASSERT_TRUE(host.Start(program)) << row << ": " << host.StateLine();
        if (!r.folderMade) {
            EXPECT_NE(std::string::npos, host.StateLine().find("NOT saved: cannot make the folder"))
                << host.StateLine();
            ASSERT_TRUE(host.Close());
            continue;
        }
        // The library is the copy beside that program, whose shared block
        // is not this process's: the target tells what it holds.
        auto recalls = [&](const char* line) {
            EXPECT_TRUE(target.Start(TargetDir()) && target.Focus(1));
            target.SetText(1, "");
            qr::Tap(VK_UP);
            return qr::WaitFor([&] { return target.Text(1) == line; });
        };
        ASSERT_TRUE(target.Start(TargetDir()) && target.Focus(1));
        target.SetText(1, "kept outside the code page");
        qr::Tap(VK_RETURN);
        qr::Tap(VK_F5);  // a marker: the Enter before it has been handled
        ASSERT_TRUE(target.WaitForLog(qr::Down(VK_F5)));
        EXPECT_TRUE(recalls("kept outside the code page")) << row;
        EXPECT_EQ(0, qr::Run("wineboot.exe -e -f", 60000)) << "the session end was refused or failed";
        EXPECT_TRUE(host.Process().WaitExit(10000)) << "the host outlived the session";
        const std::wstring file = r.appData + L"\\Quillrun\\Quillrun.Ini";
        wchar_t saved[64] = L"";
        GetPrivateProfileStringW(L"Quillrun", L"1", L"", saved, 64, file.c_str());
        EXPECT_EQ(L"kept outside the code page", std::wstring(saved)) << Utf8(file);
        ASSERT_TRUE(host.Start(program));
        EXPECT_TRUE(recalls("kept outside the code page")) << row << ": not after the next start";
        target.Close();
        ASSERT_TRUE(host.Close());
        DeleteFileW(file.c_str());
    }
}

// An older host without a manifest wrote the Windows folder's file, for a
// user who may not write that folder, into the file virtualisation's copy:
// that copy is carried over, or the Windows folder's file where that is
// the newer one.
class SessionEndVirtualStore : public SessionEndUserFolder {
protected:
    bool StartHost() override { return false; }
};

TEST_F(SessionEndVirtualStore, TheVirtualisedCopyIsCarriedOverWhereItIsTheNewer)
{
    char local[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, local);
    const std::string store = std::string(local) + "\\VirtualStore" + WindowsDir().substr(2);
    const std::string copy = store + "\\Quillrun.Ini";
    SHCreateDirectoryExA(NULL, store.c_str(), NULL);
    FILE* f = fopen(copy.c_str(), "wb");
    ASSERT_TRUE(f) << copy;
    fprintf(f, "[Quillrun]\r\n1=virtualised line\r\nAlias-1=vs,virtualised alias\r\nHistoryNext=1\r\n");
    fclose(f);
    FILETIME written = {0, 0x01d00000};  // in 2015: older than a file written now
    HANDLE h = CreateFileA(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(h, NULL, NULL, &written);
    CloseHandle(h);
    const struct {
        bool windowsFile;  // a Windows-folder file too, written now (the newer)
        const char* line;
        const char* alias;
    } rows[] = {{false, "virtualised line", "vs,virtualised alias"}, {true, "older line", "ol,older alias"}};
    for (const auto& r : rows) {
        if (r.windowsFile) {
            ASSERT_TRUE(qr::SetImmutable(WindowsDir(), false));
            ASSERT_TRUE(qr::WriteSettings({"[Quillrun]", "1=older line", "Alias-1=ol,older alias"}));
            ASSERT_TRUE(qr::SetImmutable(qr::SettingsPath(), true) && qr::SetImmutable(WindowsDir(), true));
        }
        ASSERT_TRUE(host.Start());
        EXPECT_EQ(r.line, UserSetting("1"));
        EXPECT_EQ(r.alias, UserSetting("Alias-1"));
        EXPECT_NE(std::string::npos, host.StateLine().find(r.windowsFile ? qr::SettingsPath() : copy))
            << host.StateLine();
        ASSERT_TRUE(target.Start(TargetDir()) && target.Focus(1));
        target.SetText(1, "");
        qr::Tap(VK_UP);
        EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == r.line; })) << target.Text(1);
        target.Close();
        ASSERT_TRUE(host.Close());
        DeleteFileA(qr::UserSettingsPath().c_str());
    }
    DeleteFileA(copy.c_str());
}
