// What the shared blocks of the two widths hold in common on a 64-bit
// Windows: the history ring, the alias table and the values the host's
// options drive.  Each width's library has a block of its own (a shared
// section is shared only between processes of one width), so the 64-bit host
// and its 32-bit companion exchange these tables in WM_COPYDATA, which
// crosses widths.  The record has one layout at both widths: fixed-size
// fields only.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "core/contract.h"
#include "options.h"

// Values: one per row of the host's options table, then two that are no
// option: the Japanese desktop (the host's reading at start) and the
// keyboard lock (a hot key in any program switches it).
#define QR_PAIR_VALUE_JAPANESE QR_HOST_OPTIONS_MAX
#define QR_PAIR_VALUE_KBLOCK (QR_HOST_OPTIONS_MAX + 1)
#define QR_PAIR_VALUES (QR_HOST_OPTIONS_MAX + 2)

#pragma pack(push, 4)
struct PairTables {
    int32_t setIndex;  // the ring's next slot
    int32_t values[QR_PAIR_VALUES];
    char letterSwitches[QR_LETTER_SWITCHES];
    char iniPath[QR_INI_PATH];  // the host's alone: never taken from the companion
    WCHAR exactIniPath[QR_INI_PATH];  // likewise
    char hist[QR_RING_SLOTS][QR_HIST_TEXT];
    WCHAR exactHist[QR_RING_SLOTS][QR_HIST_TEXT];
    char alias[QR_RING_SLOTS][QR_ALIAS_TEXT];
    WCHAR exactAlias[QR_RING_SLOTS][QR_ALIAS_TEXT];
};
#pragma pack(pop)

// WM_COPYDATA kinds between the companion and the host.  The companion asks
// every tick: with its tables when they changed since the host's last ones
// (QR_PAIR_CHANGED), else with nothing (QR_PAIR_POLL); the host answers,
// within that call, with its tables (QR_PAIR_TABLES) when the companion's
// are not the same as its own.  One side asks, so the two never send to each
// other at once.
#define QR_PAIR_POLL 0x51525030
#define QR_PAIR_CHANGED 0x51525031
#define QR_PAIR_TABLES 0x51525032

// Applies to into what changed holds and base did not: history lines stored
// since base (in their order, after into's newest; a line equal to into's
// newest is not stored twice), alias slots written (where into wrote the same
// slot meanwhile, the other entry goes to a free slot, so neither is lost),
// values and letter switches changed.  Returns the number of lines added.
int MergePairChanges(PairTables* into, const PairTables* base, const PairTables* changed);

// The slot of the newest line.
int PairNewestSlot(const PairTables* t);
