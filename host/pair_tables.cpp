// The exchange of the shared tables between the two widths: what one side
// changed since the tables both last held, applied to the other side's.
#include "pair_tables.h"

#include <string.h>

// The ring's slot by steps from slot.  Either may be any int (a block's
// store slot is written by any process): reduced before they are added, so
// that nothing overflows.
static int Step(int slot, int by)
{
    int a = slot % QR_RING_SLOTS, b = by % QR_RING_SLOTS;
    return ((a + b) % QR_RING_SLOTS + QR_RING_SLOTS) % QR_RING_SLOTS;
}

int PairNewestSlot(const PairTables* t)
{
    return Step(t->setIndex, -1);
}

static int SameLine(const PairTables* a, int slotA, const PairTables* b, int slotB)
{
    return memcmp(a->hist[slotA], b->hist[slotB], QR_HIST_TEXT) == 0 &&
           memcmp(a->exactHist[slotA], b->exactHist[slotB], sizeof a->exactHist[slotA]) == 0;
}

static int AddLines(PairTables* into, const PairTables* base, const PairTables* changed)
{
    int added = 0;
    int count = Step(changed->setIndex, -Step(base->setIndex, 0));
    for (int i = 0; i < count; ++i) {
        int from = Step(base->setIndex, i);
        if (SameLine(into, PairNewestSlot(into), changed, from))
            continue;
        int to = Step(into->setIndex, 0);
        memcpy(into->hist[to], changed->hist[from], QR_HIST_TEXT);
        memcpy(into->exactHist[to], changed->exactHist[from], sizeof into->exactHist[to]);
        into->setIndex = Step(to, 1);
        ++added;
    }
    return added;
}

static int AliasSlotDiffers(const PairTables* a, const PairTables* b, int slot)
{
    return memcmp(a->alias[slot], b->alias[slot], QR_ALIAS_TEXT) != 0 ||
           memcmp(a->exactAlias[slot], b->exactAlias[slot], sizeof a->exactAlias[slot]) != 0;
}

static int FreeAliasSlot(const PairTables* t)
{
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot)
        if (t->alias[slot][0] == 0)
            return slot;
    return -1;
}

static void AddAliases(PairTables* into, const PairTables* base, const PairTables* changed)
{
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
        if (!AliasSlotDiffers(base, changed, slot))
            continue;
        int to = slot;
        // Both sides wrote this slot: the other entry must not overwrite
        // this one (a removal gives way).
        if (AliasSlotDiffers(base, into, slot)) {
            to = changed->alias[slot][0] ? FreeAliasSlot(into) : -1;
            if (to < 0)
                continue;
        }
        memcpy(into->alias[to], changed->alias[slot], QR_ALIAS_TEXT);
        memcpy(into->exactAlias[to], changed->exactAlias[slot], sizeof into->exactAlias[to]);
    }
}

int MergePairChanges(PairTables* into, const PairTables* base, const PairTables* changed)
{
    int added = AddLines(into, base, changed);
    AddAliases(into, base, changed);
    for (int i = 0; i < QR_PAIR_VALUES; ++i)
        if (changed->values[i] != base->values[i])
            into->values[i] = changed->values[i];
    if (memcmp(changed->letterSwitches, base->letterSwitches, QR_LETTER_SWITCHES) != 0)
        memcpy(into->letterSwitches, changed->letterSwitches, QR_LETTER_SWITCHES);
    return added;
}
