// The host's macro recorder and player, for systems without journal hooks.
// The library offers every macro hot key to the host (host message HM_MACRO).
// When the host takes it, low-level keyboard and mouse hooks in the host's
// thread record into the library's macro table, and SendInput plays the
// table back.  Records keep the layout the journal hooks use, so a recording
// made either way plays back either way.
//
// Plain functions over records and inputs, and the engine around them; the
// host window's timers and the setting are in macro.cpp.  Everything runs in
// the host's thread: its requests, its timers and its low-level hooks (which
// the platform calls in the thread that installed them).  Builds on winsim
// too, for the unit tests.
#pragma once

#include "core/contract.h"

#include <windows.h>

#include <stddef.h>

// The library's shared variables the macro lives in.
struct MacroTable {
    EVENTMSG* events;  // SysEvent: 1024 records
    int* count;        // iEventCnt
    int* recording;    // bMacro
};

// A recording fills at most this many records; the one behind stays zero.
#define MACRO_RECORD_LIMIT QR_MACRO_LIMIT  // the library's: the last record stays empty
// dwExtraInfo of every event the player injects: the recorder and the stop
// key leave such events alone.
#define MACRO_INJECTED_MARK ((ULONG_PTR)0x51524D43)

// --- Records and inputs -----------------------------------------------------

// A low-level key event as the record hook would have seen it: the message,
// paramL the virtual key (Shift, Ctrl and Alt without their side) with the
// scan code and the key flags above it, paramH the repeat count with bit 15
// for an extended key.  wasDown: the key was down already (auto-repeat).
EVENTMSG RecordFromKey(WPARAM message, const KBDLLHOOKSTRUCT& key, int wasDown, HWND hwnd);
// A low-level mouse event as a record (the screen position in paramL and
// paramH).  0 for events the record has no room for (wheel, X buttons).
int RecordFromMouse(WPARAM message, const MSLLHOOKSTRUCT& mouse, HWND hwnd, EVENTMSG* out);
// The input that plays a record back, marked as the player's own; a mouse
// position in normalised coordinates of the virtual screen.  0 for a record
// that is no input (the zero record, other messages).
int InputFromRecord(const EVENTMSG& record, RECT virtualScreen, INPUT* out);
// An event the player injected itself.
int IsOwnInput(DWORD flags, DWORD injectedFlag, ULONG_PTR extraInfo);
// Records before the first whose time is 0 (at most the limit).
int StoredRecords(const EVENTMSG* events);

// --- The engine -------------------------------------------------------------

// wake is called when the player needs a step soon (a playback started or
// ended); it may be NULL.
void MacroEngineStart(const MacroTable& table, HINSTANCE inst, void (*wake)(void));
// Removes the hooks, ends a recording (bMacro to 0) and a playback (keys the
// playback holds are released at once) and forgets the table.
void MacroEngineEnd(void);
// The library's request for hot key vk (VK_F6, VK_F9, VK_F12).  Taken (1)
// when lowLevel is 1 or the library's journal hook was refused.  Every
// playback request first ends a playback the host runs.
LRESULT MacroEngineRequest(WPARAM vk, LPARAM journalRefused, int lowLevel);
// Plays what is due: milliseconds until the next step (0: at once), or -1
// when no playback runs (after releasing what an ended playback held).
int MacroEnginePlayStep(void);
int MacroEnginePlaying(void);

// --- The host's choices and texts -------------------------------------------

// Low-level hooks are the default from Windows 11 (build 22000) on and
// under Wine.
int SystemPrefersLowLevelHooks(DWORD build, int onWine);
// "Macro: recording, 12 events stored" and the like, for the host window and
// its tray tooltip.  index: iEventCnt (the records stored while recording,
// the record being played while playing).
void FormatMacroState(int recording, int playing, int index, int stored, char* out, size_t size);
