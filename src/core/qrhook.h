// QRHook: the library's exported functions and variables, the interface the
// host binds by name.  What one room of the library calls in another is
// declared in that room's own header.
#pragma once

#include <windows.h>

#include "core/contract.h"
#include "core/shared.h"

// ---------------------------------------------------------------------------
// Exported variables (the host binds them by name).  Defined in
// core/shared_block.cpp, in this order.
QR_EXTERN_C int bMeFocus;
QR_EXTERN_C int bRun2, bRun3, bRun4, bRun5, bRun6;
QR_EXTERN_C HOOKPROC hRMacroHook;
QR_EXTERN_C HHOOK hOldRMacroHook;
QR_EXTERN_C HOOKPROC hPMacroHook;
QR_EXTERN_C HHOOK hOldPMacroHook;
QR_EXTERN_C int bPlayBackFirst;
QR_EXTERN_C int iEventCnt;
QR_EXTERN_C EVENTMSG SysEvent[QR_MACRO_RECORDS];
QR_EXTERN_C int bIconAnimation;
QR_EXTERN_C int iDlgContextID;
QR_EXTERN_C int iZure;
QR_EXTERN_C char chCtrlShift[QR_LETTER_SWITCHES];
QR_EXTERN_C int bFocusMoveClick;
QR_EXTERN_C int iSelCursorIndex;
QR_EXTERN_C int bKBLock;
QR_EXTERN_C int bJapaneseEnv;
QR_EXTERN_C int bCtrlShift;
QR_EXTERN_C int bCursorChange;
QR_EXTERN_C int bDlg;
QR_EXTERN_C int lAida;
QR_EXTERN_C int bMacro;
QR_EXTERN_C int bIsHokan;
QR_EXTERN_C HWND hDlgFileList;
QR_EXTERN_C HWND hWndNowFocus;
QR_EXTERN_C char chClassName[64];
QR_EXTERN_C int bIsAlias;
QR_EXTERN_C char chAlias[QR_RING_SLOTS][QR_ALIAS_TEXT];
QR_EXTERN_C int iGetIndex;
QR_EXTERN_C int iSetIndex;
QR_EXTERN_C char chHist[QR_RING_SLOTS][QR_HIST_TEXT];
QR_EXTERN_C int bIsHistory;
QR_EXTERN_C HCURSOR hPreCursor;
QR_EXTERN_C HHOOK hCBTHook;
QR_EXTERN_C HHOOK hOldCBTHook;
QR_EXTERN_C int bButtonEditOnly;
QR_EXTERN_C HWND hWndOya;
QR_EXTERN_C POINT ptBeforeMove;
QR_EXTERN_C POINT ptAfterMove;
QR_EXTERN_C int lInterval;
QR_EXTERN_C int lMoved;
QR_EXTERN_C int bHeropa;
QR_EXTERN_C WCHAR wchHist[QR_RING_SLOTS][QR_HIST_TEXT];
QR_EXTERN_C WCHAR wchAlias[QR_RING_SLOTS][QR_ALIAS_TEXT];
QR_EXTERN_C char chIniPath[QR_INI_PATH];
QR_EXTERN_C WCHAR wchIniPath[QR_INI_PATH];
QR_EXTERN_C int bAnyEditField;

// Shared but not exported: the host link.
QR_EXTERN_C HINSTANCE hInstLib;
QR_EXTERN_C HWND hWndHost;
QR_EXTERN_C HINSTANCE hInstHost;
QR_EXTERN_C HHOOK hKeyHook;

// ---------------------------------------------------------------------------
// Exported functions.  All use the platform's standard calling convention;
// the export list maps each one to the name the host binds.
QR_EXTERN_C HINSTANCE WINAPI SethWndhInstance(HWND hWnd, HINSTANCE hInst);
QR_EXTERN_C int WINAPI SetMyHook(int, int);
QR_EXTERN_C int WINAPI SetMyCBTHook(int, int);
QR_EXTERN_C int WINAPI ResetMyHook(int, int);
QR_EXTERN_C LRESULT WINAPI MySetReset(void);
QR_EXTERN_C UINT WINAPI GetProfileIMy(LPCSTR section, LPCSTR key, int def);
QR_EXTERN_C BOOL WINAPI WriteProfileStriMy(LPCSTR section, LPCSTR key, LPCSTR value);
QR_EXTERN_C LRESULT CALLBACK DllKeyHook(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C int WINAPI SetWS(HWND hWnd, int kind, int on);
QR_EXTERN_C int WINAPI PrtWindowStyle(LPCSTR className, HWND hWnd);
QR_EXTERN_C void WINAPI StyleBitPrint(void);
QR_EXTERN_C int WINAPI ExitWindowsMy(UINT flags, DWORD reserved);
QR_EXTERN_C void WINAPI SetMyCursor(LPCSTR name);
QR_EXTERN_C BOOL WINAPI SetNewCursor(LPCSTR name);
QR_EXTERN_C BOOL WINAPI ReSetMyCursor(void);
QR_EXTERN_C void WINAPI Mem(void);
QR_EXTERN_C WORD WINAPI IMEGetOpen(HWND hWnd);
QR_EXTERN_C int WINAPI FepEnable(void);
QR_EXTERN_C int WINAPI Hist(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C void WINAPI HistryAndAliasSave(void);
QR_EXTERN_C void WINAPI Alias(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C int WINAPI FileHokan(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C LRESULT CALLBACK CBTHook(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C int WINAPI MoveMouseCursor(HWND hWnd);
QR_EXTERN_C int WINAPI IsBackNeeded(int tick, HWND hWnd);
QR_EXTERN_C int WINAPI IsMove(HWND hWnd);
QR_EXTERN_C int WINAPI IsTobanai(HWND hWnd);
QR_EXTERN_C void WINAPI ChangeDefMenu(HWND hWnd);
QR_EXTERN_C LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C LRESULT CALLBACK JournalPlayBackProc(int code, WPARAM wParam, LPARAM lParam);
QR_EXTERN_C void WINAPI ShellExec(int ignored, LPSTR commandLine);
QR_EXTERN_C int WINAPI DoFileOpenDlg(HINSTANCE hInst, HWND hOwner, LPCSTR fileSpec,
                                     LPCSTR defExt, UINT attributes, LPSTR outName,
                                     OFSTRUCT* ofs);
