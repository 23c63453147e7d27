// File-open dialogs for the host: its own "FileOpen" dialog driven by the
// procedure below, or the platform's common dialog followed by the
// resolution of the chosen path into a command line.
#include "core/qrhook.h"

#include <commdlg.h>
#include <stddef.h>
#include <string.h>

#include "core/text.h"
#include "launch/launch.h"
#include "core/host_link.h"

// The custom dialog: the pattern, extension and listing attributes its
// caller gave (empty before the first dialog).
static char chDlgFileSpec[16] QR_SHARED = "";
static char chDlgDefExt[8] QR_SHARED = "";
static WORD wDlgDirAttr QR_SHARED = 0;
static OFSTRUCT* lpDlgOfStruct QR_SHARED = NULL;
static char chDlgFileName[96] QR_SHARED = "";

// The common dialog.
static OPENFILENAMEA ofnFileOpen QR_SHARED = {};
static char chOfnFile[1024] QR_SHARED = "";
static char chOfnFileTitle[1024] QR_SHARED = "";

// The resolution of a chosen path.
static OFSTRUCT ofResolve QR_SHARED = {};

enum {
    IDC_FILE_NAME = QR_FILEOPEN_NAME_ID,
    IDC_DIRECTORY = QR_FILEOPEN_DIR_ID,
    IDC_FILE_LIST = QR_FILEOPEN_LIST_ID,
};
static const int kHelpContextFileOpen = 600;

// The record in the size the first 32-bit versions of the dialog knew: up to
// and including lpTemplateName (76 bytes on 32-bit Windows).
static const DWORD kOpenFileNameSize =
    (DWORD)(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));
#if defined(__i386__)
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the 32-bit open-file record is 76 bytes");
#endif

// Label and pattern pairs; the labels are Shift-JIS text.
static const char kFilter[] =
    "\x8E\xC0\x8D\x73\x83\x74\x83\x40\x83\x43\x83\x8B(*.Exe)" "\0" "*.Exe\0"
    "\x91\x53\x83\x74\x83\x40\x83\x43\x83\x8B(*.*)" "\0" "*.*\0"
    "\x83\x77\x83\x8B\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B(*.Hlp)" "\0" "*.Hlp\0"
    "\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B(*.Txt)" "\0" "*.Txt\0"
    "\x82\x68\x82\x8E\x82\x89\x83\x74\x83\x40\x83\x43\x83\x8B(*.Ini)" "\0" "*.Ini\0"
    "\x83\x68\x83\x4C\x83\x85\x83\x81\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B(*.Doc)" "\0" "*.Doc\0"
    "\x82\x62\x83\x5C\x81\x5B\x83\x58\x83\x74\x83\x40\x83\x43\x83\x8B(*.C)" "\0" "*.C\0"
    "\x83\x77\x83\x62\x83\x5F\x83\x74\x83\x40\x83\x43\x83\x8B(*.H)" "\0" "*.H\0"
    "\x83\x8A\x83\x5C\x81\x5B\x83\x58\x83\x74\x83\x40\x83\x43\x83\x8B(*.Rc)" "\0" "*.Rc\0"
    "\x83\x5F\x83\x43\x83\x41\x83\x8D\x83\x4F\x83\x74\x83\x40\x83\x43\x83\x8B(*.Dlg)" "\0" "*.Dlg\0"
    "\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B(*.Bmp)" "\0" "*.Bmp\0"
    "\x82\x69\x82\x6F\x82\x64\x82\x66\x83\x74\x83\x40\x83\x43\x83\x8B(*.Jpg)" "\0" "*.Jpg\0"
    "\x82\x66\x82\x68\x82\x65\x83\x74\x83\x40\x83\x43\x83\x8B(*.Gif)" "\0" "*.Gif\0"
    "\x82\x76\x82\x81\x82\x96\x83\x74\x83\x40\x83\x43\x83\x8B(*.Wav)" "\0" "*.Wav\0"
    "\x82\x6C\x82\x68\x82\x63\x82\x68\x83\x74\x83\x40\x83\x43\x83\x8B(*.Mid)" "\0" "*.Mid\0"
    ;

