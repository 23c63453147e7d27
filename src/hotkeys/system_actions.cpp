// Shut-down, screen-saver, keyboard-lock and pointer-shape actions.  Only Mem
// is built yet (it does nothing by design).
#include "core/qrhook.h"

void WINAPI Mem(void) {}

int WINAPI ExitWindowsMy(UINT, DWORD) { return 0; }
void WINAPI SetMyCursor(LPCSTR) {}
BOOL WINAPI SetNewCursor(LPCSTR) { return FALSE; }
BOOL WINAPI ReSetMyCursor(void) { return FALSE; }

void ActShutDown(void) {}
void ActLogOff(void) {}
void ActRestart(void) {}
void ActToggleScreenSaver(void) {}
void ActStartScreenSaver(void) {}
void ActToggleKeyboardLock(void) {}
