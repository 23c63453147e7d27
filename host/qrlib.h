// The host's binding to QRHook.dll: loaded at run time from the host's own
// folder, every function and variable bound by its exported name.
#pragma once

#include <windows.h>

#include "core/contract.h"

struct QrLib {
    HMODULE dll;
    // Functions.
    HINSTANCE(WINAPI* SethWndhInstance)(HWND, HINSTANCE);
    int(WINAPI* SetMyHook)(int, int);
    int(WINAPI* SetMyCBTHook)(int, int);
    int(WINAPI* ResetMyHook)(int, int);
    UINT(WINAPI* GetProfileIMy)(LPCSTR, LPCSTR, int);
    BOOL(WINAPI* WriteProfileStriMy)(LPCSTR, LPCSTR, LPCSTR);
    void(WINAPI* HistryAndAliasSave)(void);
    int(WINAPI* DoFileOpenDlg)(HINSTANCE, HWND, LPCSTR, LPCSTR, UINT, LPSTR, OFSTRUCT*);
    void(WINAPI* ShellExec)(int, LPSTR);
    // Variables of the shared block.
    int* bIsAlias;
    int* bIsHokan;
    int* bCtrlShift;
    int* bHeropa;
    int* bIsHistory;
    int* bButtonEditOnly;
    int* iZure;
    int* lAida;
    int* bCursorChange;
    int* iSelCursorIndex;
    int* bJapaneseEnv;
    int* bDlg;
    int* bKBLock;
    char* chCtrlShift;  // QR_LETTER_SWITCHES bytes
    char (*chHist)[256];
    char (*chAlias)[128];
    WCHAR (*wchHist)[256];
    WCHAR (*wchAlias)[128];
    char* chIniPath;  // QR_INI_PATH bytes
    WCHAR* wchIniPath;  // QR_INI_PATH units
    int* bAnyEditField;
    int* iGetIndex;
    int* iSetIndex;
    HWND* hDlgFileList;
    HCURSOR* hPreCursor;
    EVENTMSG* SysEvent;  // QR_MACRO_RECORDS records
    int* iEventCnt;
    int* bMacro;
    HHOOK* hOldPMacroHook;
};

// Loads the library from the folder of the running program and binds every
// name above.  On failure returns 0 and names what is missing in error
// (errorSize units).
int LoadQrLib(QrLib* lib, WCHAR* error, size_t errorSize);