// "Run any program", in Shift-JIS.
static const char kTitle[] = "\x94\x43\x88\xD3\x82\xCC\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8E\xC0\x8D\x73";

static int ContainsBlank(const char* text) { return FindChar(text, ' ') >= 0; }

// Centres a window on the desktop, keeping its size and z-order.
static void CentreOnDesktop(HWND hwnd)
{
    RECT desk = {0, 0, 0, 0}, r = {0, 0, 0, 0};
    GetWindowRect(GetDesktopWindow(), &desk);
    GetWindowRect(hwnd, &r);
    int x = (desk.right - (r.right - r.left)) / 2;
    int y = (desk.bottom - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// ---------------------------------------------------------------------------
// Resolution of a chosen path: the whole path when the program part names an
// existing file, else the part behind the last backslash before the first
// blank, so that the shell searches for the program itself.

static int FileExistsMy(const char* path)
{
    return OpenFile(path, &ofResolve, OF_EXIST) != HFILE_ERROR;
}

// The copies are the call's own: the offsets found in one are used in the
// other, and any process may write the shared block meanwhile.
int ResolveCommandLine(const char* path, char* dest, int destSize, FileExistsFn exists)
{
    char chResolveCopy[1024], chResolveWork[1024];
    if (!CopyIfFits(chResolveCopy, sizeof chResolveCopy, path))
        return 0;
    // A picked file whose folder holds a blank ("C:\Program Files\...") is
    // the whole path: cut at the blank it would name nothing.
    if (ContainsBlank(chResolveCopy) && exists(chResolveCopy))
        return CopyIfFits(dest, (size_t)destSize, chResolveCopy);
    // The program part ends at the first blank; its name after its last
    // backslash.
    int lastSlash = -1;
    size_t n = 0;
    for (size_t step; chResolveCopy[n] != ' ' && (step = CharSize(chResolveCopy + n)) != 0; n += step)
        if (step == 1 && chResolveCopy[n] == '\\')
            lastSlash = (int)n;
    if (chResolveCopy[n] != ' ') {
        // No parameters: a name that exists with ".Exe" added counts as found.
        // An extension is a dot among the last four characters (of a
        // Japanese name, up to eight bytes).
        CopyIfFits(chResolveWork, sizeof chResolveWork, chResolveCopy);
        int len = lstrlenA(chResolveWork);
        size_t lastFour = LastChars(chResolveWork, (size_t)len, 4);
        int hasExtension = FindChar(chResolveWork + lastFour, '.') >= 0;
        int testable = hasExtension || AppendIfFits(chResolveWork, sizeof chResolveWork, ".Exe");
        if (testable && exists(chResolveWork))
            lastSlash = -1;
    }
    memcpy(chResolveWork, chResolveCopy, n);
    chResolveWork[n] = 0;
    const char* result = exists(chResolveWork) ? chResolveCopy : chResolveCopy + (lastSlash + 1);
    return CopyIfFits(dest, (size_t)destSize, result);
}

// ---------------------------------------------------------------------------
// The common dialog.

static UINT_PTR CALLBACK CentreHookProc(HWND hDlg, UINT msg, WPARAM, LPARAM)
{
    if (msg != WM_INITDIALOG)
        return 0;
    CentreOnDesktop(hDlg);
    ShowWindow(hDlg, SW_SHOW);
    SetForegroundWindow(hDlg);
    SetForegroundWindow(FindHostWindow());
    return 1;
}

static int RunCommonDialog(HWND hOwner, int withHook, OFSTRUCT* ofs)
{
    memset(&ofnFileOpen, 0, sizeof ofnFileOpen);
    chOfnFile[0] = 0;
    chOfnFileTitle[0] = 0;
    ofnFileOpen.lStructSize = kOpenFileNameSize;
    ofnFileOpen.hwndOwner = hOwner;
    ofnFileOpen.lpstrFilter = kFilter;
    ofnFileOpen.nFilterIndex = 1;
    ofnFileOpen.lpstrFile = chOfnFile;
    ofnFileOpen.nMaxFile = sizeof chOfnFile - 1;
    ofnFileOpen.lpstrFileTitle = chOfnFileTitle;
    ofnFileOpen.nMaxFileTitle = sizeof chOfnFileTitle - 1;
    ofnFileOpen.lpstrTitle = kTitle;
    ofnFileOpen.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (withHook) {
        ofnFileOpen.Flags |= OFN_ENABLEHOOK;
        ofnFileOpen.lpfnHook = CentreHookProc;
    }
    SetForegroundWindow(FindHostWindow());
    if (!GetOpenFileNameA(&ofnFileOpen))
        return 0;
    chOfnFile[sizeof chOfnFile - 1] = 0;
    // A command line longer than the record's path field is refused rather
    // than handed over cut short.
    if (!ofs || !ResolveCommandLine(chOfnFile, ofs->szPathName, sizeof ofs->szPathName, FileExistsMy)) {
        MessageBeep(0);
        return 0;
    }
    if (GetProfileIMy(QR_SETTINGS_SECTION, QR_KEY_EXEC_DIALOG_CHECK, 0) == 1)
        MessageBoxA(hWndHost, ofs->szPathName, "Command Line", MB_OK);
    return 1;
}

// ---------------------------------------------------------------------------
// The custom dialog.

static void ListIntoDialog(HWND hDlg, char* text)
{
    DlgDirListA(hDlg, text, IDC_FILE_LIST, IDC_DIRECTORY, wDlgDirAttr);
}

// A listing succeeded: its pattern becomes the dialog's pattern (a pattern
// too long for it is refused with a beep) and goes into the edit field.
static void AdoptPattern(HWND hDlg, const char* pattern)
{
    if (!CopyIfFits(chDlgFileSpec, sizeof chDlgFileSpec, pattern))
        MessageBeep(0);
    SetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileSpec);
}

static void AcceptDialog(HWND hDlg)
{
    EndDialog(hDlg, 1);
    bDlg = 0;
}

static void FileOpenOk(HWND hDlg)
{
    GetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileName, 80);

    // A command line with parameters is taken as it stands.
    if (ContainsBlank(chDlgFileName)) {
        if (lpDlgOfStruct)
            CopyIfFits(lpDlgOfStruct->szPathName, sizeof lpDlgOfStruct->szPathName, chDlgFileName);
        AcceptDialog(hDlg);
        return;
    }

    // A directory or drive: list it with the current pattern.
    int len = lstrlenA(chDlgFileName);
    char last = chDlgFileName[LastChars(chDlgFileName, (size_t)len, 1)];
    if (last == '\\' || last == ':') {
        if (!AppendIfFits(chDlgFileName, sizeof chDlgFileName, chDlgFileSpec)) {
            MessageBeep(0);
            return;
        }
    }

    // A pattern: list it and keep it.
    if (FindChar(chDlgFileName, '*') >= 0 || FindChar(chDlgFileName, '?') >= 0) {
        if (DlgDirListA(hDlg, chDlgFileName, IDC_FILE_LIST, IDC_DIRECTORY, wDlgDirAttr))
            AdoptPattern(hDlg, chDlgFileName);
        else
            MessageBeep(0);
        return;
    }

    // A directory named without the backslash.
    if (AppendIfFits(chDlgFileName, sizeof chDlgFileName, "\\") &&
        AppendIfFits(chDlgFileName, sizeof chDlgFileName, chDlgFileSpec) &&
        DlgDirListA(hDlg, chDlgFileName, IDC_FILE_LIST, IDC_DIRECTORY, wDlgDirAttr)) {
        AdoptPattern(hDlg, chDlgFileName);
        return;
    }

    // A file, as typed or with the default extension.
    if (len >= 0 && (size_t)len < sizeof chDlgFileName)
        chDlgFileName[len] = 0;
    OFSTRUCT* ofs = lpDlgOfStruct;
    if (!ofs) {
        MessageBeep(0);
        return;
    }
    if (OpenFile(chDlgFileName, ofs, OF_EXIST) == HFILE_ERROR) {
        if (!AppendIfFits(chDlgFileName, sizeof chDlgFileName, chDlgDefExt) ||
            OpenFile(chDlgFileName, ofs, OF_EXIST) == HFILE_ERROR) {
            MessageBeep(0);
            return;
        }
    }
    ofs->szPathName[sizeof ofs->szPathName - 1] = 0;
    int slash = FindLastChar(ofs->szPathName, '\\');
    if (!CopyIfFits(chDlgFileName, sizeof chDlgFileName, ofs->szPathName + slash + 1)) {
        MessageBeep(0);
        return;
    }
    OemToCharA(chDlgFileName, chDlgFileName);
    AcceptDialog(hDlg);
}

