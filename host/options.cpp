#include "options.h"

#include "resource.h"

#include "core/text.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

const HostOption kHostOptions[] = {
    {"History", 1, IDM_HISTORY, NULL, 0, 0, 1},  // answer to HM_HISTORY_ON
    {"PointerJump", 1, IDM_JUMP, NULL, 0, 0, 1},  // answer to HM_POINTER_JUMP
    {"Alias", 1, IDM_ALIAS, &QrLib::bIsAlias, 0, 0, 1},
    {"Hokan", 1, IDM_HOKAN, &QrLib::bIsHokan, 0, 0, 1},
    // Off: the edit-line services serve only the classic list of classes.
    {"AnyEditField", 1, IDM_ANYEDIT, &QrLib::bAnyEditField, 0, 0, 1},
    {"CtrlShift", 1, IDM_CTRLSHIFT, &QrLib::bCtrlShift, 0, 0, 1},
    {"Heropa", 0, IDM_HEROPA, &QrLib::bHeropa, 0, 0, 1},
    {"SaveHistory", 1, IDM_SAVEHISTORY, &QrLib::bIsHistory, 0, 0, 1},
    {"ButtonEditOnly", 0, 0, &QrLib::bButtonEditOnly, 0, 0, 1},
    {"Zure", QR_INITIAL_ZURE, 0, &QrLib::iZure, 1, QR_ZURE_FLOOR, INT_MAX},
    {"Aida", QR_INITIAL_AIDA, 0, &QrLib::lAida, 1, QR_AIDA_FLOOR, INT_MAX},
    // The host's choice: the standard arrow after the keyboard lock.
    {"CursorChange", 0, 0, &QrLib::bCursorChange, 0, 0, 1},
    {"CursorIndex", 0, 0, &QrLib::iSelCursorIndex, 0, 0, QR_CURSOR_NAMES - 1},
};
const int kHostOptionCount = sizeof kHostOptions / sizeof kHostOptions[0];
static_assert(sizeof kHostOptions / sizeof kHostOptions[0] <= QR_HOST_OPTIONS_MAX,
              "HostOptions holds every option");

void DefaultOptions(HostOptions* o)
{
    memset(o, 0, sizeof *o);
    for (int i = 0; i < kHostOptionCount; ++i)
        o->value[i] = kHostOptions[i].def;
    NormaliseLetterSwitches("", o->ctrlShiftKeys);
}

static int RowOfMenu(int menuId)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (menuId != 0 && kHostOptions[i].menuId == menuId)
            return i;
    return -1;
}

int OptionValueValid(int row, int value)
{
    return row >= 0 && row < kHostOptionCount && value >= kHostOptions[row].lo && value <= kHostOptions[row].hi;
}

int OptionOn(const HostOptions* o, int menuId)
{
    int row = RowOfMenu(menuId);
    return row >= 0 && o->value[row] != 0;
}

void ApplyOptions(const HostOptions* o, QrLib* lib)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].libValue)
            *(lib->*kHostOptions[i].libValue) = o->value[i];
    memcpy(lib->chCtrlShift, o->ctrlShiftKeys, QR_LETTER_SWITCHES);
}

int ToggleOption(HostOptions* o, QrLib* lib, int menuId)
{
    int row = RowOfMenu(menuId);
    if (row < 0)
        return 0;
    o->value[row] = o->value[row] ? 0 : 1;
    if (kHostOptions[row].libValue)
        *(lib->*kHostOptions[row].libValue) = o->value[row];
    return 1;
}

void CheckOptionItems(const HostOptions* o, HMENU menu)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].menuId)
            CheckMenuItem(menu, (UINT)kHostOptions[i].menuId,
                          MF_BYCOMMAND | (o->value[i] ? MF_CHECKED : MF_UNCHECKED));
}

void KeepTunedOptions(HostOptions* o, const QrLib* lib)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].tunedByHotKeys)
            o->value[i] = *(lib->*kHostOptions[i].libValue);
}

void NormaliseLetterSwitches(const char* text, char out[28])
{
    size_t len = text ? strlen(text) : 0;
    for (size_t i = 0; i < 26; ++i)
        out[i] = (i < len && text[i] == '0') ? '0' : '1';
    out[26] = 0;
    out[27] = 0;
}

