// The host's main window and its completion dialog.
#include "main_window.h"

#include <string.h>

#include "core/contract.h"
#include "resource.h"

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

HWND CreateMainWindow(HINSTANCE hInst, WNDPROC proc)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = QR_HOST_CLASS;
    if (!RegisterClassA(&wc))
        return NULL;
    // Created at its size for 96 DPI and sized again below, once its DPI
    // is known.
    HWND hWnd = CreateWindowA(QR_HOST_CLASS, "Quillrun", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
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

// Moved to a screen of another DPI (Windows 8.1 and later): the suggested
// rectangle keeps the window where it was dropped, at the new size.
void MainWindowDpiChanged(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    const RECT* r = (const RECT*)lParam;
    SetWindowPos(hWnd, NULL, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutMainWindow(hWnd, LOWORD(wParam));
}

static INT_PTR CALLBACK CompletionDlgProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// A dialog made with the W call has Unicode controls: the list box then
// lists and keeps every name exactly, also those the code page cannot
// write, and answers each reader in its own width.
HWND CreateCompletionDialog(HINSTANCE hInst, HWND owner)
{
    return CreateDialogW(hInst, L"FileList", owner, CompletionDlgProc);
}
