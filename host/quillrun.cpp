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
#include "settings.h"
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
static int saveFailed;  // the last save did not reach the settings file
static int ended;

// --- Settings ---------------------------------------------------------------

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

static void UpdateStateLine(void);

// A save that fails is shown in the window and the icon's tooltip until one
// succeeds: nothing the user keeps may be lost without a word.
static void SaveDone(int ok)
{
    if (ok == !saveFailed)
        return;
    saveFailed = !ok;
    UpdateStateLine();
}

static void SaveOptionsNow(void)
{
    SaveDone(SaveOptions(&lib, &opts));
}

static void SaveIfChanged(void)
{
    if (TablesChangedSinceSave(&lib))
        SaveDone(SaveHistoryAndAliases(&lib));
}

// Everything the host keeps between runs.
static void SaveAll(void)
{
    // The tuning values may have been changed with hot keys: keep them.
    opts.zure = *lib.iZure;
    opts.aida = *lib.lAida;
    int ok = SaveOptions(&lib, &opts);
    ok = SaveHistoryAndAliases(&lib) && ok;
    SaveDone(ok);
}

// --- Hooks ------------------------------------------------------------------

// The icon's tooltip: whether the hooks are in place, and the macro state.
static void UpdateTrayTip(void)
{
    char tip[128];
    int n = snprintf(tip, sizeof tip, "%s\n%s", hooksOn ? "Quillrun" : "Quillrun (hooks removed)",
                     saveFailed ? "Settings and history NOT saved!\n" : "");
    MacroStateText(tip + n, sizeof tip - (size_t)n);
    TraySetTip(tip);
}

static void UpdateStateLine(void)
{
    char line[MAX_PATH + 96];
    snprintf(line, sizeof line, "%s%s%s",
             hooksOn ? "Hooks installed." : "Hooks removed (Options > Hooks installed).",
             saveFailed ? " Settings and history NOT saved: cannot write " : "",
             saveFailed ? SettingsFile() : "");
    SetDlgItemTextA(hWndMain, IDC_STATE_LINE, line);
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

// The aliases as the user wrote them, also what the code page cannot write.
static void ShowAliases(void)
{
    static WCHAR exact[QR_HIST_SLOTS][QR_ALIAS_TEXT];
    static WCHAR text[32 * (QR_ALIAS_TEXT + 4) + 64];
    ExactAliasTable(lib.chAlias, lib.wchAlias, exact);
    if (FormatAliasList(exact, text, sizeof text / sizeof text[0]) == 0)
        wcscpy(text, L"No aliases are defined.\nDefine one in any edit field: Alias name value");
    MessageBoxW(hWndMain, text, L"Quillrun aliases", MB_OK);
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
    SaveOptionsNow();
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
        SaveOptionsNow();
        break;
    case IDM_DEFAULTS:
        ResetOptions();
        SaveOptionsNow();
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

static SIZE LayoutMainWindow(HWND hWnd, UINT dpi);

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
        SaveOptionsNow();
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
    case WM_DPICHANGED: {
        // Moved to a screen of another DPI (Windows 8.1 and later): the
        // suggested rectangle keeps the window where it was dropped, at the
        // new size.
        const RECT* r = (const RECT*)lParam;
        SetWindowPos(hWnd, NULL, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutMainWindow(hWnd, LOWORD(wParam));
        return 0;
    }
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

static INT_PTR CALLBACK HokanDlgProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// The completion dialog's list box keeps the names of the folders it lists.
// A dialog made with the W call has Unicode controls: the list box then
// lists and keeps every name exactly, also those the code page cannot
// write, and answers each reader in its own width.
static HWND CreateCompletionDialog(void)
{
    return CreateDialogW(hInst, L"FileList", hWndMain, HokanDlgProc);
}

// The main window's three lines, in pixels at 96 DPI.  The host declares
// itself per-monitor DPI aware (quillrun.manifest): the system stretches
// nothing for it, so every size is scaled to the window's DPI here.
#define MAIN_LINES 3
static const int mainLineIds[MAIN_LINES] = {IDC_STATE_LINE, IDC_HOTKEY_LINE, IDC_MACRO_LINE};
#define LINE_MARGIN 10
#define LINE_WIDTH 350
#define LINE_HEIGHT 18
#define LINE_GAP 4
#define LINE_CHARS 50  // room for the longest line, in average characters of the font
static HFONT mainFont;

// Functions of newer versions of Windows, looked up at run time: Windows 7
// and 8 would refuse to start a host that imports them.
static FARPROC User32Proc(const char* name)
{
    return GetProcAddress(GetModuleHandleA("user32.dll"), name);
}

static UINT ScreenDpi(void)
{
    HDC dc = GetDC(NULL);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(NULL, dc);
    return dpi > 0 ? (UINT)dpi : USER_DEFAULT_SCREEN_DPI;
}

// GetDpiForWindow came with Windows 10 1607.  Before it the window starts on
// the primary screen (CW_USEDEFAULT), whose DPI the screen's DC gives; moved
// to a screen of another DPI on 8.1, it is told by WM_DPICHANGED.
static UINT WindowDpi(HWND hWnd)
{
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    FARPROC p = User32Proc("GetDpiForWindow");
    UINT dpi = p ? reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)(void)>(p))(hWnd) : 0;
    return dpi ? dpi : ScreenDpi();
}

// The system's message font at the given DPI.  SystemParametersInfoForDpi
// (Windows 10 1607) gives it for any DPI; SystemParametersInfo gives it for
// the screen's DPI only, and the stock DEFAULT_GUI_FONT is fixed at that DPI
// too.
static HFONT CreateLineFont(UINT dpi)
{
    typedef BOOL(WINAPI * SpiForDpiFn)(UINT, UINT, PVOID, UINT, UINT);
    NONCLIENTMETRICSW ncm;
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    FARPROC p = User32Proc("SystemParametersInfoForDpi");
    if (!p || !reinterpret_cast<SpiForDpiFn>(reinterpret_cast<void (*)(void)>(p))(
                  SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, dpi)) {
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
            return NULL;
        ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, (int)dpi, (int)ScreenDpi());
    }
    return CreateFontIndirectW(&ncm.lfMessageFont);
}

