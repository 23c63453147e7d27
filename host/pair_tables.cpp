// The exchange of the shared tables between the two widths: what one side
// changed since the tables both last held, applied to the other side's.
#include "pair_tables.h"

#include <string.h>

#include "core/ring.h"

int PairNewestSlot(const PairTables* t)
{
    return RingStep(t->setIndex, -1);
}

static int SameLine(const PairTables* a, int slotA, const PairTables* b, int slotB)
{
    return memcmp(a->hist[slotA], b->hist[slotB], QR_HIST_TEXT) == 0 &&
           memcmp(a->exactHist[slotA], b->exactHist[slotB], sizeof a->exactHist[slotA]) == 0;
}

static int AddLines(PairTables* into, const PairTables* base, const PairTables* changed)
{
    int added = 0;
    int count = RingStep(changed->setIndex, -RingSlot(base->setIndex));
    for (int i = 0; i < count; ++i) {
        int from = RingStep(base->setIndex, i);
        if (SameLine(into, PairNewestSlot(into), changed, from))
            continue;
        int to = RingStep(into->setIndex, 0);
        memcpy(into->hist[to], changed->hist[from], QR_HIST_TEXT);
        memcpy(into->exactHist[to], changed->exactHist[from], sizeof into->exactHist[to]);
        into->setIndex = RingStep(to, 1);
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

// --- The check of a record ------------------------------------------------------

static_assert(QR_INI_PATH == MAX_PATH, "the record's path fields hold a ProfilePath's");

template <class C> static void Terminate(C* text, size_t units)
{
    size_t n = 0;
    while (n < units && text[n])
        ++n;
    if (n == units)
        text[units - 1] = 0;
}

template <class C, size_t N> static void TerminateEach(C (*texts)[N])
{
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot)
        Terminate(texts[slot], N);
}

static int Flag(int value)
{
    return value == 0 || value == 1 ? value : 0;
}

void MakePairTablesValid(PairTables* t, const ProfilePath* settingsFile)
{
    t->setIndex = RingStep(t->setIndex, 0);
    for (int i = 0; i < QR_HOST_OPTIONS_MAX; ++i)
        if (!OptionValueValid(i, t->values[i]))
            t->values[i] = i < kHostOptionCount ? kHostOptions[i].def : 0;
    t->values[QR_PAIR_VALUE_JAPANESE] = Flag(t->values[QR_PAIR_VALUE_JAPANESE]);
    t->values[QR_PAIR_VALUE_KBLOCK] = Flag(t->values[QR_PAIR_VALUE_KBLOCK]);
    char letters[QR_LETTER_SWITCHES + 1];
    memcpy(letters, t->letterSwitches, QR_LETTER_SWITCHES);
    letters[QR_LETTER_SWITCHES] = 0;
    NormaliseLetterSwitches(letters, t->letterSwitches);
    TerminateEach(t->hist);
    TerminateEach(t->exactHist);
    TerminateEach(t->alias);
    TerminateEach(t->exactAlias);
    memcpy(t->iniPath, settingsFile->ansi, sizeof t->iniPath);
    memcpy(t->exactIniPath, settingsFile->exact, sizeof t->exactIniPath);
}

// Every byte compared, whatever differs first: the time a refusal takes says
// nothing of how much of a guess was right.
static int SameSecret(const unsigned char* a, const unsigned char* b)
{
    unsigned char differ = 0;
    for (int i = 0; i < QR_PAIR_SECRET; ++i)
        differ |= (unsigned char)(a[i] ^ b[i]);
    return differ == 0;
}

int PairRecordValid(ULONG_PTR kind, const void* data, size_t size, const unsigned char secret[QR_PAIR_SECRET],
                    const ProfilePath* settingsFile)
{
    if (kind == QR_PAIR_POLL)
        return data && size == QR_PAIR_SECRET && SameSecret((const unsigned char*)data, secret);
    if ((kind != QR_PAIR_CHANGED && kind != QR_PAIR_TABLES) || !data || size != sizeof(PairTables))
        return 0;
    // Valid exactly when making it valid changes nothing: one definition of
    // what the pair takes, for the sender's own tables and the receiver's
    // check alike.
    PairTables made;
    memcpy(&made, data, sizeof made);
    int secretOk = SameSecret(made.secret, secret);
    MakePairTablesValid(&made, settingsFile);
    return secretOk & (memcmp(&made, data, sizeof made) == 0);
}
