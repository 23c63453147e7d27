// Plain text and table functions of the edit-line services: the history
// ring's store and recall, the alias table and its command lines, and the
// word handling of file-name completion.  Text is stepped by characters
// (core/text.h); the only other platform call is the code-page form of a
// UTF-16 alias definition.
#include "editline/editline.h"
#include "core/text.h"

#include <string.h>

// --- The history ring --------------------------------------------------------

int HistRingPut(char ring[][QR_HIST_TEXT], int slot, int* setIndex, int* getIndex, const char* text)
{
    slot = RingSlot(slot);
    memset(ring[slot], 0, QR_HIST_TEXT);
    CopyBounded(ring[slot], QR_HIST_TEXT, text, QR_HIST_TEXT - 1);
    *getIndex = slot;
    *setIndex = RingStep(slot, 1);
    return slot;
}

int HistRingStore(char ring[][QR_HIST_TEXT], int* setIndex, int* getIndex, const char* text)
{
    if (text[0] == 0)
        return -1;
    // The newest line may fill its slot without a terminator (the host can
    // write the ring): the comparison never reads past the slot.  The store
    // slot is read once: the line goes where it was compared.
    int slot = RingSlot(*setIndex);
    if (strncmp(text, ring[RingStep(slot, -1)], QR_HIST_TEXT) == 0)
        return -1;
    return HistRingPut(ring, slot, setIndex, getIndex, text);
}

static int IsNewerKey(int key) { return key == 40 || key == 88; }
static int IsOlderKey(int key) { return key == 38 || key == 69; }

int HistRingOlder(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key)
{
    int index = RingSlot(*getIndex);
    int turned = IsNewerKey(*lastKey);
    if (turned)
        index = RingStep(index, -1);
    if (ring[index][0] == 0) {
        *getIndex = turned ? RingStep(index, 1) : index;
        return -1;
    }
    *getIndex = RingStep(index, -1);
    *lastKey = key;
    return index;
}

int HistRingNewer(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key)
{
    int index = RingSlot(*getIndex);
    int turned = IsOlderKey(*lastKey);
    if (turned)
        index = RingStep(index, 1);
    index = RingStep(index, 1);
    if (ring[index][0] == 0) {
        index = RingStep(index, -1);
        *getIndex = turned ? RingStep(index, -1) : index;
        return -1;
    }
    *getIndex = index;
    *lastKey = key;
    return index;
}

void HistRingRestart(int setIndex, int* getIndex)
{
    *getIndex = RingStep(setIndex, -1);
}

// --- Aliases -----------------------------------------------------------------

// Position of the entry's first comma, or -1; never reads past the entry.
template <class C> static int CommaAt(const C* entry)
{
    for (int i = 0; i < QR_ALIAS_TEXT && entry[i]; ++i)
        if (entry[i] == ',')
            return i;
    return -1;
}

template <class C> int AliasFind(C table[][QR_ALIAS_TEXT], const C* name)
{
    size_t n = TextLength(name);
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        int comma = CommaAt(table[i]);
        if (comma >= 0 && (size_t)comma == n && EqualNoCase<C>(table[i], name, n))
            return i;
    }
    return -1;
}

template <class C> static size_t SkipSpaces(const C* line, size_t at)
{
    while (line[at] == ' ')
        ++at;
    return at;
}

// Copies the word at line + at (up to a space or the end, at most 31 units,
// never half a character) into name; returns the number of units copied.
template <class C> static size_t CopyName(C* name, const C* line, size_t at)
{
    size_t n = 0;
    for (size_t step; (step = CharSize(line + at + n)) != 0; n += step) {
        if ((step == 1 && line[at + n] == ' ') || n + step > QR_ALIAS_NAME - 1)
            break;
        memcpy(name + n, line + at + n, step * sizeof(C));
    }
    name[n] = 0;
    return n;
}

// Cuts the spaces off the end of line (a space that is the second byte of a
// character after a stray lead byte stays).
template <class C> static void TrimTrailingSpaces(C* line)
{
    size_t end = 0;
    for (size_t at = 0, step; (step = CharSize(line + at)) != 0; at += step)
        if (step == 2 || line[at] != ' ')
            end = at + step;
    line[end] = 0;
}

template <class C> static int FirstEmpty(C table[][QR_ALIAS_TEXT])
{
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        if (table[i][0] == 0)
            return i;
    return -1;
}

// The code-page table holds every entry too (the host and older readers use
// it): a UTF-16 entry must fit there as well.
static int FitsCodePageEntry(const char*) { return 1; }
static int FitsCodePageEntry(const WCHAR* entry)
{
    char form[QR_EXACT_UNITS];
    CodePageForm(form, sizeof form, entry, QR_ALIAS_TEXT);
    return strlen(form) <= QR_ALIAS_TEXT - 1;
}

