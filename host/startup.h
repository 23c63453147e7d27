// The host's place among the programs that start with Windows.
#pragma once

#include <windows.h>

// Options > Start with Windows: the value "Quillrun" under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run holding the quoted path
// of the running program.
int StartupIsOn(void);
// Writes (on) or removes (off) the value; 1 when that worked.
int SetStartup(int on);
