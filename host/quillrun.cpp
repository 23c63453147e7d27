// Quillrun: the host program of QRHook.dll.  It loads the library, hands it
// the main window, fills the shared settings from the settings file,
// installs the hooks, answers the library's host messages and removes the
// hooks again when it ends.  Here: the window procedure and WinMain; the
// options, the settings file, the window's making, the macro side, the icon
// and the start-up value each have a file of their own.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "companion.h"
#include "core/contract.h"
#include "integrity.h"
#include "macro.h"
#include "main_window.h"
#include "options.h"
#include "paths.h"
#include "qr_version.h"
#include "qrlib.h"
#include "resource.h"
#include "run_program.h"
#include "settings.h"
#include "shown_text.h"
#include "startup.h"
#include "tray.h"

// Work the host does after it has answered a host message.
#define WM_APP_TO_FRONT (WM_APP + 1)
#define WM_APP_OPTIONS_MENU (WM_APP + 2)
#define WM_APP_SAVE_OPTIONS (WM_APP + 3)

// The history and the aliases are saved this long after they change, so that
// a host that is killed loses at most that much.
#define TIMER_AUTOSAVE 1
#define AUTOSAVE_EVERY_MS 2000

static QrLib lib;
static HostOptions opts;
static HINSTANCE hInst;
static HWND hWndMain;
static HWND hDlgHokan;
static int hooksOn;
static int hotKeyCount;
// The last save of the options, and of the history and the aliases, did not
// reach the settings file: each is kept apart, so that one that works never
// hides the other's failure, and each is tried again at the next look.
static int optionsFailed;
static int tablesFailed;
static int ended;
// Every library file carries the label that keeps sandboxed programs out.
static int keptOut;

// --- Settings ---------------------------------------------------------------

static void UpdateStateLine(void);

static int SaveFailed(void)
{
    return optionsFailed || tablesFailed;
}

// A save that fails is shown in the window and the icon's tooltip until it
// succeeds: nothing the user keeps may be lost without a word.
static void SaveDone(int* failed, int ok)
{
    if (*failed == !ok)
        return;
    *failed = !ok;
    UpdateStateLine();
}

static void SaveOptionsNow(void)
{
    SaveDone(&optionsFailed, SaveOptions(&lib, &opts));
}

static void SaveTablesNow(void)
{
    SaveDone(&tablesFailed, SaveHistoryAndAliases(&lib));
}

// From the timer: what changed, and what failed before.
static void SaveIfChanged(void)
{
    if (optionsFailed)
        SaveOptionsNow();
    if (tablesFailed || TablesChangedSinceSave(&lib))
        SaveTablesNow();
}

// Everything the host keeps between runs, with what the 32-bit side stored
// since the last exchange.
static void SaveAll(void)
{
    CompanionCollect();
    // The tuning values may have been changed with hot keys: keep them.
    KeepTunedOptions(&opts, &lib);
    SaveOptionsNow();
    SaveTablesNow();
}

// --- The library files ------------------------------------------------------

// Both widths' library files: the one beside this program and the 32-bit
// one beside its companion (none there on a 32-bit Windows).
static int LabelLibraryFiles(void)
{
    WCHAR program[MAX_PATH], own[MAX_PATH + 16], companion[MAX_PATH + 32], x86[MAX_PATH + 32];
    DWORD len = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || !FileBeside(program, QR_LIBRARY_FILE, own, MAX_PATH + 16) ||
        !FileBeside(program, QR_COMPANION_PROGRAM, companion, MAX_PATH + 32) ||
        !FileBeside(companion, QR_LIBRARY_FILE, x86, MAX_PATH + 32))
        return 0;
    const WCHAR* files[] = {own, x86};
    return KeepSandboxesOut(files, 2);
}

// --- Hooks ------------------------------------------------------------------