static void FileListNotification(HWND hDlg, UINT notification)
{
    if (notification != LBN_SELCHANGE && notification != LBN_DBLCLK)
        return;
    BOOL isDirectory = DlgDirSelectExA(hDlg, chDlgFileName, sizeof chDlgFileName, IDC_FILE_LIST);
    chDlgFileName[sizeof chDlgFileName - 1] = 0;
    if (isDirectory && !AppendIfFits(chDlgFileName, sizeof chDlgFileName, chDlgFileSpec)) {
        MessageBeep(0);
        return;
    }
    if (notification == LBN_SELCHANGE) {
        SetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileName);
    } else if (isDirectory) {
        ListIntoDialog(hDlg, chDlgFileName);
        SetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileSpec);
    } else {
        SetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileName);
        SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
    }
}

static INT_PTR CALLBACK FileOpenDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        CentreOnDesktop(hDlg);
        ShowWindow(hDlg, SW_SHOW);
        SendDlgItemMessageA(hDlg, IDC_FILE_NAME, EM_LIMITTEXT, 80, 0);
        ListIntoDialog(hDlg, chDlgFileSpec);
        SetDlgItemTextA(hDlg, IDC_FILE_NAME, chDlgFileSpec);
        SetForegroundWindow(hDlg);
        return 1;
    }
    if (msg != WM_COMMAND)
        return 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        FileOpenOk(hDlg);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 0);
        bDlg = 0;
        break;
    case IDC_FILE_NAME:
        if (HIWORD(wParam) == EN_CHANGE) {
            LRESULT len = SendMessageA((HWND)lParam, WM_GETTEXTLENGTH, 0, 0);
            EnableWindow(GetDlgItem(hDlg, IDOK), len != 0);
        }
        break;
    case IDC_FILE_LIST:
        FileListNotification(hDlg, HIWORD(wParam));
        break;
    }
    return 0;
}

