// Relabelling of Japanese system-menu items.  Not built yet.
#include "core/qrhook.h"

void WINAPI ChangeDefMenu(HWND) {}
