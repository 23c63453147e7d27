// The host's side of the macro hot keys: the "MacroHooks" setting, the
// answer to the library's host message HM_MACRO, the playback timer, and the
// macro line of the host window.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "core/contract.h"
#include "qrlib.h"


// Binds the library's macro table, reads the setting and keeps the line
// lineId of the host window up to date; onChange (may be NULL) runs whenever
// that line changes.  Call once the window exists.
void MacroInit(HWND hWnd, int lineId, const QrLib* lib, void (*onChange)(void));
// Ends a recording or playback the host runs and removes its hooks.
void MacroEnd(void);

// The answer to host message HM_MACRO: 1 when the host has taken the action.
LRESULT MacroHostMessage(WPARAM vk, LPARAM journalRefused);

// The setting: 1 low-level hooks and SendInput, 0 journal hooks.
int MacroUsesLowLevel(void);
void MacroToggleSetting(void);   // Options item
void MacroDefaultSetting(void);  // back to the system's choice
int MacroSaveSetting(void);      // with the other options; 1 when written

// The macro state as one line ("Macro: recording, 12 events stored"), for
// the host window and the tray tooltip.
void MacroStateText(char* out, size_t size);
