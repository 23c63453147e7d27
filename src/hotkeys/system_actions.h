// The shut-down, screen-saver, lock and pointer actions of the Ctrl+Shift
// command table, and their plain helpers.
#pragma once

void ActShutDown(void);            // Q
void ActLogOff(void);              // R
void ActRestart(void);             // Y
void ActToggleScreenSaver(void);   // F4
void ActStartScreenSaver(void);    // F7
void ActToggleKeyboardLock(void);  // W

// The host cursor named by an index of the cursor table, NULL outside it.
const char* CursorNameAt(int index);
int CursorNameCount(void);
// Appends " /S" to the screen-saver command in buf (size bytes); 0, with buf
// unchanged, when the result would not fit.
int AppendScreenSaverSwitch(char* buf, int size);