// The icon's tooltip: whether the hooks are in place, and the macro state.
static void UpdateTrayTip(void)
{
    char tip[128];
    int n = snprintf(tip, sizeof tip, "%s\n%s", hooksOn ? "Quillrun" : "Quillrun (hooks removed)",
                     SaveFailed() ? "Settings and history NOT saved!\n" : "");
    MacroStateText(tip + n, sizeof tip - (size_t)n);
    TraySetTip(tip);
}

// The paths are shown exactly: the user's folder may hold any letters.
static void UpdateStateLine(void)
{
    WCHAR line[2 * MAX_PATH + 400];
    const WCHAR* folder = SettingsFolderNotMade();
    const WCHAR* carried = SettingsCarriedFrom();
    snwprintf(line, sizeof line / sizeof line[0], L"%ls%ls%ls%ls%ls%ls%ls%hs%hs",
              hooksOn ? L"Hooks installed." : L"Hooks removed (Options > Hooks installed).",
              !SaveFailed() ? L""
              : folder[0]   ? L" Settings and history NOT saved: cannot make the folder "
                            : L" Settings and history NOT saved: cannot write ",
              !SaveFailed() ? L"" : folder[0] ? folder : SettingsFile(), SaveFailed() ? L"." : L"",
              carried[0] ? L" Settings, history and aliases carried over from " : L"", carried,
              carried[0] ? L"." : L"", CompanionTrouble(), keptOut ? "" : " " QR_NOT_KEPT_OUT);
    line[sizeof line / sizeof line[0] - 1] = 0;
    SetDlgItemTextW(hWndMain, IDC_STATE_LINE, line);
    UpdateTrayTip();
}

static void SetHooks(int on)
{
    // The 32-bit companion serves 32-bit programs exactly while the host's
    // own hooks are in.
    if (on && !hooksOn) {
        lib.SetMyHook(0, 0);
        lib.SetMyCBTHook(0, 0);
        CompanionStart(hWndMain);
    } else if (!on && hooksOn) {
        CompanionStop();
        lib.ResetMyHook(0, 0);
    }
    hooksOn = on;
    UpdateStateLine();
}

// --- Commands ---------------------------------------------------------------

static void ToFront(void)
{
    if (!IsWindowVisible(hWndMain) || IsIconic(hWndMain))
        ShowWindow(hWndMain, SW_RESTORE);
    SetForegroundWindow(hWndMain);
}

static void ShowAbout(void)
{
    MessageBoxA(hWndMain,
                "Quillrun " QR_VERSION_TEXT "\n\n"
                "Ctrl+Shift hot keys, a pointer that follows the focus, and history,\n"
                "aliases and file-name completion in the edit fields of every program.\n\n"
                "The work is done by QRHook.dll, loaded from this program's folder.",
                "About Quillrun", MB_OK | MB_ICONINFORMATION);
}

// The aliases as the user wrote them, also what the code page cannot write.
static void ShowAliases(void)
{
    static WCHAR exact[QR_RING_SLOTS][QR_ALIAS_TEXT];
    static WCHAR text[32 * (QR_ALIAS_TEXT + 4) + 64];
    ExactAliasTable(lib.chAlias, lib.wchAlias, exact);
    if (FormatAliasList(exact, text, sizeof text / sizeof text[0]) == 0)
        wcscpy(text, L"No aliases are defined.\nDefine one in any edit field: Alias name value");
    MessageBoxW(hWndMain, text, L"Quillrun aliases", MB_OK);
}

static void ResetOptions(void)
{
    DefaultOptions(&opts);
    MacroDefaultSetting();
    ApplyOptions(&opts, &lib);
}

