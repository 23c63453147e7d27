// The host's options and its part of the settings file: plain functions over
// a record and over the history and alias tables, so that they can be tested
// without a window.
#pragma once

#include <windows.h>

#include "core/contract.h"

#define QR_HIST_SLOTS 32
#define QR_HIST_TEXT 256
#define QR_ALIAS_TEXT 128

struct HostOptions {
    int history;         // answer to host message 1554
    int pointerJump;     // answer to host message 10869
    int alias;           // bIsAlias
    int hokan;           // bIsHokan
    int ctrlShift;       // bCtrlShift
    int heropa;          // bHeropa
    int saveHistory;     // bIsHistory
    int buttonEditOnly;  // bButtonEditOnly
    int zure;            // iZure
    int aida;            // lAida
    int cursorChange;    // bCursorChange
    int cursorIndex;     // iSelCursorIndex
    char ctrlShiftKeys[28];  // chCtrlShift: one '0' or '1' per letter A to Z
};

// One setting of the file: its key, where it lives in the record and its
// default.  The table is also what the README documents.
struct OptionKey {
    const char* key;
    int HostOptions::*field;
    int def;
};
extern const OptionKey kOptionKeys[];
extern const int kOptionKeyCount;
#define QR_KEY_CTRLSHIFT_KEYS "CtrlShiftKeys"
#define QR_KEY_HISTORY_NEXT "HistoryNext"

void DefaultOptions(HostOptions* o);

// Makes a per-letter switch string of exactly 26 characters from what the
// settings file holds: '0' stays '0', every other character and every missing
// position becomes '1'.
void NormaliseLetterSwitches(const char* text, char out[28]);

// Settings keys of the history and alias slots, as the library writes them:
// the slot number plus one in lower-case hexadecimal ("1" to "20"), and
// "Alias-" followed by the same.  out must hold 16 bytes.
void HistoryKey(int slot, char* out, size_t size);
void AliasKey(int slot, char* out, size_t size);

// The slot the next history line goes into, after the ring was loaded from
// the settings file.  saved is the value the host wrote at its last exit (or
// -1): used when it lies in 0 to 31 and names an empty slot or the ring is
// full.  Otherwise the slot after the last non-empty one.
int NextHistorySlot(const char hist[QR_HIST_SLOTS][QR_HIST_TEXT], int saved);

// A cheap fingerprint of what the host saves from the shared tables: the text
// of every history and alias slot, in the code page and exactly (up to its
// terminator, units behind it do not count), and the ring's store slot.
// Equal tables give equal prints; a change of any saved text or of next
// gives another one.
unsigned long long TablesFingerprint(const char hist[QR_HIST_SLOTS][QR_HIST_TEXT],
                                     const char alias[QR_HIST_SLOTS][QR_ALIAS_TEXT],
                                     const WCHAR exactHist[QR_HIST_SLOTS][QR_HIST_TEXT],
                                     const WCHAR exactAlias[QR_HIST_SLOTS][QR_ALIAS_TEXT], int next);

// Step back once in the ring: 0 goes to 31.
int PreviousSlot(int slot);

// Writes "name = value" lines of the defined aliases into out (at most size
// units, always terminated); returns the number of aliases listed.  For the
// code-page table (char) or the exact one (WCHAR).
template <class C>
int FormatAliasList(const C alias[QR_HIST_SLOTS][QR_ALIAS_TEXT], C* out, size_t size);
// The alias table as the user wrote it: each entry's exact text while it is
// tied to its code-page entry, else the code-page entry's own text.
void ExactAliasTable(const char alias[QR_HIST_SLOTS][QR_ALIAS_TEXT],
                     const WCHAR exact[QR_HIST_SLOTS][QR_ALIAS_TEXT], WCHAR out[QR_HIST_SLOTS][QR_ALIAS_TEXT]);

// Text of the host's status line for a hot key the library forwarded.
void DescribeHotKey(WPARAM vk, int count, char* out, size_t size);

// Bytes of path up to and including its last backslash (0 when it has
// none), sought by characters of the system code page.
size_t FolderLength(const char* path);

// The library's path beside the program: program (a full file name) with
// the part after its last backslash replaced by "QRHook.dll".  The
// backslash is sought by characters of the system code page, so that a
// Japanese program name whose second byte is 0x5C keeps its folder.  0 when
// the result does not fit in size bytes.
int LibraryPathBeside(const char* program, char* out, size_t size);
