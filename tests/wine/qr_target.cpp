// A program for the Wine tests to type into: a window "QR target" with two
// single-line edit fields (ids 1 and 2) and a button (id 3), and a third
// field (id 6) of a Unicode window, whose text is UTF-16 as in most programs
// of a current desktop (the other two are ANSI windows).  Every key
// message the edit fields receive is appended to a log, kept as the text of a
// hidden static control (id 4), which the tests read with WM_GETTEXT:
//   " d42" key-down of virtual key 0x42, " u42" its key-up, " c62" a char.
// Messages to the main window: WM_APP clears the log; WM_APP+1 puts the
// focus into the edit field whose id is wParam; WM_APP+2 opens (wParam 1) or
// closes (0) the input method of the focused field and WM_APP+3 answers its
// open status (-1 without an input context), since an input context belongs
// to its own thread; WM_APP+4 copies the text of the system-menu item with
// command wParam into a hidden static control (id 5) and answers its length
// (-1 without such an item), since a menu cannot be read from another
// process.
// Fields of other kinds, as today's programs have them: a rich edit 2.0
// field (id 10, Unicode), a rich edit 4.1 field (id 11, RICHEDIT50W), an
// edit control under a Windows Forms-style generated class name (id 12, a
// Unicode window) and one under Visual Basic 6's (id 13, ANSI), a
// multi-line rich edit field (id 14) and a rich edit password field (id 15,
// hidden by EM_SETPASSWORDCHAR alone, as a rich edit field is).
#include <windows.h>
#include <imm.h>

#include <stdio.h>
#include <string.h>

#include <initializer_list>

static HWND hMain, hLog, hMenuText;
static char logText[16384];
static size_t logLen;
static HWND lastFocus;

static void Append(const char* kind, WPARAM code)
{
    char item[16];
    int n = snprintf(item, sizeof item, " %s%02X", kind, (unsigned)(code & 0xFFFF));
    if (n <= 0 || logLen + (size_t)n >= sizeof logText)
        return;  // full: the tests clear the log long before this
    memcpy(logText + logLen, item, (size_t)n + 1);
    logLen += (size_t)n;
    SetWindowTextA(hLog, logText);
}

// Every field logs its keys (an ANSI window's its characters too) and keeps
// its class's own procedure in a property; a W procedure keeps a Unicode
// window Unicode.
static void Log(HWND hWnd, UINT msg, WPARAM wParam, bool chars)
{
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: Append("d", wParam); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: Append("u", wParam); break;
    case WM_CHAR:
        if (chars)
            Append("c", wParam);
        break;
    case WM_SETFOCUS: lastFocus = hWnd; break;
    }
}

static LRESULT CALLBACK FieldProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Log(hWnd, msg, wParam, true);
    return CallWindowProcA((WNDPROC)GetPropA(hWnd, "QRProc"), hWnd, msg, wParam, lParam);
}

static LRESULT CALLBACK FieldProcW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Log(hWnd, msg, wParam, false);
    return CallWindowProcW((WNDPROC)GetPropA(hWnd, "QRProc"), hWnd, msg, wParam, lParam);
}

static void LogKeysOf(HWND f)
{
    if (IsWindowUnicode(f))
        SetPropA(f, "QRProc", (HANDLE)SetWindowLongPtrW(f, GWLP_WNDPROC, (LONG_PTR)FieldProcW));
    else
        SetPropA(f, "QRProc", (HANDLE)SetWindowLongPtrA(f, GWLP_WNDPROC, (LONG_PTR)FieldProcA));
}

