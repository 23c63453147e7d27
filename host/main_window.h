// The host's main window, of the class the library finds it by, with its
// three lines (state, last hot key, macro) laid out for the DPI of its
// screen; and the hidden completion dialog whose list the library fills.
#pragma once

#include <windows.h>

HWND CreateMainWindow(HINSTANCE hInst, WNDPROC proc);
// WM_DPICHANGED: to the suggested rectangle, the lines laid out anew.
void MainWindowDpiChanged(HWND hWnd, WPARAM wParam, LPARAM lParam);
// The completion dialog: created hidden and never shown.
HWND CreateCompletionDialog(HINSTANCE hInst, HWND owner);
