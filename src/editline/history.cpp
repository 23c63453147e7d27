// The history ring.  Not built yet: no key is consumed and nothing is saved.
#include "core/qrhook.h"

int WINAPI Hist(int, WPARAM, LPARAM) { return 0; }

void WINAPI HistryAndAliasSave(void) {}
