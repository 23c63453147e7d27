// Quillrun: the host program of QRHook.dll.  It loads the library, hands it
// the main window, fills the shared settings from "Quillrun.Ini", installs
// the hooks, answers the library's host messages and removes the hooks again
// when it ends.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "macro.h"
#include "options.h"
#include "qrlib.h"
#include "resource.h"
#include "run_program.h"
#include "tray.h"

// Host messages the library sends (synchronously, from other programs' key
// strokes and focus changes: each is answered at once).
#define HM_HOTKEY 9782        // wParam: the hot key's virtual-key code
#define HM_HISTORY_ON 1554    // answer non-zero while history is on
#define HM_POINTER_JUMP 10869 // answer non-zero while the pointer may jump
#define HM_HOST_P 1081        // Ctrl+Shift+P: show the options
#define HM_RESET 23907        // Ctrl+Shift+Z: options back to defaults
#define SYSCMD_ALIAS_LIST 11  // WM_SYSCOMMAND posted by "Alias" + Tab

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
static unsigned long long savedTables;  // fingerprint of what the file holds
static int ended;

// --- Settings ---------------------------------------------------------------

static void LoadOptions(void)
{
    DefaultOptions(&opts);
    for (int i = 0; i < kOptionKeyCount; ++i)
        opts.*kOptionKeys[i].field =
            (int)lib.GetProfileIMy(QR_SETTINGS_SECTION, kOptionKeys[i].key, kOptionKeys[i].def);
    char keys[64] = "";
    GetPrivateProfileStringA(QR_SETTINGS_SECTION, QR_KEY_CTRLSHIFT_KEYS, "", keys, sizeof keys,
                             QR_SETTINGS_FILE);
    NormaliseLetterSwitches(keys, opts.ctrlShiftKeys);
}

static void SaveOptions(void)
{
    char value[16];
    for (int i = 0; i < kOptionKeyCount; ++i) {
        snprintf(value, sizeof value, "%d", opts.*kOptionKeys[i].field);
        lib.WriteProfileStriMy(QR_SETTINGS_SECTION, kOptionKeys[i].key, value);
    }
    lib.WriteProfileStriMy(QR_SETTINGS_SECTION, QR_KEY_CTRLSHIFT_KEYS, opts.ctrlShiftKeys);
    MacroSaveSetting();
}

// Writes every option into the library's shared variables.
static void ApplyOptions(void)
{
    *lib.bIsAlias = opts.alias;
    *lib.bIsHokan = opts.hokan;
    *lib.bCtrlShift = opts.ctrlShift;
    *lib.bHeropa = opts.heropa;
    *lib.bIsHistory = opts.saveHistory;
    *lib.bButtonEditOnly = opts.buttonEditOnly;
    *lib.iZure = opts.zure;
    *lib.lAida = opts.aida;
    *lib.bCursorChange = opts.cursorChange;
    *lib.iSelCursorIndex = opts.cursorIndex;
    memcpy(lib.chCtrlShift, opts.ctrlShiftKeys, 28);
}

// The library saves the history and the aliases but never reads them back:
// the host fills the tables, and puts the ring's store slot where it was.
static void LoadHistoryAndAliases(void)
{
    char key[16];
    for (int i = 0; i < QR_HIST_SLOTS; ++i) {
        HistoryKey(i, key, sizeof key);
        GetPrivateProfileStringA(QR_SETTINGS_SECTION, key, "", lib.chHist[i], QR_HIST_TEXT,
                                 QR_SETTINGS_FILE);
        AliasKey(i, key, sizeof key);
        GetPrivateProfileStringA(QR_SETTINGS_SECTION, key, "", lib.chAlias[i], QR_ALIAS_TEXT,
                                 QR_SETTINGS_FILE);
    }
    int saved = GetPrivateProfileIntA(QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, -1,
                                      QR_SETTINGS_FILE);
    int next = NextHistorySlot(lib.chHist, saved);
    *lib.iSetIndex = next;
    *lib.iGetIndex = PreviousSlot(next);
    savedTables = TablesFingerprint(lib.chHist, lib.chAlias, next);
}

static unsigned long long CurrentTables(void)
{
    return TablesFingerprint(lib.chHist, lib.chAlias, *lib.iSetIndex);
}

// The ring's store slot, the history and the aliases, flushed to the disk.
static void SaveHistoryAndAliases(void)
{
    unsigned long long now = CurrentTables();
    char next[16];
    snprintf(next, sizeof next, "%d", *lib.iSetIndex);
    lib.HistryAndAliasSave();
    lib.WriteProfileStriMy(QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, next);
    WritePrivateProfileStringA(NULL, NULL, NULL, QR_SETTINGS_FILE);
    savedTables = now;
}

static void SaveIfChanged(void)
{
    if (CurrentTables() != savedTables)
        SaveHistoryAndAliases();
}

