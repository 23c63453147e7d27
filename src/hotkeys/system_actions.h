// Helpers of the shut-down, screen-saver, lock and pointer actions.
#pragma once

// The host cursor named by an index of the cursor table, NULL outside it.
const char* CursorNameAt(int index);
int CursorNameCount(void);
// Appends " /S" to the screen-saver command in buf (size bytes); 0, with buf
// unchanged, when the result would not fit.
int AppendScreenSaverSwitch(char* buf, int size);
