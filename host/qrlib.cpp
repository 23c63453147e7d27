#include "qrlib.h"

#include "options.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

struct Binding {
    const char* name;
    size_t offset;  // of the pointer inside QrLib
};

#define BIND(field, name) {name, offsetof(QrLib, field)}
static const Binding kBindings[] = {
    BIND(SethWndhInstance, "SethWndhInstance"),
    BIND(SetMyHook, "_SetMyHook@8"),
    BIND(SetMyCBTHook, "_SetMyCBTHook@8"),
    BIND(ResetMyHook, "_ResetMyHook@8"),
    BIND(GetProfileIMy, "_GetProfileIMy@12"),
    BIND(WriteProfileStriMy, "_WriteProfileStriMy@12"),
    BIND(HistryAndAliasSave, "HistryAndAliasSave"),
    BIND(DoFileOpenDlg, "DoFileOpenDlg"),
    BIND(ShellExec, "ShellExec"),
    BIND(bIsAlias, "bIsAlias"),
    BIND(bIsHokan, "bIsHokan"),
    BIND(bCtrlShift, "bCtrlShift"),
    BIND(bHeropa, "bHeropa"),
    BIND(bIsHistory, "bIsHistory"),
    BIND(bButtonEditOnly, "bButtonEditOnly"),
    BIND(iZure, "iZure"),
    BIND(lAida, "lAida"),
    BIND(bCursorChange, "bCursorChange"),
    BIND(iSelCursorIndex, "iSelCursorIndex"),
    BIND(bJapaneseEnv, "bJapaneseEnv"),
    BIND(bDlg, "bDlg"),
    BIND(bKBLock, "bKBLock"),
    BIND(chCtrlShift, "chCtrlShift"),
    BIND(chHist, "chHist"),
    BIND(chAlias, "chAlias"),
    BIND(wchHist, "wchHist"),
    BIND(wchAlias, "wchAlias"),
    BIND(chIniPath, "chIniPath"),
    BIND(wchIniPath, "wchIniPath"),
    BIND(bAnyEditField, "bAnyEditField"),
    BIND(iGetIndex, "iGetIndex"),
    BIND(iSetIndex, "iSetIndex"),
    BIND(hDlgFileList, "hDlgFileList"),
    BIND(hPreCursor, "hPreCursor"),
    BIND(SysEvent, "SysEvent"),
    BIND(iEventCnt, "iEventCnt"),
    BIND(bMacro, "bMacro"),
    BIND(hOldPMacroHook, "hOldPMacroHook"),
};

// The program's folder is named exactly (a user's folder may hold letters
// the code page cannot write: its ANSI form names no folder at all).
int LoadQrLib(QrLib* lib, WCHAR* error, size_t errorSize)
{
    memset(lib, 0, sizeof *lib);
    WCHAR program[MAX_PATH];
    WCHAR path[MAX_PATH + 16];
    DWORD len = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || !FileBeside(program, QR_LIBRARY_FILE, path, MAX_PATH + 16)) {
        snwprintf(error, errorSize, L"The program's own folder cannot be read.");
        return 0;
    }
    lib->dll = LoadLibraryW(path);
    if (!lib->dll) {
        snwprintf(error, errorSize, L"%ls cannot be loaded (error %lu).", path, (unsigned long)GetLastError());
        return 0;
    }
    for (const Binding& b : kBindings) {
        FARPROC p = GetProcAddress(lib->dll, b.name);
        if (!p) {
            snwprintf(error, errorSize, L"QRHook.dll does not export %hs.", b.name);
            FreeLibrary(lib->dll);
            lib->dll = NULL;
            return 0;
        }
        memcpy((char*)lib + b.offset, &p, sizeof p);
    }
    return 1;
}
