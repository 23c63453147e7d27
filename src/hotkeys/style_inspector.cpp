// The window-style inspector.  Not built yet.
#include "core/qrhook.h"

void WINAPI StyleBitPrint(void) {}

int WINAPI PrtWindowStyle(LPCSTR, HWND) { return 0; }
