// What the shared blocks of the two widths hold in common on a 64-bit
// Windows: the history ring, the alias table and the values the host's
// options drive.  Each width's library has a block of its own (a shared
// section is shared only between processes of one width), so the 64-bit host
// and its 32-bit companion exchange these tables in WM_COPYDATA, which
// crosses widths.  The record has one layout at both widths: fixed-size
// fields only.
//
// Any program on the desktop can find both windows and send them a record,
// and the window handle a sender puts in wParam is its own claim.  So every
// record begins with a secret the host draws from the system's random source
// for each start of its companion and gives it on the companion's command
// line (a program that may read that could as well write into either
// process), and every record is checked whole before anything in it is
// used: one that fails is dropped.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "core/contract.h"
#include "core/profile.h"
#include "options.h"

// Bytes of the secret; on the command line as twice as many hex digits.
#define QR_PAIR_SECRET 16

// Values: one per row of the host's options table, then two that are no
// option: the Japanese desktop (the host's reading at start) and the
// keyboard lock (a hot key in any program switches it).
#define QR_PAIR_VALUE_JAPANESE QR_HOST_OPTIONS_MAX
#define QR_PAIR_VALUE_KBLOCK (QR_HOST_OPTIONS_MAX + 1)
#define QR_PAIR_VALUES (QR_HOST_OPTIONS_MAX + 2)

#pragma pack(push, 4)
struct PairTables {
    unsigned char secret[QR_PAIR_SECRET];
    int32_t setIndex;  // the ring's next slot
    int32_t values[QR_PAIR_VALUES];
    char letterSwitches[QR_LETTER_SWITCHES];
    // The file the host chose, as it gave it to its library.  Neither side
    // takes it from a record (the companion has it from its command line): a
    // record naming another file is no record of this pair.
    char iniPath[QR_INI_PATH];
    WCHAR exactIniPath[QR_INI_PATH];
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
// other at once.  A poll holds the secret alone.
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

// Makes tables read from a block what the other side takes: the ring's next
// slot within the ring, every text terminated within its field (its last
// unit cleared where no terminator is), every value within its range (else
// its default), the letter switches as NormaliseLetterSwitches makes them,
// and settingsFile as the file.  Another program that loads the library may
// have written anything into the block: the pair must not stop over it.
void MakePairTablesValid(PairTables* t, const ProfilePath* settingsFile);

// Whether a WM_COPYDATA record (its dwData, lpData and cbData) is one the pair
// uses: a poll is exactly the secret; tables are of their size, carry the
// secret and are as MakePairTablesValid leaves them.  A record that fails is
// dropped whole.
int PairRecordValid(ULONG_PTR kind, const void* data, size_t size, const unsigned char secret[QR_PAIR_SECRET],
                    const ProfilePath* settingsFile);
