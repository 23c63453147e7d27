// Aliases.  Not built yet.
#include "core/qrhook.h"

void WINAPI Alias(int, WPARAM, LPARAM) {}
