// The history ring and the alias table as the settings file holds them, for
// the library (its saves) and the host (its load and its save) alike:
//   [Quillrun]       1 ... 20 = a history slot's code-page text (the key is
//                    the slot plus one in lower-case hexadecimal),
//                    Alias-1 ... Alias-20 = an alias slot's,
//                    HistoryNext = the ring's store slot (the host's only);
//   [Quillrun-UTF8]  the same keys: a slot's exact text, only where the
//                    code-page text does not give it back (core/text.h).
#pragma once

#include <windows.h>

#include <stddef.h>

#include "core/contract.h"
#include "core/profile.h"

#define QR_KEY_HISTORY_NEXT "HistoryNext"

// The tables, wherever they lie (the shared block, the host's binding of it).
struct SettingsTables {
    char (*hist)[QR_HIST_TEXT];
    WCHAR (*exactHist)[QR_HIST_TEXT];
    char (*alias)[QR_ALIAS_TEXT];
    WCHAR (*exactAlias)[QR_ALIAS_TEXT];
};

// The key of a ring slot: prefix ("" or QR_ALIAS_KEY_PREFIX) and the slot
// number plus 1 in lower-case hexadecimal.  out holds at least 16 bytes.
void SlotKeyName(char* out, size_t size, const char* prefix, int slot);

// A slot's text as a settings value: at most size - 1 bytes, CR and LF
// turned into spaces so that the line cannot split in the file, and enclosed
// in double quotes where the profile reader would otherwise drop blanks at
// its ends or the quotes around it (room for the two quotes is needed: a
// buffer two bytes larger than the slot).
void ProfileSafeCopy(char* dst, size_t size, const char* src, size_t srcMax);

// Writes the history (history 1) and the aliases (aliases 1), both forms of
// every slot.  The slots may change under it (any process writes the
// block): each is read once, into the call's own buffers.
void SaveSettingsTables(const ProfilePath* file, const SettingsTables* t, int history, int aliases);
// The store slot, written after the tables: its answer tells whether the
// file took them (the platform's writes of the slots say nothing).
int SaveStoreSlot(const ProfilePath* file, int slot);

// Fills both tables from the file (a slot it lacks is empty) and returns the
// ring's store slot (NextHistorySlot of the value saved).
int LoadSettingsTables(const ProfilePath* file, const SettingsTables* t);

// The slot the next history line goes into, after the ring was loaded from
// the settings file.  saved is the value the host wrote at its last exit (or
// -1): used when it lies in 0 to 31 and names an empty slot or the ring is
// full.  Otherwise the slot after the last non-empty one.
int NextHistorySlot(const char hist[QR_RING_SLOTS][QR_HIST_TEXT], int saved);
