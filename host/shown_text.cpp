#include "shown_text.h"

#include <stdio.h>

#include "core/text.h"

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