// Writes NAME,VALUE into the entry that holds the name, or into the first
// empty one.  Returns 0 when there is no room: no entry left, or the text
// longer than an entry holds.  Nothing is written then.
template <class C> static int Define(C table[][QR_ALIAS_TEXT], const C* name, const C* value)
{
    int entry = AliasFind(table, name);
    if (entry < 0)
        entry = FirstEmpty(table);
    size_t nameLen = TextLength(name), valueLen = TextLength(value);
    if (entry < 0 || nameLen + 1 + valueLen > QR_ALIAS_TEXT - 1)
        return 0;
    C e[QR_ALIAS_TEXT];
    memset(e, 0, sizeof e);
    memcpy(e, name, nameLen * sizeof(C));
    e[nameLen] = ',';
    memcpy(e + nameLen + 1, value, valueLen * sizeof(C));
    if (!FitsCodePageEntry(e))
        return 0;
    memcpy(table[entry], e, sizeof e);
    return 1;
}

template <class C>
static int Expand(C table[][QR_ALIAS_TEXT], C* line, C* name, C* out, size_t outSize)
{
    size_t start = SkipSpaces(line, 0);
    if (line[start] == 0)
        return 0;
    TrimTrailingSpaces(line);
    size_t nameLen = CopyName(name, line, start);
    int entry = AliasFind<C>(table, name);
    if (entry < 0)
        return 0;
    // The value runs from the comma to the terminator or the entry's end.
    const C* value = table[entry] + nameLen + 1;
    size_t valueLen = 0;
    while (nameLen + 1 + valueLen < QR_ALIAS_TEXT && value[valueLen])
        ++valueLen;
    const C* rest = line + start + nameLen;
    size_t restLen = TextLength(rest);
    if (valueLen + restLen + 1 > outSize)
        return 0;  // does not fit: the line stays as it is
    memcpy(out, value, valueLen * sizeof(C));
    memcpy(out + valueLen, rest, (restLen + 1) * sizeof(C));
    return ALIAS_EXPANDED;
}

// The keyword, matched without regard to case.
template <class C> static int StartsWithKeyword(const C* line)
{
    static const C kKeyword[] = {'a', 'l', 'i', 'a', 's', 0};
    return EqualNoCase<C>(line, kKeyword, 5);
}

template <class C>
int AliasRunLine(C table[][QR_ALIAS_TEXT], C* line, C* name, C* out, size_t outSize, int isTab)
{
    for (size_t at = 0, step; (step = CharSize(line + at)) != 0; at += step)
        if (step == 1 && line[at] == '\t')
            line[at] = ' ';
    name[0] = 0;
    size_t at = SkipSpaces(line, 0);
    if (!StartsWithKeyword(line + at))
        return Expand(table, line, name, out, outSize);

    // A command line.  "aliases" or "alias," is neither a command nor a name.
    at += 5;
    if (line[at] != ' ' && line[at] != 0)
        return ALIAS_NONE;
    at = SkipSpaces(line, at);
    if (line[at] == 0 && isTab)
        return ALIAS_SHOW_LIST;
    at += CopyName(name, line, at);
    at = SkipSpaces(line, at);
    int result = ALIAS_NONE;
    if (line[at] == 0) {
        int entry = AliasFind<C>(table, name);
        if (entry >= 0) {
            table[entry][0] = 0;
            return ALIAS_DELETED;
        }
    } else {
        if (Define<C>(table, name, line + at))
            return ALIAS_DEFINED;
        result = ALIAS_BEEP;
    }
    return result | Expand(table, line, name, out, outSize);
}

// --- File-name completion ----------------------------------------------------

template <class C> size_t LastWordStart(const C* line)
{
    return AfterLastOf(line, " \t");
}

template <class C> const char* CompletionWildcard(const C* word)
{
    if (FindChar(word, '?') >= 0 || FindChar(word, '*') >= 0)
        return NULL;
    return FindChar(word, '.') >= 0 ? "*" : "*.*";
}

template <class C> void StripDirectoryBrackets(C* entry)
{
    if (entry[0] != '[')
        return;
    // The last character goes whole, even one of two units.
    size_t last = 1 + LastChars(entry + 1, TextLength(entry + 1), 1);
    memmove(entry, entry + 1, (last - 1) * sizeof(C));
    entry[last - 1] = 0;
}

template <class C> int ReplaceLastName(C* line, size_t size, const C* completion)
{
    size_t start = AfterLastOf(line, " \t\\");
    size_t add = TextLength(completion);
    if (start + add + 1 > size)
        return 0;
    memmove(line + start, completion, (add + 1) * sizeof(C));
    return 1;
}

#define QR_LINE_FUNCTIONS(C)                                                           \
    template int AliasFind<C>(C[][QR_ALIAS_TEXT], const C*);                           \
    template int AliasRunLine<C>(C[][QR_ALIAS_TEXT], C*, C*, C*, size_t, int);          \
    template size_t LastWordStart<C>(const C*);                                        \
    template const char* CompletionWildcard<C>(const C*);                              \
    template void StripDirectoryBrackets<C>(C*);                                       \
    template int ReplaceLastName<C>(C*, size_t, const C*);
QR_LINE_FUNCTIONS(char)
QR_LINE_FUNCTIONS(WCHAR)
