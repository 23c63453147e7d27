// Internal interface of the keyboard hook and its command table.
#pragma once

#include <windows.h>

// One entry of the Ctrl+Shift command table: its action, run on the
// key-down, is run() or runWith(arg).
struct HotKeyCommand {
    UINT vk;                      // virtual-key code
    void (*run)(void);
    void (*runWith)(WPARAM arg);
    WPARAM arg;
    int swallow;                  // 1: the program never sees the key
};
void RunHotKeyCommand(const HotKeyCommand* command);

// The entry for a virtual key, or NULL for a key without an entry.
const HotKeyCommand* FindHotKeyCommand(WPARAM vk);
// Number of entries and the entry at an index (for tests that walk the table).
int HotKeyCommandCount(void);
const HotKeyCommand* HotKeyCommandAt(int index);

// 1 after a Ctrl+Shift key-down reached the command table; the next key-up
// that passes the gate is swallowed and resets it.
extern "C" int bHotKeyDown;

// The keyboard hook's scratch text (80 bytes), also used by the window and
// system actions.
extern "C" char chKeyHookBuf[80];
// 0 when a and b are equal apart from the case of ASCII letters, else
// strcmp's answer on the upper-cased copies (each at most 1023 bytes).
extern "C" int StrCmpIMy(const char* a, const char* b);

// Builds the host's help-file path in chKeyHookBuf; 1 when the file exists.
int BuildHelpPath(OFSTRUCT* probe);
// Ctrl+Shift+F1: help at context 777 while the host window is in front.
void HelpOnHotKey(void);
