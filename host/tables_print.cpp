#include "tables_print.h"

#include <stdio.h>

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
