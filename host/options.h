// The host's options: plain functions over a record and the options table,
// so that they can be tested without a window.
#pragma once

#include <windows.h>

#include "core/contract.h"
#include "qrlib.h"

// One option of the host: its settings key and default, its item in the
// Options menu (0: none), and the library's variable it drives (none: the
// host answers a host message with it).  Loading, saving, the check marks,
// toggling and Reset go over this table: a new option is a row here, and a
// menu item in the resource script where it has one.
struct HostOption {
    const char* key;
    int def;
    int menuId;
    int* QrLib::*libValue;
    int tunedByHotKeys;  // the hot keys change it in the library: read back before a save
    // Every value the host and the library may hold (what the menu, the
    // hot keys and Reset can make): a value outside comes from a damaged
    // file or a forged record, never from the user.
    int lo, hi;
};
extern const HostOption kHostOptions[];
extern const int kHostOptionCount;
#define QR_HOST_OPTIONS_MAX 24

struct HostOptions {
    int value[QR_HOST_OPTIONS_MAX];        // by row of kHostOptions
    char ctrlShiftKeys[QR_LETTER_SWITCHES];  // chCtrlShift: one '0' or '1' per letter A to Z
};
#define QR_KEY_CTRLSHIFT_KEYS "CtrlShiftKeys"

void DefaultOptions(HostOptions* o);
// Whether value lies in the range of the option of row.
int OptionValueValid(int row, int value);
// The value of the option of a menu item (0 for none).
int OptionOn(const HostOptions* o, int menuId);
// Every option the library reads, into its shared variables.
void ApplyOptions(const HostOptions* o, QrLib* lib);
// Options menu: turns the item's option over and hands it to the library
// (only that one: the values the hot keys tuned meanwhile stay); 0 when the
// item is no option.
int ToggleOption(HostOptions* o, QrLib* lib, int menuId);
void CheckOptionItems(const HostOptions* o, HMENU menu);
// The values the hot keys change in the library, back into the options.
void KeepTunedOptions(HostOptions* o, const QrLib* lib);

// Makes a per-letter switch string of exactly 26 characters from what the
// settings file holds: '0' stays '0', every other character and every missing
// position becomes '1'.
void NormaliseLetterSwitches(const char* text, char out[28]);
