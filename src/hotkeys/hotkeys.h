// Internal interface of the keyboard hook and its command table.
#pragma once

#include <windows.h>

// One entry of the Ctrl+Shift command table.
struct HotKeyCommand {
    UINT vk;                 // virtual-key code
    void (*run)(WPARAM vk);  // the action, run on the key-down
    int swallow;             // 1: the program never sees the key
};

// The entry for a virtual key, or NULL for a key without an entry.
const HotKeyCommand* FindHotKeyCommand(WPARAM vk);
// Number of entries and the entry at an index (for tests that walk the table).
int HotKeyCommandCount(void);
const HotKeyCommand* HotKeyCommandAt(int index);

// 1 after a Ctrl+Shift key-down reached the command table; the next key-up
// that passes the gate is swallowed and resets it.
extern "C" int bHotKeyDown;

// Builds the host's help-file path in chKeyHookBuf; 1 when the file exists.
int BuildHelpPath(OFSTRUCT* probe);
// Ctrl+Shift+F1: help at context 777 while the host window is in front.
void HelpOnHotKey(void);
