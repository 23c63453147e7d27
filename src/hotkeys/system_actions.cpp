// Shut-down, log-off and restart, the screen saver, the keyboard lock and the
// replacement of the system's normal pointer.
#include "core/contract.h"
#include "core/qrhook.h"
#include "core/profile.h"
#include "core/text.h"

#include <string.h>

#include "hotkeys/system_actions.h"
#include "core/host_link.h"
#include "hotkeys/hotkeys.h"

// Ctrl+Shift+F4: 1 while this block's press has suppressed the screen-saver
// entry (0, as the block starts: the entry holds the user's value).
static int bScrnSaveOff QR_SHARED = 0;
// The user's entry, saved by the suppressing press.
static char chScrnSaveExe[64] QR_SHARED = "";
// The shut-down privilege request (the token handle is per process).
static LUID luidShutdown QR_SHARED = {};
static TOKEN_PRIVILEGES tpShutdown QR_SHARED = {};

static const char kSystemIni[] = "System.Ini";
static const char kBoot[] = "boot";
static const char kScrnSave[] = "SCRNSAVE.EXE";
// "(nashi)", none, in Shift-JIS.
static const char kNoScreenSaver[] = "\x28\x82\xC8\x82\xB5\x29";
// The host's settings file keeps a copy of the user's entry while it is
// suppressed, so that the entry survives the end of the shared block.
static const char kSettingsSection[] = QR_SETTINGS_SECTION;
static const char kSavedScrnSaveKey[] = "SavedScrnSave";

static const DWORD kNormalPointer = 32512;  // OCR_NORMAL

static const char* const lpszCursorNames[] = {
    "Quillrun", "QRWhite",  "Migite",   "HidariTe", "Kusi",     "Pen",      "Thunder",  "Magnify",
    "Bomb",     "Muti",     "LftArrow", "RU",       "RB1_SR",   "RB1_MR",   "BL1_LL",   "BL2_LL",
    "RB1_LL",   "RB2_LL",   "BL1_SL",   "BL2_SL",   "RB1_SL",   "RB2_SL",   "BL2_ML",   "BL1_ML",
    "RB1_ML",   "RB2_ML",   "KITE1",    "Kite2",    "Panda",    "PANDAMON", "Hasuki",   "HASKIMON",
    "USAGI",    "Bear",     "Iruka",    "ButiNeko", "ButiMono", "ToraNeko", "ToraMono", "Piramid",
    "Ken",      "KNIFE2",   "KNIFE3",   "TDArrow",  "DEVIL",    "HATENA",   "MARU",     "TREE",
    "USI",      "ZEBRA",    "ZEB2",     "ZIG",      "BIKKURI",  "Y_01",     "Y_02",     "Y_04",
    "Y_05",     "Y_06",     "Y_07",     "Y_08",     "Y_09",     "Y_10",     "Y_11",     "BOGAN",
    "YUMIYA",   "EYECUR",   "EYE",      "YACHT",    "CROW",     "WEDG",     "WED",      "LHAND",
    "INVMSCUR",
};
static const int kCursorCount = (int)(sizeof lpszCursorNames / sizeof lpszCursorNames[0]);
static_assert(kCursorCount == QR_CURSOR_NAMES, "the host's range of iSelCursorIndex");

const char* CursorNameAt(int index)
{
    return index >= 0 && index < kCursorCount ? lpszCursorNames[index] : NULL;
}

int CursorNameCount(void) { return kCursorCount; }

int AppendScreenSaverSwitch(char* buf, int size)
{
    static const char kSwitch[] = " /S";
    int len = 0;
    while (len < size && buf[len])
        ++len;
    if (len + (int)sizeof kSwitch > size)
        return 0;
    memcpy(buf + len, kSwitch, sizeof kSwitch);
    return 1;
}

void WINAPI Mem(void) {}

int WINAPI ExitWindowsMy(UINT flags, DWORD reserved)
{
    // No result is tested: without these services the calls fail and the
    // exit request goes on all the same.  The token handle is this process's
    // own: a handle number kept in the shared block could be overwritten by
    // another process shutting down at the same moment, and this process
    // would then adjust or close a handle that is not its token.
    HANDLE token = NULL;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &luidShutdown);
    tpShutdown.PrivilegeCount = 1;
    tpShutdown.Privileges[0].Luid = luidShutdown;
    tpShutdown.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &tpShutdown, 0, NULL, NULL);
    if (token)
        CloseHandle(token);

    if ((flags & (EWX_REBOOT | EWX_FORCE)) == (EWX_REBOOT | EWX_FORCE)) {
        if (!ExitWindowsEx(flags, reserved))
            MessageBoxA(hWndHost, "ExitWindowsEx(Reboot) Error.", "Quillrun", MB_OK);
    } else if ((flags & (EWX_SHUTDOWN | EWX_FORCE)) == (EWX_SHUTDOWN | EWX_FORCE)) {
        if (!ExitWindowsEx(flags, reserved))
            MessageBoxA(hWndHost, "ExitWindowsEx(Shut Down) Error.", "Quillrun", MB_OK);
    } else if (flags & EWX_FORCE) {
        // Ask the program manager to close; without one the request goes to
        // no window at all.
        PostMessageA(FindWindowA("ProgMan", NULL), WM_CLOSE, 0, 0);
    }
    return 0;
}