// Everything the host keeps between runs.
static void SaveAll(void)
{
    // The tuning values may have been changed with hot keys: keep them.
    opts.zure = *lib.iZure;
    opts.aida = *lib.lAida;
    SaveOptions();
    SaveHistoryAndAliases();
}

// --- Hooks ------------------------------------------------------------------

// The icon's tooltip: whether the hooks are in place, and the macro state.
static void UpdateTrayTip(void)
{
    char tip[128];
    int n = snprintf(tip, sizeof tip, "%s\n", hooksOn ? "Quillrun" : "Quillrun (hooks removed)");
    MacroStateText(tip + n, sizeof tip - (size_t)n);
    TraySetTip(tip);
}

static void UpdateStateLine(void)
{
    SetDlgItemTextA(hWndMain, IDC_STATE_LINE,
                    hooksOn ? "Hooks installed." : "Hooks removed (Options > Hooks installed).");
    UpdateTrayTip();
}

static void SetHooks(int on)
{
    if (on && !hooksOn) {
        lib.SetMyHook(0, 0);
        lib.SetMyCBTHook(0, 0);
    } else if (!on && hooksOn) {
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
                "Quillrun 1.0\n\n"
                "Ctrl+Shift hot keys, a pointer that follows the focus, and history,\n"
                "aliases and file-name completion in the edit fields of every program.\n\n"
                "The work is done by QRHook.dll, loaded from this program's folder.",
                "About Quillrun", MB_OK | MB_ICONINFORMATION);
}

static void ShowAliases(void)
{
    char text[32 * (QR_ALIAS_TEXT + 4) + 64];
    if (FormatAliasList(lib.chAlias, text, sizeof text) == 0)
        strcpy(text, "No aliases are defined.\nDefine one in any edit field: Alias name value");
    MessageBoxA(hWndMain, text, "Quillrun aliases", MB_OK);
}

static int* OptionOfCommand(int id)
{
    switch (id) {
    case IDM_HISTORY: return &opts.history;
    case IDM_JUMP: return &opts.pointerJump;
    case IDM_ALIAS: return &opts.alias;
    case IDM_HOKAN: return &opts.hokan;
    case IDM_CTRLSHIFT: return &opts.ctrlShift;
    case IDM_HEROPA: return &opts.heropa;
    case IDM_SAVEHISTORY: return &opts.saveHistory;
    }
    return NULL;
}

static void ToggleOption(int id)
{
    int* option = OptionOfCommand(id);
    if (!option)
        return;
    *option = *option ? 0 : 1;
    // Only the switch that changed goes to the library: the tuning values
    // the hot keys changed meanwhile stay as they are.
    switch (id) {
    case IDM_ALIAS: *lib.bIsAlias = opts.alias; break;
    case IDM_HOKAN: *lib.bIsHokan = opts.hokan; break;
    case IDM_CTRLSHIFT: *lib.bCtrlShift = opts.ctrlShift; break;
    case IDM_HEROPA: *lib.bHeropa = opts.heropa; break;
    case IDM_SAVEHISTORY: *lib.bIsHistory = opts.saveHistory; break;
    }
    SaveOptions();
}

static void ResetOptions(void)
{
    DefaultOptions(&opts);
    MacroDefaultSetting();
    ApplyOptions();
}

