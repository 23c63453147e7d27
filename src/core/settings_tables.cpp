// The tables' keys and values in the settings file (core/settings_tables.h).
// Built into the library and the host alike; every call goes through the
// profile functions of core/profile.h.
#include "core/settings_tables.h"
#include "core/text.h"

#include <string.h>

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

// Line breaks become blanks, as in the code-page key (ProfileSafeCopy): the
// exact text read back must still be tied to the code-page text read back.
// (CR and LF are never a unit of a surrogate pair.)
static void BlankLineBreaks(WCHAR* text)
{
    for (; *text; ++text)
        if (*text == '\r' || *text == '\n')
            *text = ' ';
}

// The exact text of a slot goes into its own section only where the
// code-page key does not give it back; every other exact key is removed, so
// that none is left from an earlier text of the slot.  Both slots are read
// once, into this call's own buffers: any process may write them meanwhile.
static void SaveExactText(const ProfilePath* file, int slot, const char* prefix, const WCHAR* exact, const char* ansi,
                          size_t units)
{
    char key[16];
    SlotKeyName(key, sizeof key, prefix, slot);
    WCHAR text[QR_HIST_TEXT], fromAnsi[QR_HIST_TEXT];
    char code[QR_HIST_TEXT];
    CopyBounded(text, QR_HIST_TEXT, exact, units);
    CopyBounded(code, sizeof code, ansi, units);
    int tied = ExactTied(text, QR_HIST_TEXT, code, sizeof code);
    ExactForm(fromAnsi, QR_HIST_TEXT, code, sizeof code);
    BlankLineBreaks(text);
    BlankLineBreaks(fromAnsi);
    if (!tied || memcmp(fromAnsi, text, (TextLength(fromAnsi) + 1) * sizeof(WCHAR)) == 0) {
        ProfileWriteString(file, QR_EXACT_SECTION, key, NULL);
        return;
    }
    char value[QR_EXACT_VALUE];
    ExactToValue(value, sizeof value, text, QR_HIST_TEXT);
    ProfileWriteString(file, QR_EXACT_SECTION, key, value);
}

// One slot's code-page text under its key.  Key and value are built on the
// stack: the host's save and a shut-down hot key's save in another program
// can run at the same moment, and buffers in the shared block would let one
// write its value under the other's key.  A slot holds at most 255 (an alias
// entry 127) characters; the host may have filled one to its last byte
// without a terminator.
static void SaveSlot(const ProfilePath* file, int slot, const char* prefix, const char* text, size_t size)
{
    char key[16];
    char value[QR_HIST_TEXT + 2];  // a value may be saved in quotes
    SlotKeyName(key, sizeof key, prefix, slot);
    ProfileSafeCopy(value, sizeof value, text, size - 1);
    ProfileWriteString(file, QR_SETTINGS_SECTION, key, value);
}

void SaveSettingsTables(const ProfilePath* file, const SettingsTables* t, int history, int aliases)
{
    if (history) {
        for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
            SaveSlot(file, slot, "", t->hist[slot], QR_HIST_TEXT);
            SaveExactText(file, slot, "", t->exactHist[slot], t->hist[slot], QR_HIST_TEXT);
        }
    }
    if (aliases) {
        for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
            SaveSlot(file, slot, QR_ALIAS_KEY_PREFIX, t->alias[slot], QR_ALIAS_TEXT);
            SaveExactText(file, slot, QR_ALIAS_KEY_PREFIX, t->exactAlias[slot], t->alias[slot], QR_ALIAS_TEXT);
        }
    }
}

int SaveStoreSlot(const ProfilePath* file, int slot)
{
    char value[16];
    wsprintfA(value, "%d", slot);
    return ProfileWriteString(file, QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, value) != 0;
}

// The exact text of a slot, from the file's own section: empty when the slot
// has none there (an older file, or a line its code-page text gives whole).
static void LoadExactText(const ProfilePath* file, const char* key, WCHAR* exact, size_t units)
{
    char value[QR_EXACT_VALUE];
    ProfileReadString(file, QR_EXACT_SECTION, key, "", value, sizeof value);
    memset(exact, 0, units * sizeof(WCHAR));
    ExactFromValue(exact, units, value);
}

int LoadSettingsTables(const ProfilePath* file, const SettingsTables* t)
{
    char key[16];
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        SlotKeyName(key, sizeof key, "", i);
        ProfileReadString(file, QR_SETTINGS_SECTION, key, "", t->hist[i], QR_HIST_TEXT);
        LoadExactText(file, key, t->exactHist[i], QR_HIST_TEXT);
        SlotKeyName(key, sizeof key, QR_ALIAS_KEY_PREFIX, i);
        ProfileReadString(file, QR_SETTINGS_SECTION, key, "", t->alias[i], QR_ALIAS_TEXT);
        LoadExactText(file, key, t->exactAlias[i], QR_ALIAS_TEXT);
    }
    int saved = (int)ProfileReadInt(file, QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, -1);
    return NextHistorySlot(t->hist, saved);
}

int NextHistorySlot(const char hist[QR_RING_SLOTS][QR_HIST_TEXT], int saved)
{
    int last = -1, empty = 0;
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        if (hist[i][0])
            last = i;
        else
            ++empty;
    }
    if (saved >= 0 && saved < QR_RING_SLOTS && (empty == 0 || hist[saved][0] == 0))
        return saved;
    return (last + 1) % QR_RING_SLOTS;
}