void ActShutDown(void)
{
    HistryAndAliasSave();
    ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0);
}

void ActLogOff(void)
{
    HistryAndAliasSave();
    ExitWindowsEx(EWX_LOGOFF | EWX_FORCE, 0);
}

void ActRestart(void)
{
    HistryAndAliasSave();
    ExitWindowsMy(EWX_REBOOT | EWX_FORCE, 0);
}

// The entry holds the suppression value itself.  A missing entry reads as
// that value too (through the default), but it is the user's own "none".
static int EntryHoldsSuppressionValue(void)
{
    char entry[sizeof kNoScreenSaver + 1];
    GetPrivateProfileStringA(kBoot, kScrnSave, "", entry, sizeof entry, kSystemIni);
    return strcmp(entry, kNoScreenSaver) == 0;
}

void ActToggleScreenSaver(void)
{
    if (bScrnSaveOff != 1) {
        bScrnSaveOff = 1;
        GetPrivateProfileStringA(kBoot, kScrnSave, kNoScreenSaver, chScrnSaveExe, 63, kSystemIni);
        ProfilePath settings;
        SettingsFilePath(&settings);
        if (EntryHoldsSuppressionValue()) {
            // Suppressed already, by a press whose shared block has gone
            // since: the user's entry is the copy in the settings file (the
            // suppression value when there is none).  The copy stays there
            // until the restoring press.
            ProfileReadString(&settings, kSettingsSection, kSavedScrnSaveKey, kNoScreenSaver, chScrnSaveExe, 63);
        } else {
            // The user's own entry replaces any copy that an earlier
            // suppression may have left (written from a terminated copy:
            // any process may write the shared entry meanwhile).
            char entry[sizeof chScrnSaveExe];
            CopyBounded(entry, sizeof entry, chScrnSaveExe, sizeof chScrnSaveExe);
            ProfileWriteString(&settings, kSettingsSection, kSavedScrnSaveKey, entry);
        }
        WritePrivateProfileStringA(kBoot, kScrnSave, kNoScreenSaver, kSystemIni);
    } else {
        // Exactly what this block's suppressing press saved comes back, never
        // a copy from an earlier suppression; the copy goes with it.
        bScrnSaveOff = 0;
        char entry[sizeof chScrnSaveExe];
        CopyBounded(entry, sizeof entry, chScrnSaveExe, sizeof chScrnSaveExe);
        WritePrivateProfileStringA(kBoot, kScrnSave, entry, kSystemIni);
        WriteProfileStriMy(kSettingsSection, kSavedScrnSaveKey, NULL);
    }
}

void ActStartScreenSaver(void)
{
    // The command is this call's own, as it is checked and run.
    char command[80] = "";
    GetPrivateProfileStringA(kBoot, kScrnSave, "", command, 79, kSystemIni);
    // An entry too long for " /S" to follow is not run cut short.
    if (!AppendScreenSaverSwitch(command, sizeof command)) {
        MessageBeep(0);
        return;
    }
    WinExec(command, SW_SHOWMAXIMIZED);
}

void ActToggleKeyboardLock(void)
{
    if (bKBLock == 0) {
        bKBLock = 1;
        SetCapture(hWndHost);
        SetNewCursor("WinLock");
    } else {
        bKBLock = 0;
        ReleaseCapture();
        const char* chosen = CursorNameAt(iSelCursorIndex);
        if (bCursorChange == 1 && chosen)
            SetNewCursor(chosen);
        else
            ReSetMyCursor();
    }
}

void WINAPI SetMyCursor(LPCSTR name)
{
    if (bCursorChange != 0)
        SetSystemCursor(LoadCursorA(hInstHost, name), kNormalPointer);
}

BOOL WINAPI SetNewCursor(LPCSTR name)
{
    return SetSystemCursor(LoadCursorA(hInstHost, name), kNormalPointer);
}

BOOL WINAPI ReSetMyCursor(void)
{
    return SetSystemCursor(hPreCursor, kNormalPointer);
}
