// Plain text and table functions of the edit-line services: the history
// ring's index arithmetic, the alias table and its command lines, and the
// word handling of file-name completion.  Text is stepped by characters of
// the system code page (core/dbcs.h); no other platform calls here.
#include "editline/editline.h"

#include <string.h>

#include "core/dbcs.h"

void CopyBounded(char* dst, size_t size, const char* src, size_t srcMax)
{
    if (size == 0)
        return;
    size_t n = 0;
    while (n + 1 < size && n < srcMax && src[n]) {
        // A double-byte character is copied whole or not at all, and its
        // second byte is read only within srcMax.
        size_t step = 1;
        if (DbcsIsLeadByte(src[n])) {
            if (n + 1 >= srcMax)
                break;
            if (src[n + 1] != 0)
                step = 2;
        }
        if (n + step >= size)
            break;
        dst[n] = src[n];
        if (step == 2)
            dst[n + 1] = src[n + 1];
        n += step;
    }
    dst[n] = 0;
}

// --- The history ring --------------------------------------------------------

int RingIndex(int value)
{
    return (value >= 0 && value < QR_RING_SLOTS) ? value : 0;
}

int RingStepBack(int index)
{
    index = RingIndex(index) - 1;
    return index < 0 ? QR_RING_SLOTS - 1 : index;
}

int RingStepForward(int index)
{
    index = RingIndex(index) + 1;
    return index >= QR_RING_SLOTS ? 0 : index;
}

int HistRingStore(char ring[][QR_HIST_TEXT], int* setIndex, int* getIndex, const char* text)
{
    if (text[0] == 0)
        return 0;
    int slot = RingIndex(*setIndex);
    // The newest line may fill its slot without a terminator (the host can
    // write the ring): the comparison never reads past the slot.
    if (strncmp(text, ring[RingStepBack(slot)], QR_HIST_TEXT) == 0)
        return 0;
    memset(ring[slot], 0, QR_HIST_TEXT);
    CopyBounded(ring[slot], QR_HIST_TEXT, text, QR_HIST_TEXT - 1);
    *getIndex = slot;
    *setIndex = RingStepForward(slot);
    return 1;
}

static int IsNewerKey(int key) { return key == 40 || key == 88; }
static int IsOlderKey(int key) { return key == 38 || key == 69; }

int HistRingOlder(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key)
{
    int index = RingIndex(*getIndex);
    int turned = IsNewerKey(*lastKey);
    if (turned)
        index = RingStepBack(index);
    if (ring[index][0] == 0) {
        *getIndex = turned ? RingStepForward(index) : index;
        return -1;
    }
    *getIndex = RingStepBack(index);
    *lastKey = key;
    return index;
}

int HistRingNewer(char ring[][QR_HIST_TEXT], int* getIndex, int* lastKey, int key)
{
    int index = RingIndex(*getIndex);
    int turned = IsOlderKey(*lastKey);
    if (turned)
        index = RingStepForward(index);
    index = RingStepForward(index);
    if (ring[index][0] == 0) {
        index = RingStepBack(index);
        *getIndex = turned ? RingStepBack(index) : index;
        return -1;
    }
    *getIndex = index;
    *lastKey = key;
    return index;
}

void HistRingRestart(int setIndex, int* getIndex)
{
    *getIndex = RingStepBack(setIndex);
}

void SlotKeyName(char* out, size_t size, const char* prefix, int slot)
{
    static const char kDigits[] = "0123456789abcdef";
    char digits[12];
    size_t n = 0;
    unsigned value = (unsigned)slot + 1;
    do {
        digits[n++] = kDigits[value % 16];
        value /= 16;
    } while (value && n < sizeof digits);
    size_t len = 0;
    while (prefix[len] && len + 1 < size) {
        out[len] = prefix[len];
        ++len;
    }
    while (n && len + 1 < size)
        out[len++] = digits[--n];
    if (size)
        out[len < size ? len : size - 1] = 0;
}

// The platform's profile reader drops blanks around a value and one pair of
// matching quotes enclosing it; such a value is saved in double quotes, which
// the reader takes off again, so that the line reads back exactly.
static int LosesCharactersWhenRead(const char* text, size_t len)
{
    if (len == 0)
        return 0;
    char first = text[0], last = text[len - 1];
    if (first == ' ' || first == '\t' || last == ' ' || last == '\t')
        return 1;
    return len >= 2 && first == last && (first == '"' || first == '\'');
}

void ProfileSafeCopy(char* dst, size_t size, const char* src, size_t srcMax)
{
    CopyBounded(dst, size, src, srcMax);
    // Byte by byte on purpose: CR and LF are never the second byte of a valid
    // double-byte character, and one after a stray lead byte must not split
    // the line in the file either.
    for (char* p = dst; *p; ++p)
        if (*p == '\r' || *p == '\n')
            *p = ' ';
    size_t len = strlen(dst);
    if (LosesCharactersWhenRead(dst, len) && len + 3 <= size) {
        memmove(dst + 1, dst, len);
        dst[0] = '"';
        dst[len + 1] = '"';
        dst[len + 2] = 0;
    }
}

// --- Aliases -----------------------------------------------------------------

// Position of the entry's first comma, or -1; never reads past the entry.
static int CommaAt(const char* entry)
{
    for (int i = 0; i < QR_ALIAS_TEXT && entry[i]; ++i)
        if (entry[i] == ',')
            return i;
    return -1;
}

