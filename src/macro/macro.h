// The journal hooks' hot-key actions, run by the command table.
#pragma once

#include <windows.h>

void ActToggleRecording(void);      // Ctrl+Shift+F6
void ActStartPlayback(WPARAM atOnce);  // Ctrl+Shift+F9 (0), F12 (1)