// Gives the three lines the font and the places for the DPI, and returns the
// client size they need.  A line is never lower than its font, nor narrower
// than LINE_CHARS of it: the user may have made the text larger than the
// DPI alone would.
static SIZE LayoutMainWindow(HWND hWnd, UINT dpi)
{
    HFONT font = CreateLineFont(dpi);
    HFONT old = mainFont;
    mainFont = font;
    if (!font)
        font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    TEXTMETRICA tm;
    HDC dc = GetDC(hWnd);
    HGDIOBJ before = SelectObject(dc, font);
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, before);
    ReleaseDC(hWnd, dc);

    int margin = MulDiv(LINE_MARGIN, (int)dpi, USER_DEFAULT_SCREEN_DPI);
    int gap = MulDiv(LINE_GAP, (int)dpi, USER_DEFAULT_SCREEN_DPI);
    int width = MulDiv(LINE_WIDTH, (int)dpi, USER_DEFAULT_SCREEN_DPI);
    if (width < LINE_CHARS * tm.tmAveCharWidth)
        width = LINE_CHARS * tm.tmAveCharWidth;
    int height = MulDiv(LINE_HEIGHT, (int)dpi, USER_DEFAULT_SCREEN_DPI);
    if (height < tm.tmHeight)
        height = tm.tmHeight;
    for (int i = 0; i < MAIN_LINES; i++) {
        HWND line = GetDlgItem(hWnd, mainLineIds[i]);
        SendMessageA(line, WM_SETFONT, (WPARAM)font, TRUE);
        MoveWindow(line, margin, margin + i * (height + gap), width, height, TRUE);
    }
    // Only once no line uses it any more.
    if (old)
        DeleteObject(old);
    SIZE client = {2 * margin + width, 2 * margin + MAIN_LINES * height + (MAIN_LINES - 1) * gap};
    return client;
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
    // Created at its size for 96 DPI and sized again below, once its DPI
    // is known.
    HWND hWnd = CreateWindowA("Quillrun", "Quillrun", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, 380, 142, NULL, NULL, hInst, NULL);
    if (!hWnd)
        return NULL;
    for (int i = 0; i < MAIN_LINES; i++)
        CreateWindowA("Static", mainLineIds[i] == IDC_HOTKEY_LINE ? "No hot key received yet." : "",
                      WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hWnd, (HMENU)(INT_PTR)mainLineIds[i], hInst, NULL);
    SIZE client = LayoutMainWindow(hWnd, WindowDpi(hWnd));
    // The caption, the frame and the menu bar are the system's, already at
    // the window's DPI: measured here rather than computed, which would take
    // AdjustWindowRectExForDpi (Windows 10 1607 and later).
    RECT outer, inner;
    GetWindowRect(hWnd, &outer);
    GetClientRect(hWnd, &inner);
    SetWindowPos(hWnd, NULL, 0, 0, client.cx + (outer.right - outer.left) - inner.right,
                 client.cy + (outer.bottom - outer.top) - inner.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    saveFailed = !ChooseSettingsFile(&lib);
    MacroInit(hWndMain, IDC_MACRO_LINE, &lib, UpdateTrayTip);
    LoadOptions(&lib, &opts);
    ApplyOptions();
    *lib.bJapaneseEnv = lib.GetProfileIMy("intl", "iCountry", 1) == 81 ? 1 : 0;
    LoadHistoryAndAliases(&lib);
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
