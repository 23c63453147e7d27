// The host's options and its part of the settings file: plain functions over
// a record and over the history and alias tables, so that they can be tested
// without a window.
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

// A cheap fingerprint of what the host saves from the shared tables: the text
// of every history and alias slot, in the code page and exactly (up to its
// terminator, units behind it do not count), and the ring's store slot.
// Equal tables give equal prints; a change of any saved text or of next
// gives another one.
unsigned long long TablesFingerprint(const char hist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                                     const WCHAR exactHist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const WCHAR exactAlias[QR_RING_SLOTS][QR_ALIAS_TEXT], int next);

// The print of what the host saves from the library's tables.
unsigned long long LibraryTablesPrint(const QrLib* lib);
// Saves the tables with save (1: the file took everything) and then keeps,
// in *saved, their print from before the save: a change made while the save
// runs (a line stored in another program meanwhile) differs from it and is
// saved next time.  A save that failed keeps the old print.
int SaveTables(QrLib* lib, unsigned long long* saved, int (*save)(QrLib* lib));

// Writes "name = value" lines of the defined aliases into out (at most size
// units, always terminated); returns the number of aliases listed.  For the
// code-page table (char) or the exact one (WCHAR).
template <class C>
int FormatAliasList(const C alias[QR_RING_SLOTS][QR_ALIAS_TEXT], C* out, size_t size);
// The alias table as the user wrote it: each entry's exact text while it is
// tied to its code-page entry, else the code-page entry's own text.
void ExactAliasTable(const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                     const WCHAR exact[QR_RING_SLOTS][QR_ALIAS_TEXT], WCHAR out[QR_RING_SLOTS][QR_ALIAS_TEXT]);

// Text of the host's status line for a hot key the library forwarded.
void DescribeHotKey(WPARAM vk, int count, char* out, size_t size);