// The options' check marks and the items that show a state of the host.
static void CheckMenuItems(HMENU menu)
{
    CheckOptionItems(&opts, menu);
    CheckMenuItem(menu, IDM_HOOKS, MF_BYCOMMAND | (hooksOn ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_MACROHOOKS, MF_BYCOMMAND | (MacroUsesLowLevel() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_STARTUP, MF_BYCOMMAND | (StartupIsOn() ? MF_CHECKED : MF_UNCHECKED));
}

static void ShowOptionsMenu(void)
{
    ToFront();
    HMENU options = GetSubMenu(GetMenu(hWndMain), 1);
    CheckMenuItems(options);
    POINT pt;
    GetCursorPos(&pt);
    TrackPopupMenu(options, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, hWndMain, NULL);
}

// --- The main window --------------------------------------------------------

static void Shutdown(void);

static void OnCommand(int id)
{
    switch (id) {
    case IDM_RUN: RunProgram(&lib, hInst, hWndMain); break;
    case IDM_EXIT:
        // Everything is saved and ended before the window goes.
        Shutdown();
        DestroyWindow(hWndMain);
        break;
    case IDM_SHOW: ToFront(); break;
    case IDM_STARTUP: SetStartup(!StartupIsOn()); break;
    case IDM_HOOKS: SetHooks(!hooksOn); break;
    case IDM_MACROHOOKS:
        MacroToggleSetting();
        SaveOptionsNow();
        break;
    case IDM_DEFAULTS:
        ResetOptions();
        SaveOptionsNow();
        break;
    case IDM_ABOUT: ShowAbout(); break;
    default:
        if (ToggleOption(&opts, &lib, id))
            SaveOptionsNow();
        break;
    }
}

// At exit, and when the session ends (the process may be ended right after).
static void Shutdown(void)
{
    if (ended)
        return;
    ended = 1;
    KillTimer(hWndMain, TIMER_AUTOSAVE);
    SaveAll();
    // The hooks and the companion go first: what follows may take a while
    // (under Wine without a window manager the icon's removal and the
    // window's hiding each wait 2 s for one), and nothing of the services
    // may outlive the saved tables meanwhile.
    SetHooks(0);
    TrayRemove();
    MacroEnd();
    // Nothing may send to the completion dialog or own a message box once
    // this window is gone.
    *lib.hDlgFileList = NULL;
    lib.SethWndhInstance(NULL, NULL);
    if (hDlgHokan)
        DestroyWindow(hDlgHokan);
    // A keyboard lock left on would keep the hot keys off for the next run;
    // the pointer goes back to the user's own.
    *lib.bKBLock = 0;
    SystemParametersInfoA(SPI_SETCURSORS, 0, NULL, 0);
}

static LRESULT CALLBACK MainProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case HM_HISTORY_ON:
        return OptionOn(&opts, IDM_HISTORY);
    case HM_POINTER_JUMP:
        return OptionOn(&opts, IDM_JUMP);
    case HM_HOTKEY: {
        char line[96];
        DescribeHotKey(wParam, ++hotKeyCount, line, sizeof line);
        SetDlgItemTextA(hWnd, IDC_HOTKEY_LINE, line);
        if (wParam == 'A' || wParam == VK_F11)
            PostMessageA(hWnd, WM_APP_TO_FRONT, 0, 0);
        return 1;
    }
    case HM_HOST_P:
        PostMessageA(hWnd, WM_APP_OPTIONS_MENU, 0, 0);
        return 1;
    case HM_MACRO:
        return MacroHostMessage(wParam, lParam);
    case HM_RESET:
        ResetOptions();
        PostMessageA(hWnd, WM_APP_SAVE_OPTIONS, 0, 0);
        return 1;
    case WM_APP_TO_FRONT:
        ToFront();
        return 0;
    case WM_APP_OPTIONS_MENU:
        ShowOptionsMenu();
        return 0;
    case WM_APP_SAVE_OPTIONS:
        SaveOptionsNow();
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == QR_SYSCMD_ALIAS_LIST) {
            ShowAliases();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        CheckMenuItems((HMENU)wParam);
        return 0;
    case WM_DPICHANGED:
        MainWindowDpiChanged(hWnd, wParam, lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_AUTOSAVE) {
            SaveIfChanged();
            if (CompanionWatch(hWnd))
                UpdateStateLine();
        }
        return 0;
    case WM_COPYDATA:
        return CompanionCopyData(&lib, hWnd, (HWND)wParam, (const COPYDATASTRUCT*)lParam);
    case WM_CLOSE:
        // With the icon in the notification area the host stays resident.
        if (TrayShown())
            ShowWindow(hWnd, SW_HIDE);
        else
            DestroyWindow(hWnd);
        return 0;
    // At log-off or shut-down no WM_DESTROY comes: the process is ended.
    case WM_QUERYENDSESSION:
        SaveAll();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            Shutdown();
        return 0;
    case WM_DESTROY:
        Shutdown();
        PostQuitMessage(0);
        return 0;
    }
    if (TrayMessage(hWnd, msg, wParam, lParam))
        return 0;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR commandLine, int nCmdShow)
{
    hInst = hInstance;
    // Started by the installer once the files are in place.
    if (lstrcmpiA(commandLine, QR_LABEL_SWITCH) == 0)
        return LabelLibraryFiles() ? 0 : 1;
    // Started by the 64-bit host to serve 32-bit programs beside it.  The
    // wide command line: the settings file's path may hold letters the code
    // page cannot write.
    static CompanionArgs companion;
    if (CompanionArgsOf(GetCommandLineW(), &companion))
        return CompanionMain(hInstance, &companion);
    // One host per desktop: a second one would refill the shared tables.
    HWND running = FindWindowA(QR_HOST_CLASS, NULL);
    if (running) {
        // It may be hidden behind its icon: it shows itself.
        PostMessageA(running, WM_APP_TO_FRONT, 0, 0);
        SetForegroundWindow(running);
        return 0;
    }

    // Before the hooks take the library into other programs; where the
    // files cannot be labelled the host serves all the same, and says so.
    keptOut = LabelLibraryFiles();
    WCHAR error[MAX_PATH + 128];
    if (!LoadQrLib(&lib, error, sizeof error / sizeof error[0])) {
        MessageBoxW(NULL, error, L"Quillrun", MB_OK | MB_ICONSTOP);
        return 1;
    }
    hWndMain = CreateMainWindow(hInst, MainProc);
    if (!hWndMain) {
        MessageBoxA(NULL, "The main window cannot be created.", "Quillrun", MB_OK | MB_ICONSTOP);
        FreeLibrary(lib.dll);
        return 1;
    }

    // Start-up order: window and instance to the library, the settings into
    // the shared block, then the hooks.
    lib.SethWndhInstance(hWndMain, hInst);
    // A file that cannot be placed is said at once, and tried again.
    optionsFailed = tablesFailed = !ChooseSettingsFile(&lib);
    MacroInit(hWndMain, IDC_MACRO_LINE, &lib, UpdateTrayTip);
    LoadOptions(&lib, &opts);
    ApplyOptions(&opts, &lib);
    *lib.bJapaneseEnv = lib.GetProfileIMy("intl", "iCountry", 1) == 81 ? 1 : 0;
    LoadHistoryAndAliases(&lib);
    hDlgHokan = CreateCompletionDialog(hInst, hWndMain);
    *lib.hDlgFileList = hDlgHokan;
    *lib.hPreCursor = CopyCursor(LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    SetTimer(hWndMain, TIMER_AUTOSAVE, AUTOSAVE_EVERY_MS, NULL);
    // Before the hooks: the window shows (and takes the front) right after
    // them, as soon as the state line says they are in place.
    TrayInit(hWndMain, hInst, IDR_MAINMENU, IDM_SHOW, "Quillrun");
    SetHooks(1);

    ShowWindow(hWndMain, nCmdShow);
    UpdateWindow(hWndMain);

    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    FreeLibrary(lib.dll);
    return (int)m.wParam;
}
