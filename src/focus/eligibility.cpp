// Which focused controls the pointer may jump to.  Not built yet: none.
#include "core/qrhook.h"

int WINAPI IsMove(HWND) { return 0; }

int WINAPI IsTobanai(HWND) { return 0; }