int AliasFind(char table[][QR_ALIAS_TEXT], const char* name)
{
    size_t n = strlen(name);
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        int comma = CommaAt(table[i]);
        if (comma >= 0 && (size_t)comma == n && DbcsEqualNoCase(table[i], name, n))
            return i;
    }
    return -1;
}

static size_t SkipSpaces(const char* line, size_t at)
{
    while (line[at] == ' ')
        ++at;
    return at;
}

// Copies the word at line + at (up to a space or the end, at most 31 bytes,
// never half a double-byte character) into name; returns the number of
// bytes copied.
static size_t CopyName(char* name, const char* line, size_t at)
{
    size_t n = 0;
    for (size_t step; (step = DbcsCharSize(line + at + n)) != 0; n += step) {
        if ((step == 1 && line[at + n] == ' ') || n + step > QR_ALIAS_NAME - 1)
            break;
        memcpy(name + n, line + at + n, step);
    }
    name[n] = 0;
    return n;
}

// Cuts the spaces off the end of line (a space that is the second byte of a
// character after a stray lead byte stays).
static void TrimTrailingSpaces(char* line)
{
    size_t end = 0;
    for (size_t at = 0, step; (step = DbcsCharSize(line + at)) != 0; at += step)
        if (step == 2 || line[at] != ' ')
            end = at + step;
    line[end] = 0;
}

static int FirstEmpty(char table[][QR_ALIAS_TEXT])
{
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        if (table[i][0] == 0)
            return i;
    return -1;
}

// Writes NAME,VALUE into the entry that holds the name, or into the first
// empty one.  Returns 0 when there is no room: no entry left, or the text
// longer than an entry holds.  Nothing is written then.
static int Define(char table[][QR_ALIAS_TEXT], const char* name, const char* value)
{
    int entry = AliasFind(table, name);
    if (entry < 0)
        entry = FirstEmpty(table);
    size_t nameLen = strlen(name), valueLen = strlen(value);
    if (entry < 0 || nameLen + 1 + valueLen > QR_ALIAS_TEXT - 1)
        return 0;
    char* e = table[entry];
    memset(e, 0, QR_ALIAS_TEXT);
    memcpy(e, name, nameLen);
    e[nameLen] = ',';
    memcpy(e + nameLen + 1, value, valueLen);
    return 1;
}

static int Expand(char table[][QR_ALIAS_TEXT], char* line, char* name, char* out, size_t outSize)
{
    size_t start = SkipSpaces(line, 0);
    if (line[start] == 0)
        return 0;
    TrimTrailingSpaces(line);
    size_t nameLen = CopyName(name, line, start);
    int entry = AliasFind(table, name);
    if (entry < 0)
        return 0;
    // The value runs from the comma to the terminator or the entry's end.
    const char* value = table[entry] + nameLen + 1;
    size_t valueLen = 0;
    while (nameLen + 1 + valueLen < QR_ALIAS_TEXT && value[valueLen])
        ++valueLen;
    const char* rest = line + start + nameLen;
    size_t restLen = strlen(rest);
    if (valueLen + restLen + 1 > outSize)
        return 0;  // does not fit: the line stays as it is
    memcpy(out, value, valueLen);
    memcpy(out + valueLen, rest, restLen + 1);
    return ALIAS_EXPANDED;
}

int AliasRunLine(char table[][QR_ALIAS_TEXT], char* line, char* name, char* out, size_t outSize,
                 int isTab)
{
    for (size_t at = 0, step; (step = DbcsCharSize(line + at)) != 0; at += step)
        if (step == 1 && line[at] == '\t')
            line[at] = ' ';
    name[0] = 0;
    size_t at = SkipSpaces(line, 0);
    if (!DbcsEqualNoCase(line + at, "alias", 5))
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
        int entry = AliasFind(table, name);
        if (entry >= 0) {
            table[entry][0] = 0;
            return ALIAS_DELETED;
        }
    } else {
        if (Define(table, name, line + at))
            return ALIAS_DEFINED;
        result = ALIAS_BEEP;
    }
    return result | Expand(table, line, name, out, outSize);
}

// --- File-name completion ----------------------------------------------------

size_t LastWordStart(const char* line)
{
    return DbcsAfterLastOf(line, " \t");
}

const char* CompletionWildcard(const char* word)
{
    if (DbcsFind(word, '?') >= 0 || DbcsFind(word, '*') >= 0)
        return NULL;
    return DbcsFind(word, '.') >= 0 ? "*" : "*.*";
}

int AppendIfFits(char* line, size_t size, const char* suffix)
{
    size_t len = strlen(line), add = strlen(suffix);
    if (len + add + 1 > size)
        return 0;
    memcpy(line + len, suffix, add + 1);
    return 1;
}

void StripDirectoryBrackets(char* entry)
{
    if (entry[0] != '[')
        return;
    // The last character goes whole, even a double-byte one.
    size_t last = 1 + DbcsLastChars(entry + 1, strlen(entry + 1), 1);
    memmove(entry, entry + 1, last - 1);
    entry[last - 1] = 0;
}

int ReplaceLastName(char* line, size_t size, const char* completion)
{
    size_t start = DbcsAfterLastOf(line, " \t\\");
    size_t add = strlen(completion);
    if (start + add + 1 > size)
        return 0;
    memmove(line + start, completion, add + 1);
    return 1;
}
