// The merge of the tables the two widths exchange, on tables of any content:
// the changes arrive in a record another program sent (WM_COPYDATA), and the
// receiving side's own tables come from its shared block, which any process
// may write.  Three tables are built from the input (the receiver's, the ones
// both sides last held, the changed ones), then merged; what the merge
// promises must hold afterwards, and nothing may be read or written outside
// them.
#include <string.h>

#include "core/ring.h"
#include "desktop.h"
#include "pair_tables.h"

static PairTables gInto, gBase, gChanged, gBefore;

static PairTables* Table(FuzzInput& in)
{
    switch (in.byte() % 3) {
    case 0:
        return &gInto;
    case 1:
        return &gBase;
    default:
        return &gChanged;
    }
}

// Mostly a slot of the ring, sometimes a value out of it, as a block or a
// record may hold, up to the limits of int.
static int32_t AnyIndex(FuzzInput& in)
{
    uint8_t b = in.byte();
    return b < 0xF0 ? b % QR_RING_SLOTS : (int32_t)in.u32();
}

// UTF-16 text of any units (lone surrogates included), terminated.
static void WideText(FuzzInput& in, WCHAR* out, size_t size)
{
    size_t n = 0, want = in.byte() % size;
    while (n < want && n + 1 < size && !in.empty())
        out[n++] = (WCHAR)(in.byte() | (in.byte() << 8));
    out[n] = 0;
}

// A run of input bytes anywhere in a region, NULs included or not.
static void FillRaw(FuzzInput& in, void* region, size_t size)
{
    size_t at = in.u32() % size, n = in.byte() * 2u;
    for (size_t i = 0; i < n && at + i < size && !in.empty(); ++i)
        static_cast<uint8_t*>(region)[at + i] = in.byte();
}

static void Build(FuzzInput& in)
{
    char text[QR_HIST_TEXT];
    for (int steps = 0; steps < 300 && !in.empty(); ++steps) {
        switch (in.byte() % 5) {
        case 0:
            Table(in)->setIndex = AnyIndex(in);
            break;
        case 1: {  // a line stored as the library stores one
            PairTables* t = Table(in);
            int slot = RingSlot(t->setIndex);
            in.text(text, sizeof text, QR_HIST_TEXT - 1);
            memcpy(t->hist[slot], text, sizeof text);
            WideText(in, t->exactHist[slot], QR_HIST_TEXT);
            t->setIndex = RingStep(slot, 1);
            break;
        }
        case 2: {  // an alias entry written or removed
            PairTables* t = Table(in);
            int slot = in.byte() % QR_RING_SLOTS;
            in.text(text, QR_ALIAS_TEXT, QR_ALIAS_TEXT - 1);
            memcpy(t->alias[slot], text, QR_ALIAS_TEXT);
            WideText(in, t->exactAlias[slot], QR_ALIAS_TEXT);
            break;
        }
        case 3:  // values, switches, paths, texts: any bytes anywhere
            FillRaw(in, Table(in), sizeof(PairTables));
            break;
        case 4: {  // one table taken over by another (a hand-over, a poll)
            const PairTables* from = Table(in);
            PairTables* to = Table(in);
            if (from != to)
                *to = *from;
            break;
        }
        }
    }
}

static bool InRing(int32_t index)
{
    return index >= 0 && index < QR_RING_SLOTS;
}

static bool SameHist(const PairTables& a, int slotA, const PairTables& b, int slotB)
{
    return memcmp(a.hist[slotA], b.hist[slotB], sizeof a.hist[0]) == 0 &&
           memcmp(a.exactHist[slotA], b.exactHist[slotB], sizeof a.exactHist[0]) == 0;
}

static bool SameAlias(const PairTables& a, int slotA, const PairTables& b, int slotB)
{
    return memcmp(a.alias[slotA], b.alias[slotB], sizeof a.alias[0]) == 0 &&
           memcmp(a.exactAlias[slotA], b.exactAlias[slotB], sizeof a.exactAlias[0]) == 0;
}

// A slot's text (both forms) that was in one of the slots of a or b.
template <class Same> static bool FromEither(const PairTables& t, int slot, const PairTables& a, const PairTables& b,
                                             Same same)
{
    for (int from = 0; from < QR_RING_SLOTS; ++from)
        if (same(t, slot, a, from) || same(t, slot, b, from))
            return true;
    return false;
}

// A store slot outside the ring is read as every side reads it.
static int Newest(const PairTables& t)
{
    return RingStep(t.setIndex, -1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    memset(&gInto, 0, sizeof gInto);
    memset(&gBase, 0, sizeof gBase);
    memset(&gChanged, 0, sizeof gChanged);
    FuzzInput in{data, size, 0};
    Build(in);
    gBefore = gInto;
    int added = MergePairChanges(&gInto, &gBase, &gChanged);

    FUZZ_CHECK(added >= 0 && added < QR_RING_SLOTS, "%d lines added", added);
    if (InRing(gBefore.setIndex) || added > 0)
        FUZZ_CHECK(InRing(gInto.setIndex), "store slot %d (was %d)", gInto.setIndex, gBefore.setIndex);
    FUZZ_CHECK(memcmp(gInto.iniPath, gBefore.iniPath, sizeof gInto.iniPath) == 0 &&
                   memcmp(gInto.exactIniPath, gBefore.exactIniPath, sizeof gInto.exactIniPath) == 0,
               "the settings path is the receiver's own");
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
        FUZZ_CHECK(FromEither(gInto, slot, gBefore, gChanged, SameHist), "history slot %d came from nowhere", slot);
        FUZZ_CHECK(FromEither(gInto, slot, gBefore, gChanged, SameAlias), "alias slot %d came from nowhere", slot);
        // An entry the receiver wrote since the last exchange is kept.
        if (gBefore.alias[slot][0] && !SameAlias(gBefore, slot, gBase, slot))
            FUZZ_CHECK(SameAlias(gInto, slot, gBefore, slot), "the receiver's alias %d was lost", slot);
    }
    for (int i = 0; i < QR_PAIR_VALUES; ++i)
        FUZZ_CHECK(gInto.values[i] == gBefore.values[i] || gInto.values[i] == gChanged.values[i],
                   "value %d is %d, neither %d nor %d", i, gInto.values[i], gBefore.values[i], gChanged.values[i]);
    FUZZ_CHECK(memcmp(gInto.letterSwitches, gBefore.letterSwitches, QR_LETTER_SWITCHES) == 0 ||
                   memcmp(gInto.letterSwitches, gChanged.letterSwitches, QR_LETTER_SWITCHES) == 0,
               "the letter switches came from nowhere");
    // The other side's newest line is the newest here once its ring moved on.
    if (RingSlot(gChanged.setIndex) != RingSlot(gBase.setIndex))
        FUZZ_CHECK(SameHist(gInto, Newest(gInto), gChanged, Newest(gChanged)),
                   "the newest line is not the other side's newest (slot %d, theirs %d)", Newest(gInto),
                   Newest(gChanged));
    return 0;
}