// FNV-1a, 64 bits: a few thousand steps every couple of seconds.
template <class C> static unsigned long long Mix(unsigned long long h, const C* text, size_t size)
{
    // The tables are written by other processes meanwhile: read with a bound.
    for (size_t i = 0; i < size && text[i]; ++i) {
        h = (h ^ (text[i] & 0xFF)) * 0x100000001b3ULL;
        if (sizeof(C) > 1)
            h = (h ^ ((unsigned)text[i] >> 8)) * 0x100000001b3ULL;
    }
    return (h ^ 0x10000) * 0x100000001b3ULL;  // a slot's end, unlike any unit
}

unsigned long long TablesFingerprint(const char hist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                                     const WCHAR exactHist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const WCHAR exactAlias[QR_RING_SLOTS][QR_ALIAS_TEXT], int next)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        h = Mix(h, hist[i], QR_HIST_TEXT);
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        h = Mix(h, alias[i], QR_ALIAS_TEXT);
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        h = Mix(h, exactHist[i], QR_HIST_TEXT);
    for (int i = 0; i < QR_RING_SLOTS; ++i)
        h = Mix(h, exactAlias[i], QR_ALIAS_TEXT);
    char slot[16];
    snprintf(slot, sizeof slot, "%d", next);
    return Mix(h, slot, sizeof slot);
}

unsigned long long LibraryTablesPrint(const QrLib* lib)
{
    return TablesFingerprint(lib->chHist, lib->chAlias, lib->wchHist, lib->wchAlias, *lib->iSetIndex);
}

int SaveTables(QrLib* lib, unsigned long long* saved, int (*save)(QrLib* lib))
{
    unsigned long long before = LibraryTablesPrint(lib);
    if (!save(lib))
        return 0;
    *saved = before;
    return 1;
}

template <class C> static void Put(C* out, size_t* used, const C* text, size_t len)
{
    for (size_t i = 0; i < len; ++i)
        out[(*used)++] = text[i];
}

template <class C>
int FormatAliasList(const C alias[QR_RING_SLOTS][QR_ALIAS_TEXT], C* out, size_t size)
{
    static const C kBetween[] = {' ', '=', ' '}, kEnd[] = {'\n'};
    if (size == 0)
        return 0;
    size_t used = 0;
    int count = 0;
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        // An entry is NAME,VALUE within its 128 units; the host may have
        // filled it without a terminator, so it is read with a bound.
        const C* entry = alias[i];
        size_t len = 0, nameLen = 0;
        while (len < QR_ALIAS_TEXT && entry[len])
            ++len;
        if (len == 0)
            continue;
        while (nameLen < len && entry[nameLen] != ',')
            ++nameLen;
        size_t valueLen = nameLen < len ? len - nameLen - 1 : 0;
        if (used + nameLen + 3 + valueLen + 1 >= size)
            break;  // no room for the whole line: leave it out
        Put(out, &used, entry, nameLen);
        Put(out, &used, kBetween, 3);
        Put(out, &used, entry + nameLen + 1, valueLen);
        Put(out, &used, kEnd, 1);
        ++count;
    }
    out[used] = 0;
    return count;
}
template int FormatAliasList<char>(const char[QR_RING_SLOTS][QR_ALIAS_TEXT], char*, size_t);
template int FormatAliasList<WCHAR>(const WCHAR[QR_RING_SLOTS][QR_ALIAS_TEXT], WCHAR*, size_t);

void ExactAliasTable(const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                     const WCHAR exact[QR_RING_SLOTS][QR_ALIAS_TEXT], WCHAR out[QR_RING_SLOTS][QR_ALIAS_TEXT])
{
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        if (ExactTied(exact[i], QR_ALIAS_TEXT, alias[i], QR_ALIAS_TEXT))
            CopyBounded(out[i], QR_ALIAS_TEXT, exact[i], QR_ALIAS_TEXT);
        else
            ExactForm(out[i], QR_ALIAS_TEXT, alias[i], QR_ALIAS_TEXT);
    }
}

void DescribeHotKey(WPARAM vk, int count, char* out, size_t size)
{
    char key[16];
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        snprintf(key, sizeof key, "%c", (char)vk);
    else if (vk == VK_F11)
        snprintf(key, sizeof key, "F11");
    else
        snprintf(key, sizeof key, "key %u", (unsigned)(vk & 0xFFFF));
    snprintf(out, size, "Hot keys received: %d, last: Ctrl+Shift+%s", count, key);
}
