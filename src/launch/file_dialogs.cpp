// File-open dialogs and command-line resolution.  Not built yet: the dialog
// counts as cancelled.
#include "core/qrhook.h"

int WINAPI DoFileOpenDlg(HINSTANCE, HWND, LPCSTR, LPCSTR, UINT, LPSTR, OFSTRUCT*) { return 0; }