// A pattern or extension too long for its buffer is refused with a beep, as
// every other refusal of the dialogs: the last one stays, or before any the
// first dialog's usual one.
static void TakeDialogText(char* field, size_t size, const char* text, const char* usual)
{
    if (CopyIfFits(field, size, text))
        return;
    MessageBeep(0);
    if (field[0] == 0)
        CopyIfFits(field, size, usual);
}

int WINAPI DoFileOpenDlg(HINSTANCE hInst, HWND hOwner, LPCSTR fileSpec, LPCSTR defExt, UINT attributes,
                         LPSTR outName, OFSTRUCT* ofs)
{
    UINT kind = GetProfileIMy(QR_SETTINGS_SECTION, QR_KEY_KIND_OF_DIALOG, 0);
    if (kind == 1 || kind == 2) {
        int result = RunCommonDialog(hOwner, kind == 1, ofs);
        bDlg = 0;
        return result;
    }

    TakeDialogText(chDlgFileSpec, sizeof chDlgFileSpec, fileSpec, "*.Exe");
    TakeDialogText(chDlgDefExt, sizeof chDlgDefExt, defExt, ".Exe");
    wDlgDirAttr = (WORD)attributes;
    lpDlgOfStruct = ofs;
    iDlgContextID = kHelpContextFileOpen;
    INT_PTR result = DialogBoxParamA(hInst, "FileOpen", hOwner, FileOpenDlgProc, 0);
    // Read once, terminated: the length copied is the length of the copy.
    char name[sizeof chDlgFileName];
    CopyBounded(name, sizeof name, chDlgFileName, sizeof chDlgFileName);
    if (outName)
        memcpy(outName, name, strlen(name) + 1);
    iDlgContextID = 0;
    return (int)result;
}