static void CheckOptionItems(HMENU menu)
{
    static const int ids[] = {IDM_HISTORY, IDM_JUMP,  IDM_ALIAS,      IDM_HOKAN,
                              IDM_CTRLSHIFT, IDM_HEROPA, IDM_SAVEHISTORY};
    for (int id : ids)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (*OptionOfCommand(id) ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_HOOKS, MF_BYCOMMAND | (hooksOn ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_MACROHOOKS, MF_BYCOMMAND | (MacroUsesLowLevel() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_STARTUP, MF_BYCOMMAND | (StartupIsOn() ? MF_CHECKED : MF_UNCHECKED));
}

static void ShowOptionsMenu(void)
{
    ToFront();
    HMENU options = GetSubMenu(GetMenu(hWndMain), 1);
    CheckOptionItems(options);
    POINT pt;
    GetCursorPos(&pt);
    TrackPopupMenu(options, TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, hWndMain, NULL);
}

// --- The main window --------------------------------------------------------

static void OnCommand(int id)
{
    switch (id) {
    case IDM_RUN: RunProgram(&lib, hInst, hWndMain); break;
    case IDM_EXIT: DestroyWindow(hWndMain); break;
    case IDM_SHOW: ToFront(); break;
    case IDM_STARTUP: SetStartup(!StartupIsOn()); break;
    case IDM_HOOKS: SetHooks(!hooksOn); break;
    case IDM_MACROHOOKS:
        MacroToggleSetting();
        SaveOptions();
        break;
    case IDM_DEFAULTS:
        ResetOptions();
        SaveOptions();
        break;
    case IDM_ABOUT: ShowAbout(); break;
    default: ToggleOption(id); break;
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
    TrayRemove();
    SetHooks(0);
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
        return opts.history ? 1 : 0;
    case HM_POINTER_JUMP:
        return opts.pointerJump ? 1 : 0;
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
        SaveOptions();
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SYSCMD_ALIAS_LIST) {
            ShowAliases();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        CheckOptionItems((HMENU)wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_AUTOSAVE)
            SaveIfChanged();
        return 0;
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

// The completion dialog's list box is read by other programs with
// LB_GETTEXT, which must come back as ANSI text.  Wine (8) hands the reply of
// a list box in another process back to an ANSI sender as wide text; there
// the list box answers such a request itself, in ANSI.  The procedure is a
// Unicode one so that its answer travels back unconverted.
static WNDPROC listProc;
static int onWine;

static LRESULT CALLBACK HokanListProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == LB_GETTEXT && lParam && onWine && (InSendMessageEx(NULL) & ISMEX_SEND)) {
        LRESULT len = CallWindowProcW(listProc, hWnd, LB_GETTEXTLEN, wParam, 0);
        if (len == LB_ERR)
            return LB_ERR;
        WCHAR wide[MAX_PATH + 4];
        char text[2 * (MAX_PATH + 4)];
        if (len >= (LRESULT)(sizeof wide / sizeof wide[0]))
            return LB_ERR;
        CallWindowProcW(listProc, hWnd, LB_GETTEXT, wParam, (LPARAM)wide);
        int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
        if (n <= 0)
            return LB_ERR;
        // Wine writes as many bytes as the wide text would take into the
        // reader's buffer.  The library reads entries into 256 bytes: a
        // longer entry is refused rather than let run past that buffer.
        if (2 * n > 256)
            return LB_ERR;
        memcpy((char*)lParam, text, (size_t)n);
        return n - 1;
    }
    return CallWindowProcW(listProc, hWnd, msg, wParam, lParam);
}

static INT_PTR CALLBACK HokanDlgProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

static HWND CreateCompletionDialog(void)
{
    HWND dlg = CreateDialogA(hInst, "FileList", hWndMain, HokanDlgProc);
    if (!dlg)
        return NULL;
    HWND list = GetDlgItem(dlg, IDC_HOKAN_LIST);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    onWine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    if (list)
        listProc = (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)HokanListProc);
    return dlg;
}

static HWND CreateMainWindow(void)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = "Quillrun";
    if (!RegisterClassA(&wc))
        return NULL;
    HWND hWnd = CreateWindowA("Quillrun", "Quillrun", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, 380, 142, NULL, NULL, hInst, NULL);
    if (!hWnd)
        return NULL;
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND a = CreateWindowA("Static", "", WS_CHILD | WS_VISIBLE, 10, 10, 350, 18, hWnd,
                           (HMENU)IDC_STATE_LINE, hInst, NULL);
    HWND b = CreateWindowA("Static", "No hot key received yet.", WS_CHILD | WS_VISIBLE, 10, 32, 350,
                           18, hWnd, (HMENU)IDC_HOTKEY_LINE, hInst, NULL);
    HWND c = CreateWindowA("Static", "", WS_CHILD | WS_VISIBLE, 10, 54, 350, 18, hWnd,
                           (HMENU)IDC_MACRO_LINE, hInst, NULL);
    SendMessageA(a, WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(b, WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(c, WM_SETFONT, (WPARAM)font, 0);
    return hWnd;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    hInst = hInstance;
    // One host per desktop: a second one would refill the shared tables.
    HWND running = FindWindowA("Quillrun", NULL);
    if (running) {
        // It may be hidden behind its icon: it shows itself.
        PostMessageA(running, WM_APP_TO_FRONT, 0, 0);
        SetForegroundWindow(running);
        return 0;
    }

    char error[MAX_PATH + 128];
    if (!LoadQrLib(&lib, error, sizeof error)) {
        MessageBoxA(NULL, error, "Quillrun", MB_OK | MB_ICONSTOP);
        return 1;
    }
    hWndMain = CreateMainWindow();
    if (!hWndMain) {
        MessageBoxA(NULL, "The main window cannot be created.", "Quillrun", MB_OK | MB_ICONSTOP);
        FreeLibrary(lib.dll);
        return 1;
    }

    // Start-up order: window and instance to the library, the settings into
    // the shared block, then the hooks.
    lib.SethWndhInstance(hWndMain, hInst);
    MacroInit(hWndMain, IDC_MACRO_LINE, &lib, UpdateTrayTip);
    LoadOptions();
    ApplyOptions();
    *lib.bJapaneseEnv = lib.GetProfileIMy("intl", "iCountry", 1) == 81 ? 1 : 0;
    LoadHistoryAndAliases();
    hDlgHokan = CreateCompletionDialog();
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
