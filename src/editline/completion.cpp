// File-name completion.  Not built yet: no key is consumed.
#include "core/qrhook.h"

int WINAPI FileHokan(int, WPARAM, LPARAM) { return 0; }
