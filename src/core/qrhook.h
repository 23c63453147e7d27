// QRHook: the library's exported functions and variables, and the internal
// entry points that one module calls in another.
#pragma once

#include <windows.h>

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
QR_EXTERN_C EVENTMSG SysEvent[1024];
QR_EXTERN_C int bIconAnimation;
QR_EXTERN_C int iDlgContextID;
QR_EXTERN_C int iZure;
QR_EXTERN_C char chCtrlShift[28];
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
QR_EXTERN_C char chAlias[32][128];
QR_EXTERN_C int iGetIndex;
QR_EXTERN_C int iSetIndex;
QR_EXTERN_C char chHist[32][256];
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
QR_EXTERN_C WCHAR wchHist[32][256];
QR_EXTERN_C WCHAR wchAlias[32][128];
QR_EXTERN_C char chIniPath[260];

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

// ---------------------------------------------------------------------------
// The block's initial values (core/shared_block.cpp): written once, by the
// first process that maps the library.  Each module with non-zero initial
// values of its own sets them in its function.
void SetBlockInitialValues(void);
void WindowActionsInitialValues(void);
void SystemActionsInitialValues(void);
void FileDialogInitialValues(void);

// ---------------------------------------------------------------------------
// Host link (core/host_link.cpp).
#define QR_HOST_CLASS "Quillrun"
enum HostMessage {
    HM_HOTKEY = 9782,      // wParam: virtual key of the hot key
    HM_HISTORY_ON = 1554,  // non-zero: the history service is on
    HM_POINTER_JUMP = 10869,  // non-zero: the pointer may jump / return
    HM_HOST_P = 1081,      // Ctrl+Shift+P
    HM_RESET = 23907,      // MySetReset
    HM_MACRO = 15015,      // wParam: VK_F6, F9 or F12; lParam 1: the journal hook was refused
};
HWND FindHostWindow(void);
// How long a host message waits for the host's answer, in milliseconds.
#define kHostAnswerLimitMs 300
LRESULT SendHostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
// The same bound for a message to another window of the host's.
LRESULT SendToHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The same, telling an answer of 0 from none: returns 0 (and *answer 0) when
// the window did not answer in time or is no window.
// wide: the message goes as a W message (its text in UTF-16).
int AskHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* answer,
                  int wide = 0);

// The settings file every part of the library uses (core/settings.cpp): the
// path the host chose, else the name alone (the Windows folder).
void SettingsFile(char* out, size_t size);

// ---------------------------------------------------------------------------
// Keyboard hook helpers (hotkeys/).
extern "C" int StrCmpIMy(const char* a, const char* b);
extern "C" char chKeyHookBuf[80];

// Actions of the command table that live in other modules.  Each runs on the
// key-down of its Ctrl+Shift key inside DllKeyHook.
void ActCloseWindowUnderPointer(void);       // Space
void ActPointerToScreenCentre(void);         // Left
void ActToggleIconAnimation(void);           // Insert
void ActToggleHostWindow(void);              // Delete
void ActUnderPointerToBottom(void);          // 0
void ActDisableWindowUnderPointer(void);     // 7
void ActEnableDisabledWindow(void);          // 8
void ActUnderPointerTopmost(void);           // 9
void ActRaiseZure(void);                     // B
void ActLowerZure(void);                     // V
void ActRaiseAida(void);                     // E
void ActLowerAida(void);                     // D
void ActToggleStyle(int kind);               // C F G H L O T
void ActSysCommandToAll(WPARAM command);     // I J N U
void ActArrangeIcons(void);                  // K
void ActListBoxExtentUnderPointer(void);     // F2
void ActListViewFullRowUnderPointer(void);   // F3
void ActResetFontUnderPointer(void);         // F8
void ActShutDown(void);                      // Q
void ActLogOff(void);                        // R
void ActRestart(void);                       // Y
void ActToggleScreenSaver(void);             // F4
void ActStartScreenSaver(void);              // F7
void ActToggleKeyboardLock(void);            // W
void ActToggleRecording(void);               // F6
void ActStartPlayback(int atOnce);           // F9 (0), F12 (1)

// ---------------------------------------------------------------------------
// Edit-line services (editline/): the field the services act on.
int IsEditClass(const char* className);
// hwnd is a single-line field of a known edit class; its class name is read
// into classBuf (limit bytes, terminator included).
int IsRecognisedField(HWND hwnd, char* classBuf, int limit);

// ---------------------------------------------------------------------------
// Pointer follows focus (focus/): the plain rules behind the CBT hook.
int ClassHasBosaPrefix(const char* name);   // "bosa_" prefix, case ignored
int JumpClassListed(const char* name);      // the pointer may jump to this class
int ButtonEditListed(const char* name);     // buttons and edit fields only
// The frame band of a frame window's rectangle (bounds included).
int FrameBandHit(RECT r, POINT p, int fx, int fy, int menu, int caption);
// A return is still in time: elapsed ticks since the jump, wrapped, below window.
int ReturnStillInTime(int jumpTick, int nowTick, int window);
int PointWithin(POINT a, POINT b, int tolerance);  // per axis, bound included
POINT RectCentre(RECT r);
