// What the library and the host must agree on, defined once for both sides
// (and for the tests): a change here changes both, and nothing can drift.
// The resource compiler reads this file too (the host's resource script):
// only plain definitions outside the RC_INVOKED block.
#pragma once

// --- The host window -------------------------------------------------------------

// The class the library finds the host window by, at every use.
#define QR_HOST_CLASS "Quillrun"

// Host messages: sent by the library (synchronously, from other programs'
// key strokes and focus changes) and answered by the host at once.
#define HM_HOTKEY 9782        // wParam: the hot key's virtual key; Ctrl+Shift+1..6, A, S, X, F11
#define HM_HISTORY_ON 1554    // answer non-zero while the history service is on
#define HM_POINTER_JUMP 10869 // answer non-zero while the pointer may jump (or return)
#define HM_HOST_P 1081        // Ctrl+Shift+P: the host shows its options
#define HM_RESET 23907        // MySetReset, Ctrl+Shift+Z: options back to their defaults
#define HM_MACRO 15015        // wParam: VK_F6, F9 or F12; lParam 1: the journal hook was refused
// WM_SYSCOMMAND posted to the host window by the word "Alias" alone and Tab.
#define QR_SYSCMD_ALIAS_LIST 11

// The host's completion dialog: the pattern line and the list box the
// library lists and reads.
#define QR_COMPLETION_PATTERN_ID 200
#define QR_COMPLETION_LIST_ID 202
// The host's dialog template "FileOpen", driven by the library's file dialog.
#define QR_FILEOPEN_NAME_ID 100
#define QR_FILEOPEN_DIR_ID 101
#define QR_FILEOPEN_LIST_ID 102

// --- The settings file ------------------------------------------------------------

// Its name (in the Windows folder, or in the user's folder the host chooses;
// the full path goes to the library in chIniPath) and its section.
#define QR_SETTINGS_FILE "Quillrun.Ini"
#define QR_SETTINGS_SECTION "Quillrun"
// The exact (UTF-16) text of history lines and aliases whose code-page form
// loses characters, in a section of its own under the same keys as the
// code-page text ("1" to "20", "Alias-1" to "Alias-20"), in the form of
// core/text.h (ExactToValue).  Readers that know only the code-page keys
// keep working.
#define QR_EXACT_SECTION "Quillrun-UTF8"
// Keys of a history slot ("" and the slot number plus one in lower-case
// hexadecimal) and of an alias slot (this prefix and the same).
#define QR_ALIAS_KEY_PREFIX "Alias-"
// Keys the library reads (the file dialogs) and the host writes.
#define QR_KEY_KIND_OF_DIALOG "KindOfDialogBox"
#define QR_KEY_EXEC_DIALOG_CHECK "ExecDialogCheck"

// --- Sizes of the shared tables ---------------------------------------------------

#define QR_RING_SLOTS 32     // history lines, and aliases
#define QR_HIST_TEXT 256     // a history line, terminator included
#define QR_ALIAS_TEXT 128    // an alias entry "name,value", terminator included
#define QR_INI_PATH 260      // chIniPath
#define QR_MACRO_RECORDS 1024  // SysEvent
#define QR_MACRO_LIMIT 1023    // events recorded at most (the last record stays empty)
#define QR_LETTER_SWITCHES 28  // chCtrlShift: 26 letters, terminator and a spare byte

// --- Initial values the host's defaults follow --------------------------------------

#define QR_INITIAL_ZURE 1024   // iZure, pixels
#define QR_INITIAL_AIDA 30000  // lAida, milliseconds
// The lowest values the hot keys leave: a step down is taken only from above
// 0 (iZure, by 10) and from above 1000 (lAida, by 1000).
#define QR_ZURE_FLOOR (-9)
#define QR_AIDA_FLOOR 1
// Pointer shapes the library knows by name (iSelCursorIndex picks one).
#define QR_CURSOR_NAMES 73
