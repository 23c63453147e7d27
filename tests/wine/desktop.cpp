#include "desktop.h"

#include <string.h>

void WineDesktop::SetUp()
{
    ASSERT_TRUE(lib.Load()) << "QRHook.dll not found in " << qr::BinDir();
    RestoreBlock();
    ASSERT_TRUE(qr::WriteSettings(Settings())) << qr::SettingsPath();
    BeforeHostStarts();
    if (HasFatalFailure() || !StartHost())
        return;
    ASSERT_TRUE(host.Start()) << "Quillrun.exe did not start with its hooks";
    ASSERT_TRUE(target.Start(TargetDir())) << "qr_target.exe did not start from " << TargetDir();
    ASSERT_TRUE(target.Focus(1)) << "the target did not come to the front";
    target.ClearLog();
}

void WineDesktop::TearDown()
{
    // Keys left down by a failed test would disturb the next one.
    qr::KeyUp(VK_SHIFT);
    qr::KeyUp(VK_CONTROL);
    target.Close();
    if (host.Window()) {
        EXPECT_TRUE(host.Close()) << "the host did not end when its window was closed";
    }
    RestoreBlock();
}

int& WineDesktop::Int(const char* name)
{
    int* v = lib.Var<int>(name);
    if (!v) {
        ADD_FAILURE() << "no exported variable " << name;
        static int dummy;
        return dummy;
    }
    return *v;
}

char* WineDesktop::Text(const char* name)
{
    char* v = lib.Var<char>(name);
    if (!v) {
        ADD_FAILURE() << "no exported variable " << name;
        static char dummy[256];
        return dummy;
    }
    return v;
}

HWND WineDesktop::FileList() { return GetDlgItem(*lib.Var<HWND>("hDlgFileList"), QR_COMPLETION_LIST_ID); }

std::string WineDesktop::ListEntry(int i)
{
    // The list box keeps UTF-16, and the library reads it so; an ANSI field
    // gets the code page's form.
    wchar_t text[600] = L"";
    DWORD_PTR r = 0;
    SendMessageTimeoutW(FileList(), LB_GETTEXT, (WPARAM)i, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &r);
    char ansi[1200] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, NULL, NULL);
    return ansi;
}

int WineDesktop::ListCount()
{
    DWORD_PTR r = 0;
    SendMessageTimeoutA(FileList(), LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    return (int)r;
}

void WineDesktop::RestoreBlock()
{
    Int("iZure") = 1024;
    Int("lAida") = 30000;
    Int("bCtrlShift") = 1;
    Int("bDlg") = 0;
    Int("bKBLock") = 0;
    Int("bRun2") = Int("bRun3") = Int("bRun4") = Int("bRun5") = Int("bRun6") = 0;
    strcpy(Text("chCtrlShift"), "11111111111111111111111111");
    memset(Text("chHist"), 0, 32 * 256);
    memset(Text("chAlias"), 0, 32 * 128);
    memset(Text("wchHist"), 0, 32 * 256 * sizeof(WCHAR));
    memset(Text("wchAlias"), 0, 32 * 128 * sizeof(WCHAR));
    Int("iGetIndex") = Int("iSetIndex") = 0;
    // The macro: no recording yet.
    memset(lib.Var<EVENTMSG>("SysEvent"), 0, 1024 * sizeof(EVENTMSG));
    Int("iEventCnt") = Int("bMacro") = 0;
}
