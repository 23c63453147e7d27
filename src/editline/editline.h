// Edit-line services: the plain text and table functions behind history,
// aliases and file-name completion.  They work on buffers handed to them and
// call the platform only to tell the lead bytes of the system code page
// (core/dbcs.h), so they can be driven alone (tests, fuzzing).  Text is
// stepped by characters: a double-byte character is never split, and its
// second byte is never taken for a separator.  The alias and completion
// functions serve both widths (core/text.h): code-page text (char) for an
// ANSI window's field, UTF-16 (WCHAR) for a Unicode window's, whose text the
// services keep exactly.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "core/contract.h"
#include "core/ring.h"
#include "core/text.h"

#define QR_ALIAS_NAME 32     // 31 bytes and the terminator
#define QR_LINE_TEXT 256

// --- The field the services act on -----------------------------------------

// One of the known single-line text field classes (ASCII case ignored).
int IsEditClass(const char* className);
// hwnd is a single-line text field the services serve: a known edit class,
// or while bAnyEditField is on an edit control under another class name or
// a rich edit control, neither of them a password field.  Its class name
// (at most limit - 1 bytes) is left in record unless that is NULL.  A
// service reads hWndNowFocus once and acts on that window alone.
int IsRecognisedField(HWND hwnd, char* record, int limit);

// --- The history ring --------------------------------------------------------

// Indexes are read as core/ring.h reads a slot, so no slot outside the ring
// is ever touched.
//
// Stores text as the newest line.  Returns the slot it wrote, or -1 for an
// empty text or one equal to the newest line (then neither index changes).
// The indexes lie in the shared block, where any process may write them at
// any moment: a caller uses the slot returned, never the index read again.
int HistRingStore(char ring[][QR_HIST_TEXT], int* setIndex, int* getIndex, const char* text);
// The store without the comparison: text goes into slot (the store slot as
// the caller read it, once), which becomes the recall cursor; the store slot
// steps on from it.  Returns the slot.
int HistRingPut(char ring[][QR_HIST_TEXT], int slot, int* setIndex, int* getIndex, const char* text);

// Browsing.  Each returns the slot to show, or -1 when there is none (the key
// then passes on), and moves the recall cursor and the last-key record.
int HistRingOlder(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key);
int HistRingNewer(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key);
// Every other key sends the recall cursor back to the newest line.
void HistRingRestart(int setIndex, int* getIndex);

// --- Aliases -----------------------------------------------------------------

// The entry that holds name, or -1.  An entry matches when its first comma
// stands right after as many characters as name has and those characters
// equal name, ASCII letters compared without regard to case.
template <class C> int AliasFind(C table[][QR_ALIAS_TEXT], const C* name);

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
// A definition in UTF-16 is refused like one too long for its entry when the
// entry's code-page form would not fit in the code-page table's entry.
template <class C>
int AliasRunLine(C table[][QR_ALIAS_TEXT], C* line, C* name, C* out, size_t outSize, int isTab);

// --- File-name completion ----------------------------------------------------

// Offset of the last word: the text after the last space or tab.
template <class C> size_t LastWordStart(const C* line);
// The wildcard a word is listed with: "*" when it holds a dot, "*.*" when
// not, NULL when it already holds '?' or '*'.
template <class C> const char* CompletionWildcard(const C* word);
// A directory entry "[name]" becomes "name" ("[..]" becomes "..").
template <class C> void StripDirectoryBrackets(C* entry);
// Replaces what follows the last space, tab or backslash (the whole line if
// there is none) by completion.  Returns 0 and keeps the line when the result
// would not fit in size units.
template <class C> int ReplaceLastName(C* line, size_t size, const C* completion);
