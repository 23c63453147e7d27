// The link to the host window: found by its class at every use, and asked
// with a bound, so that a host that hangs never freezes the programs whose
// key strokes and focus changes ask it.
#pragma once

#include <windows.h>

#include "core/contract.h"

HWND FindHostWindow(void);
// How long a host message waits for the host's answer, in milliseconds.
#define kHostAnswerLimitMs 300
// A host message; no answer in time counts as 0.
LRESULT SendHostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
// The same bound for a message to another window of the host's.
LRESULT SendToHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The same, telling an answer of 0 from none: returns 0 (and *answer 0) when
// the window did not answer in time or is no window.  wide: the message goes
// as a W message (its text in UTF-16).  limitMs: the bound, where a message
// asks the host for more than an answer.
int AskHostWindow(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* answer,
                  int wide = 0, UINT limitMs = kHostAnswerLimitMs);

// The settings file every part of the library uses (core/settings.cpp): the
// path the host chose (chIniPath and wchIniPath), else the name alone (the
// Windows folder).
struct ProfilePath;
void SettingsFilePath(ProfilePath* path);
