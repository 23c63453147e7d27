// Edit-field recognition and the input-method probe.  Not built yet: the
// input method always counts as closed.
#include "core/qrhook.h"

WORD WINAPI IMEGetOpen(HWND) { return 0; }

int WINAPI FepEnable(void) { return 0; }