static LRESULT CALLBACK MainProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_APP:
        logLen = 0;
        logText[0] = 0;
        SetWindowTextA(hLog, "");
        return 1;
    case WM_APP + 1: {
        HWND edit = GetDlgItem(hWnd, (int)wParam);
        if (!edit)
            return 0;
        SetFocus(edit);
        return GetFocus() == edit;
    }
    case WM_APP + 2:
    case WM_APP + 3: {
        HWND focus = GetFocus();
        HIMC context = focus ? ImmGetContext(focus) : NULL;
        if (!context)
            return -1;
        LRESULT r = msg == WM_APP + 2 ? ImmSetOpenStatus(context, wParam != 0) : ImmGetOpenStatus(context);
        ImmReleaseContext(focus, context);
        return r;
    }
    case WM_APP + 4: {
        char text[256] = "";
        int n = GetMenuStringA(GetSystemMenu(hWnd, FALSE), (UINT)wParam, text, sizeof text, MF_BYCOMMAND);
        SetWindowTextA(hMenuText, text);
        return n > 0 ? n : -1;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            SetFocus(lastFocus ? lastFocus : GetDlgItem(hWnd, 1));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "QRTarget";
    RegisterClassA(&wc);
    hMain = CreateWindowA("QRTarget", "QR target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 200, 360,
                          290, NULL, NULL, hInst, NULL);
    // Superclasses of "Edit" under the names frameworks give them: the
    // system's own edit procedure, another class name.
    WNDCLASSW forms;
    GetClassInfoW(NULL, L"Edit", &forms);
    forms.hInstance = hInst;
    forms.lpszClassName = L"WindowsForms10.EDIT.app.0.2bf8098_r6_ad1";
    RegisterClassW(&forms);
    WNDCLASSA thunder;
    GetClassInfoA(NULL, "Edit", &thunder);
    thunder.hInstance = hInst;
    thunder.lpszClassName = "ThunderRT6TextBox";
    RegisterClassA(&thunder);
    LoadLibraryA("riched20.dll");
    LoadLibraryA("msftedit.dll");
    const struct {
        const WCHAR* cls;
        DWORD style;
        const WCHAR* text;
    } others[] = {
        {L"RichEdit20W", ES_AUTOHSCROLL, L""},
        {L"RICHEDIT50W", ES_AUTOHSCROLL, L""},
        {L"WindowsForms10.EDIT.app.0.2bf8098_r6_ad1", ES_AUTOHSCROLL, L""},
        {L"ThunderRT6TextBox", ES_AUTOHSCROLL, L""},
        {L"RichEdit20W", ES_MULTILINE | ES_WANTRETURN, L"first line\r\nsecond line"},
        {L"RichEdit20W", ES_AUTOHSCROLL, L"secret"},
    };
    for (int i = 0; i < 6; ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | others[i].style;
        int x = 10 + (i % 2) * 165, y = 130 + (i / 2) * 30;
        HWND f = i == 3 ? CreateWindowA("ThunderRT6TextBox", "", style, x, y, 155, 22, hMain, (HMENU)13, hInst, NULL)
                        : CreateWindowW(others[i].cls, others[i].text, style, x, y, 155, 22, hMain,
                                        (HMENU)(INT_PTR)(10 + i), hInst, NULL);
        if (i == 5)
            SendMessageW(f, EM_SETPASSWORDCHAR, '*', 0);
        LogKeysOf(f);
    }
    HWND e1 = CreateWindowA("Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                            10, 10, 320, 22, hMain, (HMENU)1, hInst, NULL);
    HWND e2 = CreateWindowA("Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                            10, 40, 320, 22, hMain, (HMENU)2, hInst, NULL);
    CreateWindowA("Button", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 70, 80, 24,
                  hMain, (HMENU)3, hInst, NULL);
    hLog = CreateWindowA("Static", "", WS_CHILD, 0, 0, 0, 0, hMain, (HMENU)4, hInst, NULL);
    hMenuText = CreateWindowA("Static", "", WS_CHILD, 0, 0, 0, 0, hMain, (HMENU)5, hInst, NULL);
    HWND e6 = CreateWindowW(L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                            10, 100, 320, 22, hMain, (HMENU)6, hInst, NULL);
    for (HWND f : {e1, e2, e6})
        LogKeysOf(f);
    SetForegroundWindow(hMain);
    SetFocus(e1);

    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        if (!IsDialogMessageA(hMain, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return 0;
}
