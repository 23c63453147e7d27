// Program launch with an error report.  Not built yet.
#include "core/qrhook.h"

void WINAPI ShellExec(int, LPSTR) {}
