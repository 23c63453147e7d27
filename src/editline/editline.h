// Edit-line services: the plain text and table functions behind history,
// aliases and file-name completion.  They work on buffers handed to them and
// call the platform only to tell the lead bytes of the system code page
// (core/dbcs.h), so they can be driven alone (tests, fuzzing).  Text is
// stepped by characters: a double-byte character is never split, and its
// second byte is never taken for a separator.
#pragma once

#include <stddef.h>

#define QR_RING_SLOTS 32
#define QR_HIST_TEXT 256
#define QR_ALIAS_TEXT 128
#define QR_ALIAS_NAME 32     // 31 bytes and the terminator
#define QR_LINE_TEXT 256

// Copies at most size - 1 bytes of src (stopping at its terminator or after
// srcMax bytes, whichever comes first) and always terminates dst.  A
// double-byte character that does not fit whole is left out.
void CopyBounded(char* dst, size_t size, const char* src, size_t srcMax);

// --- The history ring --------------------------------------------------------

// Ring indexes: anything outside 0 to 31 (the host may write them) is read as
// 0, so no slot outside the ring is ever touched.
int RingIndex(int value);
int RingStepBack(int index);
int RingStepForward(int index);

// Stores text as the newest line.  Returns 1 when it was stored; 0 for an
// empty text or one equal to the newest line (then neither index changes).
int HistRingStore(char ring[][QR_HIST_TEXT], int* setIndex, int* getIndex, const char* text);

// Browsing.  Each returns the slot to show, or -1 when there is none (the key
// then passes on), and moves the recall cursor and the last-key record.
int HistRingOlder(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key);
int HistRingNewer(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key);
// Every other key sends the recall cursor back to the newest line.
void HistRingRestart(int setIndex, int* getIndex);

// The settings key of a slot: the slot number plus 1 in lower-case
// hexadecimal, after prefix ("" or "Alias-").  out holds at least 16 bytes.
void SlotKeyName(char* out, size_t size, const char* prefix, int slot);
// A slot's text as a settings value: at most size - 1 bytes, CR and LF
// turned into spaces so that the line cannot split in the file, and enclosed
// in double quotes where the profile reader would otherwise drop blanks at
// its ends or the quotes around it (room for the two quotes is needed: a
// buffer two bytes larger than the slot).
void ProfileSafeCopy(char* dst, size_t size, const char* src, size_t srcMax);

// --- Aliases -----------------------------------------------------------------

// The entry that holds name, or -1.  An entry matches when its first comma
// stands right after as many characters as name has and those characters
// equal name, ASCII letters compared without regard to case.
int AliasFind(char table[][QR_ALIAS_TEXT], const char* name);

// What a Tab or Enter line asks for.  line is changed in place (tabs become
// spaces, trailing spaces may go); name is scratch of QR_ALIAS_NAME bytes;
// out (outSize bytes) receives the expanded line when ALIAS_EXPANDED is set.
enum AliasOutcome {
    ALIAS_NONE = 0,
    ALIAS_EXPANDED = 1,   // set the field text to out
    ALIAS_SHOW_LIST = 2,  // tell the host to show the table
    ALIAS_BEEP = 4,       // the definition found no room
    ALIAS_DEFINED = 8,
    ALIAS_DELETED = 16,
};
int AliasRunLine(char table[][QR_ALIAS_TEXT], char* line, char* name, char* out,
                 size_t outSize, int isTab);

// --- File-name completion ----------------------------------------------------

// Offset of the last word: the text after the last space or tab.
size_t LastWordStart(const char* line);
// The wildcard a word is listed with: "*" when it holds a dot, "*.*" when
// not, NULL when it already holds '?' or '*'.
const char* CompletionWildcard(const char* word);
// Appends suffix when the result fits in size bytes; returns 0 (line kept)
// when it does not.
int AppendIfFits(char* line, size_t size, const char* suffix);
// A directory entry "[name]" becomes "name" ("[..]" becomes "..").
void StripDirectoryBrackets(char* entry);
// Replaces what follows the last space, tab or backslash (the whole line if
// there is none) by completion.  Returns 0 and keeps the line when the result
// would not fit in size bytes.
int ReplaceLastName(char* line, size_t size, const char* completion);
